#include "registry/keyvalue.h"

#include <cstring>

CKeyValue::~CKeyValue() {
    delete[] m_pData;
}

CKeyValue::CKeyValue(const CKeyValue& other) {
    Set(other.m_strName.c_str(), other.m_dwType, other.m_pData, other.m_cbData, other.m_nIndex);
}

CKeyValue& CKeyValue::operator=(const CKeyValue& other) {
    if (this != &other)
        Set(other.m_strName.c_str(), other.m_dwType, other.m_pData, other.m_cbData, other.m_nIndex);
    return *this;
}

void CKeyValue::Clear() {
    delete[] m_pData;
    m_pData = nullptr;
    m_nIndex = 0;
    m_dwType = 0;
    m_cbData = 0;
}

void CKeyValue::Set(const char* pszName, DWORD dwType, const void* pData, DWORD cbData,
                    DWORD nIndex) {
    Clear();
    m_nIndex = nIndex;
    m_strName = pszName ? pszName : "";
    m_dwType = dwType;
    if (cbData > 0 && pData) {
        m_pData = new BYTE[cbData];
        std::memcpy(m_pData, pData, cbData);
        m_cbData = cbData;
    }
}

namespace {

// atoi of the Windows C library, kept inside the data: REG_SZ data need not
// end in a NUL.
std::int32_t Atoi(const BYTE* p, DWORD cb) {
    DWORD i = 0;
    while (i < cb && (p[i] == ' ' || (p[i] >= '\t' && p[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < cb && (p[i] == '+' || p[i] == '-'))
        bNegative = p[i++] == '-';
    std::int64_t n = 0;
    for (; i < cb && p[i] >= '0' && p[i] <= '9'; ++i) {
        n = n * 10 + (p[i] - '0');
        if (n > static_cast<std::int64_t>(INT32_MAX) + 1)
            n = static_cast<std::int64_t>(INT32_MAX) + 1;
    }
    if (bNegative)
        n = -n;
    if (n > INT32_MAX)
        return INT32_MAX;
    return static_cast<std::int32_t>(n);
}

} // namespace

LONG CKeyValue::GetInt(std::int32_t* pnValue) const {
    if (!pnValue)
        return ERROR_INVALID_PARAMETER;
    if (m_dwType == REG_DWORD) {
        if (m_cbData < 4)
            return ERROR_BAD_FORMAT;
        *pnValue = static_cast<std::int32_t>(m_pData[0] | m_pData[1] << 8 | m_pData[2] << 16 |
                                             static_cast<std::uint32_t>(m_pData[3]) << 24);
        return ERROR_SUCCESS;
    }
    if (m_dwType == REG_SZ) {
        *pnValue = Atoi(m_pData, m_cbData);
        return ERROR_SUCCESS;
    }
    return ERROR_BAD_FORMAT;
}

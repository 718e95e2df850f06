#include "platform/computername.h"

#include "platform/cp1251.h"

#include <climits>
#include <cstring>
#include <unistd.h>

std::string GetComputerName() {
    // gethostname may leave the name without a NUL when it fills the buffer.
    char szHost[HOST_NAME_MAX + 2] = {};
    if (::gethostname(szHost, sizeof szHost - 1) != 0)
        return std::string();
    std::string strName = cp1251::ToUpper(szHost);
    if (strName.size() > MAX_COMPUTERNAME_LENGTH)
        strName.resize(MAX_COMPUTERNAME_LENGTH);
    return strName;
}

int GetComputerNameA(char* pszBuffer, std::uint32_t* pnSize) {
    if (!pnSize)
        return 0;
    const std::string strName = GetComputerName();
    if (strName.empty())
        return 0;
    if (!pszBuffer || *pnSize <= strName.size()) {
        *pnSize = static_cast<std::uint32_t>(strName.size() + 1);
        return 0;
    }
    std::memcpy(pszBuffer, strName.c_str(), strName.size() + 1);
    *pnSize = static_cast<std::uint32_t>(strName.size());
    return 1;
}

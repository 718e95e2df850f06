#include "platform/richeditctrl.h"

#include "platform/cfile.h"
#include "platform/cp1251.h"
#include "platform/rtfreader.h"

#include <algorithm>
#include <array>
#include <vector>

std::uint32_t StreamInCallback(std::uintptr_t dwCookie, std::uint8_t* pbBuff, std::int32_t cb,
                               std::int32_t* pcb) {
    if (pcb)
        *pcb = 0;
    auto* pFile = reinterpret_cast<CFile*>(dwCookie);
    if (!pFile || !pbBuff || !pcb || cb <= 0)
        return 0;
    try {
        const std::uint64_t nLength = pFile->GetLength();
        const std::uint64_t nPosition = pFile->GetPosition();
        const std::uint64_t nLeft = nLength > nPosition ? nLength - nPosition : 0;
        const auto nWant = static_cast<std::size_t>(std::min<std::uint64_t>(nLeft, cb));
        *pcb = static_cast<std::int32_t>(pFile->Read(pbBuff, nWant));
    } catch (const CFileException& e) {
        return e.m_cause != CFileException::none ? static_cast<std::uint32_t>(e.m_cause) : 1u;
    }
    return 0;
}

long CRichEditCtrl::StreamIn(int nFormat, EDITSTREAM& es) {
    return StreamIn(nFormat, es, kMaxStreamBytes);
}

long CRichEditCtrl::StreamIn(int nFormat, EDITSTREAM& es, std::size_t nMaxBytes) {
    es.m_dwError = 0;
    std::string strBytes;
    if (es.m_pfnCallback) {
        std::vector<std::uint8_t> buffer(kStreamChunk);
        while (strBytes.size() < nMaxBytes) {
            const auto cb = static_cast<std::int32_t>(
                std::min<std::size_t>(kStreamChunk, nMaxBytes - strBytes.size()));
            std::int32_t nDelivered = 0;
            const std::uint32_t dwError =
                es.m_pfnCallback(es.m_dwCookie, buffer.data(), cb, &nDelivered);
            if (dwError != 0) {
                es.m_dwError = dwError;
                break;
            }
            if (nDelivered <= 0)
                break;
            // A callback claiming more than the room it was given is not believed.
            strBytes.append(reinterpret_cast<const char*>(buffer.data()),
                            static_cast<std::size_t>(std::min(nDelivered, cb)));
        }
    }
    m_doc = (nFormat & SF_RTF) ? ReadRtf(strBytes) : ReadPlainText(strBytes);
    m_nSelStart = m_nSelEnd = 0;
    Changed();
    return static_cast<long>(strBytes.size());
}

long CRichEditCtrl::StreamIn(std::string_view strRtf) {
    if (strRtf.size() > kMaxStreamBytes)
        strRtf = strRtf.substr(0, kMaxStreamBytes);
    m_doc = ReadRtf(strRtf);
    m_nSelStart = m_nSelEnd = 0;
    Changed();
    return static_cast<long>(strRtf.size());
}

long CRichEditCtrl::StreamInFile(CFile& file) {
    EDITSTREAM es;
    es.m_dwCookie = reinterpret_cast<std::uintptr_t>(&file);
    es.m_pfnCallback = StreamInCallback;
    return StreamIn(SF_RTF, es, kMaxFileBytes);
}

long CRichEditCtrl::FindText(long nStart, long nEnd, std::string_view str, long* pnMatchEnd) const {
    if (pnMatchEnd)
        *pnMatchEnd = -1;
    const std::string& strText = m_doc.GetText();
    const std::size_t nFrom = nStart < 0 ? 0 : ClampPosition(nStart);
    const std::size_t nTo = nEnd < 0 ? strText.size() : ClampPosition(nEnd);
    if (str.empty() || nFrom >= nTo || nTo - nFrom < str.size())
        return -1;

    static const std::array<unsigned char, 256> kUpper = [] {
        std::array<unsigned char, 256> table{};
        for (int i = 0; i < 256; ++i)
            table[i] = cp1251::CharUpper(static_cast<unsigned char>(i));
        return table;
    }();
    auto upper = [](char ch) { return kUpper[static_cast<unsigned char>(ch)]; };

    // Knuth-Morris-Pratt: linear whatever the text and the pattern hold.
    std::vector<std::size_t> fail(str.size(), 0);
    for (std::size_t i = 1, k = 0; i < str.size(); ++i) {
        while (k > 0 && upper(str[i]) != upper(str[k]))
            k = fail[k - 1];
        if (upper(str[i]) == upper(str[k]))
            ++k;
        fail[i] = k;
    }
    for (std::size_t i = nFrom, k = 0; i < nTo; ++i) {
        while (k > 0 && upper(strText[i]) != upper(str[k]))
            k = fail[k - 1];
        if (upper(strText[i]) == upper(str[k]))
            ++k;
        if (k == str.size()) {
            const std::size_t nMatch = i + 1 - str.size();
            if (pnMatchEnd)
                *pnMatchEnd = static_cast<long>(i + 1);
            return static_cast<long>(nMatch);
        }
    }
    return -1;
}

void CRichEditCtrl::SetSel(long nStart, long nEnd) {
    const std::size_t nTo = nEnd < 0 ? m_doc.GetLength() : ClampPosition(nEnd);
    if (nStart < 0) {
        m_nSelStart = m_nSelEnd = nTo;
        return;
    }
    const std::size_t nFrom = ClampPosition(nStart);
    m_nSelStart = std::min(nFrom, nTo);
    m_nSelEnd = std::max(nFrom, nTo);
}

void CRichEditCtrl::GetSel(long& nStart, long& nEnd) const {
    nStart = static_cast<long>(m_nSelStart);
    nEnd = static_cast<long>(m_nSelEnd);
}

void CRichEditCtrl::Clear() {
    if (m_nSelEnd <= m_nSelStart)
        return;
    m_doc.Erase(m_nSelStart, m_nSelEnd - m_nSelStart);
    m_nSelEnd = m_nSelStart;
    Changed();
}

void CRichEditCtrl::ReplaceSel(std::string_view str) {
    const bool bSelection = m_nSelEnd > m_nSelStart;
    if (!bSelection && str.empty())
        return;
    CCharFormat cf;
    if (bSelection)
        cf = m_doc.GetCharFormat(m_nSelStart);
    else
        cf = m_doc.GetCharFormat(m_nSelStart > 0 ? m_nSelStart - 1 : 0);
    if (bSelection)
        m_doc.Erase(m_nSelStart, m_nSelEnd - m_nSelStart);
    m_doc.Insert(m_nSelStart, str, cf);
    m_nSelStart += str.size();
    m_nSelEnd = m_nSelStart;
    Changed();
}

bool CRichEditCtrl::TypeText(std::string_view str) {
    if (m_bReadOnly)
        return false;
    ReplaceSel(str);
    return true;
}

bool CRichEditCtrl::SetSelectionCharFormat(const CCharFormat& cf) {
    if (m_nSelEnd <= m_nSelStart)
        return false;
    m_doc.ApplyCharFormat(m_nSelStart, m_nSelEnd, cf);
    Changed();
    return true;
}

std::size_t CRichEditCtrl::ClampPosition(long nPos) const {
    if (nPos <= 0)
        return 0;
    return std::min(static_cast<std::size_t>(nPos), m_doc.GetLength());
}

void CRichEditCtrl::Changed() {
    if (m_onChanged)
        m_onChanged();
}

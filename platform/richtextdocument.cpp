#include "platform/richtextdocument.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Stored formats compare equal exactly when they look the same, so that
// equal neighbours merge: full mask, known effects, no stale colour.
CCharFormat Normalized(CCharFormat cf) {
    cf.m_dwMask = CFM_ALL;
    cf.m_dwEffects &= CFE_ALL;
    if (cf.IsAutoColor())
        cf.m_crTextColor = 0;
    if (cf.m_strFaceName.size() > kMaxFaceNameLength)
        cf.m_strFaceName.resize(kMaxFaceNameLength);
    return cf;
}

// Stored paragraph formats are in range and their stops sorted, so that
// formats that look the same compare equal.
CParaFormat Normalized(const CParaFormat& pf) {
    CParaFormat pfOut;
    if (pf.m_nAlignment >= PFA_LEFT && pf.m_nAlignment <= PFA_JUSTIFY)
        pfOut.m_nAlignment = pf.m_nAlignment;
    pfOut.m_nLeftIndent = ClampTwips(pf.m_nLeftIndent);
    pfOut.m_nRightIndent = ClampTwips(pf.m_nRightIndent);
    pfOut.m_nFirstLineIndent = ClampTwips(pf.m_nFirstLineIndent);
    pfOut.m_nSpaceBefore = ClampTwips(pf.m_nSpaceBefore, 0);
    pfOut.m_nSpaceAfter = ClampTwips(pf.m_nSpaceAfter, 0);
    for (std::size_t i = 0; i < std::min(pf.m_nTabs, kMaxTabStops); ++i)
        pfOut.AddTabStop(pf.m_rgxTabs[i]);
    return pfOut;
}

// The "\r\n" pairs in s; they cannot overlap.
std::size_t CountLineEnds(std::string_view s) {
    std::size_t nCount = 0;
    for (std::size_t i = s.find("\r\n"); i != std::string_view::npos; i = s.find("\r\n", i + 2))
        ++nCount;
    return nCount;
}

void CopyEffect(CCharFormat& cfTarget, const CCharFormat& cfSource, std::uint32_t dwEffect) {
    cfTarget.m_dwEffects = (cfTarget.m_dwEffects & ~dwEffect) | (cfSource.m_dwEffects & dwEffect);
}

} // namespace

void ApplyCharFormat(CCharFormat& cfTarget, const CCharFormat& cfSource) {
    const std::uint32_t dwMask = cfSource.m_dwMask;
    if (dwMask & CFM_BOLD)
        CopyEffect(cfTarget, cfSource, CFE_BOLD);
    if (dwMask & CFM_ITALIC)
        CopyEffect(cfTarget, cfSource, CFE_ITALIC);
    if (dwMask & CFM_UNDERLINE)
        CopyEffect(cfTarget, cfSource, CFE_UNDERLINE);
    if (dwMask & CFM_STRIKEOUT)
        CopyEffect(cfTarget, cfSource, CFE_STRIKEOUT);
    if (dwMask & CFM_COLOR) {
        CopyEffect(cfTarget, cfSource, CFE_AUTOCOLOR);
        cfTarget.m_crTextColor = cfSource.m_crTextColor;
    }
    if (dwMask & CFM_CHARSET)
        cfTarget.m_nCharSet = cfSource.m_nCharSet;
    if (dwMask & CFM_FACE)
        cfTarget.m_strFaceName = cfSource.m_strFaceName;
    if (dwMask & CFM_SIZE)
        cfTarget.m_nHeight = cfSource.m_nHeight;
}

bool CParaFormat::AddTabStop(std::int32_t x) {
    if (x < 1 || x > kMaxParaTwips || m_nTabs >= kMaxTabStops)
        return false;
    const auto itEnd = m_rgxTabs.begin() + static_cast<std::ptrdiff_t>(m_nTabs);
    const auto it = std::lower_bound(m_rgxTabs.begin(), itEnd, x);
    if (it != itEnd && *it == x)
        return false;
    std::copy_backward(it, itEnd, itEnd + 1);
    *it = x;
    ++m_nTabs;
    return true;
}

std::int32_t ClampTwips(long long n, std::int32_t nMin) {
    return static_cast<std::int32_t>(std::clamp<long long>(n, nMin, kMaxParaTwips));
}

CCharFormat CRichTextDocument::PlainCharFormat() {
    CCharFormat cf;
    cf.m_dwMask = CFM_ALL;
    cf.m_dwEffects = CFE_AUTOCOLOR;
    cf.m_nHeight = 200;
    cf.m_nCharSet = RUSSIAN_CHARSET;
    return cf;
}

CRichTextDocument::CRichTextDocument() : m_cfEnd(PlainCharFormat()) {
    m_paragraphs.push_back(InternPara(CParaFormat{}));
}

bool CRichTextDocument::CFormatLess::operator()(const CCharFormat& a, const CCharFormat& b) const {
    return std::tie(a.m_dwMask, a.m_dwEffects, a.m_nHeight, a.m_crTextColor, a.m_nCharSet,
                    a.m_strFaceName) < std::tie(b.m_dwMask, b.m_dwEffects, b.m_nHeight,
                                                b.m_crTextColor, b.m_nCharSet, b.m_strFaceName);
}

std::uint32_t CRichTextDocument::Intern(const CCharFormat& cf) {
    CCharFormat cfStored = Normalized(cf);
    auto it = m_formatIndex.find(cfStored);
    if (it != m_formatIndex.end())
        return it->second;
    const auto nFormat = static_cast<std::uint32_t>(m_formats.size());
    m_formats.push_back(cfStored);
    m_formatIndex.emplace(std::move(cfStored), nFormat);
    return nFormat;
}

const CCharFormat& CRichTextDocument::GetCharFormat(std::size_t nPos) const {
    std::size_t nRunStart = 0;
    for (const CRun& run : m_runs) {
        if (nPos < nRunStart + run.m_nLength)
            return m_formats[run.m_nFormat];
        nRunStart += run.m_nLength;
    }
    return m_cfEnd;
}

void CRichTextDocument::SetEndFormat(const CCharFormat& cf) {
    m_cfEnd = Normalized(cf);
}

void CRichTextDocument::Append(std::string_view str, const CCharFormat& cf) {
    if (str.empty())
        return;
    ReplaceParagraphs(m_strText.size(), 0, str);
    m_strText.append(str);
    // The reader appends one character at a time: keep the common case cheap.
    if (!m_runs.empty() && m_formats[m_runs.back().m_nFormat] == cf) {
        m_runs.back().m_nLength += str.size();
        return;
    }
    const std::uint32_t nFormat = Intern(cf);
    if (!m_runs.empty() && m_runs.back().m_nFormat == nFormat)
        m_runs.back().m_nLength += str.size();
    else
        m_runs.push_back(CRun{str.size(), nFormat});
}

void CRichTextDocument::Insert(std::size_t nPos, std::string_view str, const CCharFormat& cf) {
    if (str.empty())
        return;
    nPos = std::min(nPos, m_strText.size());
    const std::uint32_t nFormat = Intern(cf);
    const std::size_t iRun = SplitAt(nPos);
    ReplaceParagraphs(nPos, 0, str);
    m_strText.insert(nPos, str);
    m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(iRun), CRun{str.size(), nFormat});
    Compact(iRun, iRun + 1);
}

void CRichTextDocument::Erase(std::size_t nPos, std::size_t nCount) {
    if (nPos >= m_strText.size())
        return;
    nCount = std::min(nCount, m_strText.size() - nPos);
    if (nCount == 0)
        return;
    const std::size_t iFirst = SplitAt(nPos);
    const std::size_t iLast = SplitAt(nPos + nCount);
    m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(iFirst),
                 m_runs.begin() + static_cast<std::ptrdiff_t>(iLast));
    ReplaceParagraphs(nPos, nCount, {});
    m_strText.erase(nPos, nCount);
    Compact(iFirst, iFirst);
}

void CRichTextDocument::ApplyCharFormat(std::size_t nStart, std::size_t nEnd,
                                        const CCharFormat& cf) {
    nEnd = std::min(nEnd, m_strText.size());
    if (nStart >= nEnd)
        return;
    const std::size_t iFirst = SplitAt(nStart);
    const std::size_t iLast = SplitAt(nEnd);
    for (std::size_t i = iFirst; i < iLast; ++i) {
        CCharFormat cfNew = m_formats[m_runs[i].m_nFormat];
        ::ApplyCharFormat(cfNew, cf);
        m_runs[i].m_nFormat = Intern(cfNew);
    }
    Compact(iFirst, iLast);
}

void CRichTextDocument::Clear() {
    m_strText.clear();
    m_runs.clear();
    m_formats.clear();
    m_formatIndex.clear();
    const CParaFormat pfLast = GetParaFormat(m_paragraphs.size());
    m_paragraphs.clear();
    m_paraFormats.clear();
    m_paraFormatIndex.clear();
    m_paragraphs.push_back(InternPara(pfLast));
}

std::size_t CRichTextDocument::GetParagraphAt(std::size_t nPos) const {
    if (nPos >= m_strText.size())
        return m_paragraphs.size() - 1;
    // The line ends before it; the "\n" of one closing its own paragraph is
    // not wholly in the text before nPos.
    return CountLineEnds(std::string_view(m_strText).substr(0, nPos));
}

const CParaFormat& CRichTextDocument::GetParaFormat(std::size_t nParagraph) const {
    return m_paraFormats[m_paragraphs[std::min(nParagraph, m_paragraphs.size() - 1)]];
}

void CRichTextDocument::SetParaFormat(std::size_t nParagraph, const CParaFormat& pf) {
    if (nParagraph < m_paragraphs.size())
        m_paragraphs[nParagraph] = InternPara(pf);
}

void CRichTextDocument::SetDefaultTab(std::int32_t nTwips) {
    m_nDefaultTab = std::clamp<std::int32_t>(nTwips, 1, kMaxParaTwips);
}

std::uint32_t CRichTextDocument::InternPara(const CParaFormat& pf) {
    CParaFormat pfStored = Normalized(pf);
    auto it = m_paraFormatIndex.find(pfStored);
    if (it != m_paraFormatIndex.end())
        return it->second;
    const auto nFormat = static_cast<std::uint32_t>(m_paraFormats.size());
    m_paraFormats.push_back(pfStored);
    m_paraFormatIndex.emplace(pfStored, nFormat);
    return nFormat;
}

void CRichTextDocument::ReplaceParagraphs(std::size_t nPos, std::size_t nCount,
                                          std::string_view str) {
    if (nCount == 0 && str.empty())
        return;
    // Only line ends touching the replaced text change: with one character on
    // either side, the old window holds those that go, the new one those
    // that come.
    const std::string_view text(m_strText);
    const std::string_view before = nPos > 0 ? text.substr(nPos - 1, 1) : std::string_view();
    const std::string_view after = text.substr(std::min(nPos + nCount, text.size()), 1);
    const std::size_t nGone =
        CountLineEnds(std::string(before).append(text.substr(nPos, nCount)).append(after));
    const std::size_t nCome = CountLineEnds(std::string(before).append(str).append(after));
    if (nGone == 0 && nCome == 0)
        return;

    // The paragraph the edit starts in: the line ends wholly before nPos
    // precede it. Counted from the nearer end of the text, so that appending
    // stays cheap.
    std::size_t iFirst = 0;
    if (nPos <= text.size() - nPos)
        iFirst = CountLineEnds(text.substr(0, nPos));
    else
        iFirst = m_paragraphs.size() - 1 - CountLineEnds(text.substr(nPos - 1));
    // Its format goes to every paragraph it is joined with or split into.
    const std::uint32_t nFormat = m_paragraphs[iFirst];
    const auto itFrom = m_paragraphs.begin() + static_cast<std::ptrdiff_t>(iFirst) + 1;
    m_paragraphs.insert(m_paragraphs.erase(itFrom, itFrom + static_cast<std::ptrdiff_t>(nGone)),
                        nCome, nFormat);
}

std::size_t CRichTextDocument::SplitAt(std::size_t nPos) {
    std::size_t nRunStart = 0;
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
        if (nPos == nRunStart)
            return i;
        const std::size_t nRunEnd = nRunStart + m_runs[i].m_nLength;
        if (nPos < nRunEnd) {
            const CRun tail{nRunEnd - nPos, m_runs[i].m_nFormat};
            m_runs[i].m_nLength = nPos - nRunStart;
            m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, tail);
            return i + 1;
        }
        nRunStart = nRunEnd;
    }
    return m_runs.size();
}

void CRichTextDocument::Compact(std::size_t iFrom, std::size_t iTo) {
    // The neighbours on either side of the changed runs may merge with them.
    iFrom = iFrom > 0 ? iFrom - 1 : 0;
    iTo = std::min(iTo + 1, m_runs.size());
    std::size_t nOut = iFrom;
    for (std::size_t i = iFrom; i < iTo; ++i) {
        if (m_runs[i].m_nLength == 0)
            continue;
        if (nOut > iFrom && m_runs[nOut - 1].m_nFormat == m_runs[i].m_nFormat) {
            m_runs[nOut - 1].m_nLength += m_runs[i].m_nLength;
            continue;
        }
        m_runs[nOut++] = m_runs[i];
    }
    m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(nOut),
                 m_runs.begin() + static_cast<std::ptrdiff_t>(iTo));
}

// The RTF reader and the pane operations on whatever a template file holds.
#include "mainwnd/itemcard.h"
#include "mainwnd/statictext.h"
#include "platform/richeditctrl.h"
#include "platform/rtfreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool bCondition) {
    if (!bCondition)
        std::abort();
}

void CheckRuns(const CRichTextDocument& doc) {
    std::size_t nTotal = 0;
    const auto& runs = doc.GetRuns();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        Check(runs[i].m_nLength > 0);
        Check(i == 0 ||
              !(doc.GetFormat(runs[i].m_nFormat) == doc.GetFormat(runs[i - 1].m_nFormat)));
        nTotal += runs[i].m_nLength;
    }
    Check(nTotal == doc.GetLength());

    // One paragraph per "\r\n" and one more, each format in range.
    std::size_t nLineEnds = 0;
    for (std::size_t i = doc.GetText().find("\r\n"); i != std::string::npos;
         i = doc.GetText().find("\r\n", i + 2))
        ++nLineEnds;
    Check(doc.GetParagraphCount() == nLineEnds + 1);
    for (std::size_t i = 0; i < doc.GetParagraphCount(); ++i) {
        const CParaFormat& pf = doc.GetParaFormat(i);
        Check(pf.m_nTabs <= kMaxTabStops);
        for (std::size_t t = 0; t < pf.m_nTabs; ++t)
            Check(pf.m_rgxTabs[t] >= 1 && pf.m_rgxTabs[t] <= kMaxParaTwips &&
                  (t == 0 || pf.m_rgxTabs[t - 1] < pf.m_rgxTabs[t]));
        Check(std::abs(pf.m_nLeftIndent) <= kMaxParaTwips && pf.m_nSpaceBefore >= 0 &&
              pf.m_nSpaceAfter <= kMaxParaTwips);
    }
    Check(doc.GetDefaultTab() >= 1 && doc.GetDefaultTab() <= kMaxParaTwips);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);
    const CRichTextDocument doc = ReadRtf(bytes);
    Check(doc.GetLength() <= 2 * nSize);
    CheckRuns(doc);

    CRichEditCtrl ctrl;
    ctrl.StreamIn(bytes);
    Check(ctrl.GetText() == doc.GetText());

    const CStaticTextSections sections = FindStaticTextSections(ctrl);
    Check(0 <= sections.nSpecs && sections.nSpecs <= sections.nSpeeds &&
          sections.nSpeeds <= ctrl.GetTextLength());
    CRichEditCtrl general, speeds;
    general.StreamIn(bytes);
    speeds.StreamIn(bytes);
    CutStaticText(general, ECardPane::general);
    CutStaticText(ctrl, ECardPane::specs);
    CutStaticText(speeds, ECardPane::speeds);
    // The three panes tile the text.
    Check(general.GetText() + ctrl.GetText() + speeds.GetText() == doc.GetText());
    CheckRuns(ctrl.GetDocument());

    // Two cards in a row, the second replacing what the first wrote.
    const std::string_view first[] = {"2 450", "", "\xD1\xD1\xD1\xD0", "a\r\nb:c"};
    const std::string_view second[] = {"1", "\r\n", "", "x"};
    long nPos = 0;
    for (std::string_view strValue : first)
        nPos = CItemCard::InsertValue(ctrl, nPos, strValue);
    Check(nPos >= 0 && nPos <= ctrl.GetTextLength());
    nPos = 0;
    for (std::size_t i = 0; i < std::size(second); ++i)
        nPos = CItemCard::InsertValue(ctrl, nPos, second[i], first[i]);
    Check(nPos >= 0 && nPos <= ctrl.GetTextLength());
    CheckRuns(ctrl.GetDocument());

    ctrl.SetSel(ctrl.GetTextLength() - 2, ctrl.GetTextLength() + 5);
    CCharFormat cf;
    cf.m_dwMask = CFM_ALL;
    cf.m_dwEffects = CFE_BOLD | CFE_UNDERLINE;
    cf.m_strFaceName = "Arial";
    ctrl.SetSelectionCharFormat(cf);
    ctrl.SetSel(-1, -1);
    ctrl.ReplaceSel("\r\n1\t2\t3");
    CheckRuns(ctrl.GetDocument());
    // Lone breaks that meet a line end's other half, and a join over it.
    ctrl.SetSel(1, 3);
    ctrl.ReplaceSel("\n\r");
    ctrl.SetSel(ctrl.GetTextLength() / 2, ctrl.GetTextLength() / 2 + 3);
    ctrl.Clear();
    CheckRuns(ctrl.GetDocument());
    return 0;
}

// A caption template as a word processor writes it: font and colour tables,
// escapes, paragraph formats, both markers and a few caption lines.
std::vector<std::uint8_t> FuzzSeed() {
    const std::string strSeed =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}"
        "{\\f1\\froman\\fcharset0 Times New Roman;}}{\\colortbl;\\red0\\green0\\blue128;}"
        "{\\*\\generator Riched20;}\\uc1\\pard\\f0\\fs20{\\b\\'d4\\'e8\\'f0\\'ec\\'e0:}\\par "
        "{\\cf1\\fs24 \\'d2\\'d2\\'d5}\\par\\pard\\deftab567\\tx1800\\tqr\\tx3800\\tb500"
        "\\li720\\fi-360\\ri100\\qc\\sb200\\sa40\\u1044?\\'eb\\'e8\\'ed\\'e0:\\tab\\line "
        "{\\i\\ul \\'d1\\'ea\\'ee\\'f0\\'ee\\'f1\\'f2\\'e8}\\par\\f1 Max\\{\\}\\\\:\\par}";
    return std::vector<std::uint8_t>(strSeed.begin(), strSeed.end());
}

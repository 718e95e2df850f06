// The RTF reader and the pane operations on whatever a template file holds.
#include "platform/richeditctrl.h"
#include "platform/rtfreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

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
}

// The card's way of writing a value behind the next colon.
long InsertValue(CRichEditCtrl& ctrl, long nStart, std::string_view strValue) {
    const long c = ctrl.FindText(nStart, -1, ":") + 1;
    long e = ctrl.FindText(c, -1, "\r\n");
    if (e < 0)
        e = ctrl.GetTextLength();
    ctrl.SetSel(c, e);
    ctrl.ReplaceSel(" " + std::string(strValue));
    ctrl.SetSel(c, c + 1 + static_cast<long>(strValue.size()));
    CCharFormat cf;
    cf.m_dwMask = CFM_COLOR | CFM_CHARSET;
    cf.m_crTextColor = RgbColor(0, 0, 255);
    cf.m_nCharSet = RUSSIAN_CHARSET;
    ctrl.SetSelectionCharFormat(cf);
    ctrl.SetSel(c, c);
    return c + 1 + static_cast<long>(strValue.size());
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

    const long a = ctrl.FindText(0, -1, "\xD2\xD2\xD5");                     // "ТТХ"
    const long b = ctrl.FindText(0, -1, "\xD1\xEA\xEE\xF0\xEE\xF1\xF2\xE8"); // "Скорости"
    Check(a < 0 || ctrl.GetText().size() >= static_cast<std::size_t>(a) + 3);
    ctrl.SetSel(0, a);
    ctrl.Clear();
    ctrl.SetSel(b - a, -1);
    ctrl.Clear();
    CheckRuns(ctrl.GetDocument());

    long nPos = 0;
    for (std::string_view strValue : {"2 450", "", "\xD1\xD1\xD1\xD0"})
        nPos = InsertValue(ctrl, nPos, strValue);
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
    return 0;
}

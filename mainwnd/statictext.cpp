#include "mainwnd/statictext.h"

#include "mainwnd/templatemarkers.h"
#include "platform/cfile.h"
#include "platform/richeditctrl.h"

CTemplateMarkers FindTemplateMarkers(const CRichEditCtrl& ctl) {
    return {ctl.FindText(0, -1, kSpecsMarker), ctl.FindText(0, -1, kSpeedsMarker)};
}

bool StreamInTemplate(CRichEditCtrl& ctl, const std::string& strFileName) {
    CFile file;
    if (!file.Open(strFileName, CFile::modeRead)) {
        ctl.StreamIn(std::string_view());
        return false;
    }
    ctl.StreamInFile(file);
    file.Close();
    return true;
}

CStaticTextSections FindStaticTextSections(const CRichEditCtrl& ctl) {
    const long nEnd = ctl.GetTextLength();
    auto [a, b] = FindTemplateMarkers(ctl);
    if (a < 0)
        a = nEnd;
    if (b < 0)
        b = nEnd;
    if (b < a)
        b = a;
    return {a, b};
}

void CutStaticText(CRichEditCtrl& ctl, ECardPane ePane) {
    const auto [a, b] = FindStaticTextSections(ctl);
    // The selections never use a negative start: the control reads that as
    // "nothing at the end" and a cut would silently keep too much.
    switch (ePane) {
    case ECardPane::general:
        ctl.SetSel(a, -1);
        ctl.Clear();
        break;
    case ECardPane::specs:
        ctl.SetSel(0, a);
        ctl.Clear();
        // The first cut moved the text forward by a characters.
        ctl.SetSel(b - a, -1);
        ctl.Clear();
        break;
    case ECardPane::speeds:
        ctl.SetSel(0, b);
        ctl.Clear();
        break;
    case ECardPane::other:
        break;
    }
}

bool LoadStaticText(CRichEditCtrl& ctl, ECardPane ePane, const std::string& strFileName) {
    const bool bOpen = StreamInTemplate(ctl, strFileName);
    if (bOpen)
        CutStaticText(ctl, ePane);
    ctl.SetReadOnly(true);
    return bOpen;
}

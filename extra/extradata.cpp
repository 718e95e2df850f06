#include "extra/extradata.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/valuerules.h"
#include "mainwnd/itemcard.h"
#include "mainwnd/statictext.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"

#include <algorithm>
#include <utility>

namespace {

void Delete(CRichEditCtrl& ctl, long nStart, long nEnd) {
    ctl.SetSel(nStart, nEnd);
    ctl.Clear();
}

std::string Cp1251(std::string_view strUtf8) {
    return cp1251::FromUtf8(strUtf8).value_or(std::string(strUtf8));
}

std::string WarningFor(ETemplateProblem problem, const std::string& strPath) {
    const std::size_t nSlash = strPath.rfind('/');
    const std::string strName = nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
    const std::string strFile = "\"" + Cp1251(strName) + "\"";
    switch (problem) {
    case ETemplateProblem::none:
        break;
    case ETemplateProblem::cannotOpen:
        return Cp1251("Не удалось открыть файл ") + strFile +
               Cp1251(": подписи дополнительных данных не показаны.");
    case ETemplateProblem::noSpeeds:
        return Cp1251("В файле ") + strFile + Cp1251(" нет раздела \"Скорости\".");
    case ETemplateProblem::noSpecs:
        return Cp1251("В файле ") + strFile + Cp1251(" нет раздела \"ТТХ\".");
    case ETemplateProblem::noMarkers:
        return Cp1251("В файле ") + strFile + Cp1251(" нет разделов \"Скорости\" и \"ТТХ\".");
    case ETemplateProblem::specsFirst:
        return Cp1251("В файле ") + strFile +
               Cp1251(" раздел \"ТТХ\" стоит раньше раздела \"Скорости\".");
    }
    return {};
}

template <std::size_t N>
void WriteValues(CRichEditCtrl& ctl, const CAircraftText& card, const std::array<int, N>& slots) {
    long nPos = 0;
    for (int nSlot : slots)
        nPos = InsertAfterColon(ctl, nPos, card.GetText(nSlot));
}

} // namespace

ETemplateProblem LoadExtraTemplate(CRichEditCtrl& ctl, EExtraPane pane,
                                   const std::string& strPath) {
    if (!StreamInTemplate(ctl, strPath))
        return ETemplateProblem::cannotOpen;

    const long nLength = ctl.GetTextLength();
    const auto [t, s] = FindTemplateMarkers(ctl);
    ETemplateProblem problem = ETemplateProblem::none;
    if (s < 0 && t < 0)
        problem = ETemplateProblem::noMarkers;
    else if (s < 0)
        problem = ETemplateProblem::noSpeeds;
    else if (t < 0)
        problem = ETemplateProblem::noSpecs;
    else if (t < s)
        problem = ETemplateProblem::specsFirst;

    // Without these rules a missing marker (-1) would make "select to the
    // end" mean the whole text, and the speeds cut would start at a
    // negative offset.
    const long nSpeeds = s < 0 ? nLength : s;
    const long nSpecs = std::max(t < 0 ? nLength : t, nSpeeds);
    switch (pane) {
    case EExtraPane::strips:
        Delete(ctl, nSpeeds, nLength);
        break;
    case EExtraPane::speeds:
        Delete(ctl, 0, nSpeeds);
        Delete(ctl, nSpecs - nSpeeds, ctl.GetTextLength());
        break;
    case EExtraPane::specs:
        Delete(ctl, 0, nSpecs);
        break;
    }
    return problem;
}

void WriteStripTable(CRichEditCtrl& ctl, const std::vector<StripRecord>& rows) {
    const std::string& strText = ctl.GetText();
    const bool bLineEnd =
        strText.size() >= 2 && strText.compare(strText.size() - 2, 2, "\r\n") == 0;
    const long nStart = ctl.GetTextLength() - (bLineEnd ? 2 : 0);

    // One insertion of all rows gives what row-by-row insertion gives: every
    // piece takes the format of the character before it, which is the
    // section's last character for the first piece and inserted text after.
    std::string strRows;
    for (const StripRecord& row : rows) {
        strRows += "\r\n" + valuerules::Count(row.values[0]);
        strRows += "\t" + valuerules::Count(row.values[1]);
        strRows += "\t" + valuerules::Count(row.values[2]);
    }
    ctl.SetSel(nStart, nStart);
    ctl.ReplaceSel(strRows);
    const long nEnd = nStart + static_cast<long>(strRows.size());
    ctl.SetSel(nStart, nEnd);
    ctl.SetSelectionCharFormat(CItemCard::ValueFormat());
    ctl.SetSel(nEnd, nEnd);
}

long InsertAfterColon(CRichEditCtrl& ctl, long nStart, std::string_view strValue) {
    const long nColon = ctl.FindText(nStart, -1, ":");
    if (nColon < 0)
        return nStart; // rather than writing at 0, before the section's heading
    return CItemCard::WriteValue(ctl, nColon + 1, nColon + 1, strValue);
}

std::string LoadExtraTemplates(CRichEditCtrl& ctlStrips, CRichEditCtrl& ctlSpeeds,
                               CRichEditCtrl& ctlSpecs, const std::string& strTemplatePath) {
    ETemplateProblem problem = ETemplateProblem::none;
    for (auto [pCtl, pane] :
         {std::pair{&ctlStrips, EExtraPane::strips}, std::pair{&ctlSpeeds, EExtraPane::speeds},
          std::pair{&ctlSpecs, EExtraPane::specs}}) {
        const ETemplateProblem found = LoadExtraTemplate(*pCtl, pane, strTemplatePath);
        if (problem == ETemplateProblem::none)
            problem = found;
    }
    return WarningFor(problem, strTemplatePath);
}

void FillExtraValues(CRichEditCtrl& ctlStrips, CRichEditCtrl& ctlSpeeds, CRichEditCtrl& ctlSpecs,
                     const CAircraftText& card, CDatabaseFiles& app) {
    std::vector<StripRecord> rows;
    try {
        rows = ReadStripRows(app.m_fileStrips, card.m_record);
    } catch (const CFileException&) {
        // A strip file that fails to read shows no table rather than none of the dialog.
    }
    WriteStripTable(ctlStrips, rows);
    ctlStrips.SetReadOnly(true);
    WriteValues(ctlSpeeds, card, kExtraSpeedsSlots);
    ctlSpeeds.SetReadOnly(true);
    WriteValues(ctlSpecs, card, kExtraSpecsSlots);
    ctlSpecs.SetReadOnly(true);
}

std::string FillExtraPanes(CRichEditCtrl& ctlStrips, CRichEditCtrl& ctlSpeeds,
                           CRichEditCtrl& ctlSpecs, const CAircraftText& card, CDatabaseFiles& app,
                           const std::string& strTemplatePath) {
    std::string strWarning = LoadExtraTemplates(ctlStrips, ctlSpeeds, ctlSpecs, strTemplatePath);
    FillExtraValues(ctlStrips, ctlSpeeds, ctlSpecs, card, app);
    return strWarning;
}

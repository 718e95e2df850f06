#include "tools/dbextra.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "extra/extradata.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

ExtraDataPanes ReadExtraDataPanes(CDatabaseFiles& files, const std::string& strDir,
                                  std::int32_t nRecord) {
    if (nRecord < 0)
        throw std::invalid_argument("a group has no additional data");
    // As the card loads it: an unreadable record leaves empty slots and no strips.
    CAircraftText card(&files);
    card.Load(nRecord);

    CRichEditCtrl ctlStrips, ctlSpeeds, ctlSpecs;
    ExtraDataPanes result;
    result.strWarning =
        FillExtraPanes(ctlStrips, ctlSpeeds, ctlSpecs, card, files,
                       CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kExtraTemplateName));
    result.panes = {{static_cast<int>(EExtraPane::strips), ctlStrips.GetText()},
                    {static_cast<int>(EExtraPane::speeds), ctlSpeeds.GetText()},
                    {static_cast<int>(EExtraPane::specs), ctlSpecs.GetText()}};
    return result;
}

std::string ExtraDataPanesJson(const ExtraDataPanes& panes) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const ExtraPaneText& pane : panes.panes)
        array.push_back({{"control", pane.nControl}, {"text", cp1251::ToUtf8(pane.strText)}});
    return nlohmann::ordered_json{{"panes", std::move(array)}}.dump();
}

#include "tools/dbcard.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "mainwnd/itemcard.h"
#include "mainwnd/statictext.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"

#include <nlohmann/json.hpp>

using json = nlohmann::ordered_json;

bool WriteCard(CDatabaseFiles& files, const std::string& strDir, std::int32_t nItem,
               std::ostream& out) {
    CRichEditCtrl ctlGeneral, ctlSpecs, ctlSpeeds;
    const std::string strTemplate =
        CDatabaseFiles::PathIn(strDir, CDatabaseFiles::kCardTemplateName);
    bool bTemplate = LoadStaticText(ctlGeneral, ECardPane::general, strTemplate);
    bTemplate = LoadStaticText(ctlSpecs, ECardPane::specs, strTemplate) && bTemplate;
    bTemplate = LoadStaticText(ctlSpeeds, ECardPane::speeds, strTemplate) && bTemplate;

    CAircraftText card(&files);
    CItemCard itemCard(card, ctlGeneral, ctlSpecs, ctlSpeeds);
    itemCard.ShowItem(nItem);

    json panes = json::array();
    for (const auto& [nControl, pCtl] :
         {std::pair{1000, &ctlGeneral}, std::pair{1003, &ctlSpecs}, std::pair{1001, &ctlSpeeds}})
        panes.push_back({{"control", nControl}, {"text", cp1251::ToUtf8(pCtl->GetText())}});
    out << json{{"panes", std::move(panes)}}.dump(2) << '\n';
    return bTemplate;
}

#include "tools/htmlexport.h"

#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "extra/extradata.h"
#include "mainwnd/itemcard.h"
#include "mainwnd/statictext.h"
#include "mainwnd/typetree.h"
#include "platform/cfile.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"
#include "platform/treectrl.h"
#include "tools/chunkseries.h"
#include "tools/progressbar.h"
#include "tools/richtexthtml.h"
#include "tools/sitepictures.h"
#include "tools/sitewriter.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

#include "tools/webassets.inc"

// A group's children come in pages of at most this many items, so a group
// of a hundred thousand types is many small files rather than one large one.
constexpr std::size_t kTreePageItems = 2000;
// Captions are pool strings of up to 64 KiB; a page also ends at this size.
constexpr std::size_t kMaxDataFileBytes = 1u << 20;
// Tree folders hold this many groups each, so no folder grows to a million.
constexpr std::int32_t kTreeShard = 1024;
// Records and parents of this many positions per file: 64 Ki positions are
// under a megabyte of JSON.
constexpr std::int32_t kOrderChunk = 65536;
// Cards of a few KiB each; a file of 200 is well under a megabyte.
constexpr std::size_t kCardsPerFile = 200;
// The five names of a type are about a hundred bytes.
constexpr std::size_t kNamesPerFile = 10000;

const char* const kDefaultTitle = "Фирма \"КОРВ\". База данных по типам воздушных судов";

std::string Json(const std::string& strUtf8) {
    return nlohmann::json(strUtf8).dump();
}

std::string HtmlEscape(std::string_view str) {
    std::string out;
    for (const char ch : str) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

std::string TreeKey(std::int32_t nGroup, std::size_t nPage) {
    return (nGroup < 0 ? std::string("root") : std::to_string(nGroup)) + "-" +
           std::to_string(nPage);
}

// The children of a group (nGroup -1, hFirst the first top-level item: the
// top level) as pages of [position, caption, record, has children].
void WriteTreeGroup(CSiteWriter& site, const CTypeTree& tree, std::int32_t nGroup,
                    HTREEITEM hFirst) {
    const CTreeCtrl& ctl = tree.m_ctlTree;
    const std::string strFolder =
        "data/tree/" + std::to_string(nGroup < 0 ? 0 : nGroup / kTreeShard) + "/";
    std::size_t nPage = 0, nItems = 0;
    std::string strItems;
    auto flush = [&](bool bMore) {
        const std::string strKey = TreeKey(nGroup, nPage);
        site.WriteData(strFolder + strKey + ".js", "tree", Json(strKey),
                       "{\"more\":" + std::string(bMore ? "true" : "false") + ",\"items\":[" +
                           strItems + "]}");
        strItems.clear();
        nItems = 0;
        ++nPage;
    };
    for (HTREEITEM h = hFirst; h; h = ctl.GetNextSiblingItem(h)) {
        if (nItems >= kTreePageItems || strItems.size() > kMaxDataFileBytes)
            flush(true);
        if (nItems)
            strItems += ",";
        strItems += "[" + std::to_string(tree.GetItemPosition(h)) + "," +
                    Json(cp1251::ToUtf8(ctl.GetItemText(h))) + "," +
                    std::to_string(ctl.GetItemData(h)) + "," +
                    (ctl.ItemHasChildren(h) ? "1" : "0") + "]";
        ++nItems;
    }
    flush(false);
}

void WriteOrder(CSiteWriter& site, const std::vector<std::int32_t>& records,
                const std::vector<std::int32_t>& parents) {
    for (std::size_t nFirst = 0, nChunk = 0; nFirst < records.size();
         nFirst += kOrderChunk, ++nChunk) {
        const std::size_t nEnd = std::min(records.size(), nFirst + kOrderChunk);
        std::string strRec, strPar;
        for (std::size_t i = nFirst; i < nEnd; ++i) {
            if (i > nFirst) {
                strRec += ',';
                strPar += ',';
            }
            strRec += std::to_string(records[i]);
            strPar += std::to_string(parents[i]);
        }
        site.WriteData("data/order/" + std::to_string(nChunk) + ".js", "order",
                       std::to_string(nChunk),
                       "{\"rec\":[" + strRec + "],\"par\":[" + strPar + "]}");
    }
}

// The code page's letters, capitals and word characters for the page's
// search, from the same functions the viewer's search uses. 0x98, which the
// code page leaves undefined, maps to nothing: no typed text holds it.
std::string SearchRules() {
    nlohmann::json chars = nlohmann::json::array(), upper = nlohmann::json::array();
    std::string strWord;
    for (int n = 0; n < 256; ++n) {
        const auto ch = static_cast<unsigned char>(n);
        const bool bDefined =
            cp1251::ToUtf8(std::string(1, static_cast<char>(ch))) != "\xEF\xBF\xBD";
        chars.push_back(bDefined ? cp1251::ToUtf8(std::string(1, static_cast<char>(ch))) : "");
        upper.push_back(cp1251::ToUtf8(std::string(1, static_cast<char>(cp1251::CharUpper(ch)))));
        strWord += ch == '_' || cp1251::IsCharAlphaNumeric(ch) ? '1' : '0';
    }
    return nlohmann::json{{"chars", chars}, {"upper", upper}, {"word", strWord}}.dump();
}

struct CardPanes {
    CRichEditCtrl ctlGeneral, ctlSpecs, ctlSpeeds;
};

struct ExtraPanes {
    CRichEditCtrl ctlStrips, ctlSpeeds, ctlSpecs;
};

std::string EncodePanes(CRichTextHtml& html, const CRichEditCtrl& a, const CRichEditCtrl& b,
                        const CRichEditCtrl& c) {
    return "[" + html.Encode(a.GetDocument()) + "," + html.Encode(b.GetDocument()) + "," +
           html.Encode(c.GetDocument()) + "]";
}

std::string CardJson(CRichTextHtml& html, CardPanes& panes, const CItemCard& card) {
    return "{\"p\":" + EncodePanes(html, panes.ctlGeneral, panes.ctlSpecs, panes.ctlSpeeds) +
           ",\"n\":" + std::to_string(card.m_nPictures) +
           ",\"img\":" + (card.m_bImagesEnabled ? "true" : "false") +
           ",\"add\":" + (card.m_bAdditionalEnabled ? "true" : "false");
}

} // namespace

HtmlExportSummary ExportHtml(const HtmlExportOptions& options, std::ostream& diag,
                             std::ostream* pProgress) {
    // A title that is not UTF-8 is refused before any work, not at the end.
    std::string strTitleJson;
    try {
        strTitleJson = Json(options.strTitle.empty() ? kDefaultTitle : options.strTitle);
    } catch (const nlohmann::json::exception&) {
        throw std::invalid_argument("the title is not valid UTF-8");
    }
    CDatabaseFiles files;
    files.Open(options.strDir);
    CTreeCtrl ctlTree;
    CTypeTree tree(ctlTree, files, nullptr);
    tree.Build();
    if (tree.m_bBoundReached)
        diag << "the tree is cut where it reaches the viewer's bounds, as the viewer cuts it\n";

    CSiteWriter site(options.strOutDir);
    HtmlExportSummary summary;

    // The tree: pre-order records and parents, and every group's children.
    std::vector<std::int32_t> records, parents;
    WriteTreeGroup(site, tree, -1, ctlTree.GetRootItem());
    for (HTREEITEM h = tree.GetNextTreeItem(0); h; h = tree.GetNextTreeItem(h)) {
        records.push_back(ctlTree.GetItemData(h));
        parents.push_back(tree.GetItemPosition(ctlTree.GetParentItem(h)));
        if (ctlTree.ItemHasChildren(h))
            WriteTreeGroup(site, tree, tree.GetItemPosition(h), ctlTree.GetChildItem(h));
    }
    WriteOrder(site, records, parents);
    summary.nTreeItems = static_cast<std::int64_t>(records.size());

    std::vector<std::int32_t> types;
    std::copy_if(records.begin(), records.end(), std::back_inserter(types),
                 [](std::int32_t n) { return n >= 0; });
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    summary.nTypes = static_cast<std::int64_t>(types.size());

    // The templates are read once; every card starts from a copy, as
    // `verlumo-db card` starts from a fresh load.
    CardPanes templates;
    const std::string strCardTemplate =
        CDatabaseFiles::PathIn(options.strDir, CDatabaseFiles::kCardTemplateName);
    bool bTemplate = LoadStaticText(templates.ctlGeneral, ECardPane::general, strCardTemplate);
    bTemplate = LoadStaticText(templates.ctlSpecs, ECardPane::specs, strCardTemplate) && bTemplate;
    bTemplate =
        LoadStaticText(templates.ctlSpeeds, ECardPane::speeds, strCardTemplate) && bTemplate;
    if (!bTemplate)
        diag << strCardTemplate << " cannot be opened; the panes are empty, as in the viewer\n";
    const std::string strExtraTemplate =
        CDatabaseFiles::PathIn(options.strDir, CDatabaseFiles::kExtraTemplateName);

    CRichTextHtml html;
    std::string strGroupCard;
    {
        CardPanes panes = templates;
        CAircraftText text(&files);
        CItemCard card(text, panes.ctlGeneral, panes.ctlSpecs, panes.ctlSpeeds);
        card.ShowItem(-1);
        // Every card holds the captions of the group's card.
        for (const CRichEditCtrl* pCtl : {&panes.ctlGeneral, &panes.ctlSpecs, &panes.ctlSpeeds})
            html.Learn(pCtl->GetDocument());
        strGroupCard = CardJson(html, panes, card) + "}";
    }

    // The additional data's template, read once like the card's.
    ExtraPanes extraTemplates;
    const std::string strExtraWarning =
        LoadExtraTemplates(extraTemplates.ctlStrips, extraTemplates.ctlSpeeds,
                           extraTemplates.ctlSpecs, strExtraTemplate);
    if (!strExtraWarning.empty() && !types.empty())
        diag << cp1251::ToUtf8(strExtraWarning) << '\n';

    CChunkSeries cards(site, "cards", kCardsPerFile, kMaxDataFileBytes);
    CChunkSeries extras(site, "extra", kCardsPerFile, kMaxDataFileBytes);
    CChunkSeries names(site, "names", kNamesPerFile, kMaxDataFileBytes);
    std::int32_t nExtraDefaultTab = kDefaultTabTwips;
    bool bExtraLearned = false;
    std::int64_t nPictureBytes = 0;
    CProgressBar progress(pProgress, "types", summary.nTypes);
    CSitePictures pictures(options.strDir, site.GetRoot(), types);
    for (std::size_t nIndex = 0; nIndex < types.size(); ++nIndex) {
        const std::int32_t nRecord = types[nIndex];
        CardPanes panes = templates;
        CAircraftText text(&files);
        CItemCard card(text, panes.ctlGeneral, panes.ctlSpecs, panes.ctlSpeeds);
        try {
            card.ShowItem(nRecord);
        } catch (const CFileException& e) {
            diag << "type " << nRecord << ": " << e.what() << "; its card shows the captions\n";
        }
        std::string strCard = CardJson(html, panes, card);

        const bool bPictures = card.m_bImagesEnabled && files.m_filePictures.IsOpen();
        SitePictures written = pictures.Take(nIndex);
        // The workers decide from the record as the card does; should they
        // differ, the card's decision holds.
        if (bPictures && !written.bWritten)
            written = CSitePictures::Write(files, site.GetRoot(), nRecord);
        else if (!bPictures && written.bWritten)
            CSitePictures::Remove(site.GetRoot(), nRecord);
        if (bPictures) {
            if (!written.strNotes.empty())
                diag << "type " << nRecord << ": " << written.strNotes;
            strCard += std::string(",\"pv\":") + (written.bPreview ? "true" : "false") +
                       ",\"pics\":" + nlohmann::json(written.series).dump();
            summary.nPictures +=
                static_cast<std::int64_t>(written.series.size()) + (written.bPreview ? 1 : 0);
            nPictureBytes += written.nBytes;
        }
        cards.Add(nRecord, strCard + "}");

        ExtraPanes extra = extraTemplates;
        FillExtraValues(extra.ctlStrips, extra.ctlSpeeds, extra.ctlSpecs, text, files);
        nExtraDefaultTab = extra.ctlStrips.GetDocument().GetDefaultTab();
        if (!bExtraLearned) {
            // The first type's additional data brings the template's captions.
            for (const CRichEditCtrl* pCtl : {&extra.ctlStrips, &extra.ctlSpeeds, &extra.ctlSpecs})
                html.Learn(pCtl->GetDocument());
            bExtraLearned = true;
        }
        extras.Add(nRecord, EncodePanes(html, extra.ctlStrips, extra.ctlSpeeds, extra.ctlSpecs));

        // The search's five names, upper-cased once here as the search does
        // with its pattern, separated by NUL, which no pool string holds.
        CAircraftText match(&files);
        bool bNames = false;
        try {
            bNames = match.LoadNames(nRecord);
        } catch (const CFileException&) {
            bNames = false; // passed over, as the search passes it over
        }
        std::string strNames;
        for (int nSlot = 1; bNames && nSlot <= 5; ++nSlot)
            strNames += (nSlot > 1 ? std::string(1, '\0') : std::string()) +
                        cp1251::ToUpper(match.GetText(nSlot));
        names.Add(nRecord, bNames ? Json(cp1251::ToUtf8(strNames)) : "null");
        progress.Step();
    }
    progress.Finish();
    cards.Finish();
    extras.Finish();
    names.Finish();

    std::ostringstream css;
    html.WriteCss(css);
    site.WriteFile("data/formats.css", css.str());
    site.WriteData("data/rules.js", "rules", "0", SearchRules());

    const std::string strTitle = options.strTitle.empty() ? kDefaultTitle : options.strTitle;
    auto starts = [](const CChunkSeries& s) { return nlohmann::json(s.GetStarts()).dump(); };
    const std::string strSite =
        "{\"title\":" + strTitleJson + ",\"items\":" + std::to_string(records.size()) +
        ",\"treeShard\":" + std::to_string(kTreeShard) +
        ",\"orderChunk\":" + std::to_string(kOrderChunk) +
        ",\"pictureShard\":" + std::to_string(CSitePictures::kShard) +
        ",\"cards\":" + starts(cards) + ",\"extra\":" + starts(extras) +
        ",\"names\":" + starts(names) + ",\"tabs\":" + nlohmann::json(html.GetTabStops()).dump() +
        ",\"defaultTab\":{\"card\":" +
        std::to_string(
            CRichTextHtml::TwipsToPixels(templates.ctlGeneral.GetDocument().GetDefaultTab())) +
        ",\"extra\":" + std::to_string(CRichTextHtml::TwipsToPixels(nExtraDefaultTab)) +
        "},\"pieces\":" + nlohmann::json(html.GetDictionary()).dump() +
        ",\"groupCard\":" + strGroupCard + "}";
    site.WriteData("data/site.js", "site", "0", strSite);

    for (const WebAsset& asset : kWebAssets) {
        std::string strContent(reinterpret_cast<const char*>(asset.pData), asset.nSize);
        const std::string_view strMark = "@TITLE@";
        const std::string strEscaped = HtmlEscape(strTitle);
        for (std::size_t n = strContent.find(strMark); n != std::string::npos;
             n = strContent.find(strMark, n + strEscaped.size()))
            strContent.replace(n, strMark.size(), strEscaped);
        site.WriteFile(asset.pszName, strContent);
    }

    summary.nFiles = site.m_nFiles + summary.nPictures;
    summary.nBytes = site.m_nBytes + nPictureBytes;
    return summary;
}

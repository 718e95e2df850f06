// The web edition: the rich-text HTML writer, the data file chunks, and an
// export whose panes must read exactly as `verlumo-db card` prints them.
#include "data/databasefiles.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/chunkseries.h"
#include "tools/dbcard.h"
#include "tools/dbextra.h"
#include "tools/htmlexport.h"
#include "tools/pictureimage.h"
#include "tools/richtexthtml.h"
#include "tools/sitewriter.h"

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

namespace {

using json = nlohmann::json;
using namespace std::string_literals;

std::string W(const std::string& strUtf8) {
    return *cp1251::FromUtf8(strUtf8);
}

// What a browser's textContent gives: the tags dropped, the entities read.
std::string TextOf(const std::string& strHtml) {
    std::string out = std::regex_replace(strHtml, std::regex("<[^>]*>"), "");
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                   {"&gt;", ">"},
                                   {"&#13;", "\r"},
                                   {"&amp;", "&"}})
        for (std::size_t n = out.find(from); n != std::string::npos; n = out.find(from, n + 1))
            out.replace(n, from.size(), to);
    return out;
}

std::string PaneText(const std::string& strCp1251) {
    return std::regex_replace(cp1251::ToUtf8(strCp1251), std::regex("\r\n"), "\n");
}

// The data a site's script hands to the page.
json ReadData(const std::string& strPath) {
    std::ifstream in(strPath);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string s = ss.str();
    const std::size_t nOpen = s.find('(');
    const std::size_t nSecond = s.find(',', s.find(',', nOpen) + 1);
    EXPECT_EQ(s.compare(s.size() - 3, 3, ");\n"), 0) << strPath;
    return json::parse(s.substr(nSecond + 1, s.size() - 3 - nSecond - 1));
}

std::string Decode(const json& pieces, const json& pane) {
    std::string out;
    for (const json& x : pane)
        out += x.is_number() ? pieces.at(x.get<std::size_t>()).get<std::string>()
                             : x.get<std::string>();
    return out;
}

TEST(RichTextHtml, TextIsThePaneTextWithLineFeeds) {
    CRichEditCtrl ctl;
    ctl.StreamIn(W("{\\rtf1\\ansi\\ansicpg1251 {\\b Фирма:} <a> & b\\tab c\\par\\par x\\par}"));
    ctl.SetSel(-1, -1);
    ctl.ReplaceSel(W("\rодин\r\n"));
    CRichTextHtml html;
    const std::string strHtml = html.ToHtml(ctl.GetDocument());
    EXPECT_EQ(TextOf(strHtml), PaneText(ctl.GetText()));
    // One inline-block span per paragraph, a literal line feed between them.
    const auto nParagraphs = ctl.GetDocument().GetParagraphCount();
    EXPECT_EQ(static_cast<std::size_t>(std::count(strHtml.begin(), strHtml.end(), '\n')),
              nParagraphs - 1);
    EXPECT_NE(strHtml.find("<span class=\"t\">\t</span>"), std::string::npos);
    EXPECT_NE(strHtml.find("&lt;a&gt; &amp; b"), std::string::npos);
    EXPECT_NE(strHtml.find("&#13;"), std::string::npos) << "a lone CR survives the HTML parser";
}

TEST(RichTextHtml, FormatsBecomeSharedClasses) {
    CRichEditCtrl ctl;
    ctl.StreamIn("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;}"
                 "\\pard\\tx1440\\f0\\fs20\\b A:\\cf1 1\\cf0\\par\\pard\\tx2880 B:\\cf1 2\\par}");
    CRichTextHtml html;
    const std::string strHtml = html.ToHtml(ctl.GetDocument());
    std::ostringstream css;
    html.WriteCss(css);
    EXPECT_NE(css.str().find("font-family:\"Arial\""), std::string::npos) << css.str();
    EXPECT_NE(css.str().find("color:#0000ff;"), std::string::npos) << css.str();
    EXPECT_NE(css.str().find("font-size:10pt;font-weight:bold;"), std::string::npos);
    // Two paragraph classes told apart only by their stops, 1440 and 2880 twips.
    ASSERT_EQ(html.GetTabStops().size(), 2u);
    EXPECT_EQ(html.GetTabStops()[0], std::vector<int>{96});
    EXPECT_EQ(html.GetTabStops()[1], std::vector<int>{192});
    // The same format in another document is the same class.
    EXPECT_EQ(html.ToHtml(ctl.GetDocument()), strHtml);
}

TEST(RichTextHtml, EncodedDocumentsDecodeToTheirHtml) {
    CRichEditCtrl base, other;
    base.StreamIn(W("{\\rtf1\\ansi\\ansicpg1251 Фирма: x\\par Страна: y\\par}"));
    other.StreamIn(W("{\\rtf1\\ansi\\ansicpg1251 Фирма: Туполев\\par Страна: y\\par}"));
    CRichTextHtml html;
    html.Learn(base.GetDocument());
    const json pieces = html.GetDictionary();
    const json encoded = json::parse(html.Encode(other.GetDocument()));
    EXPECT_EQ(Decode(pieces, encoded), html.ToHtml(other.GetDocument()));
    // Only what the base did not hold is literal.
    std::vector<std::string> literals;
    for (const json& x : encoded)
        if (x.is_string())
            literals.push_back(x.get<std::string>());
    EXPECT_EQ(literals, std::vector<std::string>{"Фирма: Туполев"});
}

TEST(ChunkSeries, FilesEndAtTheirCountOrSize) {
    CTempDir dir;
    CSiteWriter site(dir.Path());
    CChunkSeries series(site, "k", 3, 40);
    for (std::int64_t n : {1, 2, 5, 7})
        series.Add(n, "1");
    series.Add(8, "\"" + std::string(60, 'x') + "\""); // larger than a file: alone
    series.Add(9, "2");
    series.Finish();
    EXPECT_EQ(series.GetStarts(), (std::vector<std::int64_t>{1, 7, 8, 9}));
    EXPECT_EQ(ReadData(dir.File("data/k/0.js")), json::parse(R"({"1":1,"2":1,"5":1})"));
    EXPECT_EQ(ReadData(dir.File("data/k/3.js")), json::parse(R"({"9":2})"));
    EXPECT_EQ(site.m_nFiles, 4);
}

TEST(SearchRules, CapitalsAreWordCharactersExactlyWhenTheirLettersAre) {
    // The page judges whole words on the capitals the index holds; that is
    // the viewer's rule only if upper-casing keeps a byte's word class.
    for (int n = 0; n < 256; ++n) {
        const auto ch = static_cast<unsigned char>(n);
        EXPECT_EQ(cp1251::IsCharAlphaNumeric(ch), cp1251::IsCharAlphaNumeric(cp1251::CharUpper(ch)))
            << n;
    }
}

// A group with two types; the second has values the HTML must escape and a
// line end inside a value, and both show strips.
void WriteDb(const CTempDir& dir) {
    CDbWriter db;
    db.AddString("");
    db.AddTreeNamed(-1, -1, W("Самолёты <и> вертолёты"));
    db.AddTreeNamed(0, 0, W("Ан-2"));
    db.AddTreeNamed(0, 1, W("R&D"));
    db.AddTreeNamed(-1, 1, W("R&D снова"));
    AircraftRecord rec{};
    rec.firm = db.AddString(W("ОКБ Антонова"));
    rec.name = db.AddString(W("Кукурузник\r\n«Аннушка»"));
    rec.year = 1947;
    rec.firstStrip = 0;
    rec.stripCount = 2;
    db.AddAircraft(rec);
    rec.firm = db.AddString(W("A<b>&c\td"));
    rec.name = db.AddString(W("_x_"));
    rec.stripCount = 1;
    db.AddAircraft(rec);
    db.AddStrip(0, 100, 200);
    db.AddStrip(5000, 300, 400);
    db.Write(dir.Path());
    dir.WriteFile("Static texts.rtf", CardTemplateRtf());
    dir.WriteFile("Static texts add.rtf", ExtraTemplateRtf());
}

TEST(HtmlExport, PanesReadAsTheCardCommandPrintsThem) {
    CTempDir db, out;
    WriteDb(db);
    std::ostringstream diag;
    const HtmlExportSummary summary =
        ExportHtml({db.Path(), out.Path() + "/site", "A <title>"}, diag, nullptr);
    EXPECT_EQ(summary.nTreeItems, 4);
    EXPECT_EQ(summary.nTypes, 2);
    const std::string strSite = out.Path() + "/site/";
    const json site = ReadData(strSite + "data/site.js");
    const json& pieces = site["pieces"];
    EXPECT_EQ(site["items"], 4);
    EXPECT_EQ(site["title"], "A <title>");

    CDatabaseFiles files;
    files.Open(db.Path());
    const json cards = ReadData(strSite + "data/cards/0.js");
    const json extra = ReadData(strSite + "data/extra/0.js");
    for (const std::int32_t nRecord : {-1, 0, 1}) {
        std::ostringstream card;
        WriteCard(files, db.Path(), nRecord, card);
        const json want = json::parse(card.str())["panes"];
        const json& got = nRecord < 0 ? site["groupCard"] : cards[std::to_string(nRecord)];
        ASSERT_EQ(got["p"].size(), 3u);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(
                TextOf(Decode(pieces, got["p"][i])),
                std::regex_replace(want[i]["text"].get<std::string>(), std::regex("\r\n"), "\n"))
                << "record " << nRecord << " pane " << want[i]["control"];
        EXPECT_EQ(got["add"], nRecord >= 0);
        if (nRecord < 0)
            continue;
        const ExtraDataPanes panes = ReadExtraDataPanes(files, db.Path(), nRecord);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(TextOf(Decode(pieces, extra[std::to_string(nRecord)][i])),
                      PaneText(panes.panes[i].strText))
                << "record " << nRecord << " extra pane " << panes.panes[i].nControl;
    }

    // The tree: the top level, and the group's children with their records.
    EXPECT_EQ(ReadData(strSite + "data/tree/0/root-0.js"),
              json::parse(R"({"more":false,"items":[[0,"Самолёты <и> вертолёты",-1,1],)"
                          R"([3,"R&D снова",1,0]]})"));
    EXPECT_EQ(ReadData(strSite + "data/tree/0/0-0.js")["items"][1],
              json::parse(R"([2,"R&D",1,0])"));
    EXPECT_EQ(ReadData(strSite + "data/order/0.js"),
              json::parse(R"({"rec":[-1,0,1,1],"par":[-1,0,0,-1]})"));
    // The search index: the five names upper-cased, NUL between them.
    const json names = ReadData(strSite + "data/names/0.js");
    EXPECT_EQ(names["1"], "A<B>&C\tD\0-\0-\0-\0_X_"s);

    std::ifstream index(strSite + "index.html");
    std::stringstream html;
    html << index.rdbuf();
    EXPECT_NE(html.str().find("<title>A &lt;title&gt;</title>"), std::string::npos);
    EXPECT_EQ(html.str().find("@TITLE@"), std::string::npos);
    for (const char* pszFile : {"app.js", "style.css", "data/formats.css", "data/rules.js"})
        EXPECT_TRUE(std::filesystem::exists(strSite + pszFile)) << pszFile;
}

TEST(HtmlExport, RefusesATitleThatIsNotUtf8BeforeWriting) {
    CTempDir db, out;
    WriteDb(db);
    std::ostringstream diag;
    EXPECT_THROW(ExportHtml({db.Path(), out.Path() + "/site", "\xC0\xC1"}, diag, nullptr),
                 std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(out.Path() + "/site"));
}

// A type whose preview and series are small 8-bit pictures.
void WritePictureDb(const CTempDir& dir, int nPictures) {
    QImage image(4, 3, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    image.fill(1);
    CDbWriter db;
    db.AddString("");
    db.AddTreeNamed(-1, 0, "t");
    AircraftRecord rec{};
    rec.previewOffset = 0;
    for (int k = 0; k <= nPictures; ++k)
        db.AddPicture(pictureimage::EncodeRecord(image, 8));
    rec.pictureCount = nPictures;
    db.AddAircraft(rec);
    db.Write(dir.Path());
}

TEST(HtmlExport, PicturesOfAnEarlierExportAreNotListed) {
    CTempDir db, out;
    std::ostringstream diag;
    WritePictureDb(db, 3);
    ExportHtml({db.Path(), out.Path(), ""}, diag, nullptr);
    EXPECT_EQ(ReadData(out.File("data/cards/0.js"))["0"]["pics"], json::parse("[1,2,3]"));
    EXPECT_TRUE(std::filesystem::exists(out.File("pictures/0/0/3.png")));

    // The same site again from a database whose type has one picture.
    WritePictureDb(db, 1);
    const HtmlExportSummary summary = ExportHtml({db.Path(), out.Path(), ""}, diag, nullptr);
    const json card = ReadData(out.File("data/cards/0.js"))["0"];
    EXPECT_EQ(card["pics"], json::parse("[1]"));
    EXPECT_EQ(card["pv"], true);
    EXPECT_EQ(summary.nPictures, 2);
    EXPECT_FALSE(std::filesystem::exists(out.File("pictures/0/0/3.png")));
}

} // namespace

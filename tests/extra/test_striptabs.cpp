// The strip table under the shipped template's headings: its rows are
// paragraphs with the heading line's tab stops.
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "extra/extradata.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string SampleTemplate() {
    std::ifstream in(std::string(VERLUMO_SAMPLE_SOURCE_DIR) + "/" +
                         CDatabaseFiles::kExtraTemplateName,
                     std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::int32_t> Tabs(const CParaFormat& pf) {
    return {pf.m_rgxTabs.begin(), pf.m_rgxTabs.begin() + static_cast<std::ptrdiff_t>(pf.m_nTabs)};
}

TEST(StripTable, RowsTakeTheHeadingsTabStops) {
    CTempDir dir;
    CDbWriter db;
    db.AddStrip(1000, 850, 2400);
    db.AddStrip(5000, 900, 2600);
    AircraftRecord rec =
        AircraftRecord::FromBytes(std::vector<unsigned char>(AircraftRecord::kSize).data());
    rec.firm = rec.country = rec.text = rec.model = rec.name = rec.type = -1;
    rec.firstStrip = 0;
    rec.stripCount = 2;
    db.AddAircraft(rec);
    db.Write(dir.Path());
    const std::string strTemplate = SampleTemplate();
    ASSERT_FALSE(strTemplate.empty());
    dir.WriteFile(CDatabaseFiles::kExtraTemplateName, strTemplate);
    CDatabaseFiles files;
    files.Open(dir.Path());
    CAircraftText card(&files);
    card.Load(0);

    CRichEditCtrl strips, speeds, specs;
    ASSERT_EQ(FillExtraPanes(strips, speeds, specs, card, files,
                             dir.File(CDatabaseFiles::kExtraTemplateName)),
              "");
    const CRichTextDocument& doc = strips.GetDocument();
    const std::string strHeading =
        cp1251::FromUtf8("Высота, м\tСкорость, км/ч\tДальность, км").value();
    const std::size_t nHeading = doc.GetText().find(strHeading);
    ASSERT_NE(nHeading, std::string::npos) << cp1251::ToUtf8(doc.GetText());
    EXPECT_EQ(doc.GetText().substr(nHeading + strHeading.size()),
              "\r\n1000\t850\t2400\r\n5000\t900\t2600\r\n");

    // Title, heading, two rows and the empty paragraph the section ends in.
    ASSERT_EQ(doc.GetParagraphCount(), 5u);
    const std::size_t iHeading = doc.GetParagraphAt(nHeading);
    ASSERT_EQ(iHeading, 1u);
    const CParaFormat& pfHeading = doc.GetParaFormat(iHeading);
    EXPECT_EQ(Tabs(pfHeading), (std::vector<std::int32_t>{1800, 3800}));
    EXPECT_EQ(doc.GetParaFormat(2), pfHeading);
    EXPECT_EQ(doc.GetParaFormat(3), pfHeading);
    EXPECT_EQ(doc.GetParaFormat(0).m_nTabs, 0u);
}

} // namespace

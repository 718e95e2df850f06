#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/le.h"
#include "extra/extradata.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"
#include "tools/dbextra.h"

#include <climits>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string W(std::string_view strUtf8) {
    return cp1251::FromUtf8(strUtf8).value();
}

std::string U(const std::string& strCp1251) {
    return cp1251::ToUtf8(strCp1251);
}

// Cyrillic as a word processor writes it into RTF: \'xx escapes of cp1251.
std::string Esc(std::string_view strUtf8) {
    std::string strOut;
    for (char ch : W(strUtf8)) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            strOut += ch;
        } else {
            static const char kHex[] = "0123456789abcdef";
            strOut += "\\'";
            strOut += kHex[b >> 4];
            strOut += kHex[b & 15];
        }
    }
    return strOut;
}

// Section headings bold and dark red, captions bold, as the shipped file.
std::string FormattedTemplate() {
    std::string s = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}"
                    "{\\colortbl;\\red128\\green0\\blue0;}\\pard\\f0\\fs20 ";
    auto heading = [&](const char* psz) { s += "\\cf1\\b " + Esc(psz) + "\\cf0\\b0\\par\n"; };
    auto caption = [&](const char* psz) { s += "\\b " + Esc(psz) + "\\b0\\par\n"; };
    heading("Лётные данные по высотам");
    s += Esc("Высота\\tab Скорость\\tab Дальность") + "\\par\n";
    heading("Скорости");
    for (const char* psz :
         {"Крейсерская:", "Отрыва:", "Минимальная:", "Потолок:", "Разбег:", "Пробег:"})
        caption(psz);
    heading("ТТХ");
    for (const char* psz : {"Площадь:", "Удлинение:", "Нагрузка:", "Двигателей:", "Стреловидность:",
                            "Тяга:", "Топливо:", "Посадочная масса:", "Построено:"})
        caption(psz);
    return s + "}";
}

const char* const kHeading = "Лётные данные по высотам\r\nВысота\tСкорость\tДальность\r\n";

// Every int32 field holds 1000 + its offset and every real its offset + 0.5,
// so a shown value tells which field it came from.
AircraftRecord TaggedRecord(std::int32_t nFirstStrip, std::int32_t nStripCount) {
    unsigned char bytes[AircraftRecord::kSize];
    for (int nOffset = 0; nOffset < AircraftRecord::kSize; nOffset += 4)
        le::PutInt32(bytes + nOffset, 1000 + nOffset);
    for (int nOffset : {128, 132, 136, 140, 144, 148, 152})
        le::PutFloat32(bytes + nOffset, static_cast<float>(nOffset) + 0.5f);
    AircraftRecord rec = AircraftRecord::FromBytes(bytes);
    rec.firm = rec.country = rec.text = rec.model = rec.name = rec.type = -1;
    rec.firstStrip = nFirstStrip;
    rec.stripCount = nStripCount;
    return rec;
}

const char* const kSpeedsPane = "Скорости\r\nКрейсерская: 1028\r\nОтрыва: 1084\r\n"
                                "Минимальная: 1088\r\nПотолок: 1040\r\nРазбег: 1096\r\n"
                                "Пробег: 1092\r\n";
const char* const kSpecsPane = "ТТХ\r\nПлощадь: 140.50\r\nУдлинение: 144.5\r\nНагрузка: 148.5\r\n"
                               "Двигателей: 1064\r\nСтреловидность: 152.5\r\nТяга: 1100\r\n"
                               "Топливо: 1104\r\nПосадочная масса: 1108\r\nПостроено: 1112";

class ExtraDataTest : public testing::Test {
protected:
    // Strip rows 0 to 2 in FlightStrips.dat; records are added by the test.
    ExtraDataTest() {
        m_db.AddStrip(1, 2, 3);
        m_db.AddStrip(1000, 0, 250);
        m_db.AddStrip(2000, 500, -5);
    }

    void Open(const std::string& strTemplate) {
        m_db.Write(m_dir.Path());
        if (!strTemplate.empty())
            m_dir.WriteFile(CDatabaseFiles::kExtraTemplateName, strTemplate);
        m_files.Open(m_dir.Path());
    }

    std::string TemplatePath() const { return m_dir.File(CDatabaseFiles::kExtraTemplateName); }

    // The dialog as it opens for record nRecord.
    std::string Fill(std::int32_t nRecord) {
        CAircraftText card(&m_files);
        card.Load(nRecord);
        return FillExtraPanes(m_strips, m_speeds, m_specs, card, m_files, TemplatePath());
    }

    CTempDir m_dir;
    CDbWriter m_db;
    CDatabaseFiles m_files;
    CRichEditCtrl m_strips, m_speeds, m_specs;
};

// ---------------------------------------------------------------------------
// The strip table

struct StripRow {
    const char* pszName;
    std::int32_t nFirst;
    std::int32_t nCount;
    const char* pszRows; // what stands between the heading and its line end
};

void PrintTo(const StripRow& row, std::ostream* os) {
    *os << row.pszName;
}

class StripTableTest : public ExtraDataTest, public testing::WithParamInterface<StripRow> {};

TEST_P(StripTableTest, Rows) {
    const StripRow& row = GetParam();
    m_db.AddAircraft(TaggedRecord(row.nFirst, row.nCount));
    Open(FormattedTemplate());
    EXPECT_EQ(Fill(0), "");
    std::string strWant = kHeading;
    strWant.insert(strWant.size() - 2, row.pszRows);
    EXPECT_EQ(U(m_strips.GetText()), strWant);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StripTableTest,
    testing::Values(StripRow{"TwoRowsZeroShowsDash", 1, 2, "\r\n1000\t-\t250\r\n2000\t500\t-5"},
                    StripRow{"CountZeroShowsOnlyTheHeading", 1, 0, ""},
                    StripRow{"NegativeCount", 1, -3, ""}, StripRow{"NegativeFirstRow", -1, 2, ""},
                    StripRow{"RowPastTheEndEndsTheTable", 2, 5, "\r\n2000\t500\t-5"},
                    StripRow{"FirstRowPastTheEnd", 3, 1, ""},
                    StripRow{"HugeCountStopsAtTheEnd", 0, INT_MAX,
                             "\r\n1\t2\t3\r\n1000\t-\t250\r\n2000\t500\t-5"},
                    StripRow{"FirstRowAtTheLimit", INT_MAX, 2, ""}),
    [](const testing::TestParamInfo<StripRow>& info) { return std::string(info.param.pszName); });

TEST_F(ExtraDataTest, RowsAreBlueAndTheHeadingKeepsItsFormat) {
    m_db.AddAircraft(TaggedRecord(1, 2));
    m_db.AddAircraft(TaggedRecord(1, 0));
    Open(FormattedTemplate());
    Fill(1);
    const CRichTextDocument plain = m_strips.GetDocument();
    Fill(0);
    const CRichTextDocument& doc = m_strips.GetDocument();
    const std::size_t nHeading = plain.GetLength() - 2;
    const std::size_t nRows = doc.GetLength() - plain.GetLength();
    ASSERT_EQ(doc.GetText().substr(0, nHeading), plain.GetText().substr(0, nHeading));
    for (std::size_t i = 0; i < nHeading; ++i)
        ASSERT_EQ(doc.GetCharFormat(i), plain.GetCharFormat(i)) << i;
    for (std::size_t i = nHeading; i < nHeading + nRows; ++i) {
        const CCharFormat& cf = doc.GetCharFormat(i);
        ASSERT_FALSE(cf.IsAutoColor()) << i;
        ASSERT_EQ(cf.m_crTextColor, RgbColor(0, 0, 255)) << i;
        ASSERT_EQ(cf.m_nCharSet, RUSSIAN_CHARSET) << i;
        // Font and size are those of the text before the rows.
        ASSERT_EQ(cf.m_strFaceName, plain.GetCharFormat(nHeading - 1).m_strFaceName);
        ASSERT_EQ(cf.m_nHeight, plain.GetCharFormat(nHeading - 1).m_nHeight);
    }
    // The section's closing line end keeps the template's format.
    EXPECT_EQ(doc.GetCharFormat(doc.GetLength() - 1), plain.GetCharFormat(nHeading + 1));
    EXPECT_TRUE(plain.GetCharFormat(0).IsBold());
}

// ---------------------------------------------------------------------------
// Values behind the captions

TEST_F(ExtraDataTest, SlotsInTheirOrder) {
    m_db.AddAircraft(TaggedRecord(1, 0));
    Open(FormattedTemplate());
    EXPECT_EQ(Fill(0), "");
    EXPECT_EQ(U(m_speeds.GetText()), kSpeedsPane);
    EXPECT_EQ(U(m_specs.GetText()), kSpecsPane);
}

TEST_F(ExtraDataTest, ValuesAreBlueAndCaptionsKeepTheirFormat) {
    m_db.AddAircraft(TaggedRecord(1, 0));
    Open(FormattedTemplate());
    CRichEditCtrl fresh;
    LoadExtraTemplate(fresh, EExtraPane::speeds, TemplatePath());
    Fill(0);
    const CRichTextDocument& doc = m_speeds.GetDocument();
    const std::size_t nColon = doc.GetText().find(':');
    ASSERT_EQ(doc.GetText().substr(nColon, 6), ": 1028");
    for (std::size_t i = 0; i <= nColon; ++i)
        ASSERT_EQ(doc.GetCharFormat(i), fresh.GetDocument().GetCharFormat(i)) << i;
    for (std::size_t i = nColon + 1; i < nColon + 6; ++i) {
        const CCharFormat& cf = doc.GetCharFormat(i);
        EXPECT_EQ(cf.m_crTextColor, RgbColor(0, 0, 255));
        EXPECT_FALSE(cf.IsAutoColor());
        EXPECT_EQ(cf.m_nCharSet, RUSSIAN_CHARSET);
        EXPECT_TRUE(cf.IsBold()); // the colon's own attributes carry over
    }
    EXPECT_TRUE(doc.GetCharFormat(nColon + 6).IsAutoColor()); // the line end behind it
}

TEST_F(ExtraDataTest, OpeningTwiceShowsTheSameContent) {
    m_db.AddAircraft(TaggedRecord(1, 2));
    Open(FormattedTemplate());
    Fill(0);
    const CRichTextDocument strips = m_strips.GetDocument();
    const CRichTextDocument speeds = m_speeds.GetDocument();
    const CRichTextDocument specs = m_specs.GetDocument();
    // Into the panes that already hold the values: the template comes anew.
    Fill(0);
    for (const auto& [pBefore, pCtl] :
         {std::pair{&strips, &m_strips}, std::pair{&speeds, &m_speeds},
          std::pair{&specs, &m_specs}}) {
        const CRichTextDocument& after = pCtl->GetDocument();
        ASSERT_EQ(after.GetText(), pBefore->GetText());
        for (std::size_t i = 0; i < after.GetLength(); ++i)
            ASSERT_EQ(after.GetCharFormat(i), pBefore->GetCharFormat(i)) << i;
    }
}

// ---------------------------------------------------------------------------
// Templates that are missing or broken

struct TemplateRow {
    const char* pszName;
    const char* pszTemplate; // plain text made RTF; nullptr for no file
    const char* pszStrips;
    const char* pszSpeeds;
    const char* pszSpecs;
    bool bWarning;
};

void PrintTo(const TemplateRow& row, std::ostream* os) {
    *os << row.pszName;
}

class TemplateTest : public ExtraDataTest, public testing::WithParamInterface<TemplateRow> {};

TEST_P(TemplateTest, Panes) {
    const TemplateRow& row = GetParam();
    m_db.AddAircraft(TaggedRecord(1, 1));
    Open(row.pszTemplate ? PlainRtf(W(row.pszTemplate)) : "");
    const std::string strWarning = Fill(0);
    EXPECT_EQ(U(m_strips.GetText()), row.pszStrips);
    EXPECT_EQ(U(m_speeds.GetText()), row.pszSpeeds);
    EXPECT_EQ(U(m_specs.GetText()), row.pszSpecs);
    if (row.bWarning)
        EXPECT_NE(strWarning.find("\"Static texts add.rtf\""), std::string::npos) << strWarning;
    else
        EXPECT_EQ(strWarning, "");
    for (CRichEditCtrl* pCtl : {&m_strips, &m_speeds, &m_specs})
        EXPECT_TRUE(pCtl->IsReadOnly());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TemplateTest,
    testing::Values(
        TemplateRow{"Whole", "Шапка\r\nСкорости\r\nА:\r\nТТХ\r\nБ:", "Шапка\r\n1000\t-\t250\r\n",
                    "Скорости\r\nА: 1028\r\n", "ТТХ\r\nБ: 140.50", false},
        TemplateRow{"MarkersInAnyCaseInsideWords",
                    "Наши скорости\r\nА:\r\nттхарактер\r\nБ:", "Наши \r\n1000\t-\t250",
                    "скорости\r\nА: 1028\r\n", "ттхарактер\r\nБ: 140.50", false},
        TemplateRow{"NoFile", nullptr, "\r\n1000\t-\t250", "", "", true},
        TemplateRow{"NoSpeeds", "Шапка\r\nТТХ\r\nА:\r\nБ:",
                    "Шапка\r\nТТХ\r\nА:\r\nБ:\r\n1000\t-\t250", "", "", true},
        TemplateRow{"NoSpecs", "Шапка\r\nСкорости\r\nА:\r\nБ:", "Шапка\r\n1000\t-\t250\r\n",
                    "Скорости\r\nА: 1028\r\nБ: 1084", "", true},
        TemplateRow{"NoMarkers", "Шапка\r\nА:", "Шапка\r\nА:\r\n1000\t-\t250", "", "", true},
        TemplateRow{"SpecsBeforeSpeeds", "Шапка\r\nТТХ\r\nА:\r\nСкорости\r\nБ:",
                    "Шапка\r\nТТХ\r\nА:\r\n1000\t-\t250\r\n", "", "Скорости\r\nБ: 140.50", true},
        TemplateRow{"FewerColonsThanValues", "Шапка\r\nСкорости\r\nА:\r\nТТХ\r\nБ",
                    "Шапка\r\n1000\t-\t250\r\n", "Скорости\r\nА: 1028\r\n", "ТТХ\r\nБ", false}),
    [](const testing::TestParamInfo<TemplateRow>& info) {
        return std::string(info.param.pszName);
    });

// ---------------------------------------------------------------------------
// InsertAfterColon

struct ColonRow {
    const char* pszName;
    const char* pszText;
    long nStart;
    const char* pszValue;
    const char* pszResult;
    long nReturned;
};

void PrintTo(const ColonRow& row, std::ostream* os) {
    *os << row.pszName;
}

class InsertAfterColonTest : public testing::TestWithParam<ColonRow> {};

TEST_P(InsertAfterColonTest, Text) {
    const ColonRow& row = GetParam();
    CRichEditCtrl ctl;
    ctl.StreamIn(PlainRtf(W(row.pszText)));
    EXPECT_EQ(InsertAfterColon(ctl, row.nStart, W(row.pszValue)), row.nReturned);
    EXPECT_EQ(U(ctl.GetText()), row.pszResult);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InsertAfterColonTest,
    testing::Values(ColonRow{"KeepsWhatFollows", "А: старое\r\nБ:", 0, "1", "А: 1 старое\r\nБ:", 4},
                    ColonRow{"FromTheStartPosition", "А:\r\nБ:", 2, "1", "А:\r\nБ: 1", 8},
                    ColonRow{"ColonAtTheStart", "А:", 1, "12", "А: 12", 5},
                    ColonRow{"EmptyValue", "А:", 0, "", "А: ", 3},
                    ColonRow{"NoColonWritesNothing", "Шапка", 0, "1", "Шапка", 0},
                    ColonRow{"StartPastTheEnd", "А:", 10, "1", "А:", 10},
                    ColonRow{"NegativeStart", "А:", -5, "1", "А: 1", 4}),
    [](const testing::TestParamInfo<ColonRow>& info) { return std::string(info.param.pszName); });

// ---------------------------------------------------------------------------
// verlumo-db card DIR POSITION --extra

TEST_F(ExtraDataTest, ToolGivesThePanesInDialogOrder) {
    m_db.AddAircraft(TaggedRecord(1, 1));
    Open(FormattedTemplate());
    const ExtraDataPanes panes = ReadExtraDataPanes(m_files, m_dir.Path(), 0);
    EXPECT_EQ(panes.strWarning, "");
    ASSERT_EQ(panes.panes.size(), 3u);
    std::string strStrips = kHeading;
    strStrips.insert(strStrips.size() - 2, "\r\n1000\t-\t250");
    EXPECT_EQ(U(panes.panes[0].strText), strStrips);
    EXPECT_EQ(U(panes.panes[1].strText), kSpeedsPane);
    EXPECT_EQ(U(panes.panes[2].strText), kSpecsPane);
}

TEST_F(ExtraDataTest, ToolOnAnUnreadableRecordShowsEmptyValues) {
    m_db.AddAircraft(TaggedRecord(1, 1));
    Open(FormattedTemplate());
    const ExtraDataPanes panes = ReadExtraDataPanes(m_files, m_dir.Path(), 5);
    EXPECT_EQ(U(panes.panes[0].strText), kHeading);
    EXPECT_EQ(U(panes.panes[1].strText).rfind("Скорости\r\nКрейсерская: \r\n", 0), 0u);
    EXPECT_THROW(ReadExtraDataPanes(m_files, m_dir.Path(), -1), std::invalid_argument);
}

} // namespace

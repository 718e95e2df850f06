// Cutting the caption template into the three card panes.
#include "mainwnd/statictext.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"
#include "support/tempdir.h"
#include "support/templates.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string W(const std::string& strUtf8) {
    return *cp1251::FromUtf8(strUtf8);
}

std::string U(const std::string& strCp1251) {
    return cp1251::ToUtf8(strCp1251);
}

CRichEditCtrl Cut(const std::string& strTextUtf8, ECardPane ePane) {
    CRichEditCtrl ctl;
    ctl.StreamIn(PlainRtf(W(strTextUtf8)));
    CutStaticText(ctl, ePane);
    return ctl;
}

struct CCutRow {
    const char* pszName;
    std::string strText; // the template's plain text, UTF-8
    std::string strGeneral, strSpecs, strSpeeds;
};

void PrintTo(const CCutRow& row, std::ostream* pOut) {
    *pOut << row.pszName;
}

class StaticTextCuts : public testing::TestWithParam<CCutRow> {};

TEST_P(StaticTextCuts, TileTheText) {
    const CCutRow& row = GetParam();
    EXPECT_EQ(U(Cut(row.strText, ECardPane::general).GetText()), row.strGeneral);
    EXPECT_EQ(U(Cut(row.strText, ECardPane::specs).GetText()), row.strSpecs);
    EXPECT_EQ(U(Cut(row.strText, ECardPane::speeds).GetText()), row.strSpeeds);
    EXPECT_EQ(U(Cut(row.strText, ECardPane::other).GetText()), row.strText);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, StaticTextCuts,
    testing::Values(
        CCutRow{"InOrder", "Фирма:\r\nТТХ\r\nДлина:\r\nСкорости\r\nМакс.:", "Фирма:\r\n",
                "ТТХ\r\nДлина:\r\n", "Скорости\r\nМакс.:"},
        // The second cut of the specifications pane starts at b - a, not at b.
        CCutRow{"LongGeneralSection", "Очень длинный раздел:\r\nещё:\r\nТТХ:\r\nСкорости:",
                "Очень длинный раздел:\r\nещё:\r\n", "ТТХ:\r\n", "Скорости:"},
        CCutRow{"InsideLongerWordsAndOtherCase", "Сеттхол:\r\nТТХ\r\nПерескоростит:\r\nСКОРОСТИ:",
                "Се", "ттхол:\r\nТТХ\r\nПере", "скоростит:\r\nСКОРОСТИ:"},
        CCutRow{"MarkersAtTheStart", "ТТХСкорости:", "", "ТТХ", "Скорости:"},
        CCutRow{"NoSpeeds", "Фирма:\r\nТТХ\r\nДлина:", "Фирма:\r\n", "ТТХ\r\nДлина:", ""},
        CCutRow{"NoSpecs", "Фирма:\r\nСкорости\r\nМакс.:", "Фирма:\r\nСкорости\r\nМакс.:", "", ""},
        CCutRow{"NoMarkers", "Фирма:\r\nСтрана:", "Фирма:\r\nСтрана:", "", ""},
        // "Скорости" before "ТТХ" counts at the place of "ТТХ".
        CCutRow{"SpeedsBeforeSpecs", "Фирма:\r\nСкорости:\r\nТТХ:\r\nДлина:",
                "Фирма:\r\nСкорости:\r\n", "", "ТТХ:\r\nДлина:"},
        CCutRow{"Empty", "", "", "", ""}),
    [](const testing::TestParamInfo<CCutRow>& info) { return std::string(info.param.pszName); });

TEST(StaticTextSections, KeepTheTemplatesFormats) {
    // Heading in dark red and bold, captions bold.
    const std::string strRtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}"
                               "{\\colortbl;\\red128\\green0\\blue0;}\\f0\\fs20 " +
                               W("Фирма:") + "\\par{\\cf1\\b " + W("ТТХ") + "}\\par{\\b " +
                               W("Длина:") + "}\\par{\\cf1\\fs28 " + W("Скорости") + "}\\par " +
                               W("Макс.:") + "}";
    CRichEditCtrl specs;
    specs.StreamIn(strRtf);
    CutStaticText(specs, ECardPane::specs);
    ASSERT_EQ(U(specs.GetText()), "ТТХ\r\nДлина:\r\n");
    const CRichTextDocument& doc = specs.GetDocument();
    EXPECT_EQ(doc.GetCharFormat(0).m_crTextColor, RgbColor(128, 0, 0));
    EXPECT_TRUE(doc.GetCharFormat(0).IsBold());
    EXPECT_TRUE(doc.GetCharFormat(5).IsBold());
    EXPECT_TRUE(doc.GetCharFormat(5).IsAutoColor());

    CRichEditCtrl speeds;
    speeds.StreamIn(strRtf);
    CutStaticText(speeds, ECardPane::speeds);
    EXPECT_EQ(speeds.GetDocument().GetCharFormat(0).m_nHeight, 280);
    EXPECT_EQ(speeds.GetDocument().GetCharFormat(0).m_crTextColor, RgbColor(128, 0, 0));
}

class LoadStaticTextTest : public testing::Test {
protected:
    std::string Template() const { return m_dir.File("Static texts.rtf"); }
    CTempDir m_dir;
};

TEST_F(LoadStaticTextTest, LoadsTheSectionAndEndsReadOnly) {
    m_dir.WriteFile("Static texts.rtf", CardTemplateRtf());
    CRichEditCtrl ctl;
    EXPECT_TRUE(LoadStaticText(ctl, ECardPane::speeds, Template()));
    EXPECT_TRUE(ctl.IsReadOnly());
    EXPECT_EQ(U(ctl.GetText()).rfind("Скорости\r\nМаксимальная, км/ч:", 0), 0u);
    // A second load replaces everything and gives the same pane.
    const std::string strFirst = ctl.GetText();
    EXPECT_TRUE(LoadStaticText(ctl, ECardPane::speeds, Template()));
    EXPECT_EQ(ctl.GetText(), strFirst);
}

TEST_F(LoadStaticTextTest, FileThatCannotBeOpenedLeavesThePaneEmpty) {
    CRichEditCtrl ctl;
    ctl.StreamIn(PlainRtf("old:"));
    EXPECT_FALSE(LoadStaticText(ctl, ECardPane::general, Template()));
    EXPECT_EQ(ctl.GetText(), "");
    EXPECT_TRUE(ctl.IsReadOnly());
    // A directory by the template's name cannot be read either.
    CTempDir dir;
    EXPECT_FALSE(LoadStaticText(ctl, ECardPane::general, dir.Path()));
}

TEST_F(LoadStaticTextTest, BytesThatAreNotRtfAreReadAsText) {
    m_dir.WriteFile("Static texts.rtf", W("Фирма:\r\nТТХ\r\nДлина:\r\nСкорости\r\nМакс.:"));
    CRichEditCtrl ctl;
    EXPECT_TRUE(LoadStaticText(ctl, ECardPane::specs, Template()));
    EXPECT_EQ(U(ctl.GetText()), "ТТХ\r\nДлина:\r\n");
}

} // namespace

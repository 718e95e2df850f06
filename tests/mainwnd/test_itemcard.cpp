// Writing the card behind the captions: InsertValue chains and ShowItem.
#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "mainwnd/itemcard.h"
#include "mainwnd/statictext.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"
#include "support/templates.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string W(const std::string& strUtf8) {
    return *cp1251::FromUtf8(strUtf8);
}

std::string U(const std::string& strCp1251) {
    return cp1251::ToUtf8(strCp1251);
}

// Writes the values in a chain from position 0, as one pane of a card.
std::string Chain(CRichEditCtrl& ctl, const std::vector<std::string>& values) {
    long nPos = 0;
    for (const std::string& strValue : values)
        nPos = CItemCard::InsertValue(ctl, nPos, W(strValue));
    return U(ctl.GetText());
}

struct CChainRow {
    const char* pszName;
    std::string strText;
    std::vector<std::string> values;
    std::string strWant;
};

void PrintTo(const CChainRow& row, std::ostream* pOut) {
    *pOut << row.pszName;
}

class InsertValueChains : public testing::TestWithParam<CChainRow> {};

TEST_P(InsertValueChains, Write) {
    CRichEditCtrl ctl;
    ctl.StreamIn(PlainRtf(W(GetParam().strText)));
    EXPECT_EQ(Chain(ctl, GetParam().values), GetParam().strWant);
}

INSTANTIATE_TEST_SUITE_P(
    Panes, InsertValueChains,
    testing::Values(CChainRow{"LastLineWithoutLineEnd",
                              "Фирма:\r\nСтрана:",
                              {"Ту", "СССР"},
                              "Фирма: Ту\r\nСтрана: СССР"},
                    CChainRow{"ReplacesTheRestOfTheLine",
                              "Фирма: (нет)\r\nСтрана:\tx\r\n",
                              {"Ту", "СССР"},
                              "Фирма: Ту\r\nСтрана: СССР\r\n"},
                    CChainRow{"HeadingWithoutColonIsSkipped",
                              "ТТХ\r\nДлина:\r\nВысота:",
                              {"1", "2"},
                              "ТТХ\r\nДлина: 1\r\nВысота: 2"},
                    CChainRow{"EmptyValueLeavesOneSpace", "А:\r\nБ:", {"", ""}, "А: \r\nБ: "},
                    // The values without a colon are not written anywhere.
                    CChainRow{"FewerColonsThanValues", "А:\r\nБ", {"1", "2", "3"}, "А: 1\r\nБ"},
                    CChainRow{"NoColonAtAll", "Заголовок", {"1"}, "Заголовок"},
                    // A second colon on a caption line is lost to the first value.
                    CChainRow{"TwoColonsOnALine", "А: Б:\r\nВ:", {"1", "2"}, "А: 1\r\nВ: 2"},
                    CChainRow{"ValueWithAColon", "А:\r\nБ:", {"10:30", "x"}, "А: 10:30\r\nБ: x"},
                    CChainRow{"EmptyPane", "", {"1"}, ""}),
    [](const testing::TestParamInfo<CChainRow>& info) { return std::string(info.param.pszName); });

TEST(InsertValue, ReturnsThePositionBehindTheValue) {
    CRichEditCtrl ctl;
    ctl.StreamIn(PlainRtf(W("А:\r\nБ:")));
    EXPECT_EQ(CItemCard::InsertValue(ctl, 0, "12345"), 2 + 1 + 5);
    EXPECT_EQ(CItemCard::InsertValue(ctl, 8, "x"), 8 + 4 + 2);
    // Past the last colon: nothing written, the start comes back.
    EXPECT_EQ(CItemCard::InsertValue(ctl, 14, "y"), 14);
    EXPECT_EQ(CItemCard::InsertValue(ctl, 1000, "y"), 1000);
    EXPECT_EQ(U(ctl.GetText()), "А: 12345\r\nБ: x");
    long nStart = -1, nEnd = -1;
    ctl.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 12); // the caret stays at the last value's colon
    EXPECT_EQ(nEnd, 12);
}

TEST(InsertValue, ValueIsBlueInTheRussianCharsetAndCaptionsKeepTheirFormat) {
    const std::string strRtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}"
                               "{\\f1\\fcharset204 Times New Roman;}}"
                               "{\\colortbl;\\red0\\green128\\blue0;}"
                               "{\\f0\\fs20\\b\\cf1 " +
                               W("Фирма:") + "\\par}{\\f1\\fs24\\i " + W("Страна:") + "}}";
    CRichEditCtrl ctl;
    ctl.StreamIn(strRtf);
    long nPos = CItemCard::InsertValue(ctl, 0, W("ОКБ"));
    CItemCard::InsertValue(ctl, nPos, W("СССР"));
    ASSERT_EQ(U(ctl.GetText()), "Фирма: ОКБ\r\nСтрана: СССР");
    const CRichTextDocument& doc = ctl.GetDocument();

    const CCharFormat& cfColon = doc.GetCharFormat(5);
    EXPECT_EQ(cfColon.m_crTextColor, RgbColor(0, 128, 0));
    EXPECT_TRUE(cfColon.IsBold());
    for (std::size_t nPosValue : {6u, 7u, 9u}) { // the leading space and the value
        const CCharFormat& cf = doc.GetCharFormat(nPosValue);
        EXPECT_EQ(cf.m_crTextColor, RgbColor(0, 0, 255)) << nPosValue;
        EXPECT_FALSE(cf.IsAutoColor());
        EXPECT_EQ(cf.m_nCharSet, RUSSIAN_CHARSET);
        // Face, size and effects are the caption's.
        EXPECT_TRUE(cf.IsBold());
        EXPECT_EQ(cf.m_strFaceName, "Arial");
        EXPECT_EQ(cf.m_nHeight, 200);
    }
    EXPECT_EQ(doc.GetCharFormat(10).m_crTextColor, RgbColor(0, 128, 0)); // the line end
    const CCharFormat& cfSecond = doc.GetCharFormat(12);
    EXPECT_TRUE(cfSecond.IsItalic());
    EXPECT_TRUE(cfSecond.IsAutoColor());
    const CCharFormat& cfSecondValue = doc.GetCharFormat(doc.GetLength() - 1);
    EXPECT_EQ(cfSecondValue.m_crTextColor, RgbColor(0, 0, 255));
    EXPECT_TRUE(cfSecondValue.IsItalic());
    EXPECT_EQ(cfSecondValue.m_strFaceName, "Times New Roman");
}

// ---------------------------------------------------------------------------
// The whole card on a database.

class ItemCardTest : public testing::Test {
protected:
    // Record 0: every slot shows its own number; record 1: other values and
    // no pictures; record 2: a negative picture count.
    void SetUp() override {
        m_db.AddString(""); // offset 0, where every unset string field points
        AircraftRecord a{};
        a.firm = m_db.AddString(W("ОКБ Туполева"));
        a.country = m_db.AddString(W("СССР"));
        a.model = m_db.AddString(W("Ту-154"));
        a.type = m_db.AddString(W("Пассажирский"));
        a.name = m_db.AddString("Careless");
        a.text = m_db.AddString(W("Три двигателя"));
        a.value7 = 37.55f;
        a.value8 = 47.9f;
        a.value9 = 11.4f;
        a.value11 = 11;
        a.value12 = 12;
        a.value13 = 13;
        a.value14 = 14;
        a.value15 = 15;
        a.value16 = 16;
        a.value17 = 17;
        a.value18 = 18;
        a.value19 = 19;
        a.value20 = 20;
        a.value21 = 21;
        a.value22 = 22;
        a.value10 = 999; // slot 10 is not on the card
        a.year = 1968;
        a.pictureCount = 4;
        m_db.AddAircraft(a);
        AircraftRecord b{};
        b.firm = m_db.AddString(W("ОКБ Ильюшина"));
        b.year = 1963;
        b.value16 = 900;
        m_db.AddAircraft(b);
        AircraftRecord c{};
        c.pictureCount = -3;
        m_db.AddAircraft(c);
    }

    void Open(bool bWithStrings = true) {
        m_db.Write(m_dir.Path());
        m_dir.WriteFile("Static texts.rtf", CardTemplateRtf());
        if (!bWithStrings)
            std::remove(m_dir.File("Strings.dat").c_str());
        m_files.Open(m_dir.Path());
        for (auto [pCtl, ePane] :
             {std::pair{&m_ctlGeneral, ECardPane::general},
              std::pair{&m_ctlSpecs, ECardPane::specs}, std::pair{&m_ctlSpeeds, ECardPane::speeds}})
            ASSERT_TRUE(LoadStaticText(*pCtl, ePane, m_dir.File("Static texts.rtf")));
    }

    std::string Panes() const {
        return U(m_ctlGeneral.GetText()) + "|" + U(m_ctlSpecs.GetText()) + "|" +
               U(m_ctlSpeeds.GetText());
    }

    CTempDir m_dir;
    CDbWriter m_db;
    CDatabaseFiles m_files;
    CRichEditCtrl m_ctlGeneral, m_ctlSpecs, m_ctlSpeeds;
    CAircraftText m_card{&m_files};
    CItemCard m_itemCard{m_card, m_ctlGeneral, m_ctlSpecs, m_ctlSpeeds};
};

const std::string kTypeCard =
    "Фирма: ОКБ Туполева\r\nСтрана: СССР\r\nМодель: Ту-154\r\nТип: Пассажирский\r\n"
    "Название: Careless\r\nГод: 1968\r\n|"
    "ТТХ\r\nРазмах, м: 37.55\r\nДлина, м: 47.90\r\nВысота, м: 11.4\r\nЭкипаж: 11\r\n"
    "Пассажиров: 12\r\nВзлётная масса, кг: 13\r\nМасса пустого, кг: 14\r\nНагрузка, кг: 15\r\n"
    "Примечание: Три двигателя\r\n|"
    "Скорости\r\nМаксимальная, км/ч: 16\r\nКрейсерская, км/ч: 17\r\nПосадочная, км/ч: 18\r\n"
    "Подъём, м/с: 19\r\nПотолок, м: 20\r\nДальность, км: 21\r\nПерегоночная, км: 22";

const std::string kGroupCard =
    "Фирма: \r\nСтрана: \r\nМодель: \r\nТип: \r\nНазвание: \r\nГод: \r\n|"
    "ТТХ\r\nРазмах, м: \r\nДлина, м: \r\nВысота, м: \r\nЭкипаж: \r\nПассажиров: \r\n"
    "Взлётная масса, кг: \r\nМасса пустого, кг: \r\nНагрузка, кг: \r\nПримечание: \r\n|"
    "Скорости\r\nМаксимальная, км/ч: \r\nКрейсерская, км/ч: \r\nПосадочная, км/ч: \r\n"
    "Подъём, м/с: \r\nПотолок, м: \r\nДальность, км: \r\nПерегоночная, км: ";

TEST_F(ItemCardTest, EverySlotGoesBehindItsCaption) {
    Open();
    m_itemCard.ShowItem(0);
    EXPECT_EQ(Panes(), kTypeCard);
    EXPECT_EQ(m_itemCard.m_nPictures, 4);
    EXPECT_TRUE(m_itemCard.m_bImagesEnabled);
    EXPECT_TRUE(m_itemCard.m_bAdditionalEnabled);
}

TEST_F(ItemCardTest, NextItemReplacesEveryValueAndGroupEmptiesThem) {
    Open();
    m_card.m_pictureOffsets = {1, 2, 3};
    m_itemCard.ShowItem(0);
    EXPECT_TRUE(m_card.m_pictureOffsets.empty());
    m_itemCard.ShowItem(1);
    const std::string strSecond = Panes();
    EXPECT_EQ(strSecond.find("Туполева"), std::string::npos);
    EXPECT_NE(strSecond.find("Фирма: ОКБ Ильюшина\r\n"), std::string::npos);
    EXPECT_NE(strSecond.find("Год: 1963\r\n"), std::string::npos);
    EXPECT_NE(strSecond.find("Максимальная, км/ч: 900\r\n"), std::string::npos);
    EXPECT_NE(strSecond.find("Размах, м: -\r\n"), std::string::npos);
    EXPECT_EQ(m_itemCard.m_nPictures, 0);
    EXPECT_FALSE(m_itemCard.m_bImagesEnabled);
    EXPECT_TRUE(m_itemCard.m_bAdditionalEnabled);

    m_itemCard.ShowItem(-1);
    EXPECT_EQ(Panes(), kGroupCard);
    EXPECT_EQ(m_itemCard.m_nPictures, 0);
    EXPECT_FALSE(m_itemCard.m_bImagesEnabled);
    EXPECT_FALSE(m_itemCard.m_bAdditionalEnabled);

    m_itemCard.ShowItem(0);
    EXPECT_EQ(Panes(), kTypeCard);
}

TEST_F(ItemCardTest, NegativePictureCountEnablesNoPictures) {
    Open();
    m_itemCard.ShowItem(2);
    EXPECT_EQ(m_itemCard.m_nPictures, -3);
    EXPECT_FALSE(m_itemCard.m_bImagesEnabled);
    EXPECT_TRUE(m_itemCard.m_bAdditionalEnabled);
}

TEST_F(ItemCardTest, RecordPastTheFileShowsEmptyTexts) {
    Open();
    m_itemCard.ShowItem(0);
    m_itemCard.ShowItem(7);
    EXPECT_EQ(Panes(), kGroupCard);
    EXPECT_EQ(m_itemCard.m_nPictures, 0);
}

TEST_F(ItemCardTest, ReadErrorLeavesPanesAndStateAlone) {
    Open(false);
    const std::string strBefore = Panes();
    EXPECT_THROW(m_itemCard.ShowItem(0), CFileException);
    EXPECT_EQ(Panes(), strBefore);
    EXPECT_EQ(m_itemCard.m_nPictures, 0);
    EXPECT_FALSE(m_itemCard.m_bAdditionalEnabled);
    // A group reads nothing and still shows.
    m_itemCard.ShowItem(-1);
    EXPECT_EQ(Panes(), kGroupCard);
}

// A value with line ends of its own: the next card must replace all of it,
// or its tail would stay and the pane would grow with every selection.
TEST_F(ItemCardTest, ValueWithLineEndsIsReplacedWhole) {
    AircraftRecord multi{};
    multi.firm = m_db.AddString(W("Первая строка\r\nвторая: строка"));
    multi.text = m_db.AddString(W("а\r\nб\r\nв"));
    m_db.AddAircraft(multi); // record 3
    Open();
    m_itemCard.ShowItem(3);
    const std::string strMulti = Panes();
    EXPECT_NE(strMulti.find("Фирма: Первая строка\r\nвторая: строка\r\nСтрана: -\r\n"),
              std::string::npos);
    EXPECT_NE(strMulti.find("Примечание: а\r\nб\r\nв\r\n|"), std::string::npos);
    for (int i = 0; i < 5; ++i) {
        m_itemCard.ShowItem(0);
        EXPECT_EQ(Panes(), kTypeCard) << i;
        m_itemCard.ShowItem(3);
        EXPECT_EQ(Panes(), strMulti) << i;
    }
    m_itemCard.ShowItem(-1);
    EXPECT_EQ(Panes(), kGroupCard);
}

} // namespace

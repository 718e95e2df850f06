#include "platform/cfile.h"
#include "platform/cp1251.h"
#include "platform/richeditctrl.h"
#include "platform/rtfreader.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Test text is written in UTF-8; the model holds cp1251.
std::string W(std::string_view strUtf8) {
    return cp1251::FromUtf8(strUtf8).value();
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

std::string ReadBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string DataFile(const std::string& strName) {
    return std::string(VERLUMO_TEST_DATA_DIR) + "/rtf/" + strName;
}

// The run invariants every document must keep, whatever it was made from.
void ExpectWellFormed(const CRichTextDocument& doc) {
    std::size_t nTotal = 0;
    const auto& runs = doc.GetRuns();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_GT(runs[i].m_nLength, 0u) << "run " << i;
        if (i > 0) {
            EXPECT_NE(runs[i].m_nFormat, runs[i - 1].m_nFormat) << "runs " << i - 1 << " and " << i;
        }
        nTotal += runs[i].m_nLength;
    }
    EXPECT_EQ(nTotal, doc.GetLength());
    // Formats are shared: two entries never hold the same format.
    for (std::size_t i = 1; i < runs.size(); ++i)
        EXPECT_FALSE(doc.GetFormat(runs[i].m_nFormat) == doc.GetFormat(runs[i - 1].m_nFormat));
}

CCharFormat FormatAt(const CRichTextDocument& doc, std::string_view strUtf8Word) {
    const std::size_t nPos = doc.GetText().find(W(strUtf8Word));
    EXPECT_NE(nPos, std::string::npos) << strUtf8Word;
    return doc.GetCharFormat(nPos == std::string::npos ? 0 : nPos);
}

// ---------------------------------------------------------------------------
// Documents written by real word processors.

struct CRealDocument {
    const char* m_pszName;
    const char* m_pszFace;
    bool m_bHasUnderlineAndColour; // pandoc's Markdown has neither
};

class RealDocument : public testing::TestWithParam<CRealDocument> {};

TEST_P(RealDocument, GivesTheTextBesideItAndTheFormats) {
    const CRealDocument& row = GetParam();
    const std::string strBase = row.m_pszName;
    const CRichTextDocument doc = ReadRtf(ReadBytes(DataFile(strBase + ".rtf")));
    const std::string strWant = W(ReadBytes(DataFile(strBase + ".txt")));
    ASSERT_FALSE(strWant.empty());
    EXPECT_EQ(cp1251::ToUtf8(doc.GetText()), cp1251::ToUtf8(strWant));
    EXPECT_EQ(doc.GetLength(), strWant.size());
    ExpectWellFormed(doc);

    const CCharFormat cfBold = FormatAt(doc, "Справочник");
    EXPECT_TRUE(cfBold.IsBold());
    EXPECT_FALSE(cfBold.IsItalic());
    EXPECT_EQ(cfBold.m_strFaceName, row.m_pszFace);
    EXPECT_EQ(cfBold.m_nHeight, 240);
    EXPECT_TRUE(FormatAt(doc, "Курсив").IsItalic());
    EXPECT_FALSE(FormatAt(doc, "выпуск").IsBold());
    const CCharFormat cfRed = FormatAt(doc, "красный");
    const CCharFormat cfPlain = FormatAt(doc, "текст");
    EXPECT_TRUE(cfPlain.IsAutoColor());
    if (row.m_bHasUnderlineAndColour) {
        EXPECT_TRUE(FormatAt(doc, "подчёркнутый").IsUnderline());
        EXPECT_FALSE(cfRed.IsAutoColor());
        EXPECT_EQ(cfRed.m_crTextColor, RgbColor(255, 0, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, RealDocument,
                         testing::Values(CRealDocument{"libreoffice", "DejaVu Serif", true},
                                         CRealDocument{"pandoc", "Helvetica", false},
                                         CRealDocument{"abiword", "Nimbus Roman", true}),
                         [](const auto& info) { return std::string(info.param.m_pszName); });

// ---------------------------------------------------------------------------
// Reader: text of small documents.

struct CTextRow {
    const char* m_pszName;
    std::string m_strRtf;
    std::string m_strText; // cp1251
};

class RtfText : public testing::TestWithParam<CTextRow> {};

TEST_P(RtfText, Reads) {
    const CRichTextDocument doc = ReadRtf(GetParam().m_strRtf);
    EXPECT_EQ(cp1251::ToUtf8(doc.GetText()), cp1251::ToUtf8(GetParam().m_strText));
    ExpectWellFormed(doc);
}

const std::string kHead1251 =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}";

INSTANTIATE_TEST_SUITE_P(
    Reader, RtfText,
    testing::Values(
        CTextRow{"Uc0", "{\\rtf1\\uc0\\u1058\\u1058 \\u1061 x}", W("ТТХx")},
        CTextRow{"Uc1SkipsOne", "{\\rtf1\\uc1\\u1058?\\u1058\\'3f!}", W("ТТ!")},
        CTextRow{"Uc2SkipsEscapes", "{\\rtf1\\uc2\\u1058\\'82\\'a0x}", W("Тx")},
        CTextRow{"UcIsPerGroup", "{\\rtf1{\\uc0\\u1058 }\\u1058?}", W("ТТ")},
        CTextRow{"SkipStopsAtBrace", "{\\rtf1\\uc3\\u1058{a}b}", W("Т") + "ab"},
        CTextRow{"NegativeUnicode", "{\\rtf1\\u-4064?}", "?"}, // U+F020, not in cp1251
        CTextRow{"SurrogatePairIsOneChar", "{\\rtf1\\u-10179?\\u-8704?.}", "?."},
        CTextRow{"Cp1251Escapes", kHead1251 + "\\'d2\\'d2\\'d5 \\'b8}", W("ТТХ ё")},
        CTextRow{"Charset204In1252Doc",
                 "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset204 "
                 "B;}}\\f1\\'d1\\f0\\'85}",
                 W("С…")},
        CTextRow{"Cp1252Converted", "{\\rtf1\\ansi\\'e9\\'ab\\'80\\'a7}", W("?«€§")},
        CTextRow{"CpgOfFont", "{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg866 X;}}\\f0\\'92}", W("Т")},
        CTextRow{"ShiftJisPairIsOneChar",
                 "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 M;}}\\f0\\'82\\'a0.}", "?."},
        CTextRow{"RawHighBytes", kHead1251 + "\xD2\xD2\xD5}", W("ТТХ")},
        CTextRow{"Symbols",
                 "{\\rtf1\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\~\\-\\_}",
                 W("—–‘’“”•\u00A0-")},
        CTextRow{"Escapes", "{\\rtf1 a\\\\b\\{c\\}d}", "a\\b{c}d"},
        CTextRow{"TabLineAndPar", "{\\rtf1 a\\tab b\\line c\\par d}", "a\tb\r\nc\r\nd"},
        CTextRow{"BackslashNewlineIsPar", "{\\rtf1 a\\\nb}", "a\r\nb"},
        CTextRow{"FileLineBreaksIgnored", "{\\rtf1 a\r\nb\nc}", "abc"},
        CTextRow{"FinalParIsNotText", "{\\rtf1 a\\par}", "a"},
        CTextRow{"OnlyOneFinalParDropped", "{\\rtf1 a\\par\\par}", "a\r\n"},
        CTextRow{"FinalLineStays", "{\\rtf1 a\\line}", "a\r\n"},
        CTextRow{"SectEndsTextParagraphOnly", "{\\rtf1 a\\sect b\\par\\sect\\par}", "a\r\nb\r\n"},
        CTextRow{"TableRow", "{\\rtf1 a\\cell b\\cell\\row c}", "a\tb\t\r\nc"},
        CTextRow{"SkippedDestinations",
                 "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\*\\generator G;}"
                 "{\\header H}{\\pict 0a0b}{\\*\\unknown U}{\\listtext 1.}a}",
                 "a"},
        CTextRow{"FieldResultOnly",
                 "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}", "link"},
        CTextRow{"BinDataHidesBraces", "{\\rtf1{\\pict\\bin4 }}{{}a}b}", "a"},
        CTextRow{"NothingBehindClosingBrace", "{\\rtf1 a}b{\\rtf1 c}", "a"},
        CTextRow{"ColourTableTextIgnored",
                 "{\\rtf1{\\colortbl;\\red1\\green2\\blue3 junk;}{\\fonttbl\\f0 A;\\f1 B;}x}", "x"},
        CTextRow{"ControlCharactersDropped", "{\\rtf1 a\\'00\\'0d\\'0a\x01\\uc0\\u13 b}", "ab"}),
    [](const auto& info) { return std::string(info.param.m_pszName); });

TEST(RtfReader, TextThatIsNotRtfIsPlainText) {
    EXPECT_EQ(ReadRtf("one\ntwo\rthree\r\nfour").GetText(), "one\r\ntwo\r\nthree\r\nfour");
    EXPECT_EQ(ReadRtf(std::string("a\0b", 3)).GetText(), "ab");
    EXPECT_EQ(ReadRtf("{\\b bold}").GetText(), "{\\b bold}");
    const CRichTextDocument doc = ReadRtf(W("Скорости"));
    EXPECT_EQ(doc.GetText(), W("Скорости"));
    EXPECT_EQ(doc.GetCharFormat(0), CRichTextDocument::PlainCharFormat());
    EXPECT_TRUE(IsRtf("\xEF\xBB\xBF \r\n{\\rtf1}"));
    EXPECT_FALSE(IsRtf("{\\RTF1}"));
}

// ---------------------------------------------------------------------------
// Reader: character formats.

TEST(RtfFormats, GroupsRestoreAndPlainResets) {
    const CRichTextDocument doc = ReadRtf(
        "{\\rtf1\\ansi\\ansicpg1251\\deff1{\\fonttbl{\\f0\\fcharset0 Courier;}{\\f1\\fcharset204 "
        "Arial;}}{\\colortbl;\\red0\\green0\\blue255;}"
        "a{\\b\\i\\ul\\strike\\f0\\fs40\\cf1 b}c\\b d\\plain e\\b f\\b0 g\\ul\\ulc1 h\\ulnone i}");
    ASSERT_EQ(doc.GetText(), "abcdefghi");
    const CCharFormat cfA = doc.GetCharFormat(0);
    EXPECT_EQ(cfA.m_strFaceName, "Arial");
    EXPECT_EQ(cfA.m_nCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(cfA.m_nHeight, 240);
    EXPECT_TRUE(cfA.IsAutoColor());
    EXPECT_EQ(cfA.m_dwEffects, CFE_AUTOCOLOR);

    const CCharFormat cfB = doc.GetCharFormat(1);
    EXPECT_EQ(cfB.m_dwEffects, CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    EXPECT_EQ(cfB.m_crTextColor, RgbColor(0, 0, 255));
    EXPECT_EQ(cfB.m_strFaceName, "Courier");
    EXPECT_EQ(cfB.m_nCharSet, ANSI_CHARSET);
    EXPECT_EQ(cfB.m_nHeight, 400);

    EXPECT_EQ(doc.GetCharFormat(2), cfA);             // c: the group's end restores
    EXPECT_TRUE(doc.GetCharFormat(3).IsBold());       // d
    EXPECT_EQ(doc.GetCharFormat(4), cfA);             // e: \plain
    EXPECT_FALSE(doc.GetCharFormat(6).IsBold());      // g: \b0
    EXPECT_TRUE(doc.GetCharFormat(7).IsUnderline());  // h: \ulc is the underline's colour
    EXPECT_FALSE(doc.GetCharFormat(8).IsUnderline()); // i
    EXPECT_EQ(doc.GetRuns().size(), 9u);
}

TEST(RtfFormats, ColourTableEdgeCases) {
    const CRichTextDocument doc = ReadRtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}"
                                          "\\cf1 a\\cf0 b\\cf9 c\\cf-3 d\\cf1 e}");
    EXPECT_EQ(doc.GetCharFormat(0).m_crTextColor, RgbColor(255, 0, 0));
    for (std::size_t nPos : {1u, 2u, 3u})
        EXPECT_TRUE(doc.GetCharFormat(nPos).IsAutoColor()) << nPos;
    EXPECT_EQ(doc.GetCharFormat(4).m_crTextColor, RgbColor(255, 0, 0));
}

TEST(RtfFormats, HeightsAreTwipsAndBounded) {
    const CRichTextDocument doc =
        ReadRtf("{\\rtf1\\fs21 a\\fs0 b\\fs-4 c\\fs99999999999999999999 d}");
    EXPECT_EQ(doc.GetCharFormat(0).m_nHeight, 210);
    EXPECT_EQ(doc.GetCharFormat(1).m_nHeight, 240);
    EXPECT_EQ(doc.GetCharFormat(2).m_nHeight, 240);
    EXPECT_EQ(doc.GetCharFormat(3).m_nHeight, 32760);
}

TEST(RtfFormats, FinalParagraphMarkBecomesTheEndFormat) {
    const CRichTextDocument doc = ReadRtf("{\\rtf1 a{\\b\\par}}");
    EXPECT_EQ(doc.GetText(), "a");
    EXPECT_TRUE(doc.GetEndFormat().IsBold());
}

// ---------------------------------------------------------------------------
// Reader: broken input never crashes and gives bounded text.

struct CBrokenRow {
    const char* m_pszName;
    std::string m_strBytes;
    const char* m_pszText; // nullptr: any text, only bounded
};

class BrokenRtf : public testing::TestWithParam<CBrokenRow> {};

TEST_P(BrokenRtf, GivesWhatWasRead) {
    const CBrokenRow& row = GetParam();
    const CRichTextDocument doc = ReadRtf(row.m_strBytes);
    EXPECT_LE(doc.GetLength(), row.m_strBytes.size());
    if (row.m_pszText) {
        EXPECT_EQ(doc.GetText(), row.m_pszText);
    }
    ExpectWellFormed(doc);
    CRichEditCtrl ctrl;
    ctrl.StreamIn(row.m_strBytes);
    EXPECT_EQ(ctrl.GetText(), doc.GetText());
}

std::string Nested(std::size_t nDepth, const std::string& strInner) {
    return "{\\rtf1 a" + std::string(nDepth, '{') + strInner + std::string(nDepth, '}') + "z}";
}

INSTANTIATE_TEST_SUITE_P(
    Reader, BrokenRtf,
    testing::Values(CBrokenRow{"HeaderOnly", "{\\rtf1", ""},
                    CBrokenRow{"HeaderPrefix", "{\\rtf", ""},
                    CBrokenRow{"Unclosed", "{\\rtf1 abc{\\b def", "abcdef"},
                    CBrokenRow{"ExtraClosing", "{\\rtf1 a}}}}b", "a"},
                    CBrokenRow{"TruncatedWord", "{\\rtf1 ab\\pa", "ab"},
                    CBrokenRow{"TruncatedEscape", "{\\rtf1 ab\\'d", "abd"},
                    CBrokenRow{"LoneBackslash", "{\\rtf1 ab\\", "ab"},
                    CBrokenRow{"BadHex", "{\\rtf1 \\'zz\\'4}", "zz4"},
                    CBrokenRow{"UnicodeHuge", "{\\rtf1 \\u99999999999999999999?x}", "?x"},
                    CBrokenRow{"UcHuge", "{\\rtf1 {\\uc99999999999999999999\\u1058 abc}d}",
                               "\xD2"
                               "d"},
                    CBrokenRow{"BinHuge", "{\\rtf1 a\\bin99999999999999999999 xyz}", "a"},
                    CBrokenRow{"BinNegative", "{\\rtf1 a\\bin-5 b}", "ab"},
                    CBrokenRow{"TwentyDigitFont", "{\\rtf1 \\f12345678901234567890 a}", "a"},
                    CBrokenRow{"LongWord", "{\\rtf1 \\" + std::string(100000, 'x') + " a}", "a"},
                    CBrokenRow{"NulByte", std::string("{\\rtf1 a\0b}", 11), "ab"},
                    CBrokenRow{"UnclosedFontTable", "{\\rtf1{\\fonttbl{\\f0 Arial", ""},
                    CBrokenRow{"DeepNesting", "{\\rtf1 " + std::string(100000, '{') + "x", ""},
                    CBrokenRow{"DeepNestingBalanced", Nested(100000, "b"), "az"},
                    CBrokenRow{"AtDepthLimit", Nested(kMaxRtfGroupDepth - 1, "b"), "abz"},
                    CBrokenRow{"JustBeyondDepthLimit", Nested(kMaxRtfGroupDepth, "b"), "az"},
                    CBrokenRow{"ManyFonts",
                               [] {
                                   std::string s = "{\\rtf1{\\fonttbl";
                                   for (int i = 0; i < 5000; ++i)
                                       s += "{\\f" + std::to_string(i) + "\\fcharset204 F;}";
                                   return s + "}\\f4999 a}";
                               }(),
                               "a"}),
    [](const auto& info) { return std::string(info.param.m_pszName); });

// ---------------------------------------------------------------------------
// Control: streaming in.

// A caption template as a word processor saves it: cp1251 escapes, a font
// table with \fcharset204 and a panose group inside a name, a coloured heading.
std::string TemplateRtf() {
    return "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
           "{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset204 Arial;}"
           "{\\f1\\froman\\fprq2\\fcharset204{\\*\\panose 02020603050405020304}Times New "
           "Roman;}}\r\n{\\colortbl ;\\red128\\green0\\blue0;}\r\n"
           "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\plain\\f0\\fs20{\\b " +
           Esc("Годы выпуска:") + "}\\par\\pard{\\cf1\\b " + Esc("ТТХ") + "}\\par{\\b " +
           Esc("Крейсерская, км/ч:") + "}\\par}";
}

const std::string kCaptions = "Годы выпуска:\r\nТТХ\r\nКрейсерская, км/ч:";

TEST(RichEditStream, TemplateFileReadsAsItsCaptions) {
    CTempDir dir;
    dir.WriteFile("Static texts.rtf", TemplateRtf() + std::string(10000, ' '));
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("Static texts.rtf")));
    CRichEditCtrl ctrl;
    int nChanged = 0;
    ctrl.m_onChanged = [&] { ++nChanged; };
    EXPECT_EQ(ctrl.StreamInFile(file), static_cast<long>(TemplateRtf().size() + 10000));
    EXPECT_EQ(cp1251::ToUtf8(ctrl.GetText()), kCaptions);
    EXPECT_EQ(nChanged, 1);
    const CCharFormat cf = ctrl.GetDocument().GetCharFormat(0);
    EXPECT_EQ(cf.m_strFaceName, "Arial");
    EXPECT_EQ(cf.m_nCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(cf.m_nHeight, 200);
    EXPECT_TRUE(cf.IsBold());
    EXPECT_EQ(FormatAt(ctrl.GetDocument(), "ТТХ").m_crTextColor, RgbColor(128, 0, 0));
}

TEST(RichEditStream, CallbackHandsOutWhatIsLeftAndNoMore) {
    CTempDir dir;
    dir.WriteFile("t.rtf", "0123456789");
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("t.rtf")));
    file.Seek(3, CFile::begin);
    const auto cookie = reinterpret_cast<std::uintptr_t>(&file);
    std::uint8_t buffer[16] = {};
    std::int32_t nDelivered = -1;
    EXPECT_EQ(StreamInCallback(cookie, buffer, 4, &nDelivered), 0u);
    EXPECT_EQ(nDelivered, 4);
    EXPECT_EQ(std::string(buffer, buffer + 4), "3456");
    EXPECT_EQ(StreamInCallback(cookie, buffer, 16, &nDelivered), 0u);
    EXPECT_EQ(nDelivered, 3);
    EXPECT_EQ(StreamInCallback(cookie, buffer, 16, &nDelivered), 0u);
    EXPECT_EQ(nDelivered, 0);

    CFile closed;
    EXPECT_NE(StreamInCallback(reinterpret_cast<std::uintptr_t>(&closed), buffer, 16, &nDelivered),
              0u);
    EXPECT_EQ(nDelivered, 0);
    CRichEditCtrl ctrl;
    ctrl.StreamIn("{\\rtf1 old}");
    ctrl.StreamInFile(closed);
    EXPECT_EQ(ctrl.GetTextLength(), 0); // an unreadable template leaves the pane empty
}

// A stream in memory whose callback misbehaves in one chosen way.
struct CMemoryStream {
    std::string m_strBytes;
    std::int32_t m_nMaxPerCall = INT32_MAX;
    std::int32_t m_nClaimExtra = 0;
    std::size_t m_nFailAt = SIZE_MAX;
    std::size_t m_nPosition = 0;
    std::int32_t m_nLargestRequest = 0;

    static std::uint32_t Callback(std::uintptr_t dwCookie, std::uint8_t* pbBuff, std::int32_t cb,
                                  std::int32_t* pcb) {
        auto& s = *reinterpret_cast<CMemoryStream*>(dwCookie);
        s.m_nLargestRequest = std::max(s.m_nLargestRequest, cb);
        if (s.m_nPosition >= s.m_nFailAt)
            return 7;
        const std::size_t nTake = std::min<std::size_t>({static_cast<std::size_t>(cb),
                                                         static_cast<std::size_t>(s.m_nMaxPerCall),
                                                         s.m_strBytes.size() - s.m_nPosition});
        std::copy_n(s.m_strBytes.data() + s.m_nPosition, nTake, pbBuff);
        s.m_nPosition += nTake;
        *pcb = static_cast<std::int32_t>(nTake) + (nTake > 0 ? s.m_nClaimExtra : 0);
        return 0;
    }
};

TEST(RichEditStream, MisbehavingCallbacks) {
    constexpr long kMax = static_cast<long>(CRichEditCtrl::kMaxStreamBytes);
    struct {
        CMemoryStream stream;
        long nRead; // -1: not checked
        std::uint32_t dwError;
        std::string strText; // UTF-8; empty: not checked
    } rows[] = {
        // Short deliveries are pulled to the end.
        {{.m_strBytes = TemplateRtf(), .m_nMaxPerCall = 7}, -1, 0, kCaptions},
        // A failure keeps what came before.
        {{.m_strBytes = "{\\rtf1 abcdefghij}", .m_nMaxPerCall = 4, .m_nFailAt = 8}, 8, 7, "a"},
        // A claim of more than was delivered is not believed.
        {{.m_strBytes = "{\\rtf1 abc}", .m_nClaimExtra = 1000000}, -1, 0, "abc"},
        // An endless stream stops at the limit.
        {{.m_strBytes = std::string(CRichEditCtrl::kMaxStreamBytes + 100, 'x')}, kMax, 0, ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        auto& row = rows[i];
        CRichEditCtrl ctrl;
        EDITSTREAM es;
        es.m_dwCookie = reinterpret_cast<std::uintptr_t>(&row.stream);
        es.m_pfnCallback = &CMemoryStream::Callback;
        const long nRead = ctrl.StreamIn(SF_RTF, es);
        if (row.nRead >= 0) {
            EXPECT_EQ(nRead, row.nRead) << "row " << i;
        }
        EXPECT_EQ(es.m_dwError, row.dwError) << "row " << i;
        EXPECT_LE(row.stream.m_nLargestRequest, CRichEditCtrl::kStreamChunk) << "row " << i;
        if (!row.strText.empty()) {
            EXPECT_EQ(cp1251::ToUtf8(ctrl.GetText()), row.strText) << "row " << i;
        }
    }
}

TEST(RichEditStream, SecondStreamReplacesEverything) {
    CRichEditCtrl ctrl;
    ctrl.StreamIn("{\\rtf1{\\b old} text}");
    ctrl.SetSel(2, 4);
    ctrl.StreamIn("{\\rtf1 new}");
    EXPECT_EQ(ctrl.GetText(), "new");
    EXPECT_FALSE(ctrl.GetDocument().GetCharFormat(0).IsBold());
    long nStart = -1, nEnd = -1;
    ctrl.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 0);
    EXPECT_EQ(nEnd, 0);
}

// ---------------------------------------------------------------------------
// Control: the single operations.

struct CSelRow {
    long m_nStart, m_nEnd;
    long m_nWantStart, m_nWantEnd;
};

class RichEditSetSel : public testing::TestWithParam<CSelRow> {};

TEST_P(RichEditSetSel, Clamps) {
    CRichEditCtrl ctrl;
    ctrl.StreamIn("{\\rtf1 0123456789}");
    ctrl.SetSel(GetParam().m_nStart, GetParam().m_nEnd);
    long nStart = 0, nEnd = 0;
    ctrl.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, GetParam().m_nWantStart);
    EXPECT_EQ(nEnd, GetParam().m_nWantEnd);
}

INSTANTIATE_TEST_SUITE_P(Positions, RichEditSetSel,
                         testing::Values(CSelRow{0, -1, 0, 10}, CSelRow{3, 5, 3, 5},
                                         CSelRow{4, 4, 4, 4}, CSelRow{-1, -1, 10, 10},
                                         CSelRow{-1, 3, 3, 3}, CSelRow{7, 2, 2, 7},
                                         CSelRow{3, 100, 3, 10}, CSelRow{100, 200, 10, 10},
                                         CSelRow{LONG_MIN, LONG_MAX, 10, 10},
                                         CSelRow{LONG_MAX, LONG_MIN, 10, 10}));

struct CFindRow {
    const char* m_pszName;
    long m_nStart, m_nEnd;
    const char* m_pszWhat; // UTF-8
    long m_nWant, m_nWantEnd;
};

class RichEditFind : public testing::TestWithParam<CFindRow> {};

TEST_P(RichEditFind, Finds) {
    CRichEditCtrl ctrl;
    ctrl.StreamIn("{\\rtf1\\ansi\\ansicpg1251 " + Esc("аааб Ёлка ёЛКА\\par конец") + "}");
    const CFindRow& row = GetParam();
    long nMatchEnd = 0;
    EXPECT_EQ(ctrl.FindText(row.m_nStart, row.m_nEnd, W(row.m_pszWhat), &nMatchEnd), row.m_nWant);
    EXPECT_EQ(nMatchEnd, row.m_nWantEnd);
}

INSTANTIATE_TEST_SUITE_P(Operations, RichEditFind,
                         testing::Values(CFindRow{"PrefixRepeats", 0, -1, "ааб", 1, 4},
                                         CFindRow{"IgnoresCase", 0, -1, "ЁЛКА", 5, 9},
                                         CFindRow{"FromStart", 6, -1, "ёлка", 10, 14},
                                         CFindRow{"LineEnd", 0, -1, "\r\n", 14, 16},
                                         CFindRow{"AcrossLineEnd", 0, -1, "а\r\nк", 13, 17},
                                         CFindRow{"MustEndInRange", 0, 8, "ёлка", -1, -1},
                                         CFindRow{"EndsAtRangeEnd", 0, 9, "ёлка", 5, 9},
                                         CFindRow{"NegativeStart", -20, -1, "аааб", 0, 4},
                                         CFindRow{"StartPastEnd", 100, -1, "ц", -1, -1},
                                         CFindRow{"StartBehindEnd", 5, 2, "а", -1, -1},
                                         CFindRow{"Empty", 0, -1, "", -1, -1},
                                         CFindRow{"LongerThanText", 0, -1,
                                                  "аааб Ёлка ёЛКА\r\nконец!", -1, -1}),
                         [](const auto& info) { return std::string(info.param.m_pszName); });

// The format rules at a caret inside text are held to the per-character model
// below; the caret behind the insertion and the empty document it never meets.
TEST(RichEditOperations, InsertedTextTakesTheFormatAtTheCaret) {
    CRichEditCtrl ctrl;
    ctrl.StreamIn("{\\rtf1{\\b a}{\\i b}c}");
    ctrl.SetSel(1, 3);
    ctrl.ReplaceSel("23"); // over "bc": the first selected, italic
    EXPECT_EQ(ctrl.GetText(), "a23");
    EXPECT_TRUE(ctrl.GetDocument().GetCharFormat(2).IsItalic());
    long nStart = 0, nEnd = 0;
    ctrl.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 3);
    EXPECT_EQ(nEnd, 3);

    ctrl.SetSel(0, -1);
    ctrl.Clear();
    ctrl.ReplaceSel("x"); // an empty document types in its end format
    EXPECT_EQ(ctrl.GetDocument().GetCharFormat(0), ctrl.GetDocument().GetEndFormat());
}

TEST(RichEditOperations, EmptySelectionChangesNothing) {
    CRichEditCtrl ctrl;
    ctrl.StreamIn("{\\rtf1 abc}");
    int nChanged = 0;
    ctrl.m_onChanged = [&] { ++nChanged; };
    ctrl.SetSel(1, 1);
    ctrl.Clear();
    CCharFormat cf;
    cf.m_dwMask = CFM_BOLD;
    cf.m_dwEffects = CFE_BOLD;
    EXPECT_FALSE(ctrl.SetSelectionCharFormat(cf));
    ctrl.ReplaceSel("");
    EXPECT_EQ(ctrl.GetText(), "abc");
    EXPECT_EQ(nChanged, 0);
}

TEST(RichEditOperations, ReadOnlyRefusesOnlyTheUser) {
    CRichEditCtrl ctrl;
    ctrl.StreamIn("{\\rtf1 abc}");
    ctrl.SetReadOnly(true);
    ctrl.SetSel(3, 3);
    EXPECT_FALSE(ctrl.TypeText("d"));
    ctrl.ReplaceSel("e");
    ctrl.SetSel(0, 1);
    ctrl.Clear();
    EXPECT_EQ(ctrl.GetText(), "bce");
    ctrl.SetReadOnly(false);
    EXPECT_TRUE(ctrl.TypeText("f"));
    EXPECT_EQ(ctrl.GetText(), "fbce");
}

// The runs against a naive model that keeps one format per character.
CCharFormat Canonical(CCharFormat cf) {
    cf.m_dwMask = CFM_ALL;
    if (cf.IsAutoColor())
        cf.m_crTextColor = 0;
    return cf;
}

TEST(RichEditOperations, RandomEditsMatchAPerCharacterModel) {
    std::mt19937 rng(204);
    CRichEditCtrl ctrl;
    std::string strText;
    std::vector<CCharFormat> formats;
    CCharFormat cfEnd;
    auto reload = [&] {
        ctrl.StreamIn("{\\rtf1{\\b ab}{\\i cd}ef\\par {\\b gh\\par}}");
        strText = ctrl.GetText();
        formats.clear();
        for (std::size_t i = 0; i < strText.size(); ++i)
            formats.push_back(ctrl.GetDocument().GetCharFormat(i));
        cfEnd = ctrl.GetDocument().GetEndFormat();
    };
    reload();
    ASSERT_EQ(strText, "abcdef\r\ngh");

    for (int nStep = 0; nStep < 3000; ++nStep) {
        const long nLength = static_cast<long>(strText.size());
        ctrl.SetSel(static_cast<long>(rng() % (nLength + 3)) - 1,
                    static_cast<long>(rng() % (nLength + 3)) - 1);
        long nStart = 0, nEnd = 0;
        ctrl.GetSel(nStart, nEnd);
        ASSERT_LE(0, nStart);
        ASSERT_LE(nStart, nEnd);
        ASSERT_LE(nEnd, nLength);
        const auto s = static_cast<std::size_t>(nStart), e = static_cast<std::size_t>(nEnd);
        const auto itStart = formats.begin() + nStart, itEnd = formats.begin() + nEnd;
        switch (rng() % 3) {
        case 0:
            ctrl.Clear();
            strText.erase(s, e - s);
            formats.erase(itStart, itEnd);
            break;
        case 1: {
            const std::string strNew(rng() % 4, static_cast<char>('k' + rng() % 3));
            const CCharFormat cf = s < e              ? formats[s]
                                   : s > 0            ? formats[s - 1]
                                   : !formats.empty() ? formats[0]
                                                      : cfEnd;
            ctrl.ReplaceSel(strNew);
            strText.replace(s, e - s, strNew);
            formats.insert(formats.erase(itStart, itEnd), strNew.size(), cf);
            break;
        }
        default: {
            CCharFormat cf;
            cf.m_dwMask = (rng() % 2 ? CFM_COLOR : 0) | (rng() % 2 ? CFM_BOLD : 0) |
                          (rng() % 2 ? CFM_CHARSET : 0) | (rng() % 2 ? CFM_FACE : 0);
            cf.m_dwEffects = rng() % 2 ? CFE_BOLD : 0;
            cf.m_crTextColor = RgbColor(0, 0, static_cast<std::uint8_t>(rng() % 2 * 255));
            cf.m_nCharSet = rng() % 2 ? RUSSIAN_CHARSET : ANSI_CHARSET;
            cf.m_strFaceName = rng() % 2 ? "Arial" : "";
            ctrl.SetSelectionCharFormat(cf);
            for (std::size_t i = s; i < e; ++i)
                ApplyCharFormat(formats[i], cf);
            break;
        }
        }
        ASSERT_EQ(ctrl.GetText(), strText) << "step " << nStep;
        for (std::size_t i = 0; i < strText.size(); ++i)
            ASSERT_EQ(ctrl.GetDocument().GetCharFormat(i), Canonical(formats[i]))
                << "step " << nStep << ", character " << i;
        ExpectWellFormed(ctrl.GetDocument());
        if (strText.empty())
            reload();
    }
}

} // namespace

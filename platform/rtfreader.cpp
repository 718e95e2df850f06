#include "platform/rtfreader.h"

#include "platform/rtfcodepages.h"
#include "platform/rtftokenizer.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr int kDefaultHalfPoints = 24; // RTF's 12 point
constexpr int kMaxHalfPoints = 3276;   // 1638 point, the rich edit limit
// Code page bytes (\'hh and literal) held for one decode: a longer run is
// decoded in pieces this long, so the buffer stays small.
constexpr std::size_t kMaxPendingBytes = 256;

enum class EDest { text, skip, fontTable, colorTable };

// The character and paragraph state a group starts with and restores when
// it closes.
struct CGroupState {
    EDest m_dest = EDest::text;
    int m_nFont = -1; // -1: the document's default font (\deff)
    int m_nHalfPoints = kDefaultHalfPoints;
    std::uint32_t m_dwEffects = 0;
    int m_nColor = -1; // colour table index; -1 auto
    int m_nUnicodeSkip = 1;
    // What the next paragraph mark gives the paragraph it closes.
    CParaFormat m_pf;
};

struct CFontEntry {
    int m_nCharSet = ANSI_CHARSET;
    int m_nCodePage = 0; // from \cpg; 0 when the charset decides
    std::string m_strName;
};

struct CColorEntry {
    COLORREF m_cr = 0;
    bool m_bAuto = true; // an entry without components, usually the first
};

// A set of the space-separated words of a list, built on first use.
std::unordered_set<std::string_view> WordSet(std::string_view list) {
    std::unordered_set<std::string_view> words;
    std::size_t nStart = 0;
    while (nStart < list.size()) {
        const std::size_t nEnd = std::min(list.find(' ', nStart), list.size());
        if (nEnd > nStart)
            words.insert(list.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
    }
    return words;
}

// Destinations whose text is not document text.
constexpr std::string_view kSkippedDestinations =
    "aftncn aftnsep aftnsepc annotation atnauthor atndate atnicn atnid atnparent "
    "atnref atntime atrfend atrfstart author background bkmkend bkmkstart buptim "
    "category colorschememapping comment company creatim datafield datastore defchp "
    "defpap do doccomm docvar falt ffdeftext ffentrymcr ffexitmcr ffformat "
    "ffhelptext ffl ffname ffstattext filetbl fldinst footer footerf footerl footerr "
    "footnote ftncn ftnsep ftnsepc generator header headerf headerl headerr "
    "hlinkbase info keywords latentstyles listoverridetable listpicture listtable "
    "listtext manager mmathPr nextfile nonshppict objalias objclass objdata objname "
    "objsect objtime oldcprops oldpprops oldsprops oldtprops operator panose "
    "pgdsctbl pict pn pnseclvl pntext pntxta pntxtb printim private propname "
    "protusertbl revtbl revtim rsidtbl rxe shpinst shprslt shptxt sn sp staticval "
    "stylesheet subject sv tc template themedata title txe userprops wgrffmtfilter "
    "windowcaption writereservation writereservhash xe xform xmlattrname "
    "xmlattrvalue xmlclose xmlname xmlnsdecl xmlopen ";

bool IsSkippedDestination(std::string_view word) {
    static const auto kWords = WordSet(kSkippedDestinations);
    return kWords.count(word) != 0;
}

constexpr std::string_view kUnderlineWords =
    "ul uld uldash uldashd uldashdd uldb ulhwave ulldash ulth ulthd ulthdash "
    "ulthdashd ulthdashdd ulthldash ululdbwave ulw ulwave ";

bool IsUnderlineWord(std::string_view word) {
    static const auto kWords = WordSet(kUnderlineWords);
    return kWords.count(word) != 0;
}

class CRtfReader {
public:
    // IsRtf() has been checked: the first token opens the outermost group.
    explicit CRtfReader(std::string_view input)
        : m_tokens(input.substr(std::min(input.find('{'), input.size()))) {}
    CRichTextDocument Read();

private:
    using EToken = CRtfTokenizer::EToken;
    using CToken = CRtfTokenizer::CToken;

    void Dispatch(const CToken& token);
    void OpenGroup();
    void CloseGroup();
    void ControlWord(std::string_view word, bool bHasParam, int nParam);
    void ControlSymbol(unsigned char ch);
    void FontTableWord(std::string_view word, int nParam);
    void ColorTableWord(std::string_view word, int nParam);
    bool ParagraphWord(std::string_view word, int nParam);
    void UnicodeChar(int nParam);
    void LiteralByte(unsigned char ch);
    void CodePageByte(unsigned char ch);
    void FlushBytes();
    void EmitCodePoint(char32_t cp);
    void EmitByte(unsigned char ch);
    void EmitLineEnd(bool bParagraph);
    void CommitFont();
    void CommitColor();
    const CCharFormat& CurrentFormat();
    int CurrentCodePage();
    CGroupState& State() { return m_stack.back(); }

    CRtfTokenizer m_tokens;
    bool m_bDone = false;

    std::vector<CGroupState> m_stack;
    std::size_t m_nOverflowDepth = 0; // groups open beyond kMaxRtfGroupDepth
    long long m_nSkipChars = 0;       // fallback characters still to drop after \uN
    bool m_bAfterHighSurrogate = false;

    int m_nAnsiCodePage = 1252;
    int m_nDefaultFont = 0;
    std::map<int, CFontEntry> m_fonts;
    std::vector<CColorEntry> m_colors;
    unsigned m_nTablesVersion = 0;

    bool m_bFontPending = false;
    int m_nPendingFont = 0;
    std::size_t m_nPendingFontDepth = 0;
    CFontEntry m_pendingFont;
    CColorEntry m_pendingColor;
    int m_nRed = 0, m_nGreen = 0, m_nBlue = 0;

    std::string m_strPendingBytes; // \'xx bytes, decoded together (DBCS pairs)
    CCodePageDecoder m_decoder;

    // The format for CurrentFormat(), and the state it was built from.
    bool m_bFormatValid = false;
    CGroupState m_formatKey;
    unsigned m_nFormatTablesVersion = 0;
    CCharFormat m_cfCurrent;
    int m_nCurrentCodePage = 1252;

    CRichTextDocument m_doc;
    bool m_bParagraphHasText = false;
    std::size_t m_nLastParagraphEnd = SIZE_MAX;
    CCharFormat m_cfLastParagraphMark;
};

CRichTextDocument CRtfReader::Read() {
    while (!m_bDone) {
        const CToken token = m_tokens.Next();
        if (token.m_type == EToken::end)
            break;
        Dispatch(token);
    }
    FlushBytes();
    if (m_stack.empty())
        return std::move(m_doc);
    // The final paragraph mark closes what no \par closed.
    m_doc.SetParaFormat(m_doc.GetParagraphCount() - 1, State().m_pf);
    CCharFormat cfEnd = CurrentFormat();
    if (m_doc.GetLength() >= 2 && m_doc.GetLength() == m_nLastParagraphEnd) {
        m_doc.Erase(m_doc.GetLength() - 2, 2);
        cfEnd = m_cfLastParagraphMark;
    }
    m_doc.SetEndFormat(cfEnd);
    return std::move(m_doc);
}

void CRtfReader::Dispatch(const CToken& token) {
    if (token.m_type == EToken::controlWord && token.m_strWord == "bin") {
        // Binary data, whatever group it is in: never text, never braces.
        if (token.m_nParam > 0)
            m_tokens.SkipBytes(static_cast<std::size_t>(token.m_nParam));
        if (m_nSkipChars > 0)
            --m_nSkipChars;
        return;
    }
    if (m_nOverflowDepth > 0) {
        if (token.m_type == EToken::openGroup)
            ++m_nOverflowDepth;
        else if (token.m_type == EToken::closeGroup)
            --m_nOverflowDepth;
        return;
    }
    const bool bCodePageByte =
        token.m_type == EToken::hexByte || (token.m_type == EToken::text && token.m_ch >= 0x80);
    if (!bCodePageByte)
        FlushBytes();

    if (token.m_type == EToken::openGroup) {
        OpenGroup();
        return;
    }
    if (token.m_type == EToken::closeGroup) {
        CloseGroup();
        return;
    }
    if (m_stack.empty())
        return;
    if (m_nSkipChars > 0) {
        --m_nSkipChars;
        return;
    }
    if (State().m_dest == EDest::skip)
        return;

    switch (token.m_type) {
    case EToken::controlWord:
        ControlWord(token.m_strWord, token.m_bHasParam, token.m_nParam);
        break;
    case EToken::controlSymbol:
        ControlSymbol(token.m_ch);
        break;
    case EToken::hexByte:
        CodePageByte(token.m_ch);
        break;
    case EToken::text:
        if (token.m_ch >= 0x80)
            CodePageByte(token.m_ch);
        else
            LiteralByte(token.m_ch);
        break;
    default:
        break;
    }
}

void CRtfReader::OpenGroup() {
    m_nSkipChars = 0;
    if (m_stack.empty()) {
        m_stack.emplace_back();
        return;
    }
    if (m_stack.size() >= kMaxRtfGroupDepth) {
        m_nOverflowDepth = 1;
        return;
    }
    m_stack.push_back(m_stack.back());
}

void CRtfReader::CloseGroup() {
    m_nSkipChars = 0;
    if (m_stack.empty())
        return;
    if (m_bFontPending && State().m_dest == EDest::fontTable &&
        m_stack.size() <= m_nPendingFontDepth)
        CommitFont();
    if (m_stack.size() == 1) {
        // The document's closing brace: anything behind it is not read.
        m_bDone = true;
        return;
    }
    m_stack.pop_back();
}

void CRtfReader::ControlWord(std::string_view word, bool bHasParam, int nParam) {
    CGroupState& state = State();
    if (word == "u") {
        UnicodeChar(nParam);
        return;
    }
    if (word == "uc") {
        state.m_nUnicodeSkip = std::max(nParam, 0);
        return;
    }
    if (state.m_dest == EDest::fontTable) {
        FontTableWord(word, nParam);
        return;
    }
    if (state.m_dest == EDest::colorTable) {
        ColorTableWord(word, nParam);
        return;
    }
    if (word == "fonttbl") {
        state.m_dest = EDest::fontTable;
        return;
    }
    if (word == "colortbl") {
        state.m_dest = EDest::colorTable;
        m_nRed = m_nGreen = m_nBlue = 0;
        m_pendingColor = CColorEntry{};
        return;
    }
    if (IsSkippedDestination(word)) {
        state.m_dest = EDest::skip;
        return;
    }
    if (ParagraphWord(word, nParam))
        return;

    // A word without a parameter switches on; a zero parameter switches off.
    const bool bOn = !bHasParam || nParam != 0;
    auto setEffect = [&](std::uint32_t dwEffect, bool bSet) {
        state.m_dwEffects = bSet ? state.m_dwEffects | dwEffect : state.m_dwEffects & ~dwEffect;
    };

    if (word == "par") {
        EmitLineEnd(true);
    } else if (word == "line") {
        EmitLineEnd(false);
    } else if (word == "row") {
        EmitLineEnd(true);
    } else if (word == "sect") {
        // A section break ends the paragraph it stands in, if it has any text.
        if (m_bParagraphHasText)
            EmitLineEnd(true);
    } else if (word == "tab" || word == "cell") {
        EmitByte('\t');
    } else if (word == "b") {
        setEffect(CFE_BOLD, bOn);
    } else if (word == "i") {
        setEffect(CFE_ITALIC, bOn);
    } else if (IsUnderlineWord(word)) {
        setEffect(CFE_UNDERLINE, bOn);
    } else if (word == "ulnone") {
        setEffect(CFE_UNDERLINE, false);
    } else if (word == "strike" || word == "striked") {
        setEffect(CFE_STRIKEOUT, bOn);
    } else if (word == "plain") {
        state.m_nFont = -1;
        state.m_nHalfPoints = kDefaultHalfPoints;
        state.m_dwEffects = 0;
        state.m_nColor = -1;
    } else if (word == "f") {
        state.m_nFont = bHasParam ? nParam : 0;
    } else if (word == "fs") {
        state.m_nHalfPoints = nParam > 0 ? std::min(nParam, kMaxHalfPoints) : kDefaultHalfPoints;
    } else if (word == "cf") {
        state.m_nColor = std::max(nParam, -1);
    } else if (word == "deftab") {
        if (nParam > 0)
            m_doc.SetDefaultTab(ClampTwips(nParam));
    } else if (word == "deff") {
        m_nDefaultFont = nParam;
    } else if (word == "ansi") {
        m_nAnsiCodePage = 1252;
    } else if (word == "mac") {
        m_nAnsiCodePage = 10000;
    } else if (word == "pc") {
        m_nAnsiCodePage = 437;
    } else if (word == "pca") {
        m_nAnsiCodePage = 850;
    } else if (word == "ansicpg") {
        m_nAnsiCodePage = nParam;
    } else if (word == "emdash") {
        EmitByte(0x97);
    } else if (word == "endash") {
        EmitByte(0x96);
    } else if (word == "lquote") {
        EmitByte(0x91);
    } else if (word == "rquote") {
        EmitByte(0x92);
    } else if (word == "ldblquote") {
        EmitByte(0x93);
    } else if (word == "rdblquote") {
        EmitByte(0x94);
    } else if (word == "bullet") {
        EmitByte(0x95);
    } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
        EmitByte(' ');
    }
    // Everything else (page setup, styles, languages, tables, kinds of tab
    // stops) does not change the text or the formats kept here.
}

bool CRtfReader::ParagraphWord(std::string_view word, int nParam) {
    CParaFormat& pf = State().m_pf;
    if (word == "pard")
        pf = CParaFormat{};
    else if (word == "ql")
        pf.m_nAlignment = PFA_LEFT;
    else if (word == "qr")
        pf.m_nAlignment = PFA_RIGHT;
    else if (word == "qc")
        pf.m_nAlignment = PFA_CENTER;
    else if (word == "qj")
        pf.m_nAlignment = PFA_JUSTIFY;
    else if (word == "li")
        pf.m_nLeftIndent = ClampTwips(nParam);
    else if (word == "ri")
        pf.m_nRightIndent = ClampTwips(nParam);
    else if (word == "fi")
        pf.m_nFirstLineIndent = ClampTwips(nParam);
    else if (word == "sb")
        pf.m_nSpaceBefore = ClampTwips(nParam, 0);
    else if (word == "sa")
        pf.m_nSpaceAfter = ClampTwips(nParam, 0);
    else if (word == "tx" || word == "tb")
        // Right, centred, decimal and bar stops are kept as plain stops.
        pf.AddTabStop(ClampTwips(nParam));
    else
        return false;
    return true;
}

void CRtfReader::ControlSymbol(unsigned char ch) {
    switch (ch) {
    case '\\':
    case '{':
    case '}':
        LiteralByte(ch);
        break;
    case '~':
        EmitByte(0xA0);
        break;
    case '_':
        EmitByte('-');
        break;
    case '*':
        // An ignorable destination: this reader knows none worth reading.
        State().m_dest = EDest::skip;
        break;
    default:
        // \- (optional hyphen), \: (index subentry) and the unknown.
        break;
    }
}

void CRtfReader::FontTableWord(std::string_view word, int nParam) {
    if (word == "f") {
        CommitFont();
        m_bFontPending = true;
        m_nPendingFont = nParam;
        m_nPendingFontDepth = m_stack.size();
        m_pendingFont = CFontEntry{};
    } else if (word == "fcharset") {
        m_pendingFont.m_nCharSet = nParam;
    } else if (word == "cpg") {
        m_pendingFont.m_nCodePage = nParam;
    } else if (IsSkippedDestination(word)) {
        State().m_dest = EDest::skip;
    }
}

void CRtfReader::ColorTableWord(std::string_view word, int nParam) {
    const int nValue = std::clamp(nParam, 0, 255);
    if (word == "red")
        m_nRed = nValue;
    else if (word == "green")
        m_nGreen = nValue;
    else if (word == "blue")
        m_nBlue = nValue;
    else
        return;
    m_pendingColor.m_bAuto = false;
}

void CRtfReader::UnicodeChar(int nParam) {
    // A signed 16-bit value; negative values stand for the upper half.
    long long nCode = nParam < 0 ? static_cast<long long>(nParam) + 65536 : nParam;
    if (nCode < 0 || nCode > 0xFFFF) {
        EmitByte('?');
    } else if (nCode >= 0xD800 && nCode <= 0xDBFF) {
        // The first half of a pair: one '?' stands for the whole character.
        EmitByte('?');
        m_bAfterHighSurrogate = true;
    } else if (nCode >= 0xDC00 && nCode <= 0xDFFF) {
        if (!m_bAfterHighSurrogate)
            EmitByte('?');
        m_bAfterHighSurrogate = false;
    } else {
        EmitCodePoint(static_cast<char32_t>(nCode));
    }
    m_nSkipChars = State().m_nUnicodeSkip;
}

void CRtfReader::LiteralByte(unsigned char ch) {
    CGroupState& state = State();
    if (state.m_dest == EDest::fontTable && ch == ';') {
        CommitFont();
        return;
    }
    if (state.m_dest == EDest::colorTable) {
        if (ch == ';')
            CommitColor();
        return;
    }
    EmitByte(ch);
}

void CRtfReader::CodePageByte(unsigned char ch) {
    const EDest dest = State().m_dest;
    if (dest != EDest::text && dest != EDest::fontTable)
        return;
    if (m_strPendingBytes.size() >= kMaxPendingBytes)
        FlushBytes();
    m_strPendingBytes += static_cast<char>(ch);
}

void CRtfReader::FlushBytes() {
    if (m_strPendingBytes.empty())
        return;
    const int nCodePage = CurrentCodePage();
    if (nCodePage == 1251) {
        for (char ch : m_strPendingBytes)
            EmitByte(static_cast<unsigned char>(ch));
    } else {
        m_decoder.Decode(nCodePage, m_strPendingBytes, [this](char32_t cp) { EmitCodePoint(cp); });
    }
    m_strPendingBytes.clear();
}

void CRtfReader::EmitCodePoint(char32_t cp) {
    if (cp < 0x80) {
        EmitByte(static_cast<unsigned char>(cp));
        return;
    }
    const unsigned char ch = Cp1251OfCodePoint(cp);
    EmitByte(ch != 0 ? ch : '?');
}

void CRtfReader::EmitByte(unsigned char ch) {
    m_bAfterHighSurrogate = false;
    // Control characters would break the line-end counting of the text.
    if (ch < 0x20 && ch != '\t')
        return;
    if (m_stack.empty())
        return;
    const EDest dest = State().m_dest;
    if (dest == EDest::text) {
        const char c = static_cast<char>(ch);
        m_doc.Append(std::string_view(&c, 1), CurrentFormat());
        m_bParagraphHasText = true;
    } else if (dest == EDest::fontTable && m_bFontPending) {
        std::string& strName = m_pendingFont.m_strName;
        if (ch == '\t' || (ch == ' ' && strName.empty()))
            return;
        if (strName.size() < kMaxFaceNameLength)
            strName += static_cast<char>(ch);
    }
}

void CRtfReader::EmitLineEnd(bool bParagraph) {
    if (State().m_dest != EDest::text)
        return;
    m_bAfterHighSurrogate = false;
    // Every line end is a paragraph mark here, and the paragraph it closes
    // takes the properties in force at the mark.
    m_doc.SetParaFormat(m_doc.GetParagraphCount() - 1, State().m_pf);
    const CCharFormat& cf = CurrentFormat();
    m_doc.Append("\r\n", cf);
    if (bParagraph) {
        m_nLastParagraphEnd = m_doc.GetLength();
        m_cfLastParagraphMark = cf;
        m_bParagraphHasText = false;
    } else {
        m_bParagraphHasText = true;
    }
}

void CRtfReader::CommitFont() {
    if (!m_bFontPending)
        return;
    m_bFontPending = false;
    std::string& strName = m_pendingFont.m_strName;
    while (!strName.empty() && strName.back() == ' ')
        strName.pop_back();
    auto it = m_fonts.find(m_nPendingFont);
    if (it != m_fonts.end())
        it->second = std::move(m_pendingFont);
    else if (m_fonts.size() < kMaxRtfFonts)
        m_fonts.emplace(m_nPendingFont, std::move(m_pendingFont));
    m_pendingFont = CFontEntry{};
    ++m_nTablesVersion;
}

void CRtfReader::CommitColor() {
    if (m_colors.size() < kMaxRtfColors) {
        m_pendingColor.m_cr =
            RgbColor(static_cast<std::uint8_t>(m_nRed), static_cast<std::uint8_t>(m_nGreen),
                     static_cast<std::uint8_t>(m_nBlue));
        m_colors.push_back(m_pendingColor);
        ++m_nTablesVersion;
    }
    m_nRed = m_nGreen = m_nBlue = 0;
    m_pendingColor = CColorEntry{};
}

const CCharFormat& CRtfReader::CurrentFormat() {
    const CGroupState& state = State();
    if (m_bFormatValid && m_nFormatTablesVersion == m_nTablesVersion &&
        m_formatKey.m_nFont == state.m_nFont && m_formatKey.m_nHalfPoints == state.m_nHalfPoints &&
        m_formatKey.m_dwEffects == state.m_dwEffects && m_formatKey.m_nColor == state.m_nColor)
        return m_cfCurrent;

    CCharFormat cf;
    cf.m_dwMask = CFM_ALL;
    cf.m_dwEffects = state.m_dwEffects;
    cf.m_nHeight = state.m_nHalfPoints * 10;
    const int nFont = state.m_nFont < 0 ? m_nDefaultFont : state.m_nFont;
    auto itFont = m_fonts.find(nFont);
    if (itFont != m_fonts.end()) {
        cf.m_strFaceName = itFont->second.m_strName;
        cf.m_nCharSet = itFont->second.m_nCharSet;
        m_nCurrentCodePage = itFont->second.m_nCodePage > 0
                                 ? itFont->second.m_nCodePage
                                 : CodePageOfCharSet(cf.m_nCharSet, m_nAnsiCodePage);
    } else {
        m_nCurrentCodePage = m_nAnsiCodePage;
        cf.m_nCharSet = m_nAnsiCodePage == 1251 ? RUSSIAN_CHARSET : ANSI_CHARSET;
    }
    if (state.m_nColor >= 0 && static_cast<std::size_t>(state.m_nColor) < m_colors.size() &&
        !m_colors[static_cast<std::size_t>(state.m_nColor)].m_bAuto)
        cf.m_crTextColor = m_colors[static_cast<std::size_t>(state.m_nColor)].m_cr;
    else
        cf.m_dwEffects |= CFE_AUTOCOLOR;

    m_cfCurrent = std::move(cf);
    m_formatKey = state;
    m_nFormatTablesVersion = m_nTablesVersion;
    m_bFormatValid = true;
    return m_cfCurrent;
}

int CRtfReader::CurrentCodePage() {
    if (State().m_dest == EDest::fontTable) {
        if (m_pendingFont.m_nCodePage > 0)
            return m_pendingFont.m_nCodePage;
        return CodePageOfCharSet(m_pendingFont.m_nCharSet, m_nAnsiCodePage);
    }
    CurrentFormat();
    return m_nCurrentCodePage;
}

} // namespace

bool IsRtf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const std::size_t nStart = bytes.find_first_not_of(" \t\r\n");
    return nStart != std::string_view::npos && bytes.substr(nStart, 5) == "{\\rtf";
}

CRichTextDocument ReadRtf(std::string_view bytes) {
    if (!IsRtf(bytes))
        return ReadPlainText(bytes);
    return CRtfReader(bytes).Read();
}

CRichTextDocument ReadPlainText(std::string_view bytes) {
    std::string strText;
    strText.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto ch = static_cast<unsigned char>(bytes[i]);
        if (ch == '\r' || ch == '\n') {
            strText += "\r\n";
            if (ch == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else if (ch >= 0x20 || ch == '\t') {
            strText += static_cast<char>(ch);
        }
    }
    CRichTextDocument doc;
    doc.Append(strText, CRichTextDocument::PlainCharFormat());
    return doc;
}

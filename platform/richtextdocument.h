#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// 0x00BBGGRR, as a Win32 COLORREF.
using COLORREF = std::uint32_t;

constexpr COLORREF RgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 |
           static_cast<COLORREF>(b) << 16;
}

// Which members of a CCharFormat a caller means (the Win32 values).
inline constexpr std::uint32_t CFM_BOLD = 0x00000001;
inline constexpr std::uint32_t CFM_ITALIC = 0x00000002;
inline constexpr std::uint32_t CFM_UNDERLINE = 0x00000004;
inline constexpr std::uint32_t CFM_STRIKEOUT = 0x00000008;
inline constexpr std::uint32_t CFM_CHARSET = 0x08000000;
inline constexpr std::uint32_t CFM_FACE = 0x20000000;
inline constexpr std::uint32_t CFM_COLOR = 0x40000000;
inline constexpr std::uint32_t CFM_SIZE = 0x80000000;
inline constexpr std::uint32_t CFM_EFFECTS =
    CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR;
// Every attribute this model has.
inline constexpr std::uint32_t CFM_ALL = CFM_EFFECTS | CFM_CHARSET | CFM_FACE | CFM_SIZE;

// Effect bits in CCharFormat::m_dwEffects.
inline constexpr std::uint32_t CFE_BOLD = 0x00000001;
inline constexpr std::uint32_t CFE_ITALIC = 0x00000002;
inline constexpr std::uint32_t CFE_UNDERLINE = 0x00000004;
inline constexpr std::uint32_t CFE_STRIKEOUT = 0x00000008;
// The text takes the view's default text colour; m_crTextColor is then unused.
inline constexpr std::uint32_t CFE_AUTOCOLOR = 0x40000000;
inline constexpr std::uint32_t CFE_ALL =
    CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_AUTOCOLOR;

inline constexpr int ANSI_CHARSET = 0;
inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int SYMBOL_CHARSET = 2;
inline constexpr int RUSSIAN_CHARSET = 204;

// Longest face name kept, as in LOGFONT (LF_FACESIZE less the terminator).
inline constexpr std::size_t kMaxFaceNameLength = 31;

// A character format as CHARFORMAT carries it. Everything defaults to zero,
// like a CHARFORMAT cleared with memset: a caller sets the mask and only the
// members the mask names. CFM_COLOR covers both m_crTextColor and the
// CFE_AUTOCOLOR effect; CFM_BOLD the CFE_BOLD effect, and so on.
struct CCharFormat {
    std::uint32_t m_dwMask = 0;
    std::uint32_t m_dwEffects = 0;
    std::int32_t m_nHeight = 0; // twips (1/20 point), as CHARFORMAT::yHeight
    COLORREF m_crTextColor = 0;
    int m_nCharSet = 0;
    std::string m_strFaceName; // cp1251

    bool IsBold() const { return (m_dwEffects & CFE_BOLD) != 0; }
    bool IsItalic() const { return (m_dwEffects & CFE_ITALIC) != 0; }
    bool IsUnderline() const { return (m_dwEffects & CFE_UNDERLINE) != 0; }
    bool IsStrikeOut() const { return (m_dwEffects & CFE_STRIKEOUT) != 0; }
    bool IsAutoColor() const { return (m_dwEffects & CFE_AUTOCOLOR) != 0; }

    friend bool operator==(const CCharFormat&, const CCharFormat&) = default;
};

// Copies into cfTarget the attributes that cfSource's mask names.
void ApplyCharFormat(CCharFormat& cfTarget, const CCharFormat& cfSource);

// Paragraph alignment in CParaFormat::m_nAlignment (the Win32 values).
inline constexpr int PFA_LEFT = 1;
inline constexpr int PFA_RIGHT = 2;
inline constexpr int PFA_CENTER = 3;
inline constexpr int PFA_JUSTIFY = 4;

// Rich edit 1.0 keeps at most this many tab stops per paragraph (PARAFORMAT's
// rgxTabs); further stops in a file are dropped, as the control drops them.
inline constexpr std::size_t kMaxTabStops = 32;
// Every twips value of a paragraph format lies within this many twips of 0:
// 22 inches, wider than any page, and small enough that a view's pixels
// never overflow an int.
inline constexpr std::int32_t kMaxParaTwips = 31680;
// A tab without a stop ahead goes to the next multiple of this, unless the
// document sets its own (RTF's \deftab default, half an inch).
inline constexpr std::int32_t kDefaultTabTwips = 720;

// A paragraph format as PARAFORMAT carries it, with RTF's indents: the first
// line starts at m_nLeftIndent + m_nFirstLineIndent, the others at
// m_nLeftIndent. Lengths are twips. Tab stops are measured from the left edge
// of the text (not from the indent), ascending, each in [1, kMaxParaTwips];
// the entries from m_nTabs on are 0, so that equal formats compare equal.
struct CParaFormat {
    int m_nAlignment = PFA_LEFT;
    std::int32_t m_nLeftIndent = 0;
    std::int32_t m_nRightIndent = 0;
    std::int32_t m_nFirstLineIndent = 0;
    std::int32_t m_nSpaceBefore = 0;
    std::int32_t m_nSpaceAfter = 0;
    std::size_t m_nTabs = 0;
    std::array<std::int32_t, kMaxTabStops> m_rgxTabs{};

    // Adds a stop in its place; false (nothing added) when it is out of
    // range, already there, or the paragraph has kMaxTabStops.
    bool AddTabStop(std::int32_t x);

    friend auto operator<=>(const CParaFormat&, const CParaFormat&) = default;
};

// n clamped to [-kMaxParaTwips, kMaxParaTwips] (nMin 0: to [0, kMaxParaTwips]).
std::int32_t ClampTwips(long long n, std::int32_t nMin = -kMaxParaTwips);

// The text of a rich-text pane and the format of every character in it. The
// text is cp1251 bytes with "\r\n" line ends; positions and lengths count
// bytes. Formats are kept as runs that name an entry of a table of distinct
// formats: no run is empty, neighbouring runs name different formats, and
// the run lengths add up to the text length. Every stored format is complete
// (mask CFM_ALL). Edits are linear in the number of runs; the table only
// grows (by the distinct formats ever used) until Clear or a new document.
//
// Paragraphs are the pieces of the text between "\r\n" line ends (a lone CR
// or LF does not end one); there is one more paragraph than line ends, the
// last one being closed by the document's final paragraph mark. Each has a
// paragraph format, kept like the character formats in a table of distinct
// ones. A line end inserted into a paragraph makes both halves take its
// format; removing a line end joins two paragraphs into one with the first's
// format, as a rich edit control does. Edits stay linear in the text.
class CRichTextDocument {
public:
    struct CRun {
        std::size_t m_nLength = 0;
        std::uint32_t m_nFormat = 0; // index for GetFormat
    };

    // Auto colour, 10 point, Russian character set, no face name (the view's
    // own font): what a pane shows before any document is loaded.
    static CCharFormat PlainCharFormat();

    CRichTextDocument();

    const std::string& GetText() const { return m_strText; }
    std::size_t GetLength() const { return m_strText.size(); }
    bool IsEmpty() const { return m_strText.empty(); }
    const std::vector<CRun>& GetRuns() const { return m_runs; }
    const CCharFormat& GetFormat(std::uint32_t nFormat) const { return m_formats[nFormat]; }

    // The format of the character at nPos; at or past the end, the end format.
    const CCharFormat& GetCharFormat(std::size_t nPos) const;
    // The format of the document's final paragraph mark, which is not part of
    // the text: an empty document types in it.
    const CCharFormat& GetEndFormat() const { return m_cfEnd; }
    void SetEndFormat(const CCharFormat& cf);

    // Positions past the end are taken as the end.
    void Append(std::string_view str, const CCharFormat& cf);
    void Insert(std::size_t nPos, std::string_view str, const CCharFormat& cf);
    void Erase(std::size_t nPos, std::size_t nCount);
    // Changes only the attributes that cf's mask names, on [nStart, nEnd).
    void ApplyCharFormat(std::size_t nStart, std::size_t nEnd, const CCharFormat& cf);
    // Empties the text; the end format and the last paragraph's format stay.
    void Clear();

    std::size_t GetParagraphCount() const { return m_paragraphs.size(); }
    // The paragraph that holds the character at nPos (the line end closing a
    // paragraph belongs to it); at or past the end, the last paragraph.
    std::size_t GetParagraphAt(std::size_t nPos) const;
    // Past the last paragraph: the last one's.
    const CParaFormat& GetParaFormat(std::size_t nParagraph) const;
    // Paragraphs past the last are left alone.
    void SetParaFormat(std::size_t nParagraph, const CParaFormat& pf);
    // The distance of the default tab stops, twips.
    std::int32_t GetDefaultTab() const { return m_nDefaultTab; }
    void SetDefaultTab(std::int32_t nTwips);

private:
    struct CFormatLess {
        bool operator()(const CCharFormat& a, const CCharFormat& b) const;
    };

    std::uint32_t Intern(const CCharFormat& cf);
    // Makes nPos a run boundary; returns the index of the run that starts there
    // (m_runs.size() at the end of the text).
    std::size_t SplitAt(std::size_t nPos);
    // Drops empty runs and merges equal neighbours within [iFrom, iTo).
    void Compact(std::size_t iFrom, std::size_t iTo);
    std::uint32_t InternPara(const CParaFormat& pf);
    // Splits and joins the paragraphs for replacing [nPos, nPos + nCount) of
    // the text with str; runs before the text changes.
    void ReplaceParagraphs(std::size_t nPos, std::size_t nCount, std::string_view str);

    std::string m_strText;
    std::vector<CRun> m_runs;
    std::vector<CCharFormat> m_formats;
    std::map<CCharFormat, std::uint32_t, CFormatLess> m_formatIndex;
    CCharFormat m_cfEnd;

    std::vector<std::uint32_t> m_paragraphs; // per paragraph, index into m_paraFormats
    std::vector<CParaFormat> m_paraFormats;
    std::map<CParaFormat, std::uint32_t> m_paraFormatIndex;
    std::int32_t m_nDefaultTab = kDefaultTabTwips;
};

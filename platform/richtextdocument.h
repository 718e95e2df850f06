#pragma once

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

// The text of a rich-text pane and the format of every character in it. The
// text is cp1251 bytes with "\r\n" line ends; positions and lengths count
// bytes. Formats are kept as runs that name an entry of a table of distinct
// formats: no run is empty, neighbouring runs name different formats, and
// the run lengths add up to the text length. Every stored format is complete
// (mask CFM_ALL). Edits are linear in the number of runs; the table only
// grows (by the distinct formats ever used) until Clear or a new document.
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
    // Empties the text; the end format stays.
    void Clear();

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

    std::string m_strText;
    std::vector<CRun> m_runs;
    std::vector<CCharFormat> m_formats;
    std::map<CCharFormat, std::uint32_t, CFormatLess> m_formatIndex;
    CCharFormat m_cfEnd;
};

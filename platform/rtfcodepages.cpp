#include "platform/rtfcodepages.h"

#include "platform/cp1251.h"

#include <algorithm>
#include <string>

namespace {

// Code point to cp1251 byte, built once from the code page's own table.
class CCp1251Encoder {
public:
    static const CCp1251Encoder& Get() {
        static const CCp1251Encoder encoder;
        return encoder;
    }

    // 0 when the code page has no such character.
    unsigned char Encode(char32_t cp) const {
        if (cp < 0x80)
            return static_cast<unsigned char>(cp);
        auto it = std::lower_bound(m_map.begin(), m_map.end(), std::make_pair(cp, 0),
                                   [](const auto& a, const auto& b) { return a.first < b.first; });
        if (it == m_map.end() || it->first != cp)
            return 0;
        return static_cast<unsigned char>(it->second);
    }

private:
    CCp1251Encoder() {
        for (int b = 0x80; b < 0x100; ++b) {
            const std::string strUtf8 = cp1251::ToUtf8(std::string(1, static_cast<char>(b)));
            const char32_t cp = DecodeUtf8(strUtf8);
            if (cp != 0xFFFD)
                m_map.emplace_back(cp, b);
        }
        std::sort(m_map.begin(), m_map.end());
    }

    static char32_t DecodeUtf8(const std::string& s) {
        const auto* p = reinterpret_cast<const unsigned char*>(s.data());
        if (s.size() == 2)
            return char32_t((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
        if (s.size() == 3)
            return char32_t((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
        return 0xFFFD;
    }

    std::vector<std::pair<char32_t, int>> m_map;
};

struct CCodePageName {
    int m_nCodePage;
    const char* m_pszIconvName;
};

// The code pages RTF documents name, through \ansicpg, \cpg or a font's
// \fcharset. Anything else is read as 1252.
constexpr CCodePageName kCodePages[] = {
    {437, "CP437"},       {850, "CP850"},    {866, "CP866"},       {874, "CP874"},
    {932, "CP932"},       {936, "CP936"},    {949, "CP949"},       {950, "CP950"},
    {1250, "CP1250"},     {1252, "CP1252"},  {1253, "CP1253"},     {1254, "CP1254"},
    {1255, "CP1255"},     {1256, "CP1256"},  {1257, "CP1257"},     {1258, "CP1258"},
    {10000, "MACINTOSH"}, {20866, "KOI8-R"}, {28595, "ISO-8859-5"}};

const char* IconvName(int nCodePage) {
    for (const CCodePageName& entry : kCodePages)
        if (entry.m_nCodePage == nCodePage)
            return entry.m_pszIconvName;
    return nullptr;
}

// \fcharset values and their code pages; symbol fonts (2) get the ANSI
// look-alikes of their glyphs. ANSI (0), DEFAULT (1) and the unknown take the
// document's code page.
constexpr std::pair<int, int> kCharSetCodePages[] = {
    {2, 1252},   {77, 10000}, {128, 932},  {129, 949},  {134, 936},  {136, 950},
    {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
    {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850}};

} // namespace

unsigned char Cp1251OfCodePoint(char32_t cp) {
    return CCp1251Encoder::Get().Encode(cp);
}

int CodePageOfCharSet(int nCharSet, int nAnsiCodePage) {
    for (const auto& [nKnown, nCodePage] : kCharSetCodePages)
        if (nKnown == nCharSet)
            return nCodePage;
    return nAnsiCodePage;
}

CCodePageDecoder::~CCodePageDecoder() {
    for (auto& [nCodePage, cd] : m_handles)
        if (cd != kInvalid)
            iconv_close(cd);
}

iconv_t CCodePageDecoder::Handle(int nCodePage) {
    if (!IconvName(nCodePage))
        nCodePage = 1252;
    for (auto& [nKnown, cd] : m_handles)
        if (nKnown == nCodePage)
            return cd;
    iconv_t cd = iconv_open("UTF-32LE", IconvName(nCodePage));
    m_handles.emplace_back(nCodePage, cd);
    return cd;
}

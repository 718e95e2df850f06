#include "tools/richtexthtml.h"

#include "platform/cp1251.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace {

// The bytes [nFrom, nTo) of a cp1251 text as escaped UTF-8 HTML text. A lone
// CR is a character reference: the HTML parser would turn a literal one into
// a line feed.
void AppendEscaped(std::string& out, std::string_view str) {
    std::string strPlain;
    auto flush = [&] {
        out += cp1251::ToUtf8(strPlain);
        strPlain.clear();
    };
    for (const char ch : str) {
        const char* pszEntity = nullptr;
        switch (ch) {
        case '&':
            pszEntity = "&amp;";
            break;
        case '<':
            pszEntity = "&lt;";
            break;
        case '>':
            pszEntity = "&gt;";
            break;
        case '\r':
            pszEntity = "&#13;";
            break;
        default:
            break;
        }
        if (pszEntity) {
            flush();
            out += pszEntity;
        } else {
            strPlain += ch;
        }
    }
    flush();
}

std::string CssColor(COLORREF cr) {
    char sz[8];
    std::snprintf(sz, sizeof sz, "#%02x%02x%02x", static_cast<unsigned>(cr & 0xFF),
                  static_cast<unsigned>((cr >> 8) & 0xFF),
                  static_cast<unsigned>((cr >> 16) & 0xFF));
    return sz;
}

// A face name inside a CSS string: quotes, backslashes, line ends and "<"
// (the style sheet may be inlined) as CSS hex escapes.
std::string CssString(std::string_view strCp1251) {
    std::string out = "\"";
    for (const char ch : cp1251::ToUtf8(strCp1251)) {
        if (ch == '"' || ch == '\\' || ch == '\n' || ch == '\r' || ch == '<') {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\%x ", static_cast<unsigned char>(ch));
            out += sz;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// Paragraph classes are told apart by their tab stops too, which are no CSS;
// the key holds them behind this separator.
constexpr char kStopsSeparator = '|';

} // namespace

int CRichTextHtml::CharClass(const CCharFormat& cf) {
    std::string css;
    if (!cf.m_strFaceName.empty())
        css += "font-family:" + CssString(cf.m_strFaceName) + ",sans-serif;";
    if (cf.m_nHeight > 0) {
        char sz[32];
        std::snprintf(sz, sizeof sz, "font-size:%gpt;", cf.m_nHeight / 20.0);
        css += sz;
    }
    if (cf.IsBold())
        css += "font-weight:bold;";
    if (cf.IsItalic())
        css += "font-style:italic;";
    if (cf.IsUnderline() || cf.IsStrikeOut())
        css += std::string("text-decoration:") + (cf.IsUnderline() ? " underline" : "") +
               (cf.IsStrikeOut() ? " line-through" : "") + ";";
    if (!cf.IsAutoColor())
        css += "color:" + CssColor(cf.m_crTextColor) + ";";
    const auto [it, bNew] = m_charClasses.try_emplace(css, static_cast<int>(m_charClasses.size()));
    return it->second;
}

int CRichTextHtml::ParaClass(const CParaFormat& pf) {
    std::string css;
    switch (pf.m_nAlignment) {
    case PFA_RIGHT:
        css += "text-align:right;";
        break;
    case PFA_CENTER:
        css += "text-align:center;";
        break;
    case PFA_JUSTIFY:
        css += "text-align:justify;";
        break;
    default:
        break;
    }
    const auto px = [](std::int32_t n) { return std::to_string(TwipsToPixels(n)) + "px;"; };
    if (pf.m_nLeftIndent)
        css += "padding-left:" + px(pf.m_nLeftIndent);
    if (pf.m_nRightIndent)
        css += "padding-right:" + px(pf.m_nRightIndent);
    if (pf.m_nFirstLineIndent)
        css += "text-indent:" + px(pf.m_nFirstLineIndent);
    if (pf.m_nSpaceBefore)
        css += "margin-top:" + px(pf.m_nSpaceBefore);
    if (pf.m_nSpaceAfter)
        css += "margin-bottom:" + px(pf.m_nSpaceAfter);
    std::vector<int> stops;
    css += kStopsSeparator;
    for (std::size_t i = 0; i < pf.m_nTabs && i < kMaxTabStops; ++i) {
        stops.push_back(TwipsToPixels(pf.m_rgxTabs[i]));
        css += std::to_string(pf.m_rgxTabs[i]) + ",";
    }
    const auto [it, bNew] = m_paraClasses.try_emplace(css, static_cast<int>(m_paraClasses.size()));
    if (bNew)
        m_tabStops.push_back(std::move(stops));
    return it->second;
}

std::vector<CRichTextHtml::CPiece> CRichTextHtml::Pieces(const CRichTextDocument& doc) {
    const std::string& strText = doc.GetText();
    const std::vector<CRichTextDocument::CRun>& runs = doc.GetRuns();
    std::vector<CPiece> pieces(1);
    auto markup = [&](const std::string& str) {
        if (pieces.back().m_bText)
            pieces.emplace_back();
        pieces.back().m_str += str;
    };

    // Classes by the document's own format tables: a card has a few formats
    // and many runs, and making a class's CSS text is the costly part.
    std::map<const CParaFormat*, int> paraClasses;
    std::map<std::uint32_t, int> charClasses;
    std::size_t nParagraph = 0;
    auto openParagraph = [&] {
        const CParaFormat& pf = doc.GetParaFormat(nParagraph);
        auto it = paraClasses.find(&pf);
        if (it == paraClasses.end())
            it = paraClasses.emplace(&pf, ParaClass(pf)).first;
        markup("<span class=\"p p" + std::to_string(it->second) + "\">");
    };
    openParagraph();

    std::size_t nRun = 0, nRunEnd = runs.empty() ? 0 : runs[0].m_nLength;
    int nOpenClass = -1; // the character class of the open span, -1 for none
    auto closeSpan = [&] {
        if (nOpenClass >= 0)
            markup("</span>");
        nOpenClass = -1;
    };

    std::size_t i = 0;
    while (i < strText.size()) {
        while (i >= nRunEnd && nRun + 1 < runs.size())
            nRunEnd += runs[++nRun].m_nLength;
        if (strText.compare(i, 2, "\r\n") == 0) {
            closeSpan();
            markup("</span>\n");
            ++nParagraph;
            openParagraph();
            i += 2;
            continue;
        }
        const std::uint32_t nFormat = runs[nRun].m_nFormat;
        auto itClass = charClasses.find(nFormat);
        if (itClass == charClasses.end())
            itClass = charClasses.emplace(nFormat, CharClass(doc.GetFormat(nFormat))).first;
        const int nClass = itClass->second;
        if (nClass != nOpenClass) {
            closeSpan();
            markup("<span class=\"f" + std::to_string(nClass) + "\">");
            nOpenClass = nClass;
        }
        // Up to the run's end, a line end or a tab, whichever comes first.
        std::size_t j = i;
        while (j < strText.size() && j < nRunEnd && strText[j] != '\t' &&
               strText.compare(j, 2, "\r\n") != 0)
            ++j;
        if (j == i) { // a tab
            markup("<span class=\"t\">\t</span>");
            ++i;
            continue;
        }
        CPiece text{true, {}};
        AppendEscaped(text.m_str, std::string_view(strText).substr(i, j - i));
        pieces.push_back(std::move(text));
        i = j;
    }
    closeSpan();
    markup("</span>");
    return pieces;
}

std::string CRichTextHtml::ToHtml(const CRichTextDocument& doc) {
    std::string out;
    for (const CPiece& piece : Pieces(doc))
        out += piece.m_str;
    return out;
}

void CRichTextHtml::Learn(const CRichTextDocument& doc) {
    for (CPiece& piece : Pieces(doc))
        if (m_dictionary.size() < kMaxDictionary &&
            m_dictionary.try_emplace(piece.m_str, static_cast<int>(m_dictionary.size())).second)
            m_pieces.push_back(std::move(piece.m_str));
}

std::string CRichTextHtml::Encode(const CRichTextDocument& doc) {
    std::string out = "[";
    for (const CPiece& piece : Pieces(doc)) {
        if (out.size() > 1)
            out += ',';
        const auto it = m_dictionary.find(piece.m_str);
        out += it != m_dictionary.end() ? std::to_string(it->second)
                                        : nlohmann::json(piece.m_str).dump();
    }
    return out + "]";
}

void CRichTextHtml::WriteCss(std::ostream& out) const {
    for (const auto& [css, n] : m_charClasses)
        out << ".f" << n << "{" << css << "}\n";
    for (const auto& [key, n] : m_paraClasses)
        out << ".p" << n << "{" << key.substr(0, key.find(kStopsSeparator)) << "}\n";
}

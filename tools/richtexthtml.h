#pragma once

#include "platform/richtextdocument.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

// Writes rich-text documents as HTML whose text is the document's text with
// "\r\n" as "\n", character for character: each paragraph is an inline-block
// span, the line ends are literal "\n" between them (the pane is white-space:
// pre), so innerText and textContent both give the pane text back. Formats
// become CSS classes shared by every document written through one instance:
// "fN" for a character format, "pN" for a paragraph format. A tab is a span
// of class "t", whose width the page sets from the paragraph's tab stops.
//
// Documents that share their captions are written compactly: Learn puts the
// pieces of a document (the markup between two texts, and each text) into a
// dictionary, and Encode writes a document as a JSON array of dictionary
// numbers and literal HTML pieces, which the page joins.
class CRichTextHtml {
public:
    // The dictionary stays small: it learns from a few template documents.
    // This bound keeps a caller that learns too much from growing it without end.
    static constexpr std::size_t kMaxDictionary = 4096;

    std::string ToHtml(const CRichTextDocument& doc);
    void Learn(const CRichTextDocument& doc);
    std::string Encode(const CRichTextDocument& doc);
    const std::vector<std::string>& GetDictionary() const { return m_pieces; }

    // The rules of every class handed out so far.
    void WriteCss(std::ostream& out) const;
    // The tab stops of each paragraph class, pixels from the text's left edge.
    const std::vector<std::vector<int>>& GetTabStops() const { return m_tabStops; }

    // Twips to CSS pixels at 96 dpi, as the viewer's panes lay them out.
    static int TwipsToPixels(std::int32_t nTwips) { return nTwips / 15; }

private:
    struct CPiece {
        bool m_bText = false;
        std::string m_str; // HTML
    };
    std::vector<CPiece> Pieces(const CRichTextDocument& doc);
    int CharClass(const CCharFormat& cf);
    int ParaClass(const CParaFormat& pf);

    std::map<std::string, int> m_charClasses; // CSS declarations -> class number
    std::map<std::string, int> m_paraClasses;
    std::vector<std::vector<int>> m_tabStops; // by paragraph class
    std::map<std::string, int> m_dictionary;  // piece -> number
    std::vector<std::string> m_pieces;        // by number
};

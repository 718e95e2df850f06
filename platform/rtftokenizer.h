#pragma once

#include <cstddef>
#include <string_view>

// The lexical layer of the RTF reader: braces, control words and symbols,
// \'hh escapes and literal bytes, one token at a time. What the tokens mean
// is the reader's business.
class CRtfTokenizer {
public:
    enum class EToken {
        none,
        end,
        openGroup,
        closeGroup,
        controlWord,
        controlSymbol,
        hexByte,
        text
    };
    struct CToken {
        EToken m_type = EToken::none;
        std::string_view m_strWord; // lives as long as the input
        bool m_bHasParam = false;
        int m_nParam = 0;
        unsigned char m_ch = 0;
    };

    explicit CRtfTokenizer(std::string_view input) : m_input(input) {}

    // The next token; EToken::end once the input is used up, and every time
    // after that.
    CToken Next();
    // Passes over nCount raw bytes (\binN data), at most what is left.
    void SkipBytes(std::size_t nCount);

private:
    std::string_view m_input;
    std::size_t m_nPos = 0;
};

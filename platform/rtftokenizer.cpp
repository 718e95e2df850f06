#include "platform/rtftokenizer.h"

#include "platform/cp1251.h"

#include <algorithm>
#include <climits>

namespace {

bool IsAsciiLetter(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

bool IsDigit(unsigned char ch) {
    return ch >= '0' && ch <= '9';
}

} // namespace

CRtfTokenizer::CToken CRtfTokenizer::Next() {
    CToken token;
    const std::size_t nSize = m_input.size();
    while (token.m_type == EToken::none) {
        if (m_nPos >= nSize) {
            token.m_type = EToken::end;
            break;
        }
        const auto ch = static_cast<unsigned char>(m_input[m_nPos++]);
        if (ch == '{') {
            token.m_type = EToken::openGroup;
        } else if (ch == '}') {
            token.m_type = EToken::closeGroup;
        } else if (ch == '\r' || ch == '\n') {
            // Line breaks in the file carry no meaning.
        } else if (ch != '\\') {
            token.m_type = EToken::text;
            token.m_ch = ch;
        } else if (m_nPos >= nSize) {
            // A lone backslash at the very end.
        } else {
            const auto next = static_cast<unsigned char>(m_input[m_nPos]);
            if (IsAsciiLetter(next)) {
                const std::size_t nWordStart = m_nPos;
                while (m_nPos < nSize && IsAsciiLetter(static_cast<unsigned char>(m_input[m_nPos])))
                    ++m_nPos;
                token.m_type = EToken::controlWord;
                token.m_strWord = m_input.substr(nWordStart, m_nPos - nWordStart);
                bool bNegative = false;
                if (m_nPos + 1 < nSize && m_input[m_nPos] == '-' &&
                    IsDigit(static_cast<unsigned char>(m_input[m_nPos + 1]))) {
                    bNegative = true;
                    ++m_nPos;
                }
                if (m_nPos < nSize && IsDigit(static_cast<unsigned char>(m_input[m_nPos]))) {
                    // Every digit belongs to the word; the value saturates.
                    long long nValue = 0;
                    while (m_nPos < nSize && IsDigit(static_cast<unsigned char>(m_input[m_nPos]))) {
                        if (nValue <= INT_MAX)
                            nValue = nValue * 10 + (m_input[m_nPos] - '0');
                        ++m_nPos;
                    }
                    if (bNegative)
                        nValue = -nValue;
                    token.m_bHasParam = true;
                    token.m_nParam =
                        static_cast<int>(std::clamp<long long>(nValue, INT_MIN, INT_MAX));
                }
                if (m_nPos < nSize && m_input[m_nPos] == ' ')
                    ++m_nPos;
            } else if (next == '\'') {
                ++m_nPos;
                const int nHigh = m_nPos < nSize ? cp1251::HexDigitValue(m_input[m_nPos]) : -1;
                const int nLow =
                    m_nPos + 1 < nSize ? cp1251::HexDigitValue(m_input[m_nPos + 1]) : -1;
                // Without two hex digits the escape is dropped and what follows
                // reads as usual.
                if (nHigh >= 0 && nLow >= 0) {
                    m_nPos += 2;
                    token.m_type = EToken::hexByte;
                    token.m_ch = static_cast<unsigned char>(nHigh << 4 | nLow);
                }
            } else if (next == '\r' || next == '\n') {
                ++m_nPos;
                token.m_type = EToken::controlWord;
                token.m_strWord = "par";
            } else {
                ++m_nPos;
                token.m_type = EToken::controlSymbol;
                token.m_ch = next;
            }
        }
    }
    return token;
}

void CRtfTokenizer::SkipBytes(std::size_t nCount) {
    m_nPos += std::min(nCount, m_input.size() - m_nPos);
}

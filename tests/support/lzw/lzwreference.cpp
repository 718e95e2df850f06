#include "support/lzw/lzwreference.h"

#include <set>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t kClear = 256;
constexpr std::uint32_t kEnd = 257;
constexpr std::uint32_t kFirstMade = 258;
// Codes are at most 12 bits wide: a block ends once entry 4095 is made, so the
// dictionary holds at most 4096 strings, each shorter than 4096 bytes.
constexpr std::uint32_t kMaxBits = 12;
constexpr std::uint32_t kTableSize = 1u << kMaxBits;

using Bytes = std::vector<unsigned char>;

} // namespace

CLzwReference::CLzwReference(CFile* pCodeFile, unsigned char* pOutput, std::size_t nOutCapacity)
    : m_pCodeFile(pCodeFile), m_pOutput(pOutput),
      m_nOutCapacity(nOutCapacity > UINT32_MAX ? UINT32_MAX
                                               : static_cast<std::uint32_t>(nOutCapacity)) {}

// The next code, least significant bit first. A byte is read when its first
// bit is needed; when the file has none, the stream ends there.
std::uint32_t CLzwReference::ReadCode(std::uint32_t nBits) {
    std::uint32_t nCode = 0;
    for (std::uint32_t i = 0; i < nBits; ++i) {
        if (m_nInBitsLeft == 0) {
            unsigned char nByte;
            if (m_pCodeFile->Read(&nByte, 1) != 1)
                return kEnd;
            m_nInByte = nByte;
            m_nInBitsLeft = 8;
        }
        nCode |= (m_nInByte & 1) << i;
        m_nInByte >>= 1;
        --m_nInBitsLeft;
    }
    return nCode;
}

// Writes what fits; false when a byte did not.
bool CLzwReference::Write(const unsigned char* pBytes, std::size_t nCount) {
    for (std::size_t i = 0; i < nCount; ++i) {
        if (m_nOutCount == m_nOutCapacity)
            return false;
        m_pOutput[m_nOutCount++] = pBytes[i];
    }
    return true;
}

int CLzwReference::Decode() {
    // The string of every code defined in the block, and the (previous code,
    // last byte) pair of every entry made in it.
    std::vector<Bytes> strings;
    std::set<std::pair<std::uint32_t, unsigned char>> pairs;
    for (;;) {
        strings.assign(kFirstMade, Bytes{});
        for (std::uint32_t n = 0; n < kClear; ++n)
            strings[n] = Bytes{static_cast<unsigned char>(n)};
        pairs.clear();
        std::uint32_t nBits = 9;

        // A block starts with a literal or the end code.
        std::uint32_t nCode = ReadCode(nBits);
        if (nCode == kEnd)
            return 1;
        if (nCode >= kClear)
            return 0;
        if (!Write(strings[nCode].data(), 1))
            return 0;
        std::uint32_t nPrev = nCode;

        for (;;) {
            nCode = ReadCode(nBits);
            if (nCode == kEnd)
                return 1;
            if (nCode == kClear)
                break;
            // The new entry is the previous string and the first byte of this
            // code's; a code equal to the entry being made starts with the
            // previous string, so that byte is the previous string's first.
            Bytes entry = strings[nPrev];
            if (nCode < strings.size())
                entry.push_back(strings[nCode][0]);
            else if (nCode == strings.size())
                entry.push_back(strings[nPrev][0]);
            else
                return 0;
            const Bytes& str = nCode < strings.size() ? strings[nCode] : entry;
            if (!Write(str.data(), str.size()))
                return 0;
            if (!pairs.emplace(nPrev, entry.back()).second)
                return 0;
            strings.push_back(std::move(entry));
            if (strings.size() == kTableSize)
                break;
            if (strings.size() == std::size_t{1} << nBits)
                ++nBits;
            nPrev = nCode;
        }
    }
}

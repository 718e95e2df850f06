#pragma once

#include "platform/cfile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// One dictionary entry: the last byte of its string and the code of the string
// before that byte. Literals and the two control codes have the end code as
// prefix.
struct LzwEntry {
    std::uint32_t suffix;
    std::uint32_t prefix;
};

// The set of (suffix, prefix) pairs of the entries made so far, as one bit per
// possible pair: a made entry's suffix is a byte and its prefix a code below
// 4096, so 4096 x 256 bits (128 KiB) cover them all and a lookup is one bit
// test, whatever the stream does. The fixed entries 0 to 257 are not held:
// their prefix is the end code, which no made entry has (the previous code is
// never the end or clear code), so no lookup could meet them.
class CLzwPairIndex {
public:
    static constexpr std::uint32_t kPrefixCount = 4096;
    static constexpr std::uint32_t kSuffixCount = 256;

    // Makes the set empty, allocating its bits on first use.
    void Allocate();
    void RemoveAll() { m_pBits.reset(); }

    bool Contains(std::uint32_t suffix, std::uint32_t prefix) const {
        const std::uint32_t n = Key(suffix, prefix);
        return (m_pBits[n / 64] >> (n % 64)) & 1;
    }
    void Insert(std::uint32_t suffix, std::uint32_t prefix) {
        const std::uint32_t n = Key(suffix, prefix);
        m_pBits[n / 64] |= std::uint64_t{1} << (n % 64);
    }
    void Remove(std::uint32_t suffix, std::uint32_t prefix) {
        const std::uint32_t n = Key(suffix, prefix);
        m_pBits[n / 64] &= ~(std::uint64_t{1} << (n % 64));
    }

    static std::uint32_t Key(std::uint32_t suffix, std::uint32_t prefix) {
        return (prefix % kPrefixCount) * kSuffixCount + suffix % kSuffixCount;
    }

private:
    std::unique_ptr<std::uint64_t[]> m_pBits;
};

// The variable-width LZW decoder of picture streams: 9- to 12-bit codes packed
// least significant bit first, 256 clears the dictionary, 257 ends the stream,
// and the dictionary starts again by itself after entry 4095. It lives for one
// Decode.
//
// The three virtual operations are the seams a test replaces to watch or feed
// the decoder. A derived codec decodes one byte and one code at a time
// through them, with m_pEntries and m_pairIndex. A codec that is exactly
// CLzwCodec cannot have changed seams or fields, and decodes on a fast path
// with flat tables of its own, reading the file in chunks and seeking back:
// the same result, output and final file position.
class CLzwCodec {
public:
    // Writes at most nOutCapacity bytes from pOutput on (at most 2^32 - 1).
    CLzwCodec(CFile* pCodeFile, unsigned char* pOutput, std::size_t nOutCapacity);
    virtual ~CLzwCodec();
    CLzwCodec(const CLzwCodec&) = delete;
    CLzwCodec& operator=(const CLzwCodec&) = delete;

    // 1 when the stream ended with the end code (or the file ended), 0 when
    // decoding stopped on a malformed stream: a code above the next code, a
    // new entry whose pair is already present, a block that starts with
    // neither a literal nor the end code, or output beyond the capacity (the
    // bytes that fit are written, nothing beyond). The file then stands right
    // after the last byte a byte-at-a-time reader would have consumed.
    // CFileException and std::bad_alloc pass through. Called once per codec.
    int Decode();

    std::uint32_t GetOutCount() const { return m_nOutCount; }

protected:
    virtual void WriteOutputByte(unsigned char nByte);
    // A byte value, or m_nEndCode when the file has no byte left.
    virtual std::uint32_t ReadCodeByte();
    virtual std::uint32_t ReadCode();

    void OutputString(std::uint32_t nCode);
    unsigned char FirstByte(std::uint32_t nCode) const;
    int AddEntry(std::uint32_t nSuffix, std::uint32_t nPrefix);
    int GrowOrReset();
    // Back to the fixed entries 0 to 257; nMadeEnd is one past the last entry
    // made since the previous reset, so this costs the entries made only.
    void ResetDictionary(std::uint32_t nMadeEnd);

    std::uint32_t m_nRootBits = 8;
    std::uint32_t m_nMaxBits = 12;
    std::uint32_t m_nCodeBits = 9;
    std::uint32_t m_nRootCount = 256;
    std::uint32_t m_nTableSize = 4096;
    std::uint32_t m_nCodeLimit = 512;
    std::uint32_t m_nNextCode = 258;
    std::uint32_t m_nEndCode = 257;
    std::uint32_t m_nClearCode = 256;
    std::unique_ptr<LzwEntry[]> m_pEntries;
    CLzwPairIndex m_pairIndex;
    std::uint32_t m_nInByte = 0;
    std::uint32_t m_nInBit = 8;
    std::uint32_t m_nOutCount = 0;
    CFile* m_pCodeFile;
    unsigned char* m_pOutput;
    std::uint32_t m_nOutCapacity;
    bool m_bOutputFull = false; // a byte was dropped at the end of the output

private:
    void BeginDecode();
    int DecodeThroughSeams();
    int DecodeFast();
};

// Decodes the stream at the file's position into pBits, which holds
// nCapacity bytes (the pixel array of the record's DIB section). Returns the
// Decode result; 0 as well when there is no memory for the dictionary.
// CFileException passes through.
int DecodePictureBits(CFile& file, unsigned char* pBits, std::size_t nCapacity);

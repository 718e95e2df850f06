#pragma once

#include "platform/cfile.h"

#include <cstddef>
#include <cstdint>

// The variable-width LZW decoder of picture streams: 9- to 12-bit codes packed
// least significant bit first, 256 clears the dictionary, 257 ends the stream,
// and the dictionary starts again by itself after entry 4095. It lives for one
// Decode, reads the file in chunks and seeks back to where a byte-at-a-time
// reader would stand. The dictionary and its pair set (1.1 MiB) are allocated once
// per thread and kept between decodes; nothing of one stream carries over to
// the next.
class CLzwCodec final {
public:
    // Writes at most nOutCapacity bytes from pOutput on (at most 2^32 - 1).
    CLzwCodec(CFile* pCodeFile, unsigned char* pOutput, std::size_t nOutCapacity);
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

private:
    CFile* m_pCodeFile;
    unsigned char* m_pOutput;
    std::uint32_t m_nOutCapacity;
    std::uint32_t m_nOutCount = 0;
};

// Decodes the stream at the file's position into pBits, which holds
// nCapacity bytes (the pixel array of the record's DIB section). Returns the
// Decode result; 0 as well when there is no memory for the dictionary.
// pnDecoded, when given, receives the bytes written: an end code or the end
// of the file before nCapacity is a success that leaves the rest untouched.
// CFileException passes through.
int DecodePictureBits(CFile& file, unsigned char* pBits, std::size_t nCapacity,
                      std::size_t* pnDecoded = nullptr);

#pragma once

#include "platform/cfile.h"

#include <cstddef>
#include <cstdint>

// The picture stream decoder written the plain way, to hold CLzwCodec to: one
// byte from the file and one code at a time, each code's whole string kept in
// the dictionary. Same contract as CLzwCodec: the same result, bytes written,
// count and final file position for any stream and capacity.
class CLzwReference {
public:
    CLzwReference(CFile* pCodeFile, unsigned char* pOutput, std::size_t nOutCapacity);
    CLzwReference(const CLzwReference&) = delete;
    CLzwReference& operator=(const CLzwReference&) = delete;

    int Decode();
    std::uint32_t GetOutCount() const { return m_nOutCount; }

private:
    std::uint32_t ReadCode(std::uint32_t nBits);
    bool Write(const unsigned char* pBytes, std::size_t nCount);

    CFile* m_pCodeFile;
    unsigned char* m_pOutput;
    std::uint32_t m_nOutCapacity;
    std::uint32_t m_nOutCount = 0;
    std::uint32_t m_nInByte = 0;     // the current stream byte, shifted to its next bit
    std::uint32_t m_nInBitsLeft = 0; // bits of m_nInByte not yet taken
};

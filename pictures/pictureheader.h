#pragma once

#include "platform/cfile.h"
#include "platform/dibsection.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// A picture record: a 40-byte BITMAPINFOHEADER whose biSizeImage is the length
// of the whole record, the colour table, then the LZW stream of the pixels.
constexpr std::size_t kPictureHeaderSize = 40;
constexpr std::size_t kColourEntrySize = 4;

// No depth a DIB section accepts needs more than 256 colours, so a longer
// table can never become a picture; refusing it keeps a biClrUsed of up to
// 2^32 - 1 from asking for 16 GiB.
constexpr std::uint64_t kMaxColourEntries = 256;

BITMAPINFOHEADER DecodeBitmapInfoHeader(const unsigned char* p);
void EncodeBitmapInfoHeader(const BITMAPINFOHEADER& hdr, unsigned char* p);

// Colour-table entries of the record: none at 24 bits, else biClrUsed, or
// 2^biBitCount when that is 0 (saturated for absurd depths, never wrapped).
std::uint64_t ColourTableEntries(const BITMAPINFOHEADER& hdr);

// Reads the header and colour table of the record at the file's position into
// a new block whose biSizeImage is 0, and returns the colour-table bytes read;
// the file then stands on the first byte of the stream. Returns -1 and leaves
// pBlock empty when there is no usable block: the file ends inside the header
// or the table, or the table is longer than kMaxColourEntries. The file then
// stands wherever reading stopped. CFileException passes through.
int ReadPictureHeader(CFile& file, std::unique_ptr<CBitmapInfo>& pBlock);

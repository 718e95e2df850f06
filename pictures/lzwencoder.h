#pragma once

#include "platform/dibsection.h"

#include <cstdint>
#include <span>
#include <vector>

// The LZW stream CLzwCodec reads: a literal first, 9-bit codes growing after
// entries 511, 1023 and 2047, a fresh block at 9 bits after entry 4095, and the
// end code 257 in the last byte. It never sends a clear code, and as greedy
// LZW it never makes an entry twice, so the decoder accepts every stream.
// Empty input is the end code alone.
std::vector<unsigned char> EncodeLzw(std::span<const unsigned char> data);

// A whole picture record: the header (biSizeImage the record's length,
// biClrUsed the table's length), the colour table, the stream of the pixels.
// pixels is the DIB-layout array, rows bottom-up and padded to 4 bytes.
// Throws std::invalid_argument for what the decoder side could not show: a
// size or depth CDibSection refuses, a pixel array of the wrong length, a
// palette depth without a table or with more than 2^depth colours, or a table
// at 24 bits.
std::vector<unsigned char> WritePictureRecord(std::int32_t nWidth, std::int32_t nHeight,
                                              int nBitCount, std::span<const RGBQUAD> colours,
                                              std::span<const unsigned char> pixels);

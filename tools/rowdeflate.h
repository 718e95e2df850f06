#pragma once

#include <cstddef>
#include <vector>

// A zlib stream for picture rows that are mostly runs of one value or copies
// of the row above, as drawn pictures are: matches at distance 1 and one row
// back only, one block of Huffman codes made for the picture. It touches each
// byte once, several times faster than a general coder on such rows; on rows
// of another kind it gives up early and the caller uses a general coder.
namespace rowdeflate {

// Appends the zlib stream (header, one final deflate block, Adler-32) of n
// bytes, rows of nRowBytes each, to out and returns true; returns false with
// out unchanged when the rows do not pay for this coder, or are more than
// 16 MiB.
bool Compress(const unsigned char* p, std::size_t n, std::size_t nRowBytes,
              std::vector<unsigned char>& out);

} // namespace rowdeflate

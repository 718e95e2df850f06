#pragma once

#include <cstddef>
#include <string>

class CDibSection;

// PNG files of decoded pictures, written straight from the DIB's rows: palette
// depths stay palette images (the colour table padded to 2^depth with black,
// so an index the table does not hold shows black, as GetPixelRgb gives it),
// 24 bits become RGB. Every row is stored unfiltered: the pictures' indexed
// rows compress as well that way and the writer stays one pass over the bits.
namespace pngfile {

// The whole file as bytes.
std::string Encode(const CDibSection& dib);

// Writes Encode(dib) to a file and returns its size; throws
// std::runtime_error when it cannot.
std::size_t Write(const CDibSection& dib, const std::string& strPath);

} // namespace pngfile

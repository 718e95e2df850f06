#pragma once

#include <QImage>
#include <string>

class CDibSection;

// A picture record's pixels as an image file holds them exactly, and back:
// 1, 4 and 8 bits as an indexed image whose colour table is the record's,
// entry for entry; 24 bits as RGB. The build and `unbuild` both go through
// here, so what one writes the other reads back to the same record.
namespace pictureimage {

QImage FromDib(const CDibSection& dib);

// The whole picture record of an image at a depth. Throws
// std::invalid_argument for an image that depth cannot hold: a palette depth
// with an image that is not indexed or whose table is longer than 2^depth.
std::string EncodeRecord(const QImage& image, int nBits);

// Reads an image file; throws std::invalid_argument when it cannot.
QImage Load(const std::string& strPath);

} // namespace pictureimage

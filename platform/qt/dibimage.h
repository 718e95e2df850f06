#pragma once

#include <QImage>

class CDibSection;

// A DIB section as an image with the top row first, the way the screen
// shows it: palette depths keep their indices and table (1 bit as Mono,
// 4 and 8 bits as Indexed8), 24 bits stay blue-green-red. Indices past the
// table show black. A null image when Qt has no memory for it.
QImage DibToImage(const CDibSection& dib);
// The same into image, whose memory is kept when it already has the size and
// format and is not shared: the viewer's step between pictures of a series.
void DibToImage(const CDibSection& dib, QImage& image);

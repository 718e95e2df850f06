#pragma once

#include <QIcon>
#include <QImage>

#include <array>
#include <string>

// The application icon: an aircraft seen from above on a sky disc, drawn on
// a 32 x 32 grid (the size of the original icon) and scaled to any size.
// The window carries every size of the installed set, so title bars, task
// switchers and HiDPI screens each get a sharp image.
inline constexpr std::array<int, 6> kAppIconSizes{16, 32, 48, 64, 128, 256};

QImage AppIconImage(int nSize);
QIcon AppIcon();

// The same shapes and colours as an SVG document, nSize pixels nominal.
std::string AppIconSvg(int nSize);

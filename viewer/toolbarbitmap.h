#pragma once

#include <QImage>

// Bitmap 128, the images of the picture viewer's toolbar: a double chevron
// pointing left, one pointing right and the word "Выход", black on light
// grey (192), 102 x 15 pixels with the 16 colours of a 4-bit bitmap.
QImage ToolBarBitmap();

// Image nIndex (0 to 2) of the bitmap, in the order of the buttons.
QImage ToolBarImage(int nIndex);

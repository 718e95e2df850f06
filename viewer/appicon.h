#pragma once

#include <QIcon>
#include <QImage>

// The application icon: an aircraft seen from above, drawn at 32 x 32 (the
// size of the original icon) and at 16 x 16 for title bars and task lists.
QImage AppIconImage(int nSize);
QIcon AppIcon();

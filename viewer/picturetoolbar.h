#pragma once

#include <array>

// Toolbar resource 128 of the picture viewer (toolbar format version 1):
// four items, the separator without an image, so bitmap 128 holds three
// images of 34 x 15 pixels side by side.
inline constexpr int IDR_PICTURE_TOOLBAR = 128;
inline constexpr int kPictureToolBarVersion = 1;
inline constexpr unsigned ID_SEPARATOR = 0;
inline constexpr unsigned ID_PICTURE_PREV = 0x8004;
inline constexpr unsigned ID_PICTURE_NEXT = 0x8005;
inline constexpr unsigned ID_PICTURE_CLOSE = 0x8007;
inline constexpr int kToolBarImageWidth = 34;
inline constexpr int kToolBarImageHeight = 15;
// What the pointer resting on a button says (UTF-8); none for a separator.
inline constexpr const char* ToolTipText(unsigned nID) {
    switch (nID) {
    case ID_PICTURE_PREV:
        return "Предыдущее изображение";
    case ID_PICTURE_NEXT:
        return "Следующее изображение";
    case ID_PICTURE_CLOSE:
        return "Выход";
    default:
        return "";
    }
}
inline constexpr std::array<unsigned, 4> kPictureToolBarItems = {ID_PICTURE_PREV, ID_PICTURE_NEXT,
                                                                 ID_SEPARATOR, ID_PICTURE_CLOSE};

#include "viewer/toolbarbitmap.h"

#include "viewer/picturetoolbar.h"

#include <QFont>
#include <QPainter>
#include <cstdlib>

namespace {

constexpr int kImageCount = 3;
constexpr int kBlack = 0;
constexpr int kFace = 7; // light grey of the 16-colour table

// The colours a 4-bit Windows bitmap has.
QList<QRgb> SixteenColours() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// Two chevrons, two pixels thick, tips six pixels apart, centred in image nImage.
void DrawDoubleChevron(QImage& image, int nImage, bool bLeft) {
    const int x0 = nImage * kToolBarImageWidth;
    constexpr int kMid = kToolBarImageHeight / 2;
    constexpr int kArm = 4;
    for (const int nTip : {11, 17}) {
        for (int dy = -kArm; dy <= kArm; ++dy) {
            for (int t = 0; t < 2; ++t) {
                const int x = nTip + std::abs(dy) + t;
                image.setPixel(x0 + (bLeft ? x : kToolBarImageWidth - 1 - x), kMid + dy, kBlack);
            }
        }
    }
}

// The word in black, without smoothing, so the image keeps two colours.
void DrawExitWord(QImage& image, int nImage) {
    QImage word(kToolBarImageWidth, kToolBarImageHeight, QImage::Format_RGB32);
    word.fill(qRgb(192, 192, 192));
    {
        QPainter painter(&word);
        QFont font;
        font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                          QStringLiteral("DejaVu Sans")});
        font.setPixelSize(10);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(word.rect(), Qt::AlignCenter, QStringLiteral("Выход"));
    }
    const int x0 = nImage * kToolBarImageWidth;
    for (int y = 0; y < word.height(); ++y)
        for (int x = 0; x < word.width(); ++x)
            if (qGray(word.pixel(x, y)) < 128)
                image.setPixel(x0 + x, y, kBlack);
}

} // namespace

QImage ToolBarBitmap() {
    QImage image(kImageCount * kToolBarImageWidth, kToolBarImageHeight, QImage::Format_Indexed8);
    image.setColorTable(SixteenColours());
    image.fill(kFace);
    DrawDoubleChevron(image, 0, true);
    DrawDoubleChevron(image, 1, false);
    DrawExitWord(image, 2);
    return image;
}

QImage ToolBarImage(int nIndex) {
    static const QImage bitmap = ToolBarBitmap();
    return bitmap.copy(nIndex * kToolBarImageWidth, 0, kToolBarImageWidth, kToolBarImageHeight);
}

#include "support/testdib.h"

std::unique_ptr<CDibSection> MakeTestDib(std::int32_t nWidth, std::int32_t nHeight, int nBits,
                                         std::size_t nColours, unsigned nSeed) {
    CBitmapInfo info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<std::uint16_t>(nBits);
    for (std::size_t i = 0; i < nColours; ++i)
        info.bmiColors.push_back({static_cast<std::uint8_t>(10 + i + nSeed),
                                  static_cast<std::uint8_t>(3 * i),
                                  static_cast<std::uint8_t>(250 - i), 0});
    auto pDib = CDibSection::Create(info);
    for (std::size_t i = 0; pDib && i < pDib->GetSize(); ++i)
        pDib->GetBits()[i] = static_cast<unsigned char>(i * 131 + 7 + nSeed);
    return pDib;
}

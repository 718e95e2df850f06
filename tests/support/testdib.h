#pragma once

#include "platform/dibsection.h"

#include <cstdint>
#include <memory>

// A DIB section whose every byte differs from its neighbours (row padding
// included), so a flipped row, a shifted column or a lost byte shows; nColours
// colour-table entries, all different. nSeed makes another picture of the
// same shape.
std::unique_ptr<CDibSection> MakeTestDib(std::int32_t nWidth, std::int32_t nHeight, int nBits,
                                         std::size_t nColours, unsigned nSeed = 0);

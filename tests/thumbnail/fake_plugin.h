// What the fake plug-in serves, shared with the tests that check its pictures.
// A file name "..._<W>x<H>.rov" gives a W by H picture of pattern indexes;
// the bytes past the width at the end of each row hold kFillerIndex.
#pragma once

#include <cstdint>

namespace fake_picture {

constexpr std::uint8_t kFillerIndex = 255;

// Index of the pixel in column x of row y, counted from the top.
inline std::uint8_t IndexAt(std::int64_t x, std::int64_t y)
{
    return static_cast<std::uint8_t>(1 + (x * 5 + y * 17) % 250);
}

// Colour table entry of an index, as 0x00RRGGBB.
inline std::uint32_t ColourOf(std::uint8_t index)
{
    return (std::uint32_t{index} << 16) | (std::uint32_t(255 - index) << 8) | 0x40;
}

}  // namespace fake_picture

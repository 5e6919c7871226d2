#pragma once

#include <QtGlobal>

// A Windows colour value: red in the low byte, then green, then blue
// (0xBBGGRR). Files store it as signed decimal text.
using ColorRef = qint32;

namespace Colors {
constexpr ColorRef Red = 0x0000FF;
constexpr ColorRef Black = 0x000000;
constexpr ColorRef Blue = 0xFF0000;
constexpr ColorRef Yellow = 0x00FFFF;
constexpr ColorRef Grey = 0x808080;
constexpr ColorRef Silver = 0xC0C0C0;
constexpr ColorRef White = 0xFFFFFF;
constexpr ColorRef Cyan = 0xFFFF00;
} // namespace Colors

// Colours from the Windows COLORREF layout 0x00BBGGRR (red in the low byte), as the document
// stores them, into the Direct3D layout 0x00RRGGBB that vertex colours and texels use.
#pragma once

#include <cstdint>

// The red and blue bytes swapped; the alpha byte is 0, for the caller to OR in.
constexpr uint32_t RgbFromColorref(uint32_t colour)
{
    const uint32_t red = colour & 0xFFu, green = (colour >> 8) & 0xFFu, blue = (colour >> 16) & 0xFFu;
    return (red << 16) | (green << 8) | blue;
}

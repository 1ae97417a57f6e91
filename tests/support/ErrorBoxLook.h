// What the program's error state looks like from outside: a white box of 300 × 150 pixels with
// the message in black, drifting over a black screen. A white field of at least 250 × 100 pixels
// (the box less its frame and its text) on a screen or a back buffer is that box.
#pragma once

#include <cstddef>

constexpr size_t kErrorBoxWhitePixels = 250 * 100;

// Anything that counts its pixels of one colour with Count(0x00RRGGBB): a screen capture or a
// back buffer read back.
template <class Image>
bool ShowsErrorBox(const Image& image)
{
    return image.Count(0xFFFFFFu) > kErrorBoxWhitePixels;
}

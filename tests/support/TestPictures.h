// Small picture files built in memory for tests: 24-bit BMP files that D3DX, GDI+ and the
// document loader all decode.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// A 24-bit BMP file whose pixel (x, y), counted from the top left, is colour(x, y) (0xRRGGBB).
template <typename Colour>
std::vector<uint8_t> PaintedBmp(int width, int height, Colour colour)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(rowBytes * height);
    std::vector<uint8_t> bmp(54 + imageSize, 0);
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&bmp[at], &v, 2); };
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bmp[at], &v, 4); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);                              // pixels follow the two headers
    put32(14, 40);                              // BITMAPINFOHEADER
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));   // positive: rows are stored bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(34, imageSize);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = colour(x, y);
            uint8_t* p = &bmp[54 + (height - 1 - y) * rowBytes + x * 3];
            p[0] = static_cast<uint8_t>(rgb);
            p[1] = static_cast<uint8_t>(rgb >> 8);
            p[2] = static_cast<uint8_t>(rgb >> 16);
        }
    return bmp;
}

// A BMP file of one colour (0xRRGGBB).
inline std::vector<uint8_t> SolidBmp(int width, int height, uint32_t rgb)
{
    return PaintedBmp(width, height, [rgb](int, int) { return rgb; });
}

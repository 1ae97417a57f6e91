// Small pictures built in memory for tests: 24-bit BMP files that D3DX, GDI+ and the document
// loader all decode, painted textures, and PNG files made from them.
#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "document/ComRef.h"

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

// A managed A8R8G8B8 texture whose texel (x, y) is colour(x, y) (0xAARRGGBB); null when the
// texture cannot be made.
template <typename Colour>
ComRef<IDirect3DTexture9> PaintedTexture(IDirect3DDevice9* device, UINT width, UINT height, Colour colour)
{
    ComRef<IDirect3DTexture9> texture;
    if (FAILED(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr)))
        return texture;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0)))
        return nullptr;
    for (UINT y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < width; ++x)
            row[x] = colour(x, y);
    }
    texture->UnlockRect(0);
    return texture;
}

// A managed A8R8G8B8 texture of one colour 0xAARRGGBB.
inline ComRef<IDirect3DTexture9> SolidTexture(IDirect3DDevice9* device, UINT width, UINT height, uint32_t argb)
{
    return PaintedTexture(device, width, height, [argb](UINT, UINT) { return argb; });
}

// The texture's first level as a PNG file; empty when D3DX cannot write it.
inline std::vector<uint8_t> TexturePng(IDirect3DTexture9* texture)
{
    ComRef<ID3DXBuffer> file;
    if (!texture || FAILED(D3DXSaveTextureToFileInMemory(file.Out(), D3DXIFF_PNG, texture, nullptr)))
        return {};
    const uint8_t* bytes = static_cast<const uint8_t*>(file->GetBufferPointer());
    return std::vector<uint8_t>(bytes, bytes + file->GetBufferSize());
}

// A PNG file whose pixel (x, y) is colour(x, y) (0xAARRGGBB).
template <typename Colour>
std::vector<uint8_t> PaintedPng(IDirect3DDevice9* device, UINT width, UINT height, Colour colour)
{
    return TexturePng(PaintedTexture(device, width, height, colour).Get());
}

// The reference count of a COM object, read by adding and dropping one.
template <class T>
ULONG RefCount(T* object)
{
    object->AddRef();
    return object->Release();
}

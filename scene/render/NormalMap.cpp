#include "scene/render/NormalMap.h"

#include <cmath>

#include "document/CurrentDevice.h"

std::vector<SurfaceNormal> ComputeNormalMapRed(const uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height,
                                               float amplitude)
{
    std::vector<SurfaceNormal> normals;
    if (!rows || width == 0 || height == 0)
        return normals;
    normals.resize(size_t(width) * height);
    // Red is byte 2 of a B, G, R, A texel.
    auto h = [&](uint32_t x, uint32_t y) {
        return rows[ptrdiff_t(y) * pitch + 4 * ptrdiff_t(x) + 2] * (1.0f / 255.0f);
    };
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t up = (y + height - 1) % height, down = (y + 1) % height;
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t left = (x + width - 1) % width, right = (x + 1) % width;
            const float dx = -amplitude * (h(right, y) - h(left, y)) * 0.5f;
            const float dy = -amplitude * (h(x, down) - h(x, up)) * 0.5f;
            const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
            normals[size_t(y) * width + x] = {dx / length, dy / length, 1.0f / length};
        }
    }
    return normals;
}

BumpTexel PackNormalV8U8(const SurfaceNormal& n)
{
    auto pack = [](float c) {
        const long v = std::lround(127.0f * c);
        return static_cast<int8_t>(v < -127 ? -127 : v > 127 ? 127 : v);
    };
    return {pack(n.x), pack(n.y)};
}

void PackNormalsV8U8(const std::vector<SurfaceNormal>& normals, uint32_t width, uint32_t height, uint8_t* rows,
                     int32_t pitch)
{
    if (!rows || normals.size() < size_t(width) * height)
        return;
    for (uint32_t y = 0; y < height; ++y) {
        int8_t* texel = reinterpret_cast<int8_t*>(rows + ptrdiff_t(y) * pitch);
        for (uint32_t x = 0; x < width; ++x, texel += 2) {
            const BumpTexel t = PackNormalV8U8(normals[size_t(y) * width + x]);
            texel[0] = t.u;
            texel[1] = t.v;
        }
    }
}

HRESULT ComputeBumpMapFromHeights(IDirect3DTexture9* heights, float amplitude, ComRef<IDirect3DTexture9>& bump)
{
    bump.Reset();
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !heights)
        return E_FAIL;
    D3DSURFACE_DESC desc;
    HRESULT hr = heights->GetLevelDesc(0, &desc);
    if (FAILED(hr))
        return hr;
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8)
        return E_INVALIDARG;

    D3DLOCKED_RECT source;
    if (FAILED(hr = heights->LockRect(0, &source, nullptr, D3DLOCK_READONLY)))
        return hr;
    const std::vector<SurfaceNormal> normals =
        ComputeNormalMapRed(static_cast<const uint8_t*>(source.pBits), source.Pitch, desc.Width, desc.Height, amplitude);
    heights->UnlockRect(0);

    ComRef<IDirect3DTexture9> made;
    if (FAILED(hr = device->CreateTexture(desc.Width, desc.Height, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, made.Out(),
                                          nullptr)))
        return hr;
    D3DLOCKED_RECT target;
    if (FAILED(hr = made->LockRect(0, &target, nullptr, 0)))
        return hr;
    PackNormalsV8U8(normals, desc.Width, desc.Height, static_cast<uint8_t*>(target.pBits), target.Pitch);
    made->UnlockRect(0);
    bump = made;
    return S_OK;
}

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

namespace {

// round(127 c) held to −127..127, as PackNormalV8U8 packs it: halves away from zero. |c| ≤ 1
// for a normal, so the truncation is exact and the remainder tells which way to round.
inline int8_t PackComponent(float c)
{
    const float scaled = 127.0f * c;
    if (!(scaled >= -127.0f)) // also NaN
        return -127;
    if (scaled >= 127.0f)
        return 127;
    int v = static_cast<int>(scaled);
    const float rest = scaled - static_cast<float>(v);
    if (rest >= 0.5f)
        ++v;
    else if (rest <= -0.5f)
        --v;
    return static_cast<int8_t>(v);
}

} // namespace

void WriteBumpMapV8U8(const uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height, float amplitude,
                      uint8_t* out, int32_t outPitch)
{
    if (!rows || !out || width == 0 || height == 0)
        return;
    // Every height a byte can give, and the byte offsets of each column's red neighbours (the
    // edges wrap), so the loop below does no division.
    float level[256];
    for (int i = 0; i < 256; ++i)
        level[i] = static_cast<float>(i) * (1.0f / 255.0f);
    std::vector<uint32_t> left(width), right(width);
    for (uint32_t x = 0; x < width; ++x) {
        left[x] = 4 * (x == 0 ? width - 1 : x - 1) + 2;
        right[x] = 4 * (x + 1 == width ? 0 : x + 1) + 2;
    }
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = rows + ptrdiff_t(y) * pitch;
        const uint8_t* up = rows + ptrdiff_t(y == 0 ? height - 1 : y - 1) * pitch;
        const uint8_t* down = rows + ptrdiff_t(y + 1 == height ? 0 : y + 1) * pitch;
        int8_t* texel = reinterpret_cast<int8_t*>(out + ptrdiff_t(y) * outPitch);
        for (uint32_t x = 0; x < width; ++x, texel += 2) {
            const uint32_t red = 4 * x + 2;
            // The same operations in the same order as ComputeNormalMapRed.
            const float dx = -amplitude * (level[row[right[x]]] - level[row[left[x]]]) * 0.5f;
            const float dy = -amplitude * (level[down[red]] - level[up[red]]) * 0.5f;
            const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
            texel[0] = PackComponent(dx / length);
            texel[1] = PackComponent(dy / length);
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

    ComRef<IDirect3DTexture9> made;
    if (FAILED(hr = device->CreateTexture(desc.Width, desc.Height, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, made.Out(),
                                          nullptr)))
        return hr;
    D3DLOCKED_RECT source;
    if (FAILED(hr = heights->LockRect(0, &source, nullptr, D3DLOCK_READONLY)))
        return hr;
    D3DLOCKED_RECT target;
    if (FAILED(hr = made->LockRect(0, &target, nullptr, 0))) {
        heights->UnlockRect(0);
        return hr;
    }
    WriteBumpMapV8U8(static_cast<const uint8_t*>(source.pBits), source.Pitch, desc.Width, desc.Height, amplitude,
                     static_cast<uint8_t*>(target.pBits), target.Pitch);
    made->UnlockRect(0);
    heights->UnlockRect(0);
    bump = made;
    return S_OK;
}

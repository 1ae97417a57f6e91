// Bump maps from height maps, worked out on the CPU.
//
// The lake turns a height picture (its red channel) into a normal map and that into a D3DFMT_V8U8
// bump map. D3DXComputeNormalMap cannot be relied on for it (Wine's writes nothing and still
// reports success), and D3DX cannot convert into V8U8 there either, so this is our own function
// with the same contract, used on every platform: the height map's red channel in, a signed
// (U, V) pair per texel out, written through CreateTexture and LockRect.
//
// The normal of texel (x, y), with h the red channel scaled to 0..1 and A the amplitude:
//
//     dh/dx = (h(x + 1, y) − h(x − 1, y)) / 2     dh/dy likewise, both wrapping at the edges
//     n     = normalise(−A dh/dx, −A dh/dy, 1)
//
// and its bump texel is U = round(127 nx), V = round(127 ny): the value a normal map stored as
// unsigned colour (n + 1) / 2 takes when it is converted to a signed format.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "document/ComRef.h"

struct SurfaceNormal {
    float x, y, z;
};

// The normals of a width × height A8R8G8B8 (or X8R8G8B8) picture whose rows lie `pitch` bytes
// apart, row by row. Nothing for an empty picture.
std::vector<SurfaceNormal> ComputeNormalMapRed(const uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height,
                                               float amplitude);

// One signed V8U8 texel: byte 0 is U, byte 1 is V.
struct BumpTexel {
    int8_t u, v;
};
BumpTexel PackNormalV8U8(const SurfaceNormal& n);

// The normals (width × height, row by row) as V8U8 texels into rows `pitch` bytes apart; the
// bytes past each row's texels are left alone.
void PackNormalsV8U8(const std::vector<SurfaceNormal>& normals, uint32_t width, uint32_t height, uint8_t* rows,
                     int32_t pitch);

// The bump texels of a width × height A8R8G8B8 (or X8R8G8B8) picture straight from its red
// channel, into rows `outPitch` bytes apart: byte for byte what ComputeNormalMapRed followed by
// PackNormalsV8U8 gives, without the normals in between. The bytes past each row's texels are
// left alone; nothing happens for an empty picture.
void WriteBumpMapV8U8(const uint8_t* rows, int32_t pitch, uint32_t width, uint32_t height, float amplitude,
                      uint8_t* out, int32_t outPitch);

// A new managed W × H V8U8 texture (one level) holding the bump map of level 0 of `heights`,
// which must be a lockable A8R8G8B8 or X8R8G8B8 texture. `bump` is replaced, or cleared when
// nothing could be made; the result says why.
HRESULT ComputeBumpMapFromHeights(IDirect3DTexture9* heights, float amplitude, ComRef<IDirect3DTexture9>& bump);

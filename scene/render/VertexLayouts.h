// The vertex layouts of the drawing toolkit. Every field is 32 bits; colours are D3DCOLOR
// 0xAARRGGBB. Each layout carries its stride and FVF code, and both are checked here against
// the Direct3D bit values, so a field added or dropped by mistake stops the build.
#pragma once

#include <d3d9.h>
#include <cstdint>

namespace DX_V {

// Position, colour, texture coordinate: picture quads and sprite arrays.
struct PCT {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
    static constexpr UINT Stride = 24;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};

// Screen position with rhw, colour: fade quad, black bars, darkening quads.
struct SC {
    float x, y, z, rhw;
    D3DCOLOR colour;
    static constexpr UINT Stride = 20;
    static constexpr DWORD FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
};

// Screen position with rhw, colour, texture coordinate: screen picture quads, glyph batches.
struct SCT {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
    static constexpr UINT Stride = 28;
    static constexpr DWORD FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};

// Position, colour: the selection outline.
struct PC {
    float x, y, z;
    D3DCOLOR colour;
    static constexpr UINT Stride = 16;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;
};

// Position, texture coordinate: flame and distortion quads.
struct PT {
    float x, y, z;
    float u, v;
    static constexpr UINT Stride = 20;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_TEX1;
};

// Position, normal, texture coordinate: meshes loaded from .x data.
struct PNT {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
    static constexpr UINT Stride = 32;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
};

// Position, two texture coordinate sets: lake ground, glass-ball lens.
struct PTT {
    float x, y, z;
    float u0, v0;
    float u1, v1;
    static constexpr UINT Stride = 28;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_TEX2;
};

// Position, normal, two texture coordinate sets: the underwater quad.
struct PNTT {
    float x, y, z;
    float nx, ny, nz;
    float u0, v0;
    float u1, v1;
    static constexpr UINT Stride = 40;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2;
};

// Position, normal, colour, texture coordinate: the ripple surface.
struct PNCT {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR colour;
    float u, v;
    static constexpr UINT Stride = 36;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};

// The struct, its declared stride and the stride the FVF implies must agree.
template <class V>
constexpr bool LayoutIsConsistent(UINT fvfSize)
{
    return sizeof(V) == V::Stride && fvfSize == V::Stride;
}

// Size of one vertex as an FVF code describes it (the position kinds and texture sets used here).
constexpr UINT FvfVertexSize(DWORD fvf)
{
    UINT size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: size += 12; break;
    case D3DFVF_XYZRHW: size += 16; break;
    default: break;
    }
    if (fvf & D3DFVF_NORMAL)
        size += 12;
    if (fvf & D3DFVF_DIFFUSE)
        size += 4;
    if (fvf & D3DFVF_SPECULAR)
        size += 4;
    size += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    return size;
}

static_assert(PCT::FVF == 0x142 && LayoutIsConsistent<PCT>(FvfVertexSize(PCT::FVF)), "PCT");
static_assert(SC::FVF == 0x044 && LayoutIsConsistent<SC>(FvfVertexSize(SC::FVF)), "SC");
static_assert(SCT::FVF == 0x144 && LayoutIsConsistent<SCT>(FvfVertexSize(SCT::FVF)), "SCT");
static_assert(PC::FVF == 0x042 && LayoutIsConsistent<PC>(FvfVertexSize(PC::FVF)), "PC");
static_assert(PT::FVF == 0x102 && LayoutIsConsistent<PT>(FvfVertexSize(PT::FVF)), "PT");
static_assert(PNT::FVF == 0x112 && LayoutIsConsistent<PNT>(FvfVertexSize(PNT::FVF)), "PNT");
static_assert(PTT::FVF == 0x202 && LayoutIsConsistent<PTT>(FvfVertexSize(PTT::FVF)), "PTT");
static_assert(PNTT::FVF == 0x212 && LayoutIsConsistent<PNTT>(FvfVertexSize(PNTT::FVF)), "PNTT");
static_assert(PNCT::FVF == 0x152 && LayoutIsConsistent<PNCT>(FvfVertexSize(PNCT::FVF)), "PNCT");

} // namespace DX_V

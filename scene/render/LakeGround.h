// The lake's ground: six vertices with two texture coordinate sets, drawn as a triangle list of
// two triangles (top-left, bottom-left, bottom-right; top-left, bottom-right, top-right).
#pragma once

#include <d3d9.h>
#include <cstdint>

#include "document/ComRef.h"
#include "scene/render/Meshes.h"
#include "scene/render/QuadTemplate.h"

using LakeGround = DS_SimpleMesh<DX_V::PTT>;

constexpr uint32_t kLakeGroundVertices = 6;

// The six vertices a new ground starts with.
void FillInitialLakeGround(DX_V::PTT* vertices);
// Positions (x, y, 0) and the second coordinate set from the template's vertices 1, 0, 2, 1, 2, 3;
// the first coordinate set is not written.
void FitLakeGroundVertices(DX_V::PTT* vertices, const QuadTemplate& quad);
// The first coordinate set spans 0.01 to s; nothing else is written.
void SetLakeGroundTexRangeVertices(DX_V::PTT* vertices, float s);

HRESULT MakeLakeGround(LakeGround& ground);
void FitLakeGround(LakeGround& ground, const QuadTemplate& quad);
void SetLakeGroundTexRange(LakeGround& ground, float s);

// The lake's textures. Each replaces what `target` held (released) with what it makes, or with
// null when nothing can be made.

// The program's own "DDS" picture `id` (the lake passes 2) as a D3DFMT_V8U8 bump map.
HRESULT LoadLakeBumpTexture(ComRef<IDirect3DTexture9>& target, int32_t id);

// The side of the square reflection texture, 128 << shift texels, or 0 when shift is negative
// or the side would exceed maxSide.
uint32_t SquareTextureSide(int32_t shift, uint32_t maxSide);

// A square copy of `source`, 128 << shift texels a side with a full mip chain, in the format
// D3DX picks for D3DFMT_UNKNOWN. Null without a source, or when the side is beyond what the
// device can make.
void ResampleToSquareTexture(int32_t shift, ComRef<IDirect3DTexture9>& target, IDirect3DTexture9* source);

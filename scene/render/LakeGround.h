// The lake's ground: six vertices with two texture coordinate sets, drawn as a triangle list of
// two triangles (top-left, bottom-left, bottom-right; top-left, bottom-right, top-right).
#pragma once

#include <d3d9.h>

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

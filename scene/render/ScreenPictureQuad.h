// Textured rectangles in screen pixels (the composites of the effect lights) and the
// position-and-texture quads of the fire light, both written from quad templates.
#pragma once

#include <d3d9.h>

#include "scene/render/Meshes.h"
#include "scene/render/QuadTemplate.h"

struct TextureInfo;

using ScreenPictureQuad = DS_TexturedQuad<DX_V::SCT>;
using PTQuad = DS_SimpleMesh<DX_V::PT>;

// Vertex i := (x, y, 0, rhw = z; u, v) of template vertex i; the colours are not written.
void FillScreenQuad(const QuadTemplate& quad, DX_V::SCT* locked);

// The picture letterboxed into the back buffer of CurrentDevice, opaque white.
HRESULT MakeScreenPictureQuad(ScreenPictureQuad& target, const TextureInfo& picture);
// A new buffer over `quad` with `texture` (one reference added; the one held before released),
// opaque white.
HRESULT MakeScreenQuadFromTemplate(ScreenPictureQuad& target, IDirect3DTexture9* texture, const QuadTemplate& quad);
// The same without a texture.
HRESULT MakeBlankScreenQuad(ScreenPictureQuad& target, const QuadTemplate& quad);
// Moves an existing quad onto `quad`, colours kept.
void RefillScreenQuad(ScreenPictureQuad& target, const QuadTemplate& quad);

// The 20 floats become the four vertices as they stand (x, y, z, u, v).
void FillPTVertices(DX_V::PT* vertices, const QuadTemplate& quad);
HRESULT MakePTQuad(PTQuad& target, QuadTemplate quad);

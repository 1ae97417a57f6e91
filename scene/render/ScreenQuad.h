// DS_ScreenQuad: an untextured rectangle in screen pixels with a colour per vertex. The player's
// fade quad, the black bars of the light modes and the lake's darkening quads are screen quads.
// Also the selection outline, a coloured rectangle drawn through the device's transforms.
//
// A screen quad keeps a copy of its four vertices, so that changing the colour or the alphas
// never reads back the write-only buffer: the copy is changed and written out whole.
#pragma once

#include <d3d9.h>
#include <cstdint>

#include "scene/render/Meshes.h"
#include "scene/render/QuadTemplate.h"

// value × 255 truncated toward zero, after clamping value to 0..1.
uint8_t AlphaByte(float value);

// The quad keeps its four vertices beside its buffer. Create writes the buffer; the setters
// below write it only when they change a vertex, so a quad set to the same values every frame
// (the player's fade quad while its level holds) is not uploaded again.
class DS_ScreenQuad : public DS_SimpleMesh<DX_V::SC> {
public:
    DS_ScreenQuad();

    // A new quad buffer; vertex i := (x, y, 0, rhw = z) of template vertex i, all in `colour`.
    HRESULT Create(D3DCOLOR colour, const QuadTemplate& quad);

    // Red, green and blue of every vertex := the low 24 bits of `rgb`; each alpha kept.
    void SetRGB(D3DCOLOR rgb);

    // The alpha byte of each corner, from values clamped to 0..1. Note the order: the arguments
    // run bottom-left, bottom-right, top-left, top-right; the vertices run bottom-left, top-left,
    // bottom-right, top-right.
    void SetVertexAlphas(float bottomLeft, float bottomRight, float topLeft, float topRight);

    // Moves the quad onto `rect` (z 0, rhw 1), colours kept.
    void SetRect(const ScreenRect& rect);

    const DX_V::SC* Corners() const { return corners_; }

private:
    void Upload();
    // Takes `next` as the corners and uploads them, when they differ from the ones held.
    void UploadIfChanged(const DX_V::SC (&next)[4]);

    DX_V::SC corners_[4];
};

// Draws the quad with its vertex colours and alphas, blending on; afterwards blending is off and
// stage 0 takes colour and alpha from the texture again. The colour and alpha operations and the
// blend factors stay as the caller set them. A quad without a buffer is not drawn, but leaves
// the same states.
void DrawScreenQuad(const DS_ScreenQuad& quad);

// What a quad drawing leaves alpha blending at.
enum class BlendAfterDraw { Off, KeptOn };
// DrawScreenQuad with the choice of blending afterwards; a null quad is not drawn either, but
// leaves the same states.
void DrawScreenQuad(const DS_ScreenQuad* quad, BlendAfterDraw after);

// The selection outline: black at alpha 136, in world units.
using OutlineQuad = DS_SimpleMesh<DX_V::PC>;

void FillOutlineVertices(DX_V::PC* vertices, const QuadTemplate& quad);
HRESULT MakeOutlineQuad(OutlineQuad& outline, const QuadTemplate& quad);
// As DrawScreenQuad, with the outline's layout.
void DrawOutlineQuad(const OutlineQuad& outline);

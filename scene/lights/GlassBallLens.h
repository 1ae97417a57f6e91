// The glass ball's lens, without a device: the three procedural textures it is drawn with (a
// hemisphere bump map, a disc mask and the backdrop's colour gradient), the two vertex tables
// (the lens square and the stand under it), the lens parameters that follow from the slide's
// ball size and zoom, and the lens camera with the texture matrix that projects the scene (lens
// pass) or the backdrop (rim pass) onto the lens square.
//
// The texture fillers write into locked rows `pitch` bytes apart, so they are tested on plain
// arrays; DS_GlassBallLight creates, locks and fills the textures with them.
//
//     lens square, 512 × 512 world units at z = 0, seen by the lens camera at z = lensDistance:
//       stage 0  BUMPENVMAP(sphereBump)  bends  stage 1  SELECTARG1(scene at the projected point)
#pragma once

#include <d3dx9.h>

#include <cstdint>

#include "scene/render/VertexLayouts.h"

// The fractional part x − floor(x): the phase of a repeating motion.
float Frac(float x);

// ---- Procedural textures ----

constexpr uint32_t kSphereBumpSide = 256;   // D3DFMT_V16U16
constexpr uint32_t kCircleMaskSide = 1024;  // D3DFMT_A8
constexpr uint32_t kGradientSide = 256;     // D3DFMT_A8R8G8B8

// The slopes of a hemisphere of radius 128 texels centred at (128, 128), as one V16U16 texel:
// with h the height of the hemisphere (0 outside it), U = trunc(atan(h(x, y) − h(x + 1, y)) ×
// 16297.4658203125) in the low 16 bits and V the same towards the next row in the high 16 bits.
// The last column (x = 255) is flat. atan's ±π/2 maps to ±25600.
uint32_t SphereBumpTexel(uint32_t x, uint32_t y);
// All 256 × 256 texels.
void FillSphereBump(uint8_t* rows, int32_t pitch);

// 0 inside the disc of radius 508 texels centred at (512, 512), 255 outside it.
uint8_t CircleMaskTexel(uint32_t column, uint32_t row);
// All 1024 × 1024 texels.
void FillCircleMask(uint8_t* rows, int32_t pitch);
// The same mask as A8R8G8B8 texels for a device without D3DFMT_A8: the mask in the alpha byte,
// colour 0, as an A8 texture reads.
void FillCircleMaskArgb(uint8_t* rows, int32_t pitch);

// Row y of the gradient from `top` (row 0) to `bottom` (row 255), both COLORREF 0x00BBGGRR: each
// channel truncated from top + y / 255 × (bottom − top); the result is 0x00RRGGBB, alpha 0.
uint32_t GradientRowColour(uint32_t y, uint32_t top, uint32_t bottom);
// All 256 × 256 texels, each row in its colour.
void FillGradient(uint8_t* rows, int32_t pitch, uint32_t top, uint32_t bottom);

// ---- The lens square and the stand ----

// Triangle-strip order; first texture coordinates (0, 1), (0, 0), (1, 1), (1, 0); the second
// pair is not used (stage 1 takes its coordinates from the camera-space position).
extern const DX_V::PTT kLensQuadVertices[4];
extern const DX_V::PTT kStandQuadVertices[4];

// ---- Lens parameters ----

struct LensParams {
    float lensDistance;   // z of the lens camera (negative)
    float lensScale;      // magnification term of the lens pass
    float swingAmplitude; // horizontal offset of a full swing, in scene widths
};

// From the ball size s and zoom r (percentages) and the backdrop's height share cy:
// lensDistance = (−600 / (0.25 + 0.75 s / 100)) / cy; lensScale = (1.105 s cy / 100 + 0.385) ×
// 1.05 × (1 + r / 100); swingAmplitude = 0.125 + 0.125 r / 100.
LensParams ComputeLensParams(uint32_t ballSize, uint32_t zoom, float coverY);

// ---- Lens camera and texture projection ----

struct LensProjectionInput {
    bool lensPass = true;        // true: the scene onto the lens; false: overlays and rim pass
    LensParams lens = {-600.0f, 1.0f, 0.125f};
    float swing = 0.0f;          // −1..1
    uint32_t zoom = 0;
    float ballX = 0.0f, ballY = 0.0f;
    float coverX = 1.0f, coverY = 1.0f;
    int32_t glassMode = 0;       // 1: backdrop picture with bars
    bool backdropStretch = false;
    uint32_t layoutWidth = 0, layoutHeight = 0; // the light's layout size
    uint32_t backWidth = 0, backHeight = 0;     // the back buffer's size
    uint32_t pictureWidth = 0, pictureHeight = 0;   // the slide picture
    uint32_t backdropWidth = 0, backdropHeight = 0; // the backdrop picture
};

struct LensProjection {
    D3DXMATRIX world;      // the lens square moved to the ball's place
    D3DXMATRIX view;       // looking from (0, 0, lensDistance) at the origin
    D3DXMATRIX projection; // 45 degrees, the layout's aspect, depth 1 to 3000
    D3DXMATRIX texture;    // camera-space position → stage-1 coordinates (first two columns)
};

// The lens pass magnifies by lensScale and moves the scene by the swing and against the ball's
// offset (the horizontal offset wraps); the other passes use scale coverY and no offset, so the
// backdrop seen through the rim lines up with the one on the screen. A slide or backdrop picture
// of zero size projects with the layout's aspect; a picture taller than it is wide (or of zero
// height) counts as one picture width per height in the lens offset.
LensProjection ComputeLensProjection(const LensProjectionInput& in);

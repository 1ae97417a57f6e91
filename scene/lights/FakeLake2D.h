// FakeLake2D: the lake light. The slide picture is drawn as it is; over the lower band of the
// picture rectangle lies a mirrored copy of the band just above it, rippled by a bump map whose
// environment matrix turns with time. Two translucent quads tinted with the slide's colour
// darken the water toward the bottom and lay a thin haze just above the water line.
//
//     BeginFrame:  depth clear; background picture;
//                  surface mesh: stage 0 BUMPENVMAP(bump map) → stage 1 SELECTARG1(reflection)
//                  shade quad over the water; haze quad above the water line
//     EndFrame:    the four bars (the mode draws them)
//
// The reflection is a square copy of the picture whose texture rows run upward over the water:
// with squeeze s the water line shows picture row 1 − s and the bottom of the lake row 1 − 2s.
//
// The bump map is made from the program's height picture ("DDS" 2): drawn into a render target
// with a grey fade toward its top (the far water ripples less), then turned into a V8U8 normal
// map on the CPU (NormalMap.h). Everything the lake holds is managed, so a reset needs nothing.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <string>

#include "document/ComRef.h"
#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/render/LakeGround.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ScreenQuad.h"

struct SlideRecord;

// ---- The arithmetic, without a device ----

// What a lake slide sets, turned into the light's values.
struct LakeParams {
    D3DCOLOR shadeRgb;          // 0x00RRGGBB from colours[0] (COLORREF 0x00BBGGRR)
    float shadeAlpha;           // levels[0] × 0.01 × 0.8
    float squeeze;              // (100 − amount) × 0.005, amount kept within 0..99
    float shadeFalloff;         // levels[2] × 0.01
    float bumpAmplitude;        // levels[3]
    float bumpFade;             // levels[4] × 0.01
    float bumpRange;            // levels[5] × 0.01: the bump coordinates run 0.01 to this
    int32_t hazeHeight;         // levels[1], picture pixels
    int32_t reflectionSizeShift; // options[0]: the reflection is 128 << this texels a side
};
LakeParams LakeParamsFromSlide(const SlideRecord& slide);

// Keeps the lower fraction s of the quad's height (the bottom stays) and points its texture
// rows at the band of height s just above that, upside down: the water line shows row
// TL.v + (1 − s) Δv, the bottom row TL.v + (1 − 2s) Δv, with Δv = BL.v − TL.v. x, z, u kept.
void SqueezeReflectionQuad(QuadTemplate& quad, float s);

// The alphas of the two darkening quads, each in DS_ScreenQuad::SetVertexAlphas order
// (bottom-left, bottom-right, top-left, top-right). With a = shadeAlpha and
// b = (1 − falloff) a: the shade (a, a, b, b), darkest at the bottom; the haze (0, 0, b, b).
struct LakeShadeAlphas {
    float shade[4];
    float haze[4];
};
LakeShadeAlphas ComputeLakeShadeAlphas(float shadeAlpha, float falloff);

// The haze band's height in screen pixels over the reflection rectangle B: hazeHeight picture
// pixels, scaled like the picture (B's height divided by the squeeze is the picture's), truncated.
// 0 for a picture of no height or a squeeze that is not positive.
int32_t LakeHazeBand(const QuadTemplate& reflection, uint32_t pictureHeight, int32_t hazeHeight, float squeeze);

// The haze quad's rectangle: from the water line (B's top) up by the band, B's width truncated.
// Its "top" corners lie on the water line, so SetRect gives a gradient that runs upward.
ScreenRect LakeHazeRect(const QuadTemplate& reflection, uint32_t pictureHeight, int32_t hazeHeight, float squeeze);

// The bump-environment matrix at light time t, in its upper-left 2 × 2: 0.04 R(θ) with
// θ = (t × 0.5) × 9, so one turn every 2π / 4.5 units of time. The rest is the identity.
D3DXMATRIX LakeBumpMatrix(float t);

// ---- The light ----

class FakeLake2D;

// The default renderers; the leaves put WORLD back to the identity and CULLMODE to NONE after.
class DS_LakeRender : public DS_ABRenderImpl<FakeLake2D> {
public:
    using DS_ABRenderImpl<FakeLake2D>::DS_ABRenderImpl;
    void Draw3DArray(DS_MeshElement* leaves) override;
};

class FakeLake2D : public DS_EffectLightBase {
public:
    // The program's own picture the bump map is made from.
    static constexpr int32_t kHeightPictureId = 2;

    FakeLake2D();
    ~FakeLake2D();

    // The background from `path` (empty: the library's default), the squeezed reflection
    // rectangle over the back buffer, the first bump map, the surface mesh, the two darkening
    // quads, their alphas, the bump map rebuilt from picture `bumpId`, then the base's resources.
    void Init(const std::wstring& path, int32_t bumpId, float squeeze);

    // The picture rectangle (stretched or letterboxed) into width × height, the reflection
    // squeezed under it, the surface mesh and the darkening quads on it, then the base's layout.
    void Layout(uint32_t width, uint32_t height);
    // A new squeeze, laid out over the letterboxed picture; the screen quad and bars stay.
    void SetReflectionSqueeze(float s);
    // The shade quad over the reflection rectangle B, the haze band above B's top edge.
    void BuildShadeQuads(const QuadTemplate& reflection);
    void UpdateShadeAlphas();
    // The reflection texture made again from the background at the current size shift.
    void ResampleReflection();

    // The height picture through the grey fade into a render target, then into the V8U8 bump
    // map. Without the height picture the bump map stays as it is. Counted in `bumpMapBuilds`.
    void RebuildBumpMap();
    // Stage 0 bump-maps `bumpTexture` (clamped) with `bumpMatrix`; stage 1 reads the reflection.
    void SetBumpStages();
    void UpdateBumpMatrix(float t);

    // The frame's background pass: the picture, the rippled reflection, shade and haze.
    void BeginFrame();
    // The lake's base states.
    void RestoreRenderStates();

    // Fields after the base's, in destruction order reversed.
    ComRef<IDirect3DTexture9> bumpTexture;       // V8U8 bump map of the water
    ComRef<IDirect3DTexture9> reflectionTexture; // square copy of the background, full mip chain
    DS_ScreenQuad shadeQuad;                     // over the reflection, darker toward the bottom
    DS_ScreenQuad hazeQuad;                      // just above the water line, fading upward
    D3DXMATRIX bumpMatrix;                       // upper-left 2 × 2: the bump-environment matrix
    float shadeAlpha = 0.5f;
    float squeeze = 0.5f;
    float shadeFalloff = 0.0f;
    float bumpAmplitude = 0.0f;
    float bumpFade = 0.0f;
    int32_t hazeHeight = 10;
    int32_t reflectionSizeShift = 1;
    LakeGround surfaceMesh;                      // 6 vertices, 2 triangles: the water
    int32_t bumpPictureId = kHeightPictureId;
    uint32_t bumpMapBuilds = 0;                  // how many times RebuildBumpMap has run
};

// Allocates, constructs and initialises a lake light. Its bump map is made with the amplitude
// and the fade given here (a slide's, so that the map is made once, already as the slide wants it).
FakeLake2D* MakeFakeLake2D(const std::wstring& path, int32_t bumpId, float squeeze, float bumpAmplitude = 0.0f,
                           float bumpFade = 0.0f);

// DS_GlassBallLight: the glass-ball light. The slide's scene (its picture, stretched over the
// whole target, and its runtime objects) is drawn into a render-target texture; the screen then
// shows a backdrop (a vertical colour gradient, or a second picture with black bars) and, in
// front of it, a glass ball: the 512 × 512 lens square of GlassBallLens.h drawn in 3D through the
// hemisphere bump map, which shows the scene magnified and bent, cut to a disc by the rim pass,
// with up to two overlay pictures on the lens and one on the stand below it.
//
//     BeginFrame:  sceneTarget.Begin; stretched background into it      (then the objects)
//     EndFrame:    back to the back buffer;
//                  scroll modes 1, 2: the scene copied, shifted, into scrollTarget
//                  backdrop quad (gradient or backdrop picture)
//                  lens pass:   stage 0 BUMPENVMAP(sphereBump) → stage 1 SELECTARG1(scene)
//                  overlay 0, overlay 1 on the lens square (blended)
//                  rim pass:    stage 0 alpha = circleMask, stage 1 = the backdrop, projected
//                               as it lies on the screen: the square shows the backdrop
//                               outside the disc, so the ball is round
//                  the stand; glass mode 1: the four black bars
//
// The scene inside the ball stands still (scroll mode 0), runs left or right without end (1,
// 2) or swings left and right (3). The scroll phase is shared by every glass-ball light of the
// process (GlassScrollClock), so it goes on from one glass-ball slide to the next.
//
// Stage 1 is switched on only for the lens and rim passes; every other pass sees it disabled.
// An overlay or stand whose picture is missing is not drawn. Without a scene target (released
// before a reset, or never made) the frame stays on the back buffer as a plain picture.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>

#include "document/ComRef.h"
#include "document/TextureInfo.h"
#include "document/ValueRecords.h"
#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/GlassBallLens.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/RenderTargetTexture.h"
#include "scene/render/ScreenPictureQuad.h"
#include "scene/render/ScreenQuad.h"
#include "scene/render/VertexBuffer.h"

// ---- The arithmetic, without a device ----

// The backdrop's rectangle in a width × height back buffer, the four bars around it and the
// shares of the width and height it covers (its size over its size plus both bars).
struct GlassLayout {
    QuadTemplate backdrop;
    LetterboxBars bars;
    float coverX = 1.0f;
    float coverY = 1.0f;
};
// The whole back buffer, or with glass mode 1 and no backdrop stretch the backdrop picture's
// letterbox (a picture of zero size is laid out as the library's failure size, 800 × 600).
GlassLayout ComputeGlassLayout(uint32_t width, uint32_t height, int32_t glassMode, bool backdropStretch,
                               uint32_t backdropWidth, uint32_t backdropHeight);

// Scroll modes 1 (left) and 2 (right): the two back-buffer rectangles, side by side and wrapping,
// that the scene is copied into at scroll phase `phase`.
struct ScrollRects {
    QuadTemplate quad[2];
};
ScrollRects ScrollQuadRects(int32_t scrollMode, float phase, uint32_t width, uint32_t height);

// Scroll mode 3: a triangle wave between 1 and −1 of period 2 phase units, 1 at phase 0.
float SwingFromPhase(float phase);

// The scroll phase shared by every glass-ball light: it advances by the time since the last
// moving update × speed × 0.0625, so at speed 1 one period (2 units) lasts 32 seconds. The first
// moving update of the process only starts the clock.
class GlassScrollClock {
public:
    static float Advance(float time, float speed);
    static float Phase() { return phase_; }
    // Back to the start of the process; for tests.
    static void Reset();

private:
    static float phase_;
    static float lastTime_;
    static bool started_;
};

// ---- The light ----

class DS_GlassBallLight : public DS_NoEffectLight {
public:
    static constexpr int32_t kScrollStill = 0, kScrollLeft = 1, kScrollRight = 2, kScrollSwing = 3;

    // A new light with every resource of CreateResources (the library's default picture), its
    // backdrop gradient running from `top` to `bottom` (COLORREF), so that a slide's colours
    // need no second gradient.
    static DS_GlassBallLight* Create(uint32_t top = 0, uint32_t bottom = 0);

    DS_GlassBallLight();
    ~DS_GlassBallLight();

    // ---- Resources ----

    // The base's picture and bars, the three procedural textures, the backdrop and scroll quads,
    // the lens square, the glass bars, the stand and a first camera. A vertex buffer that cannot
    // be made is left out; everything else is still made.
    void CreateResources(const std::wstring& pictureName);
    // Each releases and makes its managed texture again, filled; E_FAIL when it cannot be made.
    // Without D3DFMT_V16U16 there is no sphere bump and the lens shows the scene unbent; the mask
    // is A8, or A8R8G8B8 with the mask in its alpha on a device without A8.
    HRESULT BuildSphereBump();
    HRESULT BuildCircleMask();
    // From topColour to bottomColour; counted in `gradientBuilds`.
    HRESULT BuildGradient();

    // The base states of the glass-ball mode, and both render targets made anew at the back
    // buffer's size.
    void RestoreDeviceResources();
    // Lets go of everything in the default pool (the render targets, the surfaces they saved,
    // the scroll quads' references) and of what the passes left bound.
    void ReleaseDeviceResources();

    // ---- Settings ----

    // Overlay i (0, 1 on the lens, 2 on the stand) from a resource reference; null when it does
    // not load.
    void SetOverlayTexture(int index, const ResourceRef& ref);
    // 1: the backdrop picture with its bars; any other value: the gradient. Lays out again
    // when it changes.
    void SetGlassMode(int32_t mode);
    // The second picture; shown (and laid out again) when the glass mode is 1.
    void SetBackdropPicture(const NamedBlob& picture);

    // ---- Layout and lens ----

    // The picture stretched over the width × height back buffer, the backdrop and its bars, the
    // cover shares and the lens parameters.
    void Layout(uint32_t width, uint32_t height);
    // lensDistance, lensScale and swingAmplitude from ballSize, zoom and coverY.
    void UpdateLensParams();
    // The lens camera and the stage-1 projection of the scene (lens pass) or of the backdrop.
    void SetupLensProjection(bool lensPass);
    LensProjectionInput ProjectionInput(bool lensPass) const;

    // ---- Frames ----

    // Advances the shared scroll phase to light time t and moves the scroll quads or the swing.
    void Update(float t);
    void BeginFrame();
    void EndFrame();

    // Fields after the base's, in destruction order reversed.
    VertexStore<DX_V::PTT> lensQuad;   // the lens square, 4 vertices
    VertexStore<DX_V::PTT> standQuad;  // the stand below it
    float swing = 0.0f;                // scroll mode 3: −1..1
    RenderTargetTexture sceneTarget;   // receives the scene each frame
    RenderTargetTexture scrollTarget;  // the scrolled copy (scroll modes 1 and 2)
    ComRef<IDirect3DTexture9> sphereBump;
    ComRef<IDirect3DTexture9> circleMask;
    ComRef<IDirect3DTexture9> gradient;
    TextureInfo backdropPicture;
    ComRef<IDirect3DTexture9> overlayTextures[3];
    DS_ScreenQuad glassBars[4];        // 0 left, 1 right, 2 top, 3 bottom
    ScreenPictureQuad backdropQuad;
    ScreenPictureQuad scrollQuads[2];
    uint32_t ballSize = 0;
    uint32_t zoom = 0;
    uint32_t topColour = 0;            // COLORREF
    uint32_t bottomColour = 0;
    uint32_t gradientBuilds = 0;       // how many times BuildGradient has run
    float lensDistance = -600.0f;
    float lensScale = 1.0f;
    float scrollSpeed = 0.0f;
    float swingAmplitude = 0.0f;
    float coverY = 1.0f;
    float coverX = 1.0f;
    float ballX = 0.0f;
    float ballY = 0.0f;
    uint8_t backdropStretch = 0;
    bool overlayAOn = true;
    bool overlayBOn = true;
    bool standOn = true;
    int32_t scrollMode = kScrollSwing;
    int32_t glassMode = 0;

private:
    // One strip of two triangles from `quad` with the states in force; nothing without a buffer.
    void DrawPTTQuad(const VertexStore<DX_V::PTT>& quad) const;
};

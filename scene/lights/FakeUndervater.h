// FakeUndervater: the underwater light. The whole frame (the background picture, stretched, and
// the runtime objects) is drawn into the picture light's render-target texture; EndFrame then
// puts that texture on the back buffer through one quad whose first stage bump-maps a 512 × 512
// map of diagonal waves, so the picture wavers as if seen through water. The waves scroll by a
// quarter of the map per unit of light time.
//
//     BeginFrame:  target.Begin; stretched background into the target   (then the objects)
//     EndFrame:    target.End (back buffer cleared black); composite quad:
//                  stage 0 BUMPENVMAP(wave map)  →  stage 1 SELECTARG1(target, moved by the waves)
//
// The composite covers the whole back buffer when stretched, otherwise the letterboxed picture
// rectangle; the rest stays black. The picture light underneath is always stretched, so the
// target is always filled.
//
// When the target is missing (released before a reset, or never made) the frame is drawn
// straight onto the back buffer instead; when the wave map could not be made, the target is
// composited without waves.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

#include "document/ComRef.h"
#include "scene/lights/DS_2D_Light.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/VertexBuffer.h"
#include "scene/render/VertexLayouts.h"

// ---- The arithmetic, without a device ----

constexpr uint32_t kWaveMapSide = 512;

// The wave map's texels into locked V8U8 rows `pitch` bytes apart: texel (x, y) is the signed
// pair (U, V) = (64 cos a, 64 sin a) truncated, with a = (x + y) / 512 × 2π − 2π, so the waves
// run diagonally with one period per 512 texels of x + y.
void FillWaveMapTexels(uint8_t* rows, int32_t pitch);

// The composite quad's half extent in quad space, just past the ±54.63 the camera shows.
constexpr float kCompositeHalfExtent = 54.7f;

// The four vertices the composite quad is made with: positions over the whole screen, normals
// (0, 1, 0), target coordinates 0.01 inside every edge; wave coordinates 0.
void FillInitialCompositeQuad(DX_V::PNTT* vertices);

// Positions (x, y, 0) of the four vertices from the pixel rectangle R, each corner mapped to
// (x × 109.4 / width − 54.7, y × 109.4 / height − 54.7). Quad space has y upwards, so vertex 0
// (the bottom-left of the screen) takes R's top-left, vertex 1 R's bottom-left, vertex 2 R's
// top-right and vertex 3 R's bottom-right: the target is shown upright. A zero size covers the
// whole screen.
void PlaceCompositeQuad(DX_V::PNTT* vertices, const QuadTemplate& rect, uint32_t width, uint32_t height);

// The wave-map coordinates at light time t, with s = t / 4: (0, s + 2), (0, s), (1, s),
// (1, s + 2). The map repeats once across and twice down the quad.
void SetCompositeWaveCoords(DX_V::PNTT* vertices, float t);

// The composite camera: looking from (0, 0, −100) at the origin, y up, a field of view of one
// radian, square aspect, depth 1 to 3000.
void CompositeCamera(D3DXMATRIX& view, D3DXMATRIX& projection);

// ---- The light ----

class FakeUndervater : public DS_2D_Light {
public:
    // A new light with the picture light's resources, the wave map and the composite quad.
    static FakeUndervater* Create();

    FakeUndervater();
    ~FakeUndervater() override;

    // The picture light's resources, stretched for good; the wave map and the composite quad.
    void Init();
    // A new 512 × 512 V8U8 managed wave map; E_FAIL when it cannot be made or filled.
    HRESULT CreateBumpMap();

    // The picture light laid out over the whole width × height target, then the composite quad
    // placed (stretched or letterboxed) and the composite camera set.
    void Layout(uint32_t width, uint32_t height);
    // WORLD := identity; VIEW and PROJECTION of the composite camera.
    void SetCamera();

    // Scrolls the waves to light time t.
    void Update(float t);
    // Redirects the frame into the target and draws the stretched background there.
    void BeginFrame();
    // Back to the back buffer, cleared black; the target drawn onto it through the waves.
    void EndFrame();
    // The base states of the underwater mode.
    void RestoreRenderStates();

    // Fields after the picture light's, in destruction order reversed.
    ComRef<IDirect3DTexture9> waveMap;   // 512 × 512 V8U8, one level, managed
    VertexStore<DX_V::PNTT> quadBuffer;  // the composite quad, 4 vertices, write-only, managed
    bool compositeStretch = false;       // true: the composite covers the whole back buffer

private:
    // Writes the kept copy of the composite's vertices into quadBuffer; nothing without one.
    void UploadComposite();

    DX_V::PNTT composite_[4] = {};
};

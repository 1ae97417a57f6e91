// DS_WaterRingLight: the light of water-ring slides. The slide picture is the texture of a lit,
// rippling water surface seen straight from above; drops fall at a set rate, rings spread and
// fade, the picture is refracted through the moving surface and a directional light adds
// specular glints. The slide's objects are drawn over the water under the flat 2D picture
// transforms, with lighting off.
//
// World space: the water spans x and z, heights along y. The camera sits at (0, 120, 0) looking
// straight down, world +x to the right and world −z up the screen. The surface is 30 ÷ a wide
// and 30 deep (a: the picture's height ÷ width), centred on the origin, and an orthographic
// projection fits it to the picture's rectangle on the screen, so the bars cover the margins.
//
// Also here, free of the device: what a slide's levels set, the damping of a damping level, the
// half extents of the orthographic view onto the water, and when the next drop is due.
#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/render/RippleSurface.h"

struct SlideRecord;

// What the levels of a water-ring slide set.
struct RingsParams {
    uint32_t rowDensityLevel = 0;    // levels[0]: rows per column, 1 + level / 100 times square
    float heightScale = 1.0f;        // levels[1] × 0.02 + 1
    uint32_t columnDensityLevel = 0; // levels[2]: columns, 128 × (1 + level / 100)
    float dropInterval = 2.0f;       // 60 ÷ levels[3] (drops per minute); infinite for 0
    float dropStrength = 0.5f;       // levels[4] × 0.01 × 0.7 + 0.1
    float damping = 0.99f;           // DampingFromLevel(levels[5])
    float refractionDepth = 0.2f;    // levels[6] × 0.01
    float specularLevel = 0.9f;      // levels[7] × 0.01
    float specularPower = 40.0f;     // levels[8] × 80 × 0.01
};
RingsParams RingsParamsFromSlide(const SlideRecord& slide);

// The share of velocity the water keeps per sub-step: 0.9 at level 0, 0.99 at 50, 0.999 at 100.
// Levels above 100 count as 100, so the water never gains energy.
float DampingFromLevel(uint32_t level);

// Half the width (f) and half the height (e) of the orthographic view onto the water, in world
// units, for a width × height back buffer (neither 0) and a picture of the given aspect
// (height ÷ width). The surface is 30 ÷ aspect by 30: stretched it fills the screen; otherwise
// it is centred, as large as fits, with margins that the bars cover.
struct WaterExtents {
    float halfWidth;
    float halfHeight;
};
WaterExtents WaterOrthoExtents(uint32_t width, uint32_t height, float aspect, bool stretch);

// The aspect the water takes from a picture of width × height pixels; 0.75 for a picture with
// no size (one that could not be loaded).
float WaterPictureAspect(uint32_t width, uint32_t height);

// True when more than `interval` has passed since the last drop.
bool DropDue(float time, float lastDropTime, float interval);

class DS_WaterRingLight : public DS_EffectLightBase {
public:
    // A new light on the picture at `picturePath` (empty: the library's default picture), with
    // its device resources, its refraction table and its camera.
    static DS_WaterRingLight* Make(const std::wstring& picturePath);

    DS_WaterRingLight();
    ~DS_WaterRingLight();
    DS_WaterRingLight(const DS_WaterRingLight&) = delete;
    DS_WaterRingLight& operator=(const DS_WaterRingLight&) = delete;

    // The picture, the screen quad, the bars and handle pictures, the refraction table and the
    // camera at (0, 120, 0) looking straight down.
    void Init(const std::wstring& picturePath);
    // The picture's place and the bars for a width × height back buffer, then the water's
    // orthographic projection fitted to the same rectangle. Either size 0: only stored.
    void Layout(uint32_t width, uint32_t height);
    // A flat surface for the picture's aspect and the two density levels, with one drop.
    void RebuildSurface();
    // The surface's damping from a level 0 to 100.
    void SetDampingLevel(uint32_t level);
    // The specular material: no diffuse or ambient share, specularLevel grey, specularPower.
    void ApplyMaterial();
    // The slide's levels, in the order the mode's constructor takes them. The two density
    // levels are only stored: the surface is built from them by the next RebuildSurface, which
    // the constructor's RestoreRenderStates does, so it is built once.
    void ApplyLevels(const SlideRecord& slide);
    // The aspect the water is made for: the background's, or 0.75 without a picture size.
    float Aspect() const;

    // A drop when dropInterval has passed since the last one; then the surface moves on.
    void Update(float time);
    // The water: the picture through the surface, lit, with the water's transforms.
    void BeginFrame();
    // The bars; then stage 0 off, so the fade quad shows its plain colour.
    void EndFrame();
    // The base states of the water: blending factors, the light, the material, fixed-function
    // lighting with specular on, no depth test, stages 0 and 1 reset, linear mirrored sampling;
    // then a new surface and a new layout.
    void RestoreRenderStates();
    // Releases the surface's buffers (default pool).
    void ReleaseDeviceResources();

    // The renderer's three operations: the default renderers under the 2D picture transforms
    // without lighting, then the water's transforms and lighting again.
    void Draw3DObject(DS_MeshElement* element);
    void DrawSpriteArray(DS_SpriteArrayObj* sprites);
    void Draw3DArray(DS_MeshElement* leaves);

    std::unique_ptr<RippleSurface> surface; // deleted before the base part
    D3DXVECTOR4 lightDirection{0.5f, -1.0f, 1.0f, 0.0f};
    D3DXVECTOR4 lightColour{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXMATRIX waterWorld;      // identity
    D3DXMATRIX waterView;       // the inverse of cameraMatrix
    D3DXMATRIX cameraMatrix;    // the camera's place in the world
    D3DXMATRIX waterProjection; // set by Layout
    float lastDropTime = 0.0f;  // light time of the last drop
    uint32_t rowDensityLevel = 0;
    uint32_t columnDensityLevel = 0;
    float dropInterval = 2.0f;  // light time between drops
    float specularLevel = 0.9f;
    float specularPower = 40.0f;

private:
    // WORLD, VIEW and PROJECTION of the water.
    void SetWaterTransforms() const;
    // `draw`, one of the object renderers, with lighting off and, unless the renderer sets them
    // itself, the 2D picture transforms; then the water's transforms and lighting again.
    void DrawFlat(bool setTransforms, const std::function<void()>& draw) const;
};

// Its renderer: the light's own three drawing operations, and the default selection.
class DS_WaterRingRender : public DS_ABRenderImpl<DS_WaterRingLight> {
public:
    using DS_ABRenderImpl<DS_WaterRingLight>::DS_ABRenderImpl;
    void Draw3DObject(DS_MeshElement* element) override { owner->Draw3DObject(element); }
    void DrawSpriteArray(DS_SpriteArrayObj* sprites) override { owner->DrawSpriteArray(sprites); }
    void Draw3DArray(DS_MeshElement* leaves) override { owner->Draw3DArray(leaves); }
};

// DistortionEffect: the heat haze of the fire light. A finished frame, held in a render-target
// texture with the picture stretched over all of it, is drawn back onto the picture rectangle
// through the library's effect (resource 63 of common_res.dll), whose pixel shader moves every
// lookup of the frame by a scrolling bump map (library picture 62).
//
//     Load                      the 800 × 600 quad, the bump map and the effect
//     SetSize(w, h)             the quad over the w × h picture (picture pixels, y downwards)
//     Update(t)  every frame    the scroll advanced to light time t, the effect's parameters set
//     Draw(frame texture)       the quad through the effect's technique, pass after pass
//
// The effect's interface, by name: technique "BumpmapDistortLow2"; textures "SceneTex" (the
// frame) and "Bumpmap"; the float "stenght" (spelled so in every effect file); the float2
// arrays "Offset" and "bump_scale". Its passes draw without a vertex shader, with the FVF of
// DX_V::PT, under the device's WORLD, VIEW and PROJECTION.
//
// Without an effect Update and Draw do nothing. The owner drops and restores the effect's
// device state around a reset (ClearTextures and OnLostDevice, then OnResetDevice).
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include "document/ComRef.h"
#include "document/ValueRecords.h"
#include "document/params/ScaledParam.h"
#include "scene/render/ScreenPictureQuad.h"

// ---- The arithmetic, without a device ----

// The time state of the haze scroll: the previous light time, the last step of the offset and
// the offset so far.
struct HazeClock {
    float lastTime = 0.0f;
    float timeStep = 0.0f;
    float scrollOffset = 0.0f;
};

// The values the effect is given each frame.
struct HazeParams {
    float stenght;       // strength × 0.05
    float offset[2];     // {o, −o}
    float bumpScale[2];  // {b, aspect × b}
};

// Advances the clock to light time t and returns the effect's parameters. A step of more than
// 0.2 (or none at all: NaN) counts as 0.2, so a pause never makes the haze jump; a step back
// passes unchanged. `speed`, `strength` and `bumpScale` are the scaled parameter values.
HazeParams AdvanceHaze(HazeClock& clock, float t, float speed, float strength, float bumpScale, float aspect);

// ---- The effect ----

class DistortionEffect : public PTQuad {
public:
    // Speed 50 (0.05 per unit of light time), strength 25 (0.05), bump scale 88 (0.208).
    DistortionEffect();
    // The effect and the bump map go first, then the parameters, the keys and the quad.
    ~DistortionEffect();

    DistortionEffect(const DistortionEffect&) = delete;
    DistortionEffect& operator=(const DistortionEffect&) = delete;

    // The quad as an 800 × 600 rectangle, the bump map (frame 0 of bumpKey, or null) and a new
    // effect from effectKey; true when there is an effect.
    bool Load();
    // Corners bottom-left (0, h), top-left (0, 0), bottom-right (w, h), top-right (w, 0), z 0;
    // aspect = h / w.
    void SetSize(float width, float height);
    // AdvanceHaze, then "stenght", "Offset" and "bump_scale" set on the effect.
    void Update(float t);
    // The quad drawn through every pass of "BumpmapDistortLow2", with `frame` as "SceneTex".
    void Draw(IDirect3DTexture9* frame);
    // "SceneTex" and "Bumpmap" set to null. The effect holds a reference to each texture it is
    // given, so the frame's render target is only let go once the effect lets go of it too.
    void ClearTextures();

    ResKey bumpKey{L"common_res.dll", 62};
    ResKey effectKey{L"common_res.dll", 63};
    MediaSpeedParam scrollSpeed;          // × 0.001: offset per unit of light time
    HazeClock clock;
    UINTSclaleTo<float> strength;         // × 0.002
    UINTSclaleTo<float> bumpScale;        // 1 − 0.009 × value
    ComRef<ID3DXEffect> effect;
    ComRef<IDirect3DTexture9> bumpMap;
    float aspect = 1.0f;                  // picture height / width
};

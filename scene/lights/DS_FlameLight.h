// DS_FlameLight: the fire light. Over the slide picture it draws a band of flames: one quad
// whose flame picture is looked up through a pixel shader that moves every lookup by three
// scrolling copies of an offset map, so the flames lick upwards. With the heat haze on, the
// whole frame (background, flames, objects) is drawn stretched into a render target first and
// then put back onto the picture rectangle through DistortionEffect, which makes it shimmer.
//
//     BeginFrame:  [haze: target.Begin, stretched layout]  background;  flames
//                  (then the player draws the objects, into the target while the haze is on)
//     EndFrame:    [haze: target.End (back buffer black), own layout, DistortionEffect::Draw]
//                  the four bars
//
// The flame shader pair (DistortionShader, held in the base's shaderSet) and the heat haze
// (DistortionEffect) are different things despite their names: the first draws the flames, the
// second distorts the finished frame.
//
// Both layouts are made whenever the light is laid out, and a frame through the haze only
// switches between them (SwitchLayout): no buffer is written in a frame.
//
// When the effect is missing the haze stays off; when the render target is missing (it failed,
// or was released before a reset) the frame is drawn straight onto the back buffer.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>

#include "document/ComRef.h"
#include "document/ValueRecords.h"
#include "document/params/MediaParamT.h"
#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/DistortionEffect.h"
#include "scene/render/Meshes.h"
#include "scene/render/RenderTargetTexture.h"
#include "scene/render/VertexLayouts.h"

// ---- The arithmetic, without a device ----

// The flame quad's vertices for a w × h picture with the flames lowered by `drop`, in picture
// pixels (y downwards), in the order top-left, top-right, bottom-left, bottom-right:
// bottom = h × (1 + 0.005 × drop), top = bottom − 0.65 × h, z 0, texture coordinates (0, 0),
// (1, 0), (0, 0.95), (1, 0.95). With drop 0 the flames fill the lower 65 % of the picture.
void FireQuadCorners(float width, float height, float drop, DX_V::PT* vertices);

// ---- The flame quad ----

class FireQuad : public DS_TexturedQuad<DX_V::PT> {
public:
    // The flame picture (frame 0 of flameKey) and the offset map (frame 0 of offsetKey), each
    // null when its key has no frame; the buffer filled with the corners of an 800 × 600
    // picture.
    void Load();
    // FireQuadCorners written into the buffer.
    void Layout(float width, float height, float drop);
    // The flame picture on stage 0, the offset map on stages 1 to 3, the buffer as stream 0.
    // False when there is no buffer to draw from.
    bool Bind() const;

    ResKey flameKey{L"common_res.dll", 7};
    ResKey offsetKey{L"common_res.dll", 8};
    ComRef<IDirect3DTexture9> offsetTexture;
};

// ---- The flame shader pair ----

// A vs_1_1 vertex shader (position and one texture coordinate, by declaration) that hands the
// pixel shader the flame coordinate and three offset coordinates, tiled 1, 2 and 3 times and
// scrolled with the light time in c24; and a ps_1_4 pixel shader that moves the flame lookup
// by the weighted sum of the three offset samples, more at the top of the quad than at its foot.
struct DistortionShader {
    static const char* const kVertexText;
    static const char* const kPixelText;

    // A constant register and its value.
    struct Constant {
        UINT reg;
        float value[4];
    };
    static const Constant kVertexConstants[6]; // c11 to c16: scroll speeds and tilings
    static const Constant kPixelConstants[4];  // c1 to c4: offset weights and the fade

    // Vertex constants c11 to c16 and pixel constants c1 to c4.
    static void SetConstants();
    // The vertex shader and its declaration.
    static void Create(ShaderSet& shaders) { CreateVertexShader(shaders); }
    // Assembles the vertex text; on success makes the declaration and then the shader, each
    // replacing the one held. Nothing is made when the text does not assemble.
    static void CreateVertexShader(ShaderSet& shaders);
    // Assembles the pixel text and makes the pixel shader, replacing the one held.
    static void CreatePixelShader(ShaderSet& shaders);
};

// ---- The light ----

class DS_FlameLight : public DS_EffectLightBase {
public:
    // Both switches on, no drop; the renderer with the default object renderers.
    DS_FlameLight();
    // The render target, the haze, the flame quad and the switches go first, then the base.
    ~DS_FlameLight() = default;

    // The background from `path` (empty: the library's default picture), the flame quad, the
    // haze (off when there is no effect), the shader pair and the base's bars and handles.
    void Init(const std::wstring& path);
    // The slide's picture, the layout again, the haze and the flames sized to the picture.
    void SetBackground(const NamedBlob& picture);
    // Both layouts for a width × height back buffer: first the picture stretched over the whole
    // render target (for a frame through the haze), kept aside in `targetQuad` and
    // `targetLayout`, then the light's own (stretched or letterboxed), which stays in force.
    void Layout(uint32_t width, uint32_t height);
    // The flames lowered by `drop` (0.5 % of the picture's height per unit).
    void SetFlameDrop(float drop);

    // The flame scroll and the haze advanced to light time t.
    void Update(float t);
    // The redirection into the target (haze on), the background and the flames.
    void BeginFrame();
    // The composite through the haze (when the frame was redirected), then the bars.
    void EndFrame();
    // The base states of the fire mode; also makes the render target and resets the effect.
    void RestoreRenderStates();

    MediaParamT<int> flameSwitch{1};  // non-zero: the flames are drawn
    MediaParamT<int> hazeSwitch{1};   // non-zero: the heat haze is on
    FireQuad fireQuad;
    DistortionEffect distortion;      // the heat haze
    RenderTargetTexture sceneTarget;  // the frame while the haze is on
    bool savedStretch = false;        // the layout's own stretch while the frame is stretched
    ScreenPictureQuad targetQuad;     // the vertices of the layout not in force
    LightLayout targetLayout;         // and the layout that goes with them
    float flameDrop = 0.0f;           // how far the flames sit below the picture's foot

private:
    void DrawFlames();
    // Puts the layout kept aside in force and keeps the one that was: the screen quad's
    // vertices and the captured layout change places, and the new layout is installed. Nothing
    // is written to a buffer; the bars keep the light's own layout (none is drawn in between).
    void SwitchLayout();
    // The flame quad over the picture, lowered by flameDrop.
    void LayoutFlames();

    bool redirected_ = false; // this frame is being drawn into the render target
};

// A new fire light, initialised from `path`, owned by the caller.
DS_FlameLight* MakeFlameLight(const std::wstring& path);

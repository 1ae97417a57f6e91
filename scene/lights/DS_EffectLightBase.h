// DS_EffectLightBase: what the effect lights (lake, fire, water rings, glyph rain, glass ball)
// share. It holds the background picture, both as a texture and as a screen-pixel quad that
// draws it, the letterbox layout with its four black bars, the selection-handle pictures, the
// shader objects of a light that draws with shaders, and the renderer through which the slide's
// runtime objects draw themselves.
//
// Unlike the picture light it is not a renderer itself, and it has no virtual operations: a
// derived light calls these by name from its mode's MutableLight operations. A derived light is
// built in this order:
//
//     base constructor;  its own members;  renderer = ...;
//     InitFromPath(path)   or   its own resources, then CreateResources()
//     in the mode's constructor: SetBackground(slide.picture); Layout(back-buffer size)
//     at every SetStretch: stretch = ...; Layout(layoutWidth, layoutHeight)
//
// Each frame the derived light draws DrawBackground (or its own background), the mode's
// DrawObjects calls DrawObjects(objects), and its EndFrame draws DrawBars when it wants bars.
//
// Also here: DS_NoEffectLight, the base with the default renderers.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/ComRef.h"
#include "document/TextureInfo.h"
#include "document/ValueRecords.h"
#include "scene/objects/DS_ABRender.h"
#include "scene/render/LightLayout.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ScreenPictureQuad.h"
#include "scene/render/ScreenQuad.h"

class DS_ABObj;

// The shader objects of a light that draws with shaders; released pixel shader first, then the
// declaration, then the vertex shader.
struct ShaderSet {
    ComRef<IDirect3DVertexShader9> vertexShader;
    ComRef<IDirect3DVertexDeclaration9> declaration;
    ComRef<IDirect3DPixelShader9> pixelShader;

    void Release();
};

class DS_EffectLightBase {
public:
    // The program's own pictures of the selection handles (none of them is in the program).
    static constexpr int32_t kHandlePictureIds[5] = {54, 55, 56, 57, 61};

    DS_EffectLightBase(const DS_EffectLightBase&) = delete;
    DS_EffectLightBase& operator=(const DS_EffectLightBase&) = delete;

    // ---- Resources: made and released in pairs ----

    // The background from a picture file (an empty path or "[blank]": the library's default
    // picture), the screen quad letterboxed over the back buffer, then CreateResources.
    void InitFromPath(const std::wstring& path);
    // The four bars (opaque black over the whole back buffer until the first layout) and the
    // handle pictures.
    void CreateResources();
    // Everything the base holds but the renderer, in the order the destructor lets it go:
    // handle pictures, bars, background texture, screen quad, shaders.
    void ReleaseResources();

    // The slide's picture becomes the background and the screen quad's texture; the quad keeps
    // its corners until the next layout.
    void SetBackground(const NamedBlob& picture);

    // ---- Layout ----

    // The background stretched or letterboxed into the width × height back buffer, then
    // ApplyLayout.
    void Layout(uint32_t width, uint32_t height);
    // Places the screen quad, the view metrics, the bars and the picture camera for the picture
    // rectangle `picture` (back-buffer pixels), and captures the layout. The lake and water-ring
    // lights call it with rectangles of their own.
    void ApplyLayout(const QuadTemplate& picture, uint32_t width, uint32_t height);

    // ---- Drawing ----

    // The screen quad with the states in force; WORLD is left at the quad's world × picture world.
    void DrawBackground();
    // The same with depth writes off, and on again afterwards; WORLD is not set.
    void DrawBackgroundNoZWrite();
    // The four bars in their order (left, right, top, bottom), each with DrawScreenQuad.
    void DrawBars();
    // Every runtime object with the light's renderer, in list order; nothing without a renderer.
    void DrawObjects(const std::vector<DS_ABObj*>& objects);

    // Field order is the destruction order reversed: the renderer goes first, then the layout,
    // the handle pictures (the last first), the bars (the last first), the background, the screen
    // quad and the shaders.
    ShaderSet shaderSet;
    bool stretch = false;             // true: the picture over the whole back buffer
    ScreenPictureQuad screenQuad;     // the background in screen pixels, a 2-triangle strip
    TextureInfo background;           // the background picture
    DS_ScreenQuad bars[4];            // 0 left, 1 right, 2 top, 3 bottom
    ComRef<IDirect3DTexture9> handleTextures[5];
    uint32_t layoutWidth = 0;         // back-buffer size of the last layout
    uint32_t layoutHeight = 0;
    LightLayout layout;               // SceneTransforms and ViewMetrics as the last layout left them
    std::unique_ptr<DS_ABRender> renderer; // set by the derived light's constructor

protected:
    DS_EffectLightBase();
    // Not virtual: each mode owns its light through a pointer of the light's own type.
    ~DS_EffectLightBase();
};

// The base with the default object renderers, owned by the light itself. The glyph-rain and
// glass-ball lights derive from it.
class DS_NoEffectLight : public DS_EffectLightBase {
public:
    DS_NoEffectLight();
    ~DS_NoEffectLight() = default;
};

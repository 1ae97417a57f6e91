// DS_2D_Light: the picture light. It draws the slide's background picture as a textured quad in
// picture pixels, which the picture world matrix of SceneTransforms places on the back buffer,
// either stretched over the whole back buffer or letterboxed (the largest centred rectangle of
// the picture's aspect) with four black bars over the rest. It is also the renderer its mode's
// runtime objects draw themselves with, and it owns a back-buffer-sized render target that the
// underwater light draws into.
//
// Also here: SetDefault2DStates, the base states of the picture-based modes, and
// DrawScreenQuadKeepBlend, the fade-quad drawing of the picture and underwater modes.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "document/Archive.h"
#include "document/ComRef.h"
#include "document/ResourceCache.h"
#include "document/ValueRecords.h"
#include "scene/objects/DS_ABRender.h"
#include "scene/render/LightLayout.h"
#include "scene/render/PictureQuad.h"
#include "scene/render/RenderTargetTexture.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ScreenQuad.h"
#include "scene/render/ViewMetrics.h"

class DS_ABObj;

class DS_2D_Light : public DS_ABRender, public DS_IOF_Item {
public:
    static constexpr const wchar_t* kClassName = L"DS_2D_Light";
    static constexpr uint32_t kVersion = 1;
    // The program's own pictures of the selection handles (none of them is in the program).
    static constexpr int32_t kHandlePictureIds[5] = {54, 55, 56, 57, 61};

    // A new light with its device resources and the default picture.
    static DS_2D_Light* Create();

    DS_2D_Light();
    ~DS_2D_Light() override;
    DS_2D_Light(const DS_2D_Light&) = delete;
    DS_2D_Light& operator=(const DS_2D_Light&) = delete;

    // The picture quad's buffer, the picture under backgroundKey, the bars (opaque black over
    // the whole back buffer until the first layout), the handle pictures, the render target.
    void InitResources();
    // The slide's picture: its embedded bytes when it has some, else the document's picture for
    // the file it names; an empty name or "[blank]" keeps the picture there is. Lays out again.
    void SetBackground(const NamedBlob& picture);
    // The picture's place, the bars, SceneTransforms and ViewMetrics for a width × height back
    // buffer; `layout` keeps a copy of the two process-wide records.
    void Layout(uint32_t width, uint32_t height);

    // The picture with the states in force. A picture that has no texture (it could not be
    // made) is not drawn: the back buffer is cleared to black instead.
    void DrawBackground();
    // The four bars, opaque black; nothing when stretched.
    void DrawBars();
    // Every runtime object, in list order, with this light as its renderer.
    void DrawObjects(const std::vector<DS_ABObj*>& objects);

    // Class name and version only; nothing reads this record.
    bool Write(DS_IOF_Virtual* archive) override;

    // Renderer: the default routines, but meshes are drawn blended and only elements with the
    // alpha flag get their second (back-face) pass.
    void DrawSelection(OutlineQuad* quad, int selectionState, bool flag) override;
    void Draw3DObject(DS_MeshElement* element) override;
    void DrawSpriteArray(DS_SpriteArrayObj* sprites) override;
    void Draw3DArray(DS_MeshElement* leaves) override;

    // Field order is the destruction order reversed: the render target goes first, then the
    // handle pictures, the bars, the picture quad (its animation, then the quad) and the key.
    ResKey backgroundKey{L"common_res.dll", 5};
    PictureQuad pictureQuad;      // pictureQuad.anim is the picture; only its frame 0 is shown
    DS_ScreenQuad bars[4];        // 0 left, 1 right, 2 top, 3 bottom
    ComRef<IDirect3DTexture9> handleTextures[5];
    bool stretch = false;
    RenderTargetTexture target;
    uint32_t layoutWidth = 0;     // back-buffer size of the last layout
    uint32_t layoutHeight = 0;
    LightLayout layout;           // SceneTransforms and ViewMetrics as the last layout left them

private:
    // The picture quad's animation := a copy of the document's picture under backgroundKey
    // (empty without a document), then the quad takes its frame 0 and size.
    void TakePictureFromKey();
};

// The base states of the picture mode (and part of those of the glyph-rain and glass-ball
// lights): no depth test or writes, no lighting, linear mirrored sampling on stage 0, stage 0
// colour from the texture alone (its arguments TEXTURE and DIFFUSE kept for the renderers that
// switch to MODULATE), stage 1 off, blend factors SRCALPHA / INVSRCALPHA. Alpha blending itself,
// culling and the alpha operation are left as they are.
void SetDefault2DStates();

// As DrawScreenQuad, but alpha blending stays on afterwards: the next frame of the picture and
// underwater modes starts blended. Stage 0 takes colour and alpha from the texture again.
void DrawScreenQuadKeepBlend(DS_ScreenQuad* quad);

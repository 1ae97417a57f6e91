// MutableLight: the light mode of one slide. It owns the slide's runtime objects and one light
// implementation that does the drawing; CreateMutableLight picks the mode from the slide's kind.
//
// The player drives a light in this order:
//     light = CreateMutableLight(slide);  light->SetStretch(0 or 1);
//     every frame:  UpdateObjects(appTime); Update(speed × appTime);
//                   BeginScene; BeginFrame; DrawObjects; EndFrame; DrawFadeQuad(fade); EndScene
//     before a device reset and at shutdown: ReleaseDeviceResources
//     delete at the next slide change, or when the show restarts after a reset.
//
// Each mode holds its implementation through MutableLightOf<T>, a typed owner between this base
// and the mode, so C++ destroys the implementation before this base deletes the runtime objects.
//
// Layout: every light is laid out for its own device's back buffer, and its implementation keeps
// that layout in a LightLayout (captured by each of its layout routines). A mode hands it out
// through PictureLayout, and this base installs it itself, in UpdateObjects and in BeginFrame
// ahead of the mode's first pass, so with several monitors each one is drawn with its own.
#pragma once

#include <memory>
#include <vector>

class DS_ABObj;
class DS_ABRender;
class DS_ScreenQuad;
class LightLayout;
struct SlideRecord;

class MutableLight {
public:
    MutableLight(const MutableLight&) = delete;
    MutableLight& operator=(const MutableLight&) = delete;
    // Deletes every runtime object, in list order.
    virtual ~MutableLight();

    // Animates the light; `time` is the slide's speed factor times the application time.
    virtual void Update(float time) = 0;
    // The first pass of a frame: installs the light's layout, then the mode's BeginFramePass.
    void BeginFrame();
    // Every runtime object, drawn with the light's renderer.
    virtual void DrawObjects() = 0;
    // The player's fade quad (black, vertex alpha = fade level).
    virtual void DrawFadeQuad(DS_ScreenQuad* fadeQuad) = 0;
    // The last pass: the black bars, or the composite of a render target.
    virtual void EndFrame() = 0;
    // 0: the picture is letterboxed; otherwise stretched over the whole back buffer. Lays the
    // picture out again.
    virtual void SetStretch(int stretch);
    // Releases what lives in the device's default pool, before a reset and at shutdown.
    virtual void ReleaseDeviceResources() = 0;
    // The mode's base render, sampler and texture-stage states; each mode's constructor sets them.
    virtual void RestoreRenderStates() = 0;

    // Makes the slide's runtime objects and appends them; descriptions that make no object are
    // skipped. Every mode's constructor calls it as its last step.
    void AddSlideObjects(const SlideRecord& slide);
    // Installs the light's layout, then DS_ABObj::Update(appTime) of every runtime object, in
    // list order.
    void UpdateObjects(float appTime);
    // DS_ABObj::Render(renderer) of every runtime object, in list order, so later objects of the
    // slide's list are drawn over earlier ones.
    static void RenderObjects(const std::vector<DS_ABObj*>& objects, DS_ABRender* renderer);

    // The slide's runtime objects, owned.
    std::vector<DS_ABObj*> objects;

protected:
    MutableLight() = default;

    // The mode's first pass, with its layout already installed: the background picture, or the
    // redirection of the frame into a render target.
    virtual void BeginFramePass() = 0;
    // The layout the light's implementation captured when it last laid the picture out.
    virtual const LightLayout& PictureLayout() const = 0;

private:
    void InstallLayout() const;
};

// A new light mode for the slide, owned by the caller. A null slide gives the picture mode with
// the default picture; a kind the program does not know gives the picture mode too.
MutableLight* CreateMutableLight(const SlideRecord* slide);

// The part every light mode shares: it owns the mode's light implementation (deleted before the
// runtime objects), draws the objects with the light's renderer, stretches or letterboxes the
// light's picture and hands out the light's layout. The light offers DrawObjects(objects),
// `stretch`, Layout(width, height), `layoutWidth`, `layoutHeight` and `layout`. A mode derives
// from it and writes the rest of the MutableLight operations:
//
//     class MutableFire : public MutableLightOf<DS_FlameLight> {
//     public:
//         explicit MutableFire(const SlideRecord& slide);
//         void Update(float time) override;  ...
//     };
template <class Light>
class MutableLightOf : public MutableLight {
public:
    void DrawObjects() override { implementation->DrawObjects(objects); }
    // The picture stretched (non-zero) or letterboxed, laid out again at the last layout's size.
    void SetStretch(int stretch) override
    {
        implementation->stretch = stretch != 0;
        implementation->Layout(implementation->layoutWidth, implementation->layoutHeight);
    }

    Light* light() const { return implementation.get(); }

protected:
    explicit MutableLightOf(Light* made) : implementation(made) {}

    const LightLayout& PictureLayout() const override { return implementation->layout; }

    std::unique_ptr<Light> implementation;
};

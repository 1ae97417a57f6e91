// MutableAqua: the underwater mode (slide kind 1). The slide's picture and its runtime objects
// are drawn into a render target, which is then shown through scrolling waves (FakeUndervater,
// which is also the renderer the objects draw with).
#pragma once

#include <memory>

#include "scene/lights/FakeUndervater.h"
#include "scene/lights/MutableLight.h"

class MutableAqua : public MutableLight {
public:
    // Lays the light out at the back buffer's size, takes the slide's picture, sets the base
    // states and makes the slide's objects. The composite is letterboxed until SetStretch.
    explicit MutableAqua(const SlideRecord& slide);
    ~MutableAqua() override;

    void Update(float time) override;
    void DrawObjects() override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    void SetStretch(int stretch) override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

    FakeUndervater* light() const { return implementation.get(); }

protected:
    void BeginFramePass() override;
    const LightLayout& PictureLayout() const override;

private:
    std::unique_ptr<FakeUndervater> implementation;
};

// MutableNone: the picture mode. The slide's background picture, letterboxed or stretched, the
// runtime objects over it, the black bars around it and the fade quad; no effect. Its
// implementation, DS_2D_Light, is also the renderer its objects draw with.
#pragma once

#include "scene/lights/DS_2D_Light.h"
#include "scene/lights/MutableLight.h"

class MutableNone : public MutableLightOf<DS_2D_Light> {
public:
    // Lays the default picture out at the back buffer's size, takes the slide's picture, sets
    // the base states and makes the slide's objects. Not stretched until SetStretch.
    explicit MutableNone(const SlideRecord& slide);
    ~MutableNone() override = default;

    void Update(float time) override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

protected:
    void BeginFramePass() override;
};

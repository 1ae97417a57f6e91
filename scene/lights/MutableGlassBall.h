// MutableGlassBall: the glass-ball mode (slide kind 6). The slide's scene is shown magnified and
// bent inside a glass ball standing in front of a backdrop (DS_GlassBallLight); the slide's
// objects draw into the scene with the default renderer.
#pragma once

#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/DS_GlassBallLight.h"
#include "scene/lights/MutableLight.h"

class MutableGlassBall : public MutableLightOf<DS_GlassBallLight> {
public:
    // Lays the light out at the back buffer's size, then takes the slide's settings in this
    // order: picture, overlays, ball size and zoom, scroll speed, switches, gradient colours,
    // scroll mode, glass mode, backdrop picture, ball position; sets the base states (and makes
    // the render targets) and makes the slide's objects.
    explicit MutableGlassBall(const SlideRecord& slide);
    ~MutableGlassBall() override;

    void Update(float time) override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    // Only the backdrop picture follows the stretch flag; the scene always fills the ball.
    void SetStretch(int stretch) override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

protected:
    void BeginFramePass() override;
};

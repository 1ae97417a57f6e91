// MutableMatrix: the falling-glyphs mode. The glyph rain (DS_MatrixLight) over the slide picture,
// or on black with the picture drawn by the glyphs' opacity; the slide's objects over the glyphs,
// then the black bars and the fade quad. The rain advances one step per drawn frame.
#pragma once

#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/DS_MatrixLight.h"
#include "scene/lights/MutableLight.h"

class MutableMatrix : public MutableLightOf<DS_MatrixLight> {
public:
    // Lays the picture out at the back buffer's size, loads the glyph strip, takes the grid's
    // settings, the colours and the colour mode from the slide, sets the base states and makes
    // the slide's objects. Not stretched until SetStretch.
    explicit MutableMatrix(const SlideRecord& slide);

    // The time is not used: the rain takes one step per frame.
    void Update(float time) override;
    void DrawFadeQuad(DS_ScreenQuad* fadeQuad) override;
    void EndFrame() override;
    // Lays the picture out again and restarts the rain from an empty grid.
    void SetStretch(int stretch) override;
    void ReleaseDeviceResources() override;
    void RestoreRenderStates() override;

protected:
    void BeginFramePass() override;
};

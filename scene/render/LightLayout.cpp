#include "scene/render/LightLayout.h"

#include "document/CurrentDevice.h"

void LightLayout::Capture()
{
    transforms_ = SceneTransforms;
    metrics_ = ViewMetrics;
    captured_ = true;
}

void LightLayout::Install() const
{
    if (!captured_)
        return;
    SceneTransforms = transforms_;
    ViewMetrics = metrics_;
    if (CurrentDevice) {
        CurrentDevice->SetTransform(D3DTS_VIEW, &transforms_.view);
        CurrentDevice->SetTransform(D3DTS_PROJECTION, &transforms_.projection);
    }
}

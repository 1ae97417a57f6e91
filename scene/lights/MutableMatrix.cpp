#include "scene/lights/MutableMatrix.h"

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/lights/DS_2D_Light.h"
#include "scene/render/DeviceBindings.h"

MutableMatrix::MutableMatrix(const SlideRecord& slide) : MutableLightOf(DS_MatrixLight::CreateMatrixLight())
{
    DS_MatrixLight& light = *implementation;
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    light.Layout(back.Width, back.Height);
    light.SetBackground(slide.picture);
    light.Layout(light.layoutWidth, light.layoutHeight);

    // Every setting first, so that the grid, its batch and the luminance map are each built once,
    // from the values they end up with.
    light.settings.glyphSize = GlyphSizeFromLevel(slide.levels[0]);
    light.settings.density = GlyphDensityFromLevel(slide.levels[1]);
    light.settings.flickerCount = static_cast<int32_t>(slide.levels[2]);
    light.intensity = GlyphIntensityFromTransparency(slide.levels[3]);
    light.glyphColour = slide.colours[0];
    light.headColour = slide.colours[1];
    light.settings.direction = slide.options[0];
    light.colourMode = slide.options[1];
    light.LoadGlyphTexture(slide.resourceRefs[0]); // the glyph count, then the grid
    light.ResizeBatch();
    light.BuildLuminanceMap();

    RestoreRenderStates();
    AddSlideObjects(slide);
}

void MutableMatrix::Update(float)
{
    implementation->Update();
}

void MutableMatrix::BeginFramePass()
{
    implementation->BeginFrame();
}

void MutableMatrix::DrawFadeQuad(DS_ScreenQuad* fadeQuad)
{
    if (fadeQuad)
        DrawScreenQuad(*fadeQuad);
}

void MutableMatrix::EndFrame()
{
    if (CurrentDevice)
        CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    implementation->DrawBars();
}

void MutableMatrix::SetStretch(int stretch)
{
    MutableLightOf::SetStretch(stretch);
    implementation->RestartRain();
}

void MutableMatrix::ReleaseDeviceResources()
{
    // Nothing of the light lives in the default pool. Its picture and glyphs are drawn through
    // stage 0, stream 0 and the batch's indices.
    UnbindDrawingResources(1);
}

void MutableMatrix::RestoreRenderStates()
{
    SetDefault2DStates();
    if (!CurrentDevice)
        return;
    CurrentDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    CurrentDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

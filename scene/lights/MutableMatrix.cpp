#include "scene/lights/MutableMatrix.h"

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/lights/DS_2D_Light.h"
#include "scene/render/DeviceBindings.h"

MutableMatrix::MutableMatrix(const SlideRecord& slide) : MutableEffectLight(DS_MatrixLight::CreateMatrixLight())
{
    DS_MatrixLight& light = *implementation;
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    light.Layout(back.Width, back.Height);
    light.SetBackground(slide.picture);
    light.Layout(light.layoutWidth, light.layoutHeight);
    light.BuildLuminanceMap();
    light.RebuildGrid();
    light.ResizeBatch();
    light.LoadGlyphTexture(slide.resourceRefs[0]);

    // Each setting builds the grid again, as a change of it alone would.
    light.settings.glyphSize = GlyphSizeFromLevel(slide.levels[0]);
    light.RebuildGrid();
    light.ResizeBatch();
    light.settings.density = GlyphDensityFromLevel(slide.levels[1]);
    light.RebuildGrid();
    light.settings.flickerCount = static_cast<int32_t>(slide.levels[2]);
    light.RebuildGrid();
    light.intensity = GlyphIntensityFromTransparency(slide.levels[3]);
    light.glyphColour = slide.colours[0];
    light.headColour = slide.colours[1];
    light.settings.direction = slide.options[0];
    light.RebuildGrid();
    light.colourMode = slide.options[1];
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
    implementation->stretch = stretch != 0;
    implementation->Layout(implementation->layoutWidth, implementation->layoutHeight);
    implementation->RebuildGrid();
    implementation->ResizeBatch();
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

#include "scene/lights/MutableGlassBall.h"

#include "document/ResourceCache.h"
#include "document/SceneDoc.h"

// The slide's two colours go into the light as it is made, so that its backdrop gradient is
// built once, from them.
MutableGlassBall::MutableGlassBall(const SlideRecord& slide)
    : MutableLightOf(DS_GlassBallLight::Create(slide.colours[0], slide.colours[1]))
{
    DS_GlassBallLight& ball = *implementation;
    const D3DSURFACE_DESC back = GetBackBufferDesc();
    ball.Layout(back.Width, back.Height);
    ball.SetBackground(slide.picture);
    ball.DS_EffectLightBase::Layout(ball.layoutWidth, ball.layoutHeight);

    for (int i = 0; i < 3; ++i)
        ball.SetOverlayTexture(i, slide.resourceRefs[i]);

    ball.ballSize = slide.levels[0];
    ball.UpdateLensParams();
    ball.zoom = slide.levels[1] / 2;
    ball.UpdateLensParams();
    ball.scrollSpeed = static_cast<float>(slide.levels[2] / 50.0 + 1.0);

    // Switch 0 is the second overlay's, switch 2 the first's; only exactly 1 is on.
    ball.overlayBOn = slide.switches[0] == 1;
    ball.standOn = slide.switches[1] == 1;
    ball.overlayAOn = slide.switches[2] == 1;

    ball.scrollMode = slide.options[0];
    ball.SetGlassMode(slide.options[1]);
    ball.SetBackdropPicture(slide.blobs[0]);

    ball.ballX = static_cast<float>(slide.points[0].x);
    ball.ballY = -static_cast<float>(slide.points[0].y);

    RestoreRenderStates();
    AddSlideObjects(slide);
}

// The light goes first (its owner is the base's member), then the objects.
MutableGlassBall::~MutableGlassBall() = default;

void MutableGlassBall::Update(float time)
{
    implementation->Update(time);
}

void MutableGlassBall::BeginFramePass()
{
    implementation->BeginFrame();
}

void MutableGlassBall::DrawFadeQuad(DS_ScreenQuad* fadeQuad)
{
    if (fadeQuad)
        DrawScreenQuad(*fadeQuad);
}

void MutableGlassBall::EndFrame()
{
    implementation->EndFrame();
}

void MutableGlassBall::SetStretch(int stretch)
{
    implementation->backdropStretch = static_cast<uint8_t>(stretch);
    implementation->Layout(implementation->layoutWidth, implementation->layoutHeight);
}

void MutableGlassBall::ReleaseDeviceResources()
{
    implementation->ReleaseDeviceResources();
}

void MutableGlassBall::RestoreRenderStates()
{
    implementation->RestoreDeviceResources();
}

#include "scene/lights/DistortionEffect.h"

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"

HazeParams AdvanceHaze(HazeClock& clock, float t, float speed, float strength, float bumpScale, float aspect)
{
    float step = t - clock.lastTime;
    if (!(step <= 0.2f))
        step = 0.2f;
    clock.timeStep = step * speed;
    clock.scrollOffset += clock.timeStep;
    clock.lastTime = t;

    HazeParams params;
    params.stenght = strength * 0.05f;
    params.offset[0] = clock.scrollOffset;
    params.offset[1] = -clock.scrollOffset;
    params.bumpScale[0] = bumpScale;
    params.bumpScale[1] = aspect * bumpScale;
    return params;
}

DistortionEffect::DistortionEffect()
{
    scrollSpeed.SetScaling(0.001f, 0.0f);
    scrollSpeed.SetValue(50, nullptr);
    strength.SetScaling(0.002f, 0.0f);
    strength.SetValue(25, nullptr);
    bumpScale.SetScaling(-0.009f, 1.0f);
    bumpScale.SetValue(88, nullptr);
}

DistortionEffect::~DistortionEffect()
{
    effect.Reset();
    bumpMap.Reset();
}

bool DistortionEffect::Load()
{
    QuadTemplate rect;
    SetQuadCorners(rect, 0.0f, 0.0f, 800.0f, 600.0f);
    MakePTQuad(*this, rect);
    bumpMap = FirstTexture(bumpKey);
    effect.Reset();
    if (CurrentDocResManager)
        CurrentDocResManager->GetEffect(effectKey, effect.Out());
    return effect != nullptr;
}

void DistortionEffect::SetSize(float width, float height)
{
    QuadTemplate rect;
    SetQuadCorners(rect, 0.0f, 0.0f, width, height);
    for (QuadVertex& corner : rect.v)
        corner.z = 0.0f;
    WriteVertices(vertices, [&](DX_V::PT* v, uint32_t) { FillPTVertices(v, rect); });
    aspect = height / width;
}

void DistortionEffect::Update(float t)
{
    if (!effect)
        return;
    const HazeParams params =
        AdvanceHaze(clock, t, scrollSpeed.scaled, strength.scaled, bumpScale.scaled, aspect);
    effect->SetFloat("stenght", params.stenght);
    effect->SetFloatArray("Offset", params.offset, 2);
    effect->SetFloatArray("bump_scale", params.bumpScale, 2);
}

void DistortionEffect::Draw(IDirect3DTexture9* frame)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!effect || !device)
        return;
    effect->SetTexture("SceneTex", frame);
    effect->SetTexture("Bumpmap", bumpMap.Get());
    effect->SetTechnique("BumpmapDistortLow2");
    UINT passes = 0;
    effect->Begin(&passes, 0);
    for (UINT pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        device->SetVertexShader(nullptr);
        device->SetFVF(DX_V::PT::FVF);
        device->SetStreamSource(0, vertices.buffer.Get(), 0, DX_V::PT::Stride);
        if (HasGeometry())
            device->DrawPrimitive(primitiveType, 0, primitiveCount);
        effect->EndPass();
    }
    effect->End();
}

void DistortionEffect::ClearTextures()
{
    if (!effect)
        return;
    effect->SetTexture("SceneTex", nullptr);
    effect->SetTexture("Bumpmap", nullptr);
}

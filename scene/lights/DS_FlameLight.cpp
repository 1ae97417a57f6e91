#include "scene/lights/DS_FlameLight.h"

#include <d3dx9.h>

#include <cstring>
#include <utility>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceCache.h"
#include "scene/lights/ObjectRenderers.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ScreenQuad.h"

// Light time goes into vertex constant c24; the picture's transform into c4 to c7.
namespace {

constexpr UINT kTimeRegister = 24;
constexpr UINT kTransformRegister = 4;

// The assembled code of `text`, or null when it does not assemble.
ComRef<ID3DXBuffer> Assemble(const char* text)
{
    ComRef<ID3DXBuffer> code;
    if (FAILED(D3DXAssembleShader(text, static_cast<UINT>(std::strlen(text)), nullptr, nullptr, 0, code.Out(),
                                  nullptr)))
        code.Reset();
    return code;
}

} // namespace

// ---- The arithmetic ----

void FireQuadCorners(float w, float h, float drop, DX_V::PT* v)
{
    const float bottom = h * (1.0f + 0.005f * drop);
    const float top = bottom - 0.65f * h;
    v[0] = {0.0f, top, 0.0f, 0.0f, 0.0f};
    v[1] = {w, top, 0.0f, 1.0f, 0.0f};
    v[2] = {0.0f, bottom, 0.0f, 0.0f, 0.95f};
    v[3] = {w, bottom, 0.0f, 1.0f, 0.95f};
}

// ---- The flame quad ----

void FireQuad::Load()
{
    SetTexture(FirstTexture(flameKey).Get());
    offsetTexture = FirstTexture(offsetKey);
    MakeQuadBuffer();
    Layout(800.0f, 600.0f, 0.0f);
}

void FireQuad::Layout(float width, float height, float drop)
{
    WriteVertices(vertices, [&](DX_V::PT* v, uint32_t) { FireQuadCorners(width, height, drop, v); });
}

bool FireQuad::Bind() const
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return false;
    device->SetTexture(0, texture.Get());
    device->SetStreamSource(0, vertices.buffer.Get(), 0, DX_V::PT::Stride);
    for (DWORD stage = 1; stage <= 3; ++stage)
        device->SetTexture(stage, offsetTexture.Get());
    return HasGeometry();
}

// ---- The flame shader pair ----

const char* const DistortionShader::kVertexText =
    "vs.1.1\n"
    "dcl_position0 v0\n"
    "dcl_texcoord0 v7\n"
    "m4x4 oPos, v0, c4\n"
    "mov oT0, v7\n"
    "mov r0, c24.x\n"
    "mul r1, r0, c11\n"
    "frc r1.xy, r1\n"
    "mad oT1, v7, c14.xyxy, r1.xyxy\n"
    "mul r1, r0, c12\n"
    "frc r1.xy, r1\n"
    "mad oT2, v7, c15.xyxy, r1.xyxy\n"
    "mul r1, r0, c13\n"
    "frc r1.xy, r1\n"
    "mad oT3, v7, c16.xyxy, r1.xyxy\n";

const char* const DistortionShader::kPixelText =
    "ps.1.4\n"
    "texcrd r0.rgb, t0\n"
    "texld  r1, t1\n"
    "texld  r2, t2\n"
    "texld  r3, t3\n"
    "mul r1.rgb, c1, r1_bx2\n"
    "mad r1.rgb, c2, r2_bx2, r1\n"
    "mad r1.rgb, c3, r3_bx2, r1\n"
    "+mad r0.a, 1-r0.g, c4.x, c4.y\n"
    "mad r1.rgb, r1, r0.a,  r0\n"
    "phase\n"
    "texld  r0, r1\n";

const DistortionShader::Constant DistortionShader::kVertexConstants[6] = {
    {11, {0.0f, 1.3f, 0.0f, 0.0f}}, // scroll speeds of the three offset copies, in v
    {12, {0.0f, 2.1f, 0.0f, 0.0f}},
    {13, {0.0f, 2.3f, 0.0f, 0.0f}},
    {14, {1.0f, 1.0f, 0.0f, 0.0f}}, // their tilings
    {15, {2.0f, 2.0f, 0.0f, 0.0f}},
    {16, {3.0f, 3.0f, 0.0f, 0.0f}},
};

const DistortionShader::Constant DistortionShader::kPixelConstants[4] = {
    {1, {0.1f, 0.2f, 0.0f, 0.0f}}, // weights (u, v) of the three offset samples
    {2, {0.1f, 0.3f, 0.0f, 0.0f}},
    {3, {0.1f, 0.1f, 0.0f, 0.0f}},
    {4, {0.5f, 0.2f, 0.0f, 0.0f}}, // (1 − v) × 0.5 + 0.2: strongest at the flames' tips
};

void DistortionShader::SetConstants()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    for (const Constant& c : kVertexConstants)
        device->SetVertexShaderConstantF(c.reg, c.value, 1);
    for (const Constant& c : kPixelConstants)
        device->SetPixelShaderConstantF(c.reg, c.value, 1);
}

void DistortionShader::CreateVertexShader(ShaderSet& shaders)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    const ComRef<ID3DXBuffer> code = Assemble(kVertexText);
    if (!code)
        return;
    static const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END(),
    };
    if (FAILED(device->CreateVertexDeclaration(elements, shaders.declaration.Out())))
        return;
    device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), shaders.vertexShader.Out());
}

void DistortionShader::CreatePixelShader(ShaderSet& shaders)
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    const ComRef<ID3DXBuffer> code = Assemble(kPixelText);
    if (!code)
        return;
    device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), shaders.pixelShader.Out());
}

// ---- The light ----

DS_FlameLight::DS_FlameLight()
{
    renderer = std::make_unique<DS_ABRenderImpl<DS_FlameLight>>(this);
    savedStretch = stretch;
}

DS_FlameLight* MakeFlameLight(const std::wstring& path)
{
    DS_FlameLight* light = new DS_FlameLight();
    light->Init(path);
    return light;
}

void DS_FlameLight::Init(const std::wstring& path)
{
    NamedBlob picture;
    picture.name = path;
    background = ResolvePictureTexture(picture);
    MakeScreenPictureQuad(screenQuad, background);
    MakeScreenPictureQuad(targetQuad, background);
    fireQuad.Load();
    if (!distortion.Load())
        hazeSwitch.value = 0;
    DistortionShader::SetConstants();
    DistortionShader::Create(shaderSet);
    DistortionShader::CreatePixelShader(shaderSet);
    CreateResources();
}

void DS_FlameLight::SetBackground(const NamedBlob& picture)
{
    DS_EffectLightBase::SetBackground(picture);
    Layout(layoutWidth, layoutHeight);
    // A picture that did not load is laid out as 800 × 600, as everywhere else.
    const PictureSize size = LayoutPictureSize(background.width, background.height);
    distortion.SetSize(static_cast<float>(size.width), static_cast<float>(size.height));
    LayoutFlames();
}

void DS_FlameLight::Layout(uint32_t width, uint32_t height)
{
    const bool own = stretch;
    stretch = true;
    DS_EffectLightBase::Layout(width, height);
    std::swap(screenQuad.vertices, targetQuad.vertices);
    targetLayout = layout;
    stretch = own;
    DS_EffectLightBase::Layout(width, height);
}

void DS_FlameLight::SwitchLayout()
{
    std::swap(screenQuad.vertices, targetQuad.vertices);
    std::swap(layout, targetLayout);
    layout.Install();
    if (CurrentDevice)
        CurrentDevice->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
}

void DS_FlameLight::SetFlameDrop(float drop)
{
    flameDrop = drop;
    LayoutFlames();
}

void DS_FlameLight::LayoutFlames()
{
    const PictureSize size = LayoutPictureSize(background.width, background.height);
    fireQuad.Layout(static_cast<float>(size.width), static_cast<float>(size.height), flameDrop);
}

void DS_FlameLight::Update(float t)
{
    if (IDirect3DDevice9* device = CurrentDevice) {
        const float time[4] = {t, 0.0f, 0.0f, 0.0f};
        device->SetVertexShaderConstantF(kTimeRegister, time, 1);
    }
    distortion.Update(t);
}

void DS_FlameLight::BeginFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // Without a target, or without an effect to put it back, the frame goes straight onto the
    // back buffer.
    redirected_ = hazeSwitch.value != 0 && sceneTarget.texture && distortion.effect;
    if (redirected_) {
        sceneTarget.Begin();
        savedStretch = stretch;
        stretch = true;
        SwitchLayout(); // the picture over the whole target
    }
    DrawBackground();
    if (flameSwitch.value != 0)
        DrawFlames();
}

void DS_FlameLight::DrawFlames()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!shaderSet.vertexShader || !shaderSet.declaration || !shaderSet.pixelShader)
        return; // a shader that did not assemble draws nothing
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    D3DXMATRIX worldView, transform;
    D3DXMatrixMultiply(&worldView, &SceneTransforms.pictureWorld, &SceneTransforms.view);
    D3DXMatrixMultiplyTranspose(&transform, &worldView, &SceneTransforms.projection);
    device->SetVertexShaderConstantF(kTransformRegister, static_cast<const float*>(transform), 4);

    device->SetVertexDeclaration(shaderSet.declaration.Get());
    device->SetVertexShader(shaderSet.vertexShader.Get());
    device->SetPixelShader(shaderSet.pixelShader.Get());
    if (fireQuad.Bind())
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    // The vertex shader and its declaration stay: every later draw sets its own FVF and none.
    device->SetPixelShader(nullptr);
}

void DS_FlameLight::EndFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    if (redirected_) {
        redirected_ = false;
        sceneTarget.End(); // the back buffer again, cleared to opaque black
        stretch = savedStretch;
        SwitchLayout();
        D3DXMATRIX world;
        D3DXMatrixMultiply(&world, &distortion.world, &SceneTransforms.pictureWorld);
        device->SetTransform(D3DTS_WORLD, &world);
        distortion.Draw(sceneTarget.texture.Get());
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    DrawBars();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
}

void DS_FlameLight::RestoreRenderStates()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // Rasterizer and transform.
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
    // Texture stages: stage 0 shows its texture.
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    // Samplers 0 to 3 (the flame picture and the offset maps): linear.
    for (DWORD sampler = 0; sampler < 4; ++sampler) {
        device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    // Output merger.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // The flame picture is clamped; the offset maps keep the address modes they have.
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);

    DistortionShader::SetConstants();
    Layout(layoutWidth, layoutHeight);
    sceneTarget.Create();
    if (distortion.effect)
        distortion.effect->OnResetDevice();
}

#include "scene/lights/FakeLake2D.h"

#include <algorithm>
#include <cmath>

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "document/SceneDoc.h"
#include "scene/render/NormalMap.h"
#include "scene/render/SceneTransforms.h"
#include "scene/render/ScreenPictureQuad.h"
#include "scene/render/StateValues.h"
#include "scene/render/VertexColour.h"

namespace {

// Every position of the quad moved by (dx, dy).
void ShiftQuad(QuadTemplate& quad, float dx, float dy)
{
    for (QuadVertex& v : quad.v) {
        v.x += dx;
        v.y += dy;
    }
}

} // namespace

// ---- The arithmetic ----

LakeParams LakeParamsFromSlide(const SlideRecord& slide)
{
    LakeParams p;
    p.shadeRgb = RgbFromColorref(slide.colours[0]);
    p.shadeAlpha = static_cast<float>(static_cast<float>(slide.levels[0]) * 0.01 * 0.8);
    // An amount of 100 or more would leave no water (and divide by a zero squeeze); a negative
    // one would mirror more than the picture holds.
    const int32_t amount = std::min<int32_t>(std::max<int32_t>(slide.amount, 0), 99);
    p.squeeze = static_cast<float>(static_cast<float>(static_cast<uint32_t>(100 - amount)) * 0.005);
    p.shadeFalloff = static_cast<float>(static_cast<float>(slide.levels[2]) * 0.01);
    p.bumpAmplitude = static_cast<float>(slide.levels[3]);
    p.bumpFade = static_cast<float>(static_cast<float>(slide.levels[4]) * 0.01);
    p.bumpRange = static_cast<float>(static_cast<float>(slide.levels[5]) * 0.01);
    p.hazeHeight = static_cast<int32_t>(slide.levels[1]);
    p.reflectionSizeShift = slide.options[0];
    return p;
}

void SqueezeReflectionQuad(QuadTemplate& quad, float s)
{
    QuadVertex& bl = quad.v[QuadTemplate::BottomLeft];
    QuadVertex& tl = quad.v[QuadTemplate::TopLeft];
    QuadVertex& br = quad.v[QuadTemplate::BottomRight];
    QuadVertex& tr = quad.v[QuadTemplate::TopRight];
    const float dv = bl.v - tl.v;
    tl.y = bl.y - s * (bl.y - tl.y);
    tr.y = br.y - s * (br.y - tr.y);
    const float waterLine = tl.v + (1.0f - s) * dv;
    tl.v = tr.v = waterLine;
    bl.v = br.v = waterLine - s * dv;
}

LakeShadeAlphas ComputeLakeShadeAlphas(float shadeAlpha, float falloff)
{
    const float a = shadeAlpha;
    const float b = (1.0f - falloff) * a;
    return LakeShadeAlphas{{a, a, b, b}, {0.0f, 0.0f, b, b}};
}

int32_t LakeHazeBand(const QuadTemplate& reflection, uint32_t pictureHeight, int32_t hazeHeight, float squeeze)
{
    if (pictureHeight == 0 || !(squeeze > 0.0f))
        return 0;
    const float band = (reflection.Bottom() - reflection.Top()) / static_cast<float>(pictureHeight) *
                       static_cast<float>(hazeHeight) / squeeze;
    if (!(std::fabs(band) < 1e9f))
        return 0;
    return static_cast<int32_t>(band);
}

ScreenRect LakeHazeRect(const QuadTemplate& reflection, uint32_t pictureHeight, int32_t hazeHeight, float squeeze)
{
    const float band = static_cast<float>(LakeHazeBand(reflection, pictureHeight, hazeHeight, squeeze));
    const float left = reflection.Left();
    const float waterLine = reflection.Top();
    const float width = std::trunc(reflection.Right() - reflection.Left());
    return ScreenRect{left, waterLine, left + width, waterLine - band};
}

D3DXMATRIX LakeBumpMatrix(float t)
{
    const float half = t * 0.5f;
    const float theta = half * 9.0f;
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = m._22 = 0.04f * std::cos(theta);
    m._12 = -0.04f * std::sin(theta);
    m._21 = 0.04f * std::sin(theta);
    return m;
}

// ---- The renderer ----

void DS_LakeRender::Draw3DArray(DS_MeshElement* leaves)
{
    DefaultDraw3DArray(leaves);
    if (IDirect3DDevice9* device = CurrentDevice) {
        device->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
}

// ---- The light ----

FakeLake2D* MakeFakeLake2D(const std::wstring& path, int32_t bumpId, float squeeze, float bumpAmplitude,
                           float bumpFade)
{
    FakeLake2D* lake = new FakeLake2D();
    lake->bumpAmplitude = bumpAmplitude;
    lake->bumpFade = bumpFade;
    lake->Init(path, bumpId, squeeze);
    return lake;
}

FakeLake2D::FakeLake2D() : bumpMatrix(LakeBumpMatrix(0.0f))
{
    // The bump matrix starts at its value for time 0: the base states set it before any Update.
    renderer = std::make_unique<DS_LakeRender>(this);
}

// The surface mesh goes first, then the haze and shade quads, the reflection, the bump map, the base.
FakeLake2D::~FakeLake2D() = default;

void FakeLake2D::Init(const std::wstring& path, int32_t bumpId, float squeezeValue)
{
    NamedBlob picture;
    picture.name = path;
    background = ResolvePictureTexture(picture);
    MakeScreenPictureQuad(screenQuad, background);

    QuadTemplate reflection = MakeBackBufferQuad();
    squeeze = squeezeValue;
    SqueezeReflectionQuad(reflection, squeeze);

    bumpPictureId = bumpId;
    LoadLakeBumpTexture(bumpTexture, bumpId);
    MakeLakeGround(surfaceMesh);
    shadeQuad.Create(0x88000000u, reflection);
    hazeQuad.Create(0x88000000u, reflection);

    UpdateShadeAlphas();
    RebuildBumpMap();
    CreateResources();
}

void FakeLake2D::Layout(uint32_t width, uint32_t height)
{
    layoutWidth = width;
    layoutHeight = height;
    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);

    QuadTemplate picture = FitOrStretchQuad(stretch, background.width, background.height, w, h);
    QuadTemplate reflection = picture;
    SqueezeReflectionQuad(reflection, squeeze);
    FitLakeGround(surfaceMesh, reflection);

    ScaleQuadToBackBuffer(picture, w, h);
    ScaleQuadToBackBuffer(reflection, w, h);
    ApplyLayout(picture, width, height);
    BuildShadeQuads(reflection);
}

void FakeLake2D::SetReflectionSqueeze(float s)
{
    squeeze = s;
    const int32_t w = static_cast<int32_t>(layoutWidth);
    const int32_t h = static_cast<int32_t>(layoutHeight);
    QuadTemplate reflection;
    FitQuadLetterbox(reflection, background.width, background.height, w, h);
    SqueezeReflectionQuad(reflection, s);
    FitLakeGround(surfaceMesh, reflection);
    ScaleQuadToBackBuffer(reflection, w, h);
    BuildShadeQuads(reflection);
}

void FakeLake2D::BuildShadeQuads(const QuadTemplate& reflection)
{
    shadeQuad.SetRect(ScreenRect{reflection.Left(), reflection.Top(), reflection.Right(), reflection.Bottom()});
    hazeQuad.SetRect(LakeHazeRect(reflection, background.height, hazeHeight, squeeze));
}

void FakeLake2D::UpdateShadeAlphas()
{
    const LakeShadeAlphas alphas = ComputeLakeShadeAlphas(shadeAlpha, shadeFalloff);
    shadeQuad.SetVertexAlphas(alphas.shade[0], alphas.shade[1], alphas.shade[2], alphas.shade[3]);
    hazeQuad.SetVertexAlphas(alphas.haze[0], alphas.haze[1], alphas.haze[2], alphas.haze[3]);
}

void FakeLake2D::ResampleReflection()
{
    ResampleToSquareTexture(reflectionSizeShift, reflectionTexture, background.texture.Get());
}

void FakeLake2D::RebuildBumpMap()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    ++bumpMapBuilds;
    // Without the height picture there is nothing to size the render target from: the water
    // keeps the bump map it has (none at all: a still mirror).
    const ComRef<IDirect3DTexture9> heights = ResourceCache::GetTextureById(CurrentResourceCache, bumpPictureId);
    D3DSURFACE_DESC desc;
    if (!heights || FAILED(heights->GetLevelDesc(0, &desc)))
        return;
    ComRef<IDirect3DTexture9> target;
    if (FAILED(device->CreateTexture(desc.Width, desc.Height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, target.Out(), nullptr)))
        return;

    // The height picture and the grey fade over it. Pixel centres lie on whole coordinates, so
    // the quads are moved half a pixel up and left to put each texel on its own pixel.
    QuadTemplate area;
    MakeSizedQuad(area, static_cast<int32_t>(desc.Width), static_cast<int32_t>(desc.Height));
    ShiftQuad(area, -0.5f, -0.5f);
    ScreenPictureQuad heightQuad;
    MakeScreenQuadFromTemplate(heightQuad, heights.Get(), area);
    DS_ScreenQuad greyQuad;
    greyQuad.Create(0x00808080u, area);
    greyQuad.SetVertexAlphas(0.0f, 0.0f, bumpFade, bumpFade);

    ComRef<IDirect3DSurface9> savedTarget, savedDepth, level;
    D3DVIEWPORT9 savedViewport;
    device->GetViewport(&savedViewport);
    device->GetRenderTarget(0, savedTarget.Out());
    device->GetDepthStencilSurface(savedDepth.Out());
    target->GetSurfaceLevel(0, level.Out());
    device->SetRenderTarget(0, level.Get());
    device->SetDepthStencilSurface(nullptr);

    const bool drawn = SUCCEEDED(device->BeginScene());
    if (drawn) {
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        // The heights as they are.
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTexture(0, heights.Get());
        device->SetVertexShader(nullptr);
        device->SetFVF(DX_V::SCT::FVF);
        if (heightQuad.HasGeometry()) {
            device->SetStreamSource(0, heightQuad.vertices.buffer.Get(), 0, DX_V::SCT::Stride);
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        }
        // The grey from the vertices, blended by their alpha (the opaque height picture's alpha
        // times the vertex alpha): grey at the top, the heights untouched at the bottom.
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetFVF(DX_V::SC::FVF);
        if (greyQuad.HasGeometry()) {
            device->SetStreamSource(0, greyQuad.vertices.buffer.Get(), 0, DX_V::SC::Stride);
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        }
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->EndScene();
    }

    device->SetRenderTarget(0, savedTarget.Get());
    device->SetDepthStencilSurface(savedDepth.Get());
    device->SetViewport(&savedViewport);
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0, 0);
    // Without its pass the target holds nothing defined: the water keeps the bump map it has.
    if (!drawn)
        return;

    // D3DXComputeNormalMap and a D3DX conversion into V8U8 are done by our own code: the height
    // copy is read back, and the bump texels are written through CreateTexture and LockRect.
    const ComRef<IDirect3DTexture9> copy = CopyToNewTexture(desc.Width, desc.Height, target.Get(), D3DFMT_A8R8G8B8);
    ComputeBumpMapFromHeights(copy.Get(), bumpAmplitude, bumpTexture);
}

void FakeLake2D::SetBumpStages()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    device->SetTexture(0, bumpTexture.Get());
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(bumpMatrix._11));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(bumpMatrix._12));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(bumpMatrix._21));
    device->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(bumpMatrix._22));
    // Without a bump map the reflection is shown still: stage 0 passes its input through.
    device->SetTextureStageState(0, D3DTSS_COLOROP, bumpTexture ? D3DTOP_BUMPENVMAP : D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTexture(1, reflectionTexture.Get());
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
}

void FakeLake2D::UpdateBumpMatrix(float t)
{
    bumpMatrix = LakeBumpMatrix(t);
}

void FakeLake2D::BeginFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);

    // The picture with stage 0 alone: the base states leave stage 1 reading the reflection.
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DrawBackgroundNoZWrite();

    // The water: the surface mesh in screen pixels, the reflection moved by the bump map.
    device->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
    device->SetTransform(D3DTS_VIEW, &SceneTransforms.view);
    device->SetTransform(D3DTS_PROJECTION, &SceneTransforms.projection);
    device->SetStreamSource(0, surfaceMesh.vertices.buffer.Get(), 0, DX_V::PTT::Stride);
    SetBumpStages();
    device->SetVertexShader(nullptr);
    device->SetFVF(DX_V::PTT::FVF);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    if (surfaceMesh.HasGeometry())
        device->DrawPrimitive(surfaceMesh.primitiveType, 0, surfaceMesh.primitiveCount);

    device->SetTexture(1, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);

    // The shade over the water and the haze above it.
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    DrawScreenQuad(shadeQuad);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    DrawScreenQuad(hazeQuad);
}

void FakeLake2D::RestoreRenderStates()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // Set before the bump stages and again after them: white ambient light, dithering, no
    // specular, stage 0 modulating its texture with the vertex colour.
    auto plainStates = [device] {
        device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
        device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
        device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    };
    // Output merger and rasterizer, transforms and lighting.
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    plainStates();
    // Samplers 0 and 1: linear, mirrored at the edges.
    for (DWORD sampler = 0; sampler < 2; ++sampler) {
        device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    for (DWORD sampler = 0; sampler < 2; ++sampler) {
        device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
        device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    }
    // Stage 1 reads coordinate set 1, stage 0 set 0.
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetBumpStages();
    plainStates();
    device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

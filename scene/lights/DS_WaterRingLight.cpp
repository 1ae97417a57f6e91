#include "scene/lights/DS_WaterRingLight.h"

#include <algorithm>

#include "document/CurrentDevice.h"
#include "document/SceneDoc.h"
#include "scene/render/SceneTransforms.h"

RingsParams RingsParamsFromSlide(const SlideRecord& slide)
{
    const uint32_t* l = slide.levels;
    auto f = [](uint32_t level) { return static_cast<float>(level); };
    RingsParams p;
    p.rowDensityLevel = l[0];
    p.heightScale = f(l[1]) * 0.02f + 1.0f;
    p.columnDensityLevel = l[2];
    p.dropInterval = 60.0f / f(l[3]);
    p.dropStrength = f(l[4]) * 0.01f * 0.7f + 0.1f;
    p.damping = DampingFromLevel(l[5]);
    p.refractionDepth = f(l[6]) * 0.01f;
    p.specularLevel = f(l[7]) * 0.01f;
    p.specularPower = f(l[8]) * 80.0f * 0.01f;
    return p;
}

float DampingFromLevel(uint32_t level)
{
    const float v = static_cast<float>(std::min<uint32_t>(level, 100));
    if (v < 50.0f)
        return 0.9f + v * 0.09f * 0.02f;
    return 0.99f + (v - 50.0f) * 0.009f * 0.02f;
}

WaterExtents WaterOrthoExtents(uint32_t width, uint32_t height, float aspect, bool stretch)
{
    if (stretch)
        return {15.0f / aspect, 15.0f};
    const float c = static_cast<float>(width) / static_cast<float>(height);
    if (c * aspect > 1.0f)
        return {15.0f * c, 15.0f}; // a screen wider than the picture: margins left and right
    const float f = 15.0f / aspect;
    return {f, f / c};
}

float WaterPictureAspect(uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0)
        return 0.75f;
    return static_cast<float>(height) / static_cast<float>(width);
}

bool DropDue(float time, float lastDropTime, float interval)
{
    return interval < time - lastDropTime;
}

namespace {

// The eye of the water camera: the translation row of its matrix.
D3DXVECTOR3 CameraPosition(const D3DXMATRIX& camera)
{
    return D3DXVECTOR3(camera._41, camera._42, camera._43);
}

} // namespace

DS_WaterRingLight* DS_WaterRingLight::Make(const std::wstring& picturePath)
{
    auto* light = new DS_WaterRingLight();
    light->Init(picturePath);
    return light;
}

DS_WaterRingLight::DS_WaterRingLight() : surface(std::make_unique<RippleSurface>())
{
    renderer = std::make_unique<DS_WaterRingRender>(this);
    D3DXMatrixIdentity(&waterWorld);
    D3DXMatrixIdentity(&waterView);
    D3DXMatrixIdentity(&cameraMatrix);
    D3DXMatrixIdentity(&waterProjection);
}

// The surface goes first, then the base part.
DS_WaterRingLight::~DS_WaterRingLight() = default;

void DS_WaterRingLight::Init(const std::wstring& picturePath)
{
    InitFromPath(picturePath);
    surface->BuildRefractionTable();
    // Straight down from (0, 120, 0): the camera's y axis is world −z, so −z is up the screen.
    D3DXMatrixRotationX(&cameraMatrix, -D3DX_PI / 2.0f);
    cameraMatrix._41 = 0.0f;
    cameraMatrix._42 = 120.0f;
    cameraMatrix._43 = 0.0f;
    D3DXMatrixInverse(&waterView, nullptr, &cameraMatrix);
}

void DS_WaterRingLight::Layout(uint32_t width, uint32_t height)
{
    layoutWidth = width;
    layoutHeight = height;
    if (width == 0 || height == 0)
        return;
    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);
    QuadTemplate picture = FitOrStretchQuad(stretch, background.width, background.height, w, h);
    ScaleQuadToBackBuffer(picture, w, h);
    ApplyLayout(picture, width, height);

    const WaterExtents extents = WaterOrthoExtents(width, height, Aspect(), stretch);
    D3DXMatrixOrthoOffCenterRH(&waterProjection, -extents.halfWidth, extents.halfWidth, -extents.halfHeight,
                               extents.halfHeight, -1.0f, 2000.0f);
    if (CurrentDevice)
        CurrentDevice->SetTransform(D3DTS_PROJECTION, &waterProjection);
}

float DS_WaterRingLight::Aspect() const
{
    return WaterPictureAspect(background.width, background.height);
}

void DS_WaterRingLight::RebuildSurface()
{
    surface->Build(30.0f / Aspect(), 30.0f, rowDensityLevel * 0.01f + 1.0f, columnDensityLevel * 0.01f + 1.0f);
    surface->AddDrop();
}

void DS_WaterRingLight::SetDampingLevel(uint32_t level)
{
    surface->damping = DampingFromLevel(level);
}

void DS_WaterRingLight::ApplyMaterial()
{
    D3DMATERIAL9 material = {};
    material.Diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
    material.Specular = {specularLevel, specularLevel, specularLevel, 0.0f};
    material.Power = specularPower;
    if (CurrentDevice)
        CurrentDevice->SetMaterial(&material);
}

void DS_WaterRingLight::ApplyLevels(const SlideRecord& slide)
{
    const RingsParams p = RingsParamsFromSlide(slide);
    rowDensityLevel = p.rowDensityLevel;
    surface->heightScale = p.heightScale;
    columnDensityLevel = p.columnDensityLevel;
    dropInterval = p.dropInterval;
    surface->dropStrength = p.dropStrength;
    SetDampingLevel(slide.levels[5]);
    surface->refractionDepth = p.refractionDepth;
    specularLevel = p.specularLevel;
    specularPower = p.specularPower;
    ApplyMaterial();
}

void DS_WaterRingLight::Update(float time)
{
    if (DropDue(time, lastDropTime, dropInterval)) {
        surface->AddDrop();
        lastDropTime = time;
    }
    surface->Update(CameraPosition(cameraMatrix));
}

void DS_WaterRingLight::SetWaterTransforms() const
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    device->SetTransform(D3DTS_WORLD, &waterWorld);
    device->SetTransform(D3DTS_VIEW, &waterView);
    device->SetTransform(D3DTS_PROJECTION, &waterProjection);
}

void DS_WaterRingLight::BeginFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // The picture alone; the specular glints are added after the stage.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    // The frame began with the 2D layout installed; the water has its own camera.
    SetWaterTransforms();
    device->SetTexture(0, background.texture.Get());
    // No clear: the surface and the bars cover the whole back buffer.
    surface->Draw();
}

void DS_WaterRingLight::EndFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    DrawBars();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
}

void DS_WaterRingLight::RestoreRenderStates()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // Output merger.
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

    // Lighting: one white directional light, the specular material.
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {lightColour.x, lightColour.y, lightColour.z, lightColour.w};
    light.Specular = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = D3DXVECTOR3(lightDirection.x, lightDirection.y, lightDirection.z);
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    ApplyMaterial();

    // Vertex processing.
    device->SetFVF(D3DFVF_XYZ);
    device->SetTransform(D3DTS_VIEW, &waterView);
    device->SetTransform(D3DTS_WORLD, &waterWorld);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);

    // Texture stages 0 and 1 off, their arguments texture and current.
    for (DWORD stage = 0; stage < 2; ++stage) {
        device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    }
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);

    // Sampler 0: filtered, mirrored at the edges where the refraction reaches beyond them.
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);

    RebuildSurface();
    Layout(layoutWidth, layoutHeight);
}

void DS_WaterRingLight::ReleaseDeviceResources()
{
    surface->ReleaseBuffers();
}

// The objects are drawn flat over the water, in picture pixels and unlit; the sprite renderer
// sets its transforms itself.
void DS_WaterRingLight::DrawFlat(bool setTransforms, const std::function<void()>& draw) const
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    if (setTransforms) {
        device->SetTransform(D3DTS_WORLD, &SceneTransforms.identity);
        device->SetTransform(D3DTS_VIEW, &SceneTransforms.view);
        device->SetTransform(D3DTS_PROJECTION, &SceneTransforms.projection);
    }
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    draw();
    SetWaterTransforms();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

void DS_WaterRingLight::Draw3DObject(DS_MeshElement* element)
{
    DrawFlat(true, [element] { DefaultDraw3DObject(element); });
}

void DS_WaterRingLight::DrawSpriteArray(DS_SpriteArrayObj* sprites)
{
    DrawFlat(false, [sprites] { DefaultDrawSpriteArray(sprites); });
}

void DS_WaterRingLight::Draw3DArray(DS_MeshElement* leaves)
{
    DrawFlat(true, [leaves] { DefaultDraw3DArray(leaves); });
}

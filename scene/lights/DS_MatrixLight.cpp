#include "scene/lights/DS_MatrixLight.h"

#include <algorithm>
#include <cmath>

#include "document/CurrentDevice.h"
#include "document/ResourceCache.h"
#include "scene/render/VertexColour.h"

DS_MatrixLight* DS_MatrixLight::CreateMatrixLight()
{
    DS_MatrixLight* light = new DS_MatrixLight;
    light->InitFromPath(L"");
    return light;
}

void DS_MatrixLight::LoadGlyphTexture(const ResourceRef& ref)
{
    const TextureInfo strip = ResourceCache::GetTexture(ref, CurrentResourceCache);
    settings.glyphCount = GlyphCountFromTextureSize(strip.width, strip.height);
    batch.SetTexture(strip.texture.Get());
    RebuildGrid();
}

void DS_MatrixLight::RebuildGrid()
{
    cursor.reset();
    const ViewMetricsRecord& metrics = layout.Metrics();
    cursor = std::make_unique<GlyphCursor>(GlyphGrid::Create(settings, metrics.Width, metrics.Height));
    ++gridBuilds;
    rainStarted = false;
}

void DS_MatrixLight::RestartRain()
{
    const ViewMetricsRecord& metrics = layout.Metrics();
    const bool fits = cursor && cursor->Grid().Columns() == GlyphGrid::CellsAlong(metrics.Width, settings.glyphSize) &&
                      cursor->Grid().Rows() == GlyphGrid::CellsAlong(metrics.Height, settings.glyphSize) &&
                      batch.QuadCount() == GlyphBatchSize(metrics.Width, metrics.Height, settings.glyphSize);
    if (fits && !rainStarted)
        return;
    RebuildGrid();
    ResizeBatch();
}

void DS_MatrixLight::ResizeBatch()
{
    const ViewMetricsRecord& metrics = layout.Metrics();
    batch.Resize(GlyphBatchSize(metrics.Width, metrics.Height, settings.glyphSize));
}

void DS_MatrixLight::BuildLuminanceMap()
{
    if (colourMode == 0)
        luminanceMap.clear();
    else if (colourMode == 1)
        luminanceMap = PictureLuminanceMap(background.texture.Get());
}

void DS_MatrixLight::Update()
{
    if (!cursor)
        return;
    // The light's own layout: with several monitors the process-wide one may be another's.
    const ViewMetricsRecord& metrics = layout.Metrics();
    GlyphFrame frame;
    frame.half = GlyphCellHalfSize(metrics.screenQuad, metrics.Width, metrics.Height, settings.glyphSize);
    frame.left = metrics.screenQuad.Left();
    frame.top = metrics.screenQuad.Top();
    frame.intensity = intensity;
    frame.glyphColour = glyphColour;
    frame.headColour = headColour;
    frame.colourMode = colourMode;
    frame.luminanceMap = luminanceMap.empty() ? nullptr : luminanceMap.data();

    StepGlyphRain(*cursor, batch.QuadCount());
    rainStarted = true;
    batch.LockAll();
    FillGlyphQuads(*cursor, frame, batch.QuadCount(), batch);
    batch.UnlockAll();
}

void DS_MatrixLight::BeginFrame()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device)
        return;
    // Background.
    switch (colourMode) {
    case 0:
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        DrawBackground();
        break;
    case 1: device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0); break;
    default: break;
    }
    // Glyphs: texture × vertex colour, blended over the background.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    // Past the cells listed the quads are cleared to alpha 0: nothing to draw there.
    batch.Draw(cursor ? cursor->visible : 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

uint32_t GlyphSizeFromLevel(uint32_t level)
{
    return level == 0 ? 1u : level;
}

uint32_t GlyphDensityFromLevel(uint32_t level)
{
    return std::min<uint32_t>(std::max<uint32_t>(level, 1), 100);
}

float GlyphIntensityFromTransparency(uint32_t level)
{
    return static_cast<float>(static_cast<uint32_t>(100u - level) * 0.01);
}

int32_t GlyphCountFromTextureSize(uint32_t width, uint32_t height)
{
    // Two slots more than the strip's height holds; a strip that did not load has no width.
    return width == 0 ? 2 : static_cast<int32_t>(height / width + 2);
}

int32_t GlyphBatchSize(int32_t width, int32_t height, uint32_t glyphSize)
{
    return GlyphGrid::CellsAlong(height, glyphSize) * GlyphGrid::CellsAlong(width, glyphSize);
}

GlyphHalfSize GlyphCellHalfSize(const QuadTemplate& screen, int32_t width, int32_t height, uint32_t glyphSize)
{
    if (width <= 0 || height <= 0)
        return {0.0f, 0.0f};
    const float size = static_cast<float>(glyphSize);
    return {(screen.Right() - screen.Left()) * 0.5f * size / static_cast<float>(width),
            (screen.Bottom() - screen.Top()) * 0.5f * size / static_cast<float>(height)};
}

D3DCOLOR GlyphQuadColour(int32_t brightness, int32_t colourMode, float intensity, float luminance,
                         uint32_t glyphColour, uint32_t headColour, uint32_t mask)
{
    float alpha = intensity;
    if (brightness == GlyphBrightness::kDying)
        alpha *= 0.5f;
    if (colourMode == 1 && brightness != GlyphBrightness::kBright)
        alpha = luminance * intensity;
    const uint32_t rgb = brightness == GlyphBrightness::kBright ? headColour : glyphColour;
    // Saturated before the conversion, which a far too large opacity would overflow.
    const float scaled = std::min(std::max(alpha * 255.0f, 0.0f), 255.0f);
    const uint32_t a = static_cast<uint32_t>(scaled) & 0xFFu;
    return ((a << 24) | RgbFromColorref(rgb)) & mask;
}

int LuminanceIndex(int32_t column, int32_t row, int32_t columns, int32_t rows)
{
    auto along = [](int32_t i, int32_t count) {
        if (count <= 0 || i <= 0)
            return 0;
        const int t = static_cast<int>(static_cast<float>(i) / static_cast<float>(count) * kLuminanceSide);
        return std::min(t, kLuminanceSide - 1);
    };
    return along(row, rows) * kLuminanceSide + along(column, columns);
}

void LuminanceFromBgrx(const uint8_t* bits, int32_t pitch, float* map)
{
    for (int y = 0; y < kLuminanceSide; ++y) {
        const uint8_t* pixel = bits + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < kLuminanceSide; ++x, pixel += 4)
            map[y * kLuminanceSide + x] =
                0.299f * pixel[2] / 255.0f + 0.587f * pixel[1] / 255.0f + 0.114f * pixel[0] / 255.0f;
    }
}

std::vector<float> PictureLuminanceMap(IDirect3DTexture9* picture)
{
    std::vector<float> map(size_t(kLuminanceSide) * kLuminanceSide, 1.0f);
    if (!picture)
        return map;
    ComRef<IDirect3DTexture9> copy = CopyToNewTexture(kLuminanceSide, kLuminanceSide, picture, D3DFMT_X8R8G8B8);
    if (!copy)
        return map;
    D3DLOCKED_RECT locked = {};
    if (FAILED(copy->LockRect(0, &locked, nullptr, 0)) || !locked.pBits)
        return map;
    LuminanceFromBgrx(static_cast<const uint8_t*>(locked.pBits), locked.Pitch, map.data());
    copy->UnlockRect(0);
    return map;
}

void StepGlyphRain(GlyphCursor& cursor, int32_t quadCount)
{
    cursor.Restart();
    cursor.Grid().StepColumns(cursor.previousVisible >= quadCount);
    cursor.Grid().SpawnStreams();
}

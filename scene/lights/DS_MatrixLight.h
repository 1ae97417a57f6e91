// DS_MatrixLight: the glyph-rain light. Columns of small glyph pictures run down a grid laid over
// the slide picture, each glyph tinted with one of two slide colours. In colour mode 0 the picture
// stays visible behind the glyphs; in colour mode 1 the screen is black and each glyph's opacity
// is the picture's brightness at its place, so that the glyphs alone draw the picture.
//
// The simulation is a GlyphGrid read through a GlyphCursor; the glyphs are one GlyphBatch of
// screen-space quads, one quad per grid cell, refilled every frame. The rain advances one step per
// drawn frame, whatever the time.
//
// Per frame: Update (one step of the rain, every quad refilled), then BeginFrame draws the
// background by colour mode and the quads of the visible cells over it. The arithmetic of the light is in the free
// functions below the class, so that it can be checked without a device.
#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "document/ValueRecords.h"
#include "scene/lights/DS_EffectLightBase.h"
#include "scene/lights/GlyphGrid.h"
#include "scene/render/GlyphBatch.h"
#include "scene/render/QuadTemplate.h"

class DS_MatrixLight : public DS_NoEffectLight {
public:
    // A new light with the default settings and the library's default picture as background.
    static DS_MatrixLight* CreateMatrixLight();

    DS_MatrixLight() = default;
    // The luminance map, the cursor with its grid and the batch go, then the base.
    ~DS_MatrixLight() = default;

    // The slide's glyph strip: every chunk of the batch takes it, the glyph count follows its
    // size, and the grid is built again.
    void LoadGlyphTexture(const ResourceRef& ref);
    // A new, empty grid from the settings over the picture's size, read by a new cursor.
    // Counted in `gridBuilds`.
    void RebuildGrid();
    // One quad per grid cell, every quad reset.
    void ResizeBatch();
    // The rain from the start after a new layout: a new grid and every quad reset. A grid that
    // no Update has stepped yet is as a new one, so it is kept, and so is a batch whose size
    // still fits: the stretch setting that the player applies right after the light is made
    // then builds nothing again.
    void RestartRain();
    // Colour mode 0: no map; 1: the map of the background picture; any other: left as it is.
    void BuildLuminanceMap();

    // One step of the rain, and every quad of the batch filled from the grid.
    void Update();
    // The background by colour mode (0 the picture, 1 black, otherwise none), then the glyphs,
    // blended: the quads of the cells the last Update listed, not the unused ones after them.
    void BeginFrame();

    GlyphBatch batch;
    std::unique_ptr<GlyphCursor> cursor; // owns the grid
    GlyphGridSettings settings;
    float intensity = 0.0f;          // glyph opacity: 0..1 for a transparency of 100..0 percent
    uint32_t glyphColour = 0;        // COLORREF: steady and dying glyphs
    uint32_t headColour = 0;         // COLORREF: bright glyphs and flicker cells
    int32_t colourMode = 0;          // 0 picture behind the glyphs; 1 black, opacity from the picture
    std::vector<float> luminanceMap; // 256 × 256 in colour mode 1, else empty
    uint32_t gridBuilds = 0;         // how many times RebuildGrid has run
    bool rainStarted = false;        // an Update has stepped the grid since it was built
};

// --- From the slide -----------------------------------------------------------------------------

// levels[0]: the glyph size in picture pixels; 0 becomes 1.
uint32_t GlyphSizeFromLevel(uint32_t level);
// levels[1]: the density, held to 1..100.
uint32_t GlyphDensityFromLevel(uint32_t level);
// levels[3], a transparency in percent: the glyphs' opacity (100 - level) × 0.01. The difference
// is unsigned, so a level above 100 gives an opacity far above 1 (drawn fully opaque).
float GlyphIntensityFromTransparency(uint32_t level);
// Glyph slots of a strip one glyph wide: height / width + 2 (2 for a strip of width 0).
int32_t GlyphCountFromTextureSize(uint32_t width, uint32_t height);
// Quads the batch needs for a picture of width × height: one per grid cell.
int32_t GlyphBatchSize(int32_t width, int32_t height, uint32_t glyphSize);

// --- Per frame ----------------------------------------------------------------------------------

// Half the size of one cell on the screen: glyphSize picture pixels square, scaled like the
// picture's rectangle `screen` (width × height picture pixels). 0 for a picture of no size.
struct GlyphHalfSize {
    float hx, hy;
};
GlyphHalfSize GlyphCellHalfSize(const QuadTemplate& screen, int32_t width, int32_t height, uint32_t glyphSize);

// The vertex colour of a glyph quad (0xAARRGGBB) from its brightness class: bright glyphs take
// the head colour at full intensity, the others the glyph colour, dying ones at half intensity;
// in colour mode 1 non-bright glyphs take luminance × intensity instead. The colours are
// COLORREF (0x00BBGGRR); the alpha byte saturates at 0 and 255; the result is AND-ed with mask.
D3DCOLOR GlyphQuadColour(int32_t brightness, int32_t colourMode, float intensity, float luminance,
                         uint32_t glyphColour, uint32_t headColour, uint32_t mask);

// The luminance map: 256 rows of 256 values, row 0 at the top.
constexpr int kLuminanceSide = 256;
// Index into the map of a grid cell: column / columns and row / rows of the map's side.
int LuminanceIndex(int32_t column, int32_t row, int32_t columns, int32_t rows);
// 0.299 R + 0.587 G + 0.114 B (each / 255) of a 256 × 256 X8R8G8B8 image whose rows lie `pitch`
// bytes apart.
void LuminanceFromBgrx(const uint8_t* bits, int32_t pitch, float* map);
// The luminance map of a picture, resampled to 256 × 256. Where the picture is missing or cannot
// be copied or read, every value is 1, so that the glyphs are drawn as without the map.
std::vector<float> PictureLuminanceMap(IDirect3DTexture9* picture);

// What the per-frame fill reads besides the grid.
struct GlyphFrame {
    GlyphHalfSize half = {0.0f, 0.0f};
    float left = 0.0f; // the picture's rectangle on the screen
    float top = 0.0f;
    float intensity = 0.0f;
    uint32_t glyphColour = 0; // COLORREF
    uint32_t headColour = 0;
    int32_t colourMode = 0;
    const float* luminanceMap = nullptr; // 256 × 256, or null: luminance 1
};

// The first half of a frame: the cursor restarts and the grid takes one step. When every cell
// was visible in the frame before (as many as there are quads), the streams write empty cells.
void StepGlyphRain(GlyphCursor& cursor, int32_t quadCount);

// Fills quads 0..quadCount-1 of `sink` (GlyphBatch, or a test's recorder) with the visible cells
// in order; the quads left over once every visible cell is listed draw nothing (alpha 0).
template <class Sink>
void FillGlyphQuads(GlyphCursor& cursor, const GlyphFrame& frame, int32_t quadCount, Sink& sink)
{
    const GlyphGrid& grid = cursor.Grid();
    GlyphQuad quad;
    quad.hx = frame.half.hx;
    quad.hy = frame.half.hy;
    const D3DXVECTOR3 a(frame.half.hx, 0.0f, 0.0f);
    const D3DXVECTOR3 b(0.0f, frame.half.hy, 0.0f);
    for (int32_t q = 0; q < quadCount; ++q) {
        cursor.Next(quad, frame.left, frame.top);
        sink.SetQuadPosition(q, D3DXVECTOR3(quad.x, quad.y, quad.z), a, b);
        float luminance = 1.0f;
        if (frame.colourMode == 1 && frame.luminanceMap)
            luminance = frame.luminanceMap[LuminanceIndex(quad.column, quad.row, grid.Columns(), grid.Rows())];
        sink.SetQuadColour(q, GlyphQuadColour(quad.brightness, frame.colourMode, frame.intensity, luminance,
                                              frame.glyphColour, frame.headColour, quad.colourMask));
        sink.SetQuadUV(q, quad.uLeft, quad.uRight, quad.vTop, quad.vBottom);
    }
}

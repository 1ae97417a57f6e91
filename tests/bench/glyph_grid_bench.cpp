// Benchmark (not a test): one frame of the glyph rain's simulation, that is one grid step and the
// cursor's listing of every cell, on a 1920 × 1080 picture with 12-pixel glyphs, in nanoseconds
// per cell; against a plain pass that reads and writes every word of the same cell array. Also
// the whole fill of a frame as the light does it (the listing with each quad's colour, position
// and texture band handed to a sink).
//
//     wine build/bin/bench_glyph_grid.exe
#include <windows.h>

#include <cstdio>

#include "scene/lights/DS_MatrixLight.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Takes the listed quads and keeps one value of them, so that the listing is not optimised away.
struct CountingSink {
    float sum = 0.0f;
    void SetQuadPosition(int32_t, const D3DXVECTOR3& c, const D3DXVECTOR3&, const D3DXVECTOR3&) { sum += c.x; }
    void SetQuadColour(int32_t, D3DCOLOR colour) { sum += float(colour >> 24); }
    void SetQuadUV(int32_t, float, float, float v0, float) { sum += v0; }
};

} // namespace

int main()
{
    GlyphGridSettings settings;
    settings.glyphSize = 12;
    settings.density = 40;
    settings.flickerCount = 30;
    settings.direction = 2;
    settings.glyphCount = 16;
    GlyphCursor cursor(GlyphGrid::Create(settings, 1920, 1080));
    const int32_t cells = int32_t(cursor.Grid().Cells().size());

    GlyphFrame frame;
    frame.half = {6.0f, 6.0f};
    frame.intensity = 0.65f;
    frame.glyphColour = 0x00AAFF78u;
    frame.headColour = 0x00F5FFEBu;
    CountingSink sink;
    auto fillFrame = [&] {
        StepGlyphRain(cursor, cells);
        FillGlyphQuads(cursor, frame, cells, sink);
    };
    GlyphQuad quad;
    quad.hx = quad.hy = 6.0f;
    float listed = 0.0f;
    auto listFrame = [&] {
        StepGlyphRain(cursor, cells);
        for (int32_t q = 0; q < cells; ++q) {
            cursor.Next(quad, 0.0f, 0.0f);
            listed += quad.x;
        }
    };
    for (int i = 0; i < 300; ++i) // let the rain fill the screen first
        fillFrame();

    constexpr int kFrames = 300;
    LARGE_INTEGER t0, t1, t2, t3;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < kFrames; ++i)
        listFrame();
    QueryPerformanceCounter(&t1);
    for (int i = 0; i < kFrames; ++i)
        fillFrame();
    QueryPerformanceCounter(&t3);
    uint32_t* words = cursor.Grid().Cells().data();
    uint32_t mix = 0;
    for (int i = 0; i < kFrames; ++i)
        for (int32_t c = 0; c < cells; ++c) {
            mix += words[c];
            words[c] ^= uint32_t(i) & GlyphCell::kDirty;
        }
    QueryPerformanceCounter(&t2);

    const double perCell = Seconds(t0, t1) / kFrames / cells * 1e9;
    const double fillPerCell = Seconds(t1, t3) / kFrames / cells * 1e9;
    const double plainPerCell = Seconds(t3, t2) / kFrames / cells * 1e9;
    std::printf("grid %d x %d = %d cells, %d visible in the last frame\n", cursor.Grid().Columns(),
                cursor.Grid().Rows(), cells, cursor.visible);
    std::printf("step + listing %.2f ns per cell (%.3f ms per frame), plain pass %.2f ns per cell, ratio %.1f\n",
                perCell, perCell * cells * 1e-6, plainPerCell, perCell / plainPerCell);
    std::printf("whole fill of a frame %.2f ns per cell (%.3f ms per frame)\n", fillPerCell, fillPerCell * cells * 1e-6);
    std::printf("(checksums %g %g %u)\n", double(sink.sum), double(listed), mix);
    return 0;
}

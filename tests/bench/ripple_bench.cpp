// Benchmark (not a test): one frame of the ripple surface's work (four simulation sub-steps and
// the vertex fill, into memory), against a plain read-modify-write pass over the same cells and
// vertices, in nanoseconds per cell. Grids: the one the water-ring light makes for a 16:9 picture
// (1920 × 1080) at the default densities, and the largest grid.
//
//     wine build/bin/bench_ripple.exe
#include <windows.h>

#include <cstdio>
#include <vector>

#include "scene/render/RippleSurface.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

void Measure(const char* name, float width, float depth, float rowFactor, float columnFactor)
{
    RippleSurface surface;
    surface.BuildRefractionTable();
    surface.Build(width, depth, rowFactor, columnFactor); // no device: the cells only
    std::vector<DX_V::PNCT> vertices(surface.vertexCount);
    const D3DXVECTOR3 eye(0.0f, 120.0f, 0.0f);
    surface.random = [] { return 12345; };
    for (int i = 0; i < 8; ++i) {
        surface.AddDrop();
        surface.Simulate();
    }

    constexpr int kFrames = 400;
    LARGE_INTEGER t0, t1, t2, s0, s1;
    QueryPerformanceCounter(&s0);
    for (int frame = 0; frame < kFrames; ++frame)
        surface.Simulate();
    QueryPerformanceCounter(&s1);
    QueryPerformanceCounter(&t0);
    for (int frame = 0; frame < kFrames; ++frame) {
        if (frame % 60 == 0)
            surface.AddDrop();
        surface.Simulate();
        surface.FillVertices(eye, vertices.data());
    }
    QueryPerformanceCounter(&t1);
    // The plain pass: every cell read, changed and written back, and its vertex written.
    float carry = 0.0f;
    for (int frame = 0; frame < kFrames; ++frame) {
        for (uint32_t i = 0; i < surface.cellCount; ++i) {
            RippleCell& cell = surface.cells[i];
            cell.height = cell.height * 0.999f + cell.velocity;
            vertices[i].y = cell.height;
            carry += cell.height;
        }
    }
    QueryPerformanceCounter(&t2);

    const double cells = double(surface.cellCount) * kFrames;
    const double ripple = Seconds(t0, t1) / cells * 1e9, plain = Seconds(t1, t2) / cells * 1e9;
    std::printf("simulation alone %.2f ns/cell\n", Seconds(s0, s1) / cells * 1e9);
    std::printf("%s: %u x %u cells; ripple frame %.2f ns/cell (%.3f ms/frame), plain pass %.2f ns/cell, ratio %.1f%s\n",
                name, surface.columns, surface.rows, ripple, ripple * surface.cellCount * 1e-6, plain, ripple / plain,
                carry == 12345.0f ? " " : "");
}

} // namespace

int main()
{
    Measure("16:9 picture, default densities", 30.0f / 0.5625f, 30.0f, 1.0f, 1.0f);
    Measure("16:9 picture, both densities 100", 30.0f / 0.5625f, 30.0f, 2.0f, 2.0f);
    return 0;
}

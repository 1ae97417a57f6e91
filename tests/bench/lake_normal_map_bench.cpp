// Benchmark (not a test): the CPU normal map the lake makes from its 256 × 256 height picture
// in nanoseconds per texel: the texels written straight from the heights (WriteBumpMapV8U8, what
// the lake uses), the normals worked out and then packed (ComputeNormalMapRed and
// PackNormalsV8U8, the same bytes), and a plain copy of the same bytes, in the same run.
//
//     wine build/bin/bench_lake_normal_map.exe
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "scene/render/NormalMap.h"

namespace {

constexpr uint32_t kSide = 256;
constexpr int kRounds = 50;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

template <class Work>
double NanosecondsPerTexel(Work&& work)
{
    work(); // warm up
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    for (int i = 0; i < kRounds; ++i)
        work();
    QueryPerformanceCounter(&to);
    return Seconds(from, to) * 1e9 / (double(kRounds) * kSide * kSide);
}

} // namespace

int main()
{
    const int32_t pitch = 4 * kSide;
    std::vector<uint8_t> heights(size_t(pitch) * kSide);
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x) {
            const uint8_t h = static_cast<uint8_t>((x * 7 + y * 13 + (x * y) % 29) & 0xFF);
            uint8_t* texel = &heights[size_t(y) * pitch + 4 * x];
            texel[0] = texel[1] = texel[2] = h;
            texel[3] = 0xFF;
        }
    std::vector<uint8_t> bump(size_t(2) * kSide * kSide);
    std::vector<uint8_t> copy(heights.size());
    volatile uint8_t sink = 0;

    const double normalMap = NanosecondsPerTexel([&] {
        const std::vector<SurfaceNormal> normals = ComputeNormalMapRed(heights.data(), pitch, kSide, kSide, 25.0f);
        PackNormalsV8U8(normals, kSide, kSide, bump.data(), 2 * kSide);
        sink = sink + bump[kSide];
    });
    const double direct = NanosecondsPerTexel([&] {
        WriteBumpMapV8U8(heights.data(), pitch, kSide, kSide, 25.0f, bump.data(), 2 * kSide);
        sink = sink + bump[kSide];
    });
    const double plainCopy = NanosecondsPerTexel([&] {
        std::memcpy(copy.data(), heights.data(), heights.size());
        sink = sink + copy[kSide];
    });
    std::printf("lake normal map %ux%u: %.2f ns per texel written directly, %.2f ns through the normals "
                "(%.1f x); plain copy of the same bytes: %.3f ns per texel; direct / copy %.1f\n",
                kSide, kSide, direct, normalMap, normalMap / direct, plainCopy, direct / plainCopy);
    return 0;
}

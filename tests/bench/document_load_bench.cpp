// Benchmark (not a test): loading a document of about 2 MB of embedded pictures, against D3DX
// alone decoding the same pictures. Prints both times and their ratio.
//
//     wine build/bin/bench_document_load.exe
#include <windows.h>

#include <cstdio>
#include <random>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/SceneDoc.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/TestPictures.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A PNG of noise, so that it hardly compresses.
Bytes NoisePng(IDirect3DDevice9* device, UINT width, UINT height, unsigned seed)
{
    std::mt19937 random(seed);
    return PaintedPng(device, width, height, [&](UINT, UINT) { return static_cast<uint32_t>(random()) | 0xFF000000u; });
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int main()
{
    TestDevice testDevice(256, 192);
    if (!testDevice.Ok()) {
        std::printf("no device\n");
        return 1;
    }
    CurrentDevice = testDevice.device();

    DocumentPlan plan;
    plan.slides.push_back(SlidePlan{});
    std::vector<Bytes> pictures;
    size_t pictureBytes = 0;
    for (unsigned i = 0; i < 4; ++i) {
        pictures.push_back(NoisePng(CurrentDevice, 512, 256, i));
        pictureBytes += pictures.back().size();
        ResourceRef ref(100 + int32_t(i), L"lw_no_such_res.dll"); // the embedded copy is decoded
        ref.data = pictures.back();
        plan.manager.textureSources[ref.GetKey()] = {ref};
    }
    const Bytes document = BuildDocument(plan);

    constexpr int kRounds = 20;
    LARGE_INTEGER t0, t1, t2;
    QueryPerformanceCounter(&t0);
    for (int round = 0; round < kRounds; ++round) {
        SceneDoc doc;
        LoadSceneDocument(document.data(), document.size(), doc);
    }
    QueryPerformanceCounter(&t1);
    for (int round = 0; round < kRounds; ++round) {
        for (const Bytes& picture : pictures) {
            ComRef<IDirect3DTexture9> texture;
            D3DXIMAGE_INFO info;
            D3DXCreateTextureFromFileInMemoryEx(CurrentDevice, picture.data(), UINT(picture.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                                D3DX_FILTER_NONE, 0, &info, nullptr, texture.Out());
        }
    }
    QueryPerformanceCounter(&t2);

    const double load = Seconds(t0, t1) / kRounds, decode = Seconds(t1, t2) / kRounds;
    std::printf("document %zu bytes (%zu of pictures)\n", document.size(), pictureBytes);
    std::printf("load %.2f ms, D3DX decode alone %.2f ms, ratio %.3f\n", load * 1e3, decode * 1e3, load / decode);
    CurrentDevice = nullptr;
    return 0;
}

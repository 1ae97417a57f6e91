// Benchmark (not a test): the CPU cost of one frame of the underwater light, and of the fire
// light without and with its heat haze, at 1024 × 768, against the picture light's on the same
// device in the same run. A frame is what the player calls between two presents: the updates,
// the light's passes and the fade quad inside one scene. Prints the mean time per frame of each
// light and its ratio to the picture light's.
//
//     wine build/bin/bench_underwater_light.exe
#include <windows.h>

#include <cstdio>
#include <memory>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/SceneDoc.h"
#include "scene/lights/MutableLight.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ScreenQuad.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/LightFrame.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr UINT kWidth = 1024;
constexpr UINT kHeight = 768;
constexpr int kFrames = 200;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Mean seconds per frame of the slide's light; the first frames warm the device up.
double FrameSeconds(IDirect3DDevice9* device, const SlideRecord& slide)
{
    std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
    light->SetStretch(0);
    DS_ScreenQuad fade;
    fade.Create(0xFF000000u, MakeBackBufferQuad());
    fade.SetVertexAlphas(0.0f, 0.0f, 0.0f, 0.0f);

    auto frame = [&](int i) { DrawLightFrame(device, *light, fade, 0.03f * static_cast<float>(i)); };
    for (int i = 0; i < 10; ++i)
        frame(i);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < kFrames; ++i)
        frame(i);
    QueryPerformanceCounter(&t1);
    light->ReleaseDeviceResources();
    return Seconds(t0, t1) / kFrames;
}

} // namespace

int main()
{
    TestDevice testDevice(kWidth, kHeight);
    if (!testDevice.Ok()) {
        std::printf("no device\n");
        return 1;
    }
    IDirect3DDevice9* device = testDevice.device();
    CurrentDevice = device;
    auto manager = std::make_unique<DS_DocResManager>(); // makes its own cache current
    CurrentDocResManager = manager.get();

    SlideRecord slide;
    slide.picture.name = L"bench.png";
    slide.picture.data = PaintedPng(device, kWidth, kHeight, [](UINT x, UINT y) {
        return 0xFF000000u | ((x * 255 / kWidth) << 16) | ((y * 255 / kHeight) << 8) | 0x40u;
    });

    slide.kind = kSlidePicture;
    const double picture = FrameSeconds(device, slide);
    slide.kind = kSlideUnderwater;
    const double underwater = FrameSeconds(device, slide);
    slide.kind = kSlideFire;
    slide.switches[1] = 1; // flames
    const double flames = FrameSeconds(device, slide);
    slide.switches[0] = 1; // and the heat haze
    slide.levels[0] = 88;
    slide.levels[1] = 50;
    slide.levels[2] = 25;
    const double haze = FrameSeconds(device, slide);

    std::printf("frame at %ux%u over %d frames: picture light %.3f ms, underwater light %.3f ms, ratio %.2f\n",
                kWidth, kHeight, kFrames, picture * 1e3, underwater * 1e3, underwater / picture);
    std::printf("fire light: flames only %.3f ms, ratio %.2f; flames and heat haze %.3f ms, ratio %.2f\n",
                flames * 1e3, flames / picture, haze * 1e3, haze / picture);
    CurrentDocResManager = nullptr;
    manager.reset();
    CurrentDevice = nullptr;
    return 0;
}

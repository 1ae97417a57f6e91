// Benchmark (not a test): the CPU cost of a frame of each slide of the program's own show, one
// slide per light mode with its objects, against a bare frame that only clears and presents, on
// one device in one run. The cost is this thread's CPU time (user + kernel) per frame: the
// updates and the draw submission that our code does. Under Wine the drawing itself runs on
// Wine's and Mesa's threads, so the wall time per frame is printed beside it. Before the frames,
// each slide's light is made and deleted kMakings times, and the wall and CPU time of one making
// (CreateMutableLight and the stretch setting, as a slide change does it) is printed, the
// fastest of them: the picture decode and every build the light does when it is made.
//
//     wine build/bin/bench_light_modes.exe [width height]   (default 1920 1080)
//
// Run it on a test bed screen (scripts/testbed.sh) with nothing else running.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/SceneDoc.h"
#include "scene/constructors/SceneReaders.h"
#include "scene/lights/MutableLight.h"
#include "scene/render/QuadTemplate.h"
#include "scene/render/ScreenQuad.h"
#include "tests/bench/BenchClock.h"
#include "tests/support/BuiltProgram.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/LightFrame.h"

namespace {

constexpr int kWarmUp = 10;
constexpr int kFrames = 150;
constexpr int kMakings = 5;

struct FrameCost {
    double cpu = 0;   // seconds of this thread's CPU time per frame
    double wall = 0;  // seconds per frame
};

template <class Frame>
FrameCost Measure(Frame frame)
{
    for (int i = 0; i < kWarmUp; ++i)
        frame(i);
    const double cpu0 = ThreadCpuSeconds(), wall0 = WallSeconds();
    for (int i = 0; i < kFrames; ++i)
        frame(kWarmUp + i);
    return FrameCost{(ThreadCpuSeconds() - cpu0) / kFrames, (WallSeconds() - wall0) / kFrames};
}

// The fastest of kMakings makings of the slide's light.
FrameCost MakingCost(const SlideRecord& slide)
{
    FrameCost best{1e9, 1e9};
    for (int i = 0; i < kMakings; ++i) {
        const double cpu0 = ThreadCpuSeconds(), wall0 = WallSeconds();
        std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
        light->SetStretch(1);
        const FrameCost cost{ThreadCpuSeconds() - cpu0, WallSeconds() - wall0};
        light->ReleaseDeviceResources();
        best.cpu = std::min(best.cpu, cost.cpu);
        best.wall = std::min(best.wall, cost.wall);
    }
    return best;
}

const char* KindName(int32_t kind)
{
    static const char* const names[] = {"picture", "underwater", "lake", "fire", "water rings", "glyph rain",
                                        "glass ball"};
    return kind >= 0 && kind < 7 ? names[kind] : "?";
}

} // namespace

int main(int argc, char** argv)
{
    const UINT width = argc > 2 ? static_cast<UINT>(std::atoi(argv[1])) : 1920;
    const UINT height = argc > 2 ? static_cast<UINT>(std::atoi(argv[2])) : 1080;
    TestDevice testDevice(width, height);
    if (!testDevice.Ok()) {
        std::printf("no device\n");
        return 1;
    }
    IDirect3DDevice9* device = testDevice.device();
    CurrentDevice = device;

    const std::vector<uint8_t> show = BuiltProgramShow();
    RegisterSceneReaders();
    SceneDoc doc;
    if (show.empty() || !LoadSceneDocument(show.data(), show.size(), doc)) {
        std::printf("the program's show could not be read (lanternwork.scr beside this program?)\n");
        return 1;
    }

    const FrameCost bare = Measure([&](int) {
        DrawBareScene(device);
        device->Present(nullptr, nullptr, nullptr, nullptr);
    });
    std::printf("back buffer %ux%u, %d frames each\n", width, height, kFrames);
    std::printf("%-12s %-26s %10s %10s %8s %12s %12s\n", "light", "slide", "cpu ms", "wall ms", "cpu x",
                "make cpu ms", "make wall ms");
    std::printf("%-12s %-26s %10.3f %10.3f %8.2f\n", "bare", "clear + present", bare.cpu * 1e3, bare.wall * 1e3,
                1.0);

    DS_ScreenQuad fade;
    fade.Create(0xFF000000u, MakeBackBufferQuad());
    fade.SetVertexAlphas(0.0f, 0.0f, 0.0f, 0.0f);
    for (uint32_t s = 0; s < doc.slideCount; ++s) {
        const SlideRecord& slide = doc.slides[s];
        const FrameCost making = MakingCost(slide);
        std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
        light->SetStretch(1);
        const FrameCost cost =
            Measure([&](int i) { DrawLightFrame(device, *light, fade, 0.03f * static_cast<float>(i)); });
        light->ReleaseDeviceResources();
        char title[64] = {};
        std::snprintf(title, sizeof title, "slide %u (%u objects)", s + 1, static_cast<unsigned>(slide.objects.size()));
        std::printf("%-12s %-26s %10.3f %10.3f %8.2f %12.2f %12.2f\n", KindName(slide.kind), title, cost.cpu * 1e3,
                    cost.wall * 1e3, bare.cpu > 0 ? cost.cpu / bare.cpu : 0.0, making.cpu * 1e3, making.wall * 1e3);
    }
    doc.Destroy();
    CurrentDevice = nullptr;
    return 0;
}

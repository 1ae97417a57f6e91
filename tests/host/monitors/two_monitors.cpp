// Two monitors of different sizes and aspects, played by the application itself: two real
// windowed devices, 800 x 600 and 1280 x 720, stand in the framework's device table for the
// devices it would have opened on two monitors, and its own unit loop (each unit made current,
// its show advanced and drawn, then the next; then both presented) plays the default show, with
// the pictures letterboxed, through to the slide of each light kind. What each device presents
// is read back through the framework's device calls: its own slide's picture where its own fit
// puts it, black bars around it, no clear colour, and the frame moving. Then one of the two
// devices is reset through those calls while the other plays on, and both show their pictures.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceCache.h"
#include "host/app/MoireScreensaver.h"
#include "host/framework/Direct3DSeams.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"
#include "host/player/ScenePlayer.h"
#include "host/player/SlideTiming.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/scene/PictureFit.h"
#include "tests/support/BuiltProgram.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/DeviceFixture.h"
#include "tests/support/ProcessHooks.h"
#include "tests/support/TestSettingsKey.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

std::vector<uint8_t> showBytes;

// The device calls of the unit loop: a device can be made to ask for a reset (which is then a
// real IDirect3DDevice9::Reset), and while the test looks, every present first reads its back
// buffer back.
struct DeviceSeam {
    IDirect3DDevice9* resetAsked = nullptr;
    int resetsDone = 0;
    int resetsFailed = 0;
    bool look = false;
    std::map<IDirect3DDevice9*, PixelImage> presented;
};
DeviceSeam seam;

HRESULT SeamTestCooperativeLevel(IDirect3DDevice9* device)
{
    return device == seam.resetAsked ? D3DERR_DEVICENOTRESET : device->TestCooperativeLevel();
}

HRESULT SeamReset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters)
{
    seam.resetAsked = nullptr;
    const HRESULT hr = device->Reset(parameters);
    ++(SUCCEEDED(hr) ? seam.resetsDone : seam.resetsFailed);
    return hr;
}

HRESULT SeamPresent(IDirect3DDevice9* device)
{
    if (seam.look) {
        ComRef<IDirect3DSurface9> back;
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out())))
            seam.presented[device] = ReadRenderTarget(device, back.Get());
    }
    return device->Present(nullptr, nullptr, nullptr, nullptr);
}

const DeviceCalls kSeamCalls = {SeamTestCooperativeLevel, SeamReset, SeamPresent};

// The application with its clock in the test's hand: every turn of the unit loop runs at the
// application time the test has set.
class ClockedSaver : public CMoireScreensaver {
public:
    float time = 0;
    HRESULT AdvanceFrame() override
    {
        appTime = time;
        return S_OK;
    }
};

// The two monitors: different sizes and aspects, side by side.
struct Monitor {
    UINT width, height;
    RECT rectangle;
};
const Monitor kMonitors[2] = {
    {800, 600, {0, 0, 800, 600}},
    {1280, 720, {800, 0, 2080, 720}},
};

struct KindCase {
    int32_t kind;
    const char* name;
};
const KindCase kKinds[] = {
    {kSlidePicture, "Picture"}, {kSlideUnderwater, "Underwater"}, {kSlideLake, "Lake"},
    {kSlideFire, "Fire"},       {kSlideRings, "WaterRings"},      {kSlideGlyphs, "Glyphs"},
    {kSlideGlassBall, "GlassBall"},
};

// Names the kind in the test's output.
void PrintTo(const KindCase& c, std::ostream* out) { *out << c.name; }

class TwoMonitors : public testing::TestWithParam<KindCase> {
protected:
    void SetUp() override
    {
        RegisterSceneReaders();  // the show holds objects of the program's kinds
        showBytes = BuiltProgramShow();
        ASSERT_FALSE(showBytes.empty()) << "lanternwork.scr or its show is missing";
        SetSceneDocumentSource([](SceneDoc& doc) { LoadSceneDocument(showBytes.data(), showBytes.size(), doc); });
        app_ = std::make_unique<ClockedSaver>();
        SetPlayerSoundHooks(PlayerSoundHooks{});  // the pictures only: no sound graph is built
        settings_ = std::make_unique<TestSettingsKey>(L"TwoMonitors");
        settings_->SetDword(kStretchPictureValue, 0);  // letterboxed: each fit of its own
        ForgetStretchPictureSetting();
        seam = DeviceSeam{};
        SetDeviceCalls(&kSeamCalls);

        // The devices the framework would have opened on two monitors. With no adapter record it
        // opens none of its own, and starts the show on each unit it holds.
        app_->mode = SaverRunMode::FullScreen;
        app_->monitorCount = 2;
        for (UINT i = 0; i < 2; ++i) {
            screens_[i] = std::make_unique<TestDevice>(kMonitors[i].width, kMonitors[i].height);
            ASSERT_TRUE(screens_[i]->Ok()) << "no Direct3D 9 device could be made";
            app_->monitors[i].rectangle = kMonitors[i].rectangle;
            MonitorDevice& unit = app_->devices[i];
            unit.adapterIndex = i;
            unit.monitorIndex = i;
            unit.device = ComRef<IDirect3DDevice9>::Share(screens_[i]->device());
            unit.presentParameters = screens_[i]->params();
        }
        app_->deviceCount = 2;
        ASSERT_EQ(app_->StartDevices(), S_OK);
        ASSERT_EQ(app_->errorFlag, 0) << std::hex << app_->errorCode;
        ASSERT_EQ(app_->deviceCount, 2u);
        ASSERT_TRUE(app_->devices[0].restored && app_->devices[1].restored);
    }

    void TearDown() override
    {
        if (app_)
            app_->StopDevices();
        app_.reset();
        for (auto& screen : screens_)
            screen.reset();
        settings_.reset();
        ForgetStretchPictureSetting();
    }

    IDirect3DDevice9* Device(int unit) const { return screens_[unit]->device(); }
    const ScenePlayer& Player(int unit) const { return app_->players[unit]; }
    const SlideRecord& SlideOf(int unit) const { return Player(unit).Document().slides[Player(unit).SlideIndex()]; }

    // One turn of the unit loop at application time t.
    void Frame(float t)
    {
        app_->time = t;
        app_->DrawAllUnits();
    }

    // The frames with which a new light holds its slide's clock, all at `t`: the last of them
    // starts the clock at `t` (on the device that plays on, they show the same moment again).
    void StartSlideClock(float t)
    {
        for (int i = 0; i <= kFramesBeforeSlideClock; ++i)
            Frame(t);
    }

    // Frames every `step` seconds from `from` up to `until`; the last one on back buffers cleared
    // to magenta first, and read back as each device presents it.
    void FramesUntil(float from, float until, float step, PixelImage (&shown)[2])
    {
        for (float t = from; t < until - 1e-4f; t += step)
            Frame(t);
        for (int unit = 0; unit < 2; ++unit)
            Device(unit)->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 0, 255), 1.0f, 0);
        seam.presented.clear();
        seam.look = true;
        Frame(until);
        seam.look = false;
        for (int unit = 0; unit < 2; ++unit)
            shown[unit] = seam.presented[Device(unit)];
    }

    // What a device presented at two moments a second or so apart: its own slide's picture where
    // its own fit puts it, with nothing but black around it and no clear colour, and moving.
    void ExpectItsOwnSlide(int unit, const PixelImage& first, const PixelImage& later)
    {
        const UINT w = kMonitors[unit].width, h = kMonitors[unit].height;
        const SlideRecord& slide = SlideOf(unit);
        SCOPED_TRACE("the " + std::to_string(w) + " x " + std::to_string(h) + " device on slide " +
                     std::to_string(Player(unit).SlideIndex()));
        ASSERT_EQ(first.width, w) << "nothing presented";
        ASSERT_EQ(later.width, w) << "nothing presented";
        EXPECT_EQ(0u, first.Count(kMagenta)) << "clear colour left";
        const PictureFitLook look = LookAtPictureFit(first, ExpectedPictureRect(slide, w, h, 0));
        ASSERT_TRUE(look.RectangleFits(w, h));
        // The glyphs light only the bright parts of the night.
        EXPECT_GT(look.lit, slide.kind == kSlideGlyphs ? look.area / 20 : look.area / 4) << "mostly black";
        EXPECT_EQ(0u, look.outside) << "drawn over the bars";
        EXPECT_TRUE(look.ReachesTheEdges())
            << "the picture does not fill its rectangle (" << look.left << ", " << look.top << ") - (" << look.right
            << ", " << look.bottom << "): lit from (" << look.litLeft << ", " << look.litTop << ") to ("
            << look.litRight << ", " << look.litBottom << ")";
        size_t changed = 0;
        for (size_t p = 0; p < first.pixels.size() && p < later.pixels.size(); ++p)
            changed += !CloseEnough(first.pixels[p], later.pixels[p]);
        EXPECT_GT(changed, look.area / 100) << "the slide stands still";
    }

    static bool CloseEnough(uint32_t a, uint32_t b)
    {
        for (int c = 0; c < 3; ++c)
            if (std::abs(int((a >> (8 * c)) & 0xFF) - int((b >> (8 * c)) & 0xFF)) > 8)
                return false;
        return true;
    }

    std::unique_ptr<ClockedSaver> app_;
    std::unique_ptr<TestDevice> screens_[2];
    std::unique_ptr<TestSettingsKey> settings_;
    // The last members: the hooks and the current objects come back first.
    HostHooksGuard hooks_;
    CurrentObjectsGuard currentObjects_;
};

}  // namespace

TEST_P(TwoMonitors, EachDeviceShowsItsOwnSlideThroughTheLightAndAResetOfOneBringsBothBack)
{
    const SceneDoc& show = Player(0).Document();
    uint32_t index = 0;
    while (index < show.slideCount && show.slides[index].kind != GetParam().kind)
        ++index;
    ASSERT_LT(index, show.slideCount) << "the show has no slide of this kind";

    // On to the slide: each slide ends at its fade-in + hold + fade-out, and the frame after
    // that starts the next one on both devices.
    float slideStart = 0;
    StartSlideClock(slideStart);
    for (uint32_t i = 0; i < index; ++i) {
        const SlideTimes times = SlideTimesOf(show.slides[i]);
        slideStart += times.fadeIn + times.hold + times.fadeOut + 0.05f;
        Frame(slideStart);
        ASSERT_EQ(app_->errorFlag, 0) << std::hex << app_->errorCode;
        ASSERT_EQ(Player(0).SlideIndex(), i + 1);
        ASSERT_EQ(Player(1).SlideIndex(), i + 1);
        StartSlideClock(slideStart);
    }

    // Past its fade-in. The objects move by the time that passes; the glyphs one step a frame,
    // at the 50 frames a second the player gives them.
    const SlideTimes times = SlideTimesOf(show.slides[index]);
    const bool glyphs = GetParam().kind == kSlideGlyphs;
    const float step = glyphs ? 0.02f : 0.1f;
    const float firstLook = slideStart + times.fadeIn + (glyphs ? 4.0f : 1.0f);
    PixelImage first[2], later[2];
    FramesUntil(slideStart + times.fadeIn, firstLook, step, first);
    FramesUntil(firstLook + step, firstLook + 1.0f, step, later);
    for (int unit = 0; unit < 2; ++unit)
        ExpectItsOwnSlide(unit, first[unit], later[unit]);
    SaveBackBufferPng(Device(0), std::wstring(L"two_monitors_800x600_") + std::to_wstring(index));
    SaveBackBufferPng(Device(1), std::wstring(L"two_monitors_1280x720_") + std::to_wstring(index));

    // One device is reset while the other plays on: the reset one starts the show again at its
    // first slide, the other keeps its slide, and both show their pictures past the restarted
    // slide's fade-in.
    const int reset = static_cast<int>(index % 2), other = 1 - reset;
    const float resetTime = firstLook + 1.1f;
    const float fadeIn0 = SlideTimesOf(show.slides[0]).fadeIn;
    ASSERT_LT(resetTime + fadeIn0 + 2.0f, slideStart + times.fadeIn + times.hold) << "the slide would end meanwhile";
    seam.resetAsked = Device(reset);
    Frame(resetTime);
    ASSERT_EQ(seam.resetsDone, 1);
    ASSERT_EQ(seam.resetsFailed, 0);
    ASSERT_EQ(app_->errorFlag, 0) << std::hex << app_->errorCode;
    ASSERT_EQ(Player(reset).SlideIndex(), 0u);
    ASSERT_EQ(Player(other).SlideIndex(), index);
    StartSlideClock(resetTime);
    FramesUntil(resetTime + 0.1f, resetTime + fadeIn0 + 1.0f, 0.1f, first);
    FramesUntil(resetTime + fadeIn0 + 1.1f, resetTime + fadeIn0 + 2.0f, 0.1f, later);
    for (int unit = 0; unit < 2; ++unit)
        ExpectItsOwnSlide(unit, first[unit], later[unit]);
}

INSTANTIATE_TEST_SUITE_P(DefaultShow, TwoMonitors, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

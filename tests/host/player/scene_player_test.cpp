// The slide show driven without a device: a document built in memory, lights that record what
// the player asks of them, and sound calls that record what the playlist plays.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "document/DocumentError.h"
#include "document/SceneDoc.h"
#include "host/player/PlayerLight.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"
#include "host/player/ScenePlayer.h"
#include "scene/constructors/DS_2D_Sprites_Constructor.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/scene/LegacyRecords.h"
#include "tests/support/ProcessHooks.h"
#include "tests/support/TestSettingsKey.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

// ctest runs tests side by side in separate processes: every test gets a key of its own.
std::wstring testKey;
const wchar_t* TestKey() { return testKey.c_str(); }

struct LightLog {
    int made = 0;
    int deleted = 0;
    std::vector<std::string> calls;     // of the light alive now
    std::vector<int> kinds;             // slide kind of every light made (-1: no slide)
    float lastObjectsTime = -1;
    float lastLightTime = -1;
};
LightLog lightLog;

class RecordingLight : public PlayerLight {
public:
    explicit RecordingLight(const SlideRecord* slide)
    {
        ++lightLog.made;
        lightLog.kinds.push_back(slide ? slide->kind : -1);
        lightLog.calls.clear();
    }
    ~RecordingLight() override { ++lightLog.deleted; }
    void SetStretch(int stretch) override { lightLog.calls.push_back("SetStretch " + std::to_string(stretch)); }
    void UpdateObjects(float t) override { lightLog.lastObjectsTime = t; }
    void Update(float t) override { lightLog.lastLightTime = t; }
    void BeginFrame() override { lightLog.calls.push_back("BeginFrame"); }
    void DrawObjects() override { lightLog.calls.push_back("DrawObjects"); }
    void EndFrame() override { lightLog.calls.push_back("EndFrame"); }
    void DrawFadeQuad(DS_ScreenQuad*) override { lightLog.calls.push_back("DrawFadeQuad"); }
    void ReleaseDeviceResources() override { lightLog.calls.push_back("Release"); }
};

std::unique_ptr<PlayerLight> MakeRecordingLight(const SlideRecord* slide)
{
    // The light checks, while it is being made, that the previous one is already gone.
    EXPECT_EQ(lightLog.made, lightLog.deleted) << "a new light was made before the old one was deleted";
    return std::make_unique<RecordingLight>(slide);
}

struct SoundLog {
    std::vector<std::wstring> events;   // "play <title>", "fail <title>" and "volume <setting> <muted>"
    std::vector<std::wstring> unplayable;  // titles whose play fails
};
SoundLog soundLog;

bool RecordPlay(DS_AudioFile& track)
{
    for (const std::wstring& title : soundLog.unplayable) {
        if (title == track.title) {
            soundLog.events.push_back(L"fail " + track.title);
            return false;
        }
    }
    soundLog.events.push_back(L"play " + track.title);
    return true;
}

void RecordVolume(bool muted)
{
    soundLog.events.push_back(L"volume " + std::to_wstring(SoundVolumeSetting) + (muted ? L" muted" : L""));
}

std::vector<uint8_t> documentBytes;

SlidePlan Slide(int32_t kind, const wchar_t* fadeIn, const wchar_t* hold, const wchar_t* fadeOut, uint32_t speed = 50)
{
    SlidePlan slide;
    slide.kind = kind;
    slide.fadeIn = fadeIn;
    slide.hold = hold;
    slide.fadeOut = fadeOut;
    slide.params.speed = speed;
    return slide;
}

SoundPlan Sound(const wchar_t* title)
{
    SoundPlan sound;
    sound.title = title;
    sound.file.name = std::wstring(L"C:\\no-such-folder\\") + title + L".wav";
    return sound;
}

class ScenePlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        settingsKey.emplace(L"Player");
        testKey = settingsKey->Path();
        ForgetStretchPictureSetting();
        SoundVolumeSetting = 100;
        MuteSoundSetting = 0;
        lightLog = LightLog{};
        soundLog = SoundLog{};
        SetPlayerLightFactory(MakeRecordingLight);
        PlayerSoundHooks hooks;
        hooks.play = RecordPlay;
        hooks.setVolume = RecordVolume;
        SetPlayerSoundHooks(hooks);
        SetSceneDocumentSource([](SceneDoc& doc) {
            LoadSceneDocument(documentBytes.data(), documentBytes.size(), doc);
        });
    }

    void TearDown() override
    {
        settingsKey.reset();
        ForgetStretchPictureSetting();
    }

    static void UseDocument(const DocumentPlan& plan) { documentBytes = BuildDocument(plan); }

    static void SetValue(const wchar_t* name, DWORD value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TestKey(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }

    static uint8_t FadeAlpha(const ScenePlayer& player)
    {
        const DX_V::SC* corners = player.FadeQuad().Corners();
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(corners[i].colour, corners[0].colour);
        EXPECT_EQ(corners[0].colour & 0x00FFFFFFu, 0u) << "the fade quad is black";
        return static_cast<uint8_t>(corners[0].colour >> 24);
    }

    // Advances through the frames a new light holds its slide's clock, a hundredth of a second
    // apart, `drawn` of them drawn already (1 after a switch frame); the frame at `t` starts it.
    static void AdvanceUntilClockStarts(ScenePlayer& player, float t, int drawn = 0)
    {
        for (int i = kFramesBeforeSlideClock - drawn; i > 0; --i)
            player.Advance(t - 0.01f * static_cast<float>(i));
        player.Advance(t);
    }

    std::optional<TestSettingsKey> settingsKey;
    HostHooksGuard hooks;
};

TEST_F(ScenePlayerTest, TwoSlidesFadeHoldAndSwitchThroughBlack)
{
    DocumentPlan plan;
    plan.slides = {Slide(0, L"2", L"5", L"3"), Slide(1, L"0", L"4", L"1")};
    UseDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    ASSERT_EQ(player.Document().slideCount, 2u);
    EXPECT_EQ(lightLog.kinds, std::vector<int>{0});
    EXPECT_EQ(lightLog.calls, std::vector<std::string>{"SetStretch 1"});

    struct Step {
        float t;
        uint32_t slide;
        uint8_t alpha;
        bool startsClock = false;  // the frames that hold the slide's clock come first
    };
    const Step steps[] = {
        // The light's first frames hold the slide's clock, the one at 0.5 s starts it: black.
        {0.5f, 0, 255, true}, {1.5f, 0, 127}, {4.5f, 0, 0}, {9.0f, 0, 127}, {10.5f, 0, 255},
        // The switch frame is black from the ended slide's fade-in; the new slide's clock starts
        // a few frames later, and the new slide has no fade-in.
        {10.75f, 1, 255}, {11.0f, 1, 0, true}, {15.0f, 1, 0}, {15.5f, 1, 127},
        // Past the second slide's end: back to the first. The switch frame takes the ended
        // slide's fade-in, which is 0, so it is clear; the first slide's fade-in follows.
        {16.25f, 0, 0}, {16.5f, 0, 255, true}, {17.5f, 0, 127},
    };
    bool switched = false;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "t = " << step.t);
        if (step.startsClock)
            AdvanceUntilClockStarts(player, step.t, switched ? 1 : 0);
        else
            player.Advance(step.t);
        switched = true;
        EXPECT_EQ(player.SlideIndex(), step.slide);
        EXPECT_EQ(FadeAlpha(player), step.alpha);
    }
    EXPECT_EQ(lightLog.kinds, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(lightLog.made - lightLog.deleted, 1);
}

// The host's loop on a clock of the test's own: the loop sleeps, reads the clock and draws a
// frame; making a light (for the first slide: with the document and the devices) takes
// `makingDelay` seconds of that clock.
struct FakeClock {
    float now = 0;
    float makingDelay = 0;
};
FakeClock fakeClock;

std::unique_ptr<PlayerLight> MakeLightSlowly(const SlideRecord* slide)
{
    fakeClock.now += fakeClock.makingDelay;
    return MakeRecordingLight(slide);
}

// However long the making takes, every slide shows its whole fade-in: the fade levels over a
// slide's first frames are those of a light made at once. (Steps and delays are exact in binary,
// so every delay sees the same elapsed times.)
TEST_F(ScenePlayerTest, MakingALightTakesNothingFromTheFadeIn)
{
    DocumentPlan plan;
    plan.slides = {Slide(0, L"2", L"1", L"1"), Slide(1, L"2", L"1", L"1")};
    UseDocument(plan);
    SetPlayerLightFactory(MakeLightSlowly);
    constexpr float kFrameStep = 0.125f;
    constexpr size_t kFrames = 28;  // the held frames, the fade-in and the first of the hold

    // The levels of each slide's first frames, from the frame that made its light.
    auto firstFrames = [&](float delay) {
        fakeClock = FakeClock{0, 0};
        ScenePlayer player;
        fakeClock.makingDelay = delay;
        player.Start(fakeClock.now);
        std::vector<uint8_t> levels[2];
        while (levels[1].size() < kFrames && fakeClock.now < 60) {
            fakeClock.now += kFrameStep;
            player.Advance(fakeClock.now);
            std::vector<uint8_t>& slide = levels[player.SlideIndex()];
            if (slide.size() < kFrames)
                slide.push_back(FadeAlpha(player));
        }
        return std::vector<std::vector<uint8_t>>{levels[0], levels[1]};
    };

    const auto atOnce = firstFrames(0);
    ASSERT_EQ(atOnce[1].size(), kFrames);
    // Made at once: the frames that hold the clock and the one that starts it are black (for
    // the second slide the first of them is the switch frame), then the fade-in of 2 s goes in
    // steps of 1/16.
    constexpr size_t kStart = kFramesBeforeSlideClock;
    for (const std::vector<uint8_t>& slide : atOnce) {
        for (size_t i = 0; i <= kStart; ++i)
            EXPECT_EQ(slide[i], 255) << "frame " << i;
        EXPECT_EQ(slide[kStart + 1], 239);
        EXPECT_EQ(slide[kStart + 8], 127);
    }
    EXPECT_EQ(atOnce[0][kStart + 16], 0);
    for (float delay : {1.0f, 2.5f, 4.0f}) {
        SCOPED_TRACE(testing::Message() << "making takes " << delay << " s");
        const auto slow = firstFrames(delay);
        EXPECT_EQ(slow[0], atOnce[0]) << "first slide";
        EXPECT_EQ(slow[1], atOnce[1]) << "second slide";
    }
}

TEST_F(ScenePlayerTest, OneSlideNeverSwitchesNorFades)
{
    DocumentPlan plan;
    plan.slides = {Slide(2, L"2", L"5", L"3")};
    UseDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    for (float t : {0.5f, 10.5f, 100.0f, 1000.0f}) {
        player.Advance(t);
        EXPECT_EQ(FadeAlpha(player), 0);
    }
    EXPECT_EQ(lightLog.made, 1);
    EXPECT_EQ(player.SlideIndex(), 0u);
}

TEST_F(ScenePlayerTest, LightTimeFollowsTheSlideSpeedObjectsGetPlainTime)
{
    struct SpeedCase {
        uint32_t speed;
        float lightTime;
    };
    for (const SpeedCase& c : {SpeedCase{50, 3.0f}, SpeedCase{100, 6.0f}, SpeedCase{0, 0.0f}, SpeedCase{1, 0.06f}}) {
        SCOPED_TRACE(testing::Message() << "speed " << c.speed);
        DocumentPlan plan;
        plan.slides = {Slide(kSlideLake, L"1", L"10", L"1", c.speed)}; // a kind that stores its speed
        UseDocument(plan);
        ScenePlayer player;
        player.Start(0.0f);
        player.Advance(3.0f);
        EXPECT_FLOAT_EQ(lightLog.lastObjectsTime, 3.0f);
        EXPECT_FLOAT_EQ(lightLog.lastLightTime, c.lightTime);
    }
}

TEST_F(ScenePlayerTest, PictureSlideKeepsTheDefaultSpeedOfOne)
{
    DocumentPlan plan;
    plan.slides = {Slide(kSlidePicture, L"1", L"10", L"1", 100)};
    UseDocument(plan);
    ScenePlayer player;
    player.Start(0.0f);
    player.Advance(3.0f);
    EXPECT_FLOAT_EQ(lightLog.lastLightTime, 0.06f);
}

TEST_F(ScenePlayerTest, EmptyDocumentGetsOneLightWithoutSlide)
{
    DocumentPlan plan;
    UseDocument(plan);
    ScenePlayer player;
    player.Start(0.0f);
    EXPECT_EQ(lightLog.kinds, std::vector<int>{-1});
    player.Advance(50.0f);
    EXPECT_FLOAT_EQ(player.SpeedFactor(), 1.0f);
    EXPECT_FLOAT_EQ(lightLog.lastLightTime, 50.0f);
}

TEST_F(ScenePlayerTest, StretchSettingIsReadOnceAndGivenToEveryLight)
{
    SetValue(kStretchPictureValue, 0);
    DocumentPlan plan;
    plan.slides = {Slide(0, L"0", L"1", L"0"), Slide(0, L"0", L"1", L"0")};
    UseDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    EXPECT_EQ(lightLog.calls, std::vector<std::string>{"SetStretch 0"});
    SetValue(kStretchPictureValue, 7);  // read once per run: a later change does not count
    AdvanceUntilClockStarts(player, 0.5f);
    player.Advance(2.0f);
    EXPECT_EQ(lightLog.made, 2);
    EXPECT_EQ(lightLog.calls, std::vector<std::string>{"SetStretch 0"});
}

TEST_F(ScenePlayerTest, FrameDrawsNothingWithoutDeviceButStillAdvances)
{
    DocumentPlan plan;
    plan.slides = {Slide(0, L"0", L"1", L"0"), Slide(0, L"0", L"1", L"0")};
    UseDocument(plan);
    ScenePlayer player;
    player.Start(0.0f);
    AdvanceUntilClockStarts(player, 0.5f);
    player.DrawFrame(2.0f);
    EXPECT_EQ(player.SlideIndex(), 1u);
    EXPECT_EQ(lightLog.calls, std::vector<std::string>{"SetStretch 1"});
}

TEST_F(ScenePlayerTest, PlaylistLoopsOnCompletionEventsOnly)
{
    DocumentPlan plan;
    plan.slides = {Slide(0, L"1", L"1", L"1")};
    plan.sounds = {Sound(L"A"), Sound(L"B"), Sound(L"C")};
    UseDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    for (int code : {1, -1, 2, 3, 1, 1, 1, 0, 1})
        player.OnMediaEvent(code);
    const std::vector<std::wstring> expected = {L"play A", L"volume 100", L"play B", L"volume 100", L"play C",
                                                L"volume 100", L"play A", L"volume 100", L"play B", L"volume 100",
                                                L"play C", L"volume 100"};
    EXPECT_EQ(soundLog.events, expected);
}

TEST_F(ScenePlayerTest, EveryStepReadsVolumeAndMuteAfterThePlay)
{
    DocumentPlan plan;
    plan.sounds = {Sound(L"only")};
    UseDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    SetValue(kSoundVolumeValue, 50);
    player.OnMediaEvent(1);
    SetValue(kMuteSoundValue, 1);
    player.OnMediaEvent(1);
    const std::vector<std::wstring> expected = {L"play only", L"volume 100", L"play only", L"volume 50",
                                                L"play only", L"volume 50 muted"};
    EXPECT_EQ(soundLog.events, expected);
}

TEST_F(ScenePlayerTest, UnplayableTracksArePassedOverAtMostOnceAround)
{
    DocumentPlan plan;
    plan.sounds = {Sound(L"A"), Sound(L"B"), Sound(L"C")};
    UseDocument(plan);
    soundLog.unplayable = {L"B"};

    ScenePlayer player;
    player.Start(0.0f);
    player.OnMediaEvent(1);
    player.OnMediaEvent(1);
    const std::vector<std::wstring> expected = {L"play A", L"volume 100", L"fail B", L"play C", L"volume 100",
                                                L"play A", L"volume 100"};
    EXPECT_EQ(soundLog.events, expected);

    // Nothing plays at all: each step tries every track once and then gives up, with no volume.
    soundLog.unplayable = {L"A", L"B", L"C"};
    soundLog.events.clear();
    player.OnMediaEvent(1);
    EXPECT_EQ(soundLog.events, (std::vector<std::wstring>{L"fail B", L"fail C", L"fail A"}));
    soundLog.unplayable.clear();
    soundLog.events.clear();
    player.OnMediaEvent(1);
    EXPECT_EQ(soundLog.events, (std::vector<std::wstring>{L"play B", L"volume 100"}));
}

TEST_F(ScenePlayerTest, EmptySoundListPlaysNothingEver)
{
    DocumentPlan plan;
    plan.slides = {Slide(0, L"1", L"1", L"1")};
    UseDocument(plan);
    ScenePlayer player;
    player.Start(0.0f);
    player.OnMediaEvent(1);
    player.OnMediaEvent(1);
    EXPECT_TRUE(soundLog.events.empty());
}

TEST_F(ScenePlayerTest, RestartGoesBackToTheFirstSlideAndTrack)
{
    DocumentPlan plan;
    plan.slides = {Slide(3, L"1", L"1", L"1"), Slide(4, L"1", L"1", L"1")};
    plan.sounds = {Sound(L"A"), Sound(L"B")};
    UseDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    player.OnMediaEvent(1);
    AdvanceUntilClockStarts(player, 0.5f);
    player.Advance(4.0f);
    ASSERT_EQ(player.SlideIndex(), 1u);

    soundLog.events.clear();
    player.Start(20.0f);
    EXPECT_EQ(player.SlideIndex(), 0u);
    EXPECT_EQ(lightLog.kinds.back(), 3);
    EXPECT_EQ(lightLog.made - lightLog.deleted, 1);
    ASSERT_FALSE(soundLog.events.empty());
    EXPECT_EQ(soundLog.events.front(), L"play A");
    // The restarted slide begins black again, with its fade-in. After a device reset the
    // restart comes inside a frame, whose time was read before the document and the light were
    // made: that is the light's first frame, and the clock starts a few frames later.
    player.Advance(20.0f);
    EXPECT_EQ(FadeAlpha(player), 255);
    AdvanceUntilClockStarts(player, 21.0f, 1);
    EXPECT_EQ(FadeAlpha(player), 255);
    player.Advance(21.5f);
    EXPECT_EQ(FadeAlpha(player), 127);
}

TEST_F(ScenePlayerTest, FailedLoadLeavesNoLightAndAQuietPlayer)
{
    DocumentPlan plan;
    plan.slides = {Slide(0, L"1", L"1", L"1"), Slide(0, L"1", L"1", L"1")};
    plan.sounds = {Sound(L"A")};
    UseDocument(plan);
    ScenePlayer player;
    player.Start(0.0f);

    documentBytes = {1, 2, 3, 4, 5, 6, 7, 8};
    soundLog.events.clear();
    try {
        player.Start(1.0f);
        ADD_FAILURE() << "a damaged document must fail the start";
    } catch (uint32_t code) {
        EXPECT_EQ(code, kDocumentError);
    }
    EXPECT_EQ(player.Light(), nullptr);
    EXPECT_EQ(lightLog.made, lightLog.deleted);
    // Later frames and sound events find nothing to update or play, and do not crash.
    player.Advance(5.0f);
    player.DrawFrame(6.0f);
    player.OnMediaEvent(1);
    player.ReleaseDeviceResources();
    EXPECT_TRUE(soundLog.events.empty());
    EXPECT_EQ(lightLog.made, lightLog.deleted);
}

TEST_F(ScenePlayerTest, AnOlderDocumentStartsWithItsObjects)
{
    RegisterSceneReaders(); // with them the reader of the older object lists
    LegacyListPlan list;
    list.sprites.resize(2);
    list.sprites[1].kind = kLegacyBird;
    list.leaves.resize(1);
    DocumentPlan plan;
    plan.slides = {LegacySlide(list), Slide(0, L"1", L"1", L"1")};
    UseDocument(plan);
    ScenePlayer player;
    player.Start(0.0f); // no document error
    ASSERT_NE(player.Light(), nullptr);
    ASSERT_EQ(player.Document().slideCount, 2u);
    EXPECT_EQ(player.Document().slides[0].objects.size(), 3u);
}

TEST_F(ScenePlayerTest, ALightThatCannotBeMadeMeansNoLightCalls)
{
    SetPlayerLightFactory([](const SlideRecord*) -> std::unique_ptr<PlayerLight> { return nullptr; });
    DocumentPlan plan;
    plan.slides = {Slide(0, L"0", L"1", L"0"), Slide(0, L"0", L"1", L"0")};
    UseDocument(plan);
    ScenePlayer player;
    player.Start(0.0f);
    AdvanceUntilClockStarts(player, 0.5f);
    player.DrawFrame(2.0f);
    EXPECT_EQ(player.Light(), nullptr);
    EXPECT_EQ(player.SlideIndex(), 1u);
}

} // namespace

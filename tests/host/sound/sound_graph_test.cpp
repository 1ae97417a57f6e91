// The DirectShow graph under Wine (the test bed's null sound device): a short tone made by
// tools/sounds plays, reports its completion through message 0x8000, and the playlist moves on.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/ComRef.h"
#include "document/SceneDoc.h"
#include "host/player/PlayerLight.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"
#include "host/player/ScenePlayer.h"
#include "host/player/SoundTrack.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/support/BuiltProgram.h"
#include "tests/support/ProcessHooks.h"
#include "tests/support/TestSettingsKey.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

constexpr long kCompletion = 1;  // EC_COMPLETE

std::wstring ClipPath() { return BesideThisProgram(L"sound_clip.wav"); }

DS_AudioFile Track(const std::wstring& title, const std::wstring& path)
{
    DS_AudioFile track;
    track.title = title;
    track.file.name = path;
    return track;
}

SoundPlan Sound(const std::wstring& title, const std::wstring& path)
{
    SoundPlan sound;
    sound.title = title;
    sound.file.name = path;
    return sound;
}

std::vector<uint8_t> documentBytes;
std::vector<std::wstring> played;  // titles, in the order the playlist started them

bool PlayAndRecord(DS_AudioFile& track)
{
    const bool started = SoundPlay(&track);
    played.push_back((started ? L"" : L"failed ") + track.title);
    return started;
}

class SoundGraphTest : public testing::Test {
protected:
    void SetUp() override
    {
        settings_ = std::make_unique<TestSettingsKey>(L"Sound");
        SoundVolumeSetting = 100;
        MuteSoundSetting = 0;
        played.clear();

        ASSERT_NE(GetFileAttributesW(ClipPath().c_str()), INVALID_FILE_ATTRIBUTES) << "the test tone is missing";
        window_ = CreateWindowExW(0, L"STATIC", L"sound", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        ASSERT_EQ(SoundInit(window_), 1);
        ASSERT_NE(SoundGraph(), nullptr);

        UseDirectShowSound();
        PlayerSoundHooks hooks = GetPlayerSoundHooks();
        hooks.play = PlayAndRecord;
        SetPlayerSoundHooks(hooks);
        SetPlayerLightFactory([](const SlideRecord*) -> std::unique_ptr<PlayerLight> { return nullptr; });
        SetSceneDocumentSource([](SceneDoc& doc) { LoadSceneDocument(documentBytes.data(), documentBytes.size(), doc); });
    }

    void TearDown() override
    {
        SoundRelease();
        if (window_)
            DestroyWindow(window_);
        settings_.reset();
    }

    void SetValue(const wchar_t* name, DWORD value) { settings_->SetDword(name, value); }

    // The message loop of the saver in small: every sound notification takes one event and hands
    // it on; a turn with no message waiting is a frame. Runs until `done` or the time is up.
    struct PumpResult {
        int notifications = 0;
        int frames = 0;
        std::vector<int> codes;
    };
    PumpResult Pump(DWORD milliseconds, const std::function<void(int)>& onEvent = nullptr,
                    const std::function<bool(const PumpResult&)>& done = nullptr)
    {
        PumpResult result;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds && !(done && done(result))) {
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == kSoundNotifyMessage && msg.hwnd == window_) {
                    ++result.notifications;
                    const int code = SoundGetEvent();
                    result.codes.push_back(code);
                    if (onEvent)
                        onEvent(code);
                    continue;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } else {
                ++result.frames;
                Sleep(30);
            }
        }
        return result;
    }

    static OAFilterState GraphState()
    {
        ComRef<IMediaControl> control;
        if (FAILED(SoundGraph()->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(control.Out()))))
            return -1;
        OAFilterState state = -1;
        control->GetState(2000, &state);
        return state;
    }

    static long GraphVolume()
    {
        ComRef<IBasicAudio> audio;
        if (FAILED(SoundGraph()->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(audio.Out()))))
            return 1;
        long volume = 1;
        audio->get_Volume(&volume);
        return volume;
    }

    static int FilterCount()
    {
        ComRef<IEnumFilters> list;
        if (FAILED(SoundGraph()->EnumFilters(list.Out())))
            return -1;
        int count = 0;
        while (list->Skip(1) == S_OK)
            ++count;
        return count;
    }

    // The graph's file source (the filter that opened a track's file), with a reference of the
    // caller's own; null when the graph has none.
    static ComRef<IBaseFilter> FileSource()
    {
        ComRef<IEnumFilters> list;
        if (FAILED(SoundGraph()->EnumFilters(list.Out())))
            return nullptr;
        for (IBaseFilter* filter = nullptr; list->Next(1, &filter, nullptr) == S_OK;) {
            ComRef<IBaseFilter> held = ComRef<IBaseFilter>::Adopt(filter);
            ComRef<IFileSourceFilter> file;
            if (SUCCEEDED(filter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(file.Out()))))
                return held;
        }
        return nullptr;
    }

    static bool Contains(const std::vector<int>& codes, int code)
    {
        for (int c : codes)
            if (c == code)
                return true;
        return false;
    }

    HWND window_ = nullptr;
    std::unique_ptr<TestSettingsKey> settings_;
    HostHooksGuard hooks_; // the last member: the hooks come back first
};

TEST_F(SoundGraphTest, ATrackRunsAndReportsItsCompletion)
{
    const DS_AudioFile track = Track(L"tone", ClipPath());
    ASSERT_TRUE(SoundPlay(&track));
    EXPECT_EQ(GraphState(), State_Running);

    // The tone lasts 0.3 s.
    const PumpResult pump = Pump(5000, nullptr, [](const PumpResult& r) { return Contains(r.codes, kCompletion); });
    EXPECT_TRUE(Contains(pump.codes, kCompletion));
    // Once the events are taken, a further look finds none.
    Pump(200);
    EXPECT_EQ(SoundGetEvent(), -1);
}

TEST_F(SoundGraphTest, TenPlaysEachPlayAloneAndTheGraphStaysSmall)
{
    const DS_AudioFile tracks[] = {Track(L"one", ClipPath()), Track(L"two", ClipPath())};
    const DWORD start = GetTickCount();
    ComRef<IBaseFilter> firstSource;
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(testing::Message() << "play " << i);
        ASSERT_TRUE(SoundPlay(&tracks[i % 2]));
        EXPECT_EQ(GraphState(), State_Running);
        if (i == 0)
            firstSource = FileSource();
    }
    // Nothing holds the first play's source any more but the reference taken here.
    ASSERT_TRUE(firstSource);
    EXPECT_EQ(ReleaseAndNull(firstSource), 0u) << "the first track's source filter was not released";
    EXPECT_LT(GetTickCount() - start, 30000u) << "ten plays of a short tone";
    // The old tracks' sources left the graph: what stays is one source, its parser and the
    // audio renderer, with room for one decoder.
    EXPECT_LE(FilterCount(), 4);

    // Only the last play runs: one completion arrives, not ten.
    PumpResult pump = Pump(2500);
    int completions = 0;
    for (int code : pump.codes)
        completions += code == kCompletion;
    EXPECT_EQ(completions, 1);
}

// A track that only the graph's own RenderFile could play: its source filter is the current one,
// and the next track takes it out of the graph with its open file.
TEST_F(SoundGraphTest, ATrackPlayedThroughRenderFileLeavesWithTheNextTrack)
{
    ASSERT_EQ(SoundPlayFile(ClipPath().c_str()), 1);
    EXPECT_EQ(GraphState(), State_Running);
    ComRef<IBaseFilter> fallbackSource = FileSource();
    ASSERT_TRUE(fallbackSource);

    const DS_AudioFile next = Track(L"next", ClipPath());
    ASSERT_TRUE(SoundPlay(&next));
    EXPECT_EQ(GraphState(), State_Running);
    EXPECT_EQ(ReleaseAndNull(fallbackSource), 0u) << "the first track's source filter was not released";
    EXPECT_LE(FilterCount(), 4);
}

// After the release nothing of the graph holds the playing track's file: the reference taken
// here is the filter's last, and the file can be deleted.
TEST_F(SoundGraphTest, ReleaseLetsGoOfThePlayingTracksFile)
{
    wchar_t folder[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring copy = std::wstring(folder) + L"lanternwork_release_test.wav";
    const struct {
        const char* way;
        std::function<bool(const std::wstring&)> play;
    } cases[] = {
        {"SoundPlay",
         [](const std::wstring& path) {
             const DS_AudioFile track = Track(L"copy", path);
             return SoundPlay(&track);
         }},
        {"SoundPlayFile", [](const std::wstring& path) { return SoundPlayFile(path.c_str()) == 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        ASSERT_EQ(SoundInit(window_), 1);
        ASSERT_TRUE(CopyFileW(ClipPath().c_str(), copy.c_str(), FALSE));
        ASSERT_TRUE(c.play(copy));
        EXPECT_EQ(GraphState(), State_Running);
        ComRef<IBaseFilter> source = FileSource();
        ASSERT_TRUE(source);

        SoundRelease();
        EXPECT_EQ(SoundGraph(), nullptr);
        EXPECT_EQ(ReleaseAndNull(source), 0u) << "something still holds the track's source filter";
        EXPECT_TRUE(DeleteFileW(copy.c_str())) << "the track's file is still open";
        DeleteFileW(copy.c_str());
    }
}

TEST_F(SoundGraphTest, CompletionAdvancesThePlaylistAndWraps)
{
    DocumentPlan plan;
    plan.sounds = {Sound(L"A", ClipPath()), Sound(L"B", ClipPath())};
    documentBytes = BuildDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    ASSERT_EQ(played, std::vector<std::wstring>{L"A"});
    Pump(10000, [&](int code) { player.OnMediaEvent(code); }, [](const PumpResult&) { return played.size() >= 3; });
    EXPECT_EQ(played, (std::vector<std::wstring>{L"A", L"B", L"A"}));
    EXPECT_EQ(GraphState(), State_Running);
}

TEST_F(SoundGraphTest, VolumeAndMuteSettingsReachTheGraph)
{
    DocumentPlan plan;
    plan.sounds = {Sound(L"A", ClipPath())};
    documentBytes = BuildDocument(plan);
    SetValue(kSoundVolumeValue, 50);

    ScenePlayer player;
    player.Start(0.0f);
    EXPECT_EQ(GraphVolume(), -2000);
    SetValue(kMuteSoundValue, 1);
    player.OnMediaEvent(kCompletion);
    EXPECT_EQ(GraphVolume(), kSilentVolume);
    SetValue(kMuteSoundValue, 0);
    SetValue(kSoundVolumeValue, 0);
    player.OnMediaEvent(kCompletion);
    EXPECT_EQ(GraphVolume(), -4000);
}

TEST_F(SoundGraphTest, APlaylistOfMissingFilesDoesNotFloodTheQueue)
{
    DocumentPlan plan;
    plan.sounds = {Sound(L"A", L"C:\\no-such-folder\\a.wav"), Sound(L"B", L"C:\\no-such-folder\\b.wav"),
                   Sound(L"C", L"C:\\no-such-folder\\c.wav")};
    documentBytes = BuildDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    EXPECT_EQ(played, (std::vector<std::wstring>{L"failed A", L"failed B", L"failed C"}));
    const PumpResult pump = Pump(2000, [&](int code) { player.OnMediaEvent(code); });
    EXPECT_LT(pump.notifications, 5);
    EXPECT_GE(pump.frames, 20) << "the loop still finds time to draw";
    EXPECT_LE(played.size(), 6u);
    EXPECT_LE(FilterCount(), 4);
}

TEST_F(SoundGraphTest, AnUnplayableTrackIsPassedOverForTheNext)
{
    DocumentPlan plan;
    plan.sounds = {Sound(L"gone", L"C:\\no-such-folder\\gone.wav"), Sound(L"tone", ClipPath())};
    documentBytes = BuildDocument(plan);

    ScenePlayer player;
    player.Start(0.0f);
    EXPECT_EQ(played, (std::vector<std::wstring>{L"failed gone", L"tone"}));
    EXPECT_EQ(GraphState(), State_Running);
}

// The program's own show: both of its tracks (embedded, so they play from the temporary folder).
// A device reset then stops the graph and restarts the show, which reads the document again: the
// playlist starts over with the first track, whose temporary copy the graph still holds open.
TEST_F(SoundGraphTest, TheDefaultShowsTwoTracksPlayAndTheFirstAgainAfterEachRestart)
{
    RegisterSceneReaders();
    documentBytes = BuiltProgramShow();
    ASSERT_FALSE(documentBytes.empty()) << "lanternwork.scr or its show is missing";

    ScenePlayer player;
    player.Start(0.0f);
    ASSERT_EQ(player.Document().sounds.size(), 2u);
    player.OnMediaEvent(kCompletion);
    EXPECT_EQ(played, (std::vector<std::wstring>{L"Evening pad", L"Night water"}));
    EXPECT_EQ(GraphState(), State_Running);

    for (int restart = 0; restart < 3; ++restart) {
        SoundStop();
        player.ReleaseDeviceResources();
        player.Start(0.0f);
    }
    EXPECT_EQ(played, (std::vector<std::wstring>{L"Evening pad", L"Night water", L"Evening pad", L"Evening pad",
                                                 L"Evening pad"}));
    EXPECT_EQ(GraphState(), State_Running);
}

} // namespace

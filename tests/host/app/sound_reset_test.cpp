// The application's sound across a device reset, through the framework's device seam: the test
// window, its real device and the real DirectShow graph; the reset is scripted.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <memory>
#include <string>
#include <vector>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceCache.h"
#include "host/app/MoireScreensaver.h"
#include "host/framework/Direct3DSeams.h"
#include "host/player/PlayerLight.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"
#include "host/player/SoundTrack.h"
#include "tests/support/BuiltProgram.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/ProcessHooks.h"
#include "tests/support/SoundGraphState.h"
#include "tests/support/TestSettingsKey.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

std::vector<uint8_t> documentBytes;
std::vector<std::wstring> played;
int resetsToAskFor = 0;

bool PlayAndRecord(DS_AudioFile& track)
{
    const bool started = SoundPlay(&track);
    played.push_back(track.title);
    return started;
}

HRESULT ScriptedTest(IDirect3DDevice9*) { return resetsToAskFor > 0 ? D3DERR_DEVICENOTRESET : D3D_OK; }
HRESULT ScriptedReset(IDirect3DDevice9*, D3DPRESENT_PARAMETERS*)
{
    --resetsToAskFor;
    return D3D_OK;
}
HRESULT ScriptedPresent(IDirect3DDevice9*) { return D3D_OK; }

class ApplicationSoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        settings_ = std::make_unique<TestSettingsKey>(L"AppSound");
        played.clear();

        DocumentPlan plan;
        plan.slides.push_back(SlidePlan{});
        for (const wchar_t* title : {L"A", L"B"}) {
            SoundPlan sound;
            sound.title = title;
            sound.file.name = BesideThisProgram(L"sound_clip.wav");
            plan.sounds.push_back(sound);
        }
        documentBytes = BuildDocument(plan);
        SetSceneDocumentSource([](SceneDoc& doc) { LoadSceneDocument(documentBytes.data(), documentBytes.size(), doc); });
        SetPlayerLightFactory([](const SlideRecord*) -> std::unique_ptr<PlayerLight> { return nullptr; });
    }

    void TearDown() override
    {
        SoundRelease();
        settings_.reset();
    }

    CurrentObjectsGuard currentObjects_;
    std::unique_ptr<TestSettingsKey> settings_;
    HostHooksGuard hooks_; // the last member: the hooks come back first
};

TEST_F(ApplicationSoundTest, ADeviceResetKeepsThePlaylistPlayingAndTheEndReleasesTheGraph)
{
    CMoireScreensaver app;
    lstrcpynW(app.settingsKeyPath, settings_->Path().c_str(), 200);
    ASSERT_EQ(app.StartWithCommandLine(GetModuleHandleW(nullptr), L"lanternwork.scr /t"), S_OK);
    ASSERT_EQ(app.errorFlag, 0);
    ASSERT_NE(SoundGraph(), nullptr) << "test mode builds the sound graph at start-up";

    PlayerSoundHooks hooks = GetPlayerSoundHooks();
    hooks.play = PlayAndRecord;
    SetPlayerSoundHooks(hooks);
    ASSERT_EQ(app.StartDevices(), S_OK);
    ASSERT_EQ(app.deviceCount, 1u);
    EXPECT_EQ(played, std::vector<std::wstring>{L"A"});

    static const DeviceCalls calls = {ScriptedTest, ScriptedReset, ScriptedPresent};
    SetDeviceCalls(&calls);
    resetsToAskFor = 1;
    app.DrawAllUnits();
    EXPECT_EQ(resetsToAskFor, 0);
    EXPECT_EQ(played, (std::vector<std::wstring>{L"A", L"A"})) << "the restarted show plays its first track";
    EXPECT_TRUE(SoundGraphRuns());

    // The message loop in small: the track's completion reaches the player through the window.
    const DWORD start = GetTickCount();
    while (played.size() < 3 && GetTickCount() - start < 8000) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            app.DrawAllUnits();
            Sleep(30);
        }
    }
    EXPECT_EQ(played, (std::vector<std::wstring>{L"A", L"A", L"B"}));

    app.CloseSaver();
    EXPECT_EQ(SoundGraph(), nullptr);
    app.ShutdownScene();  // a second end finds nothing to release
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (app.mainWindow)
        DestroyWindow(app.mainWindow);
}

} // namespace

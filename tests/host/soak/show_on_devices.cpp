// The program's own show on real devices: in the test window through a hundred device resets
// asked for through the framework's device seam (each one a real IDirect3DDevice9::Reset), after
// each of which the picture comes back, the playlist keeps playing and memory does not grow; and
// in a preview window of the control panel's size, read back from the device (under Wine, what
// is drawn into a child window never reaches the screen, so another process cannot look).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/ResourceCache.h"
#include "host/app/MoireScreensaver.h"
#include "host/framework/Direct3DSeams.h"
#include "host/player/PlayerSound.h"
#include "host/player/SoundTrack.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/support/BuiltProgram.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/ProcessHooks.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/SoundGraphState.h"
#include "tests/support/TestSettingsKey.h"

namespace {

std::vector<uint8_t> showBytes;
int tracksStarted = 0;
int tracksFailed = 0;
bool resetAsked = false;
int resetsDone = 0;
int resetsFailed = 0;

bool PlayAndCount(DS_AudioFile& track)
{
    ++tracksStarted;
    const bool played = SoundPlay(&track);
    tracksFailed += played ? 0 : 1;
    return played;
}

HRESULT AskedTest(IDirect3DDevice9* device)
{
    return resetAsked ? D3DERR_DEVICENOTRESET : device->TestCooperativeLevel();
}
HRESULT RealReset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters)
{
    resetAsked = false;
    const HRESULT hr = device->Reset(parameters);
    ++(SUCCEEDED(hr) ? resetsDone : resetsFailed);
    return hr;
}
HRESULT RealPresent(IDirect3DDevice9* device) { return device->Present(nullptr, nullptr, nullptr, nullptr); }

// The share of the back buffer's pixels that are not nearly black.
double LitShare(IDirect3DDevice9* device)
{
    ComRef<IDirect3DSurface9> back, copy;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out())))
        return 0;
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                   copy.Out(), nullptr)) ||
        FAILED(device->GetRenderTargetData(back.Get(), copy.Get())))
        return 0;
    D3DLOCKED_RECT locked;
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return 0;
    size_t lit = 0;
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) {
            const uint32_t p = row[x];
            if (((p >> 16) & 0xFF) > 40 || ((p >> 8) & 0xFF) > 40 || (p & 0xFF) > 40)
                ++lit;
        }
    }
    copy->UnlockRect();
    return double(lit) / (double(desc.Width) * desc.Height);
}

// The message loop in small, for a while: messages first, a frame when none is waiting.
void RunLoop(CMoireScreensaver& app, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            app.DrawAllUnits();
            Sleep(30);
        }
    } while (GetTickCount() - start < milliseconds);
}

class ShowOnDevices : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterSceneReaders();  // the show holds objects of the program's kinds
        showBytes = BuiltProgramShow();
        ASSERT_FALSE(showBytes.empty()) << "lanternwork.scr or its show is missing";
        settings_ = std::make_unique<TestSettingsKey>(L"ShowOnDevices");
        SetSceneDocumentSource([](SceneDoc& doc) { LoadSceneDocument(showBytes.data(), showBytes.size(), doc); });
        tracksStarted = tracksFailed = 0;
        resetsDone = resetsFailed = 0;
    }

    void TearDown() override
    {
        SoundRelease();
        settings_.reset();
    }

    std::unique_ptr<TestSettingsKey> settings_;
    // The last members: the hooks and the current objects come back first.
    HostHooksGuard hooks_;
    CurrentObjectsGuard currentObjects_;
};

TEST_F(ShowOnDevices, TheShowComesBackAfterEachOfAHundredResetsWithoutGrowing)
{
    constexpr int kResets = 100;
    CMoireScreensaver app;
    lstrcpynW(app.settingsKeyPath, settings_->Path().c_str(), 200);
    ASSERT_EQ(app.StartWithCommandLine(GetModuleHandleW(nullptr), L"lanternwork.scr /t"), S_OK);
    ASSERT_EQ(app.errorFlag, 0);
    PlayerSoundHooks hooks = GetPlayerSoundHooks();
    hooks.play = PlayAndCount;
    SetPlayerSoundHooks(hooks);
    ASSERT_EQ(app.StartDevices(), S_OK);
    ASSERT_EQ(app.deviceCount, 1u);
    static const DeviceCalls calls = {AskedTest, RealReset, RealPresent};
    SetDeviceCalls(&calls);

    RunLoop(app, 3500);  // past the first slide's fade-in
    ASSERT_EQ(app.errorFlag, 0) << std::hex << app.errorCode;
    EXPECT_GT(LitShare(app.currentDevice), 0.2) << "the show does not show before the resets";

    SIZE_T afterFirst = 0, privateAfterFirst = 0, afterLast = 0, privateAfterLast = 0;
    for (int i = 1; i <= kResets; ++i) {
        SCOPED_TRACE("reset " + std::to_string(i));
        resetAsked = true;
        const DWORD asked = GetTickCount();
        while (resetAsked && GetTickCount() - asked < 5000)
            RunLoop(app, 30);
        ASSERT_FALSE(resetAsked) << "the loop did not reset the device";
        ASSERT_EQ(resetsFailed, 0);
        ASSERT_EQ(app.errorFlag, 0) << std::hex << app.errorCode;
        ASSERT_NE(app.currentPlayer->Light(), nullptr) << "no light after the restart";
        // Memory is taken at the same point after the first and the last reset.
        if (i == 1) {
            afterFirst = HeapBytesInUse();
            privateAfterFirst = PrivateBytes();
        } else if (i == kResets) {
            afterLast = HeapBytesInUse();
            privateAfterLast = PrivateBytes();
        }
        // Every 25th time the show runs on past the restarted slide's fade-in and is seen.
        if (i % 25 == 0) {
            RunLoop(app, 3500);
            EXPECT_GT(LitShare(app.currentDevice), 0.2) << "the picture did not come back";
        }
    }
    ASSERT_GT(afterFirst, 0u) << "the heaps cannot be walked";
    std::printf("heap bytes in use after reset 1: %zu, after reset %d: %zu (%+.2f %%); private bytes %zu and %zu; "
                "tracks started: %d, of which did not play: %d\n",
                afterFirst, kResets, afterLast, 100.0 * (double(afterLast) - double(afterFirst)) / double(afterFirst),
                privateAfterFirst, privateAfterLast, tracksStarted, tracksFailed);
    EXPECT_EQ(resetsDone, kResets);
    // Each restart starts the first track; the tracks' ends move the playlist on besides.
    EXPECT_GE(tracksStarted, 1 + kResets);
    EXPECT_EQ(tracksFailed, 0) << "tracks the playlist could not play";
    EXPECT_TRUE(SoundGraphRuns()) << "the playlist stopped";
    // The platform keeps about 0.3 KB a restart here (the device reset itself, and the sound
    // graph's render of the restarted track); a kilobyte a restart is more than that.
    EXPECT_LE(double(afterLast), double(afterFirst) + 1024.0 * kResets)
        << "heap bytes in use after the first reset " << afterFirst << ", after the last " << afterLast;

    app.CloseSaver();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (app.mainWindow)
        DestroyWindow(app.mainWindow);
}

TEST_F(ShowOnDevices, PreviewDrawsTheShowIntoAControlPanelSizedWindow)
{
    HWND parent = CreateWindowW(L"STATIC", L"monitor", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    CMoireScreensaver app;
    lstrcpynW(app.settingsKeyPath, settings_->Path().c_str(), 200);
    const std::wstring commandLine = L"lanternwork.scr /p " + std::to_wstring(reinterpret_cast<INT_PTR>(parent));
    ASSERT_EQ(app.StartWithCommandLine(GetModuleHandleW(nullptr), commandLine.c_str()), S_OK);
    ASSERT_EQ(app.errorFlag, 0);
    ASSERT_NE(app.mainWindow, nullptr);
    EXPECT_EQ(GetParent(app.mainWindow), parent);
    ASSERT_EQ(app.StartDevices(), S_OK);
    ASSERT_EQ(app.deviceCount, 1u);

    RunLoop(app, 3500);  // past the first slide's fade-in
    ASSERT_EQ(app.errorFlag, 0) << std::hex << app.errorCode;
    ASSERT_NE(app.currentDevice, nullptr);
    ComRef<IDirect3DSurface9> back;
    ASSERT_EQ(app.currentDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()), D3D_OK);
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 152u);
    EXPECT_EQ(desc.Height, 112u);
    EXPECT_GT(LitShare(app.currentDevice), 0.2) << "the preview shows no picture";
    back = ComRef<IDirect3DSurface9>();

    // The control panel destroys the control: the preview closes and asks the loop to end.
    DestroyWindow(parent);
    bool quit = false;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 5000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            quit = quit || msg.message == WM_QUIT;
        Sleep(20);
    }
    EXPECT_TRUE(quit) << "the preview did not end with its parent";
    EXPECT_EQ(app.devices[0].device.Get(), nullptr) << "the preview's device outlived its window";
}

} // namespace


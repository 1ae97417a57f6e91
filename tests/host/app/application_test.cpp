// The application's settings and hooks, without a saver window: a test key under HKCU, a document
// given from memory, and the real Direct3D of the test bed for the device check.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <memory>
#include <optional>
#include <vector>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/ResourceCache.h"
#include "host/app/MoireScreensaver.h"
#include "host/player/PlayerLight.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/ProcessHooks.h"
#include "tests/support/TestSettingsKey.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

// ctest runs tests side by side in separate processes: every test gets a key of its own.
std::wstring testKey;
const wchar_t* TestKey() { return testKey.c_str(); }

bool ValueExists(HKEY root, const std::wstring& path, const wchar_t* name, DWORD* value = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const bool found = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (found && value)
        *value = data;
    return found;
}

void WriteValue(const wchar_t* name, const void* data, DWORD size, DWORD type = REG_DWORD)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TestKey(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

// An IDirect3D9 that only answers texture-format checks, as scripted, and records each one.
struct FormatCheck {
    UINT adapter;
    D3DDEVTYPE type;
    D3DFORMAT adapterFormat;
    DWORD usage;
    D3DRESOURCETYPE resource;
    D3DFORMAT check;
};

class FormatCheckDirect3D final : public IDirect3D9 {
public:
    HRESULT answer = S_OK;
    std::vector<FormatCheck> checks;

    HRESULT WINAPI QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return ++refs_; }
    ULONG WINAPI Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT WINAPI RegisterSoftwareDevice(void*) override { return E_NOTIMPL; }
    UINT WINAPI GetAdapterCount() override { return 0; }
    HRESULT WINAPI GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER9*) override { return E_NOTIMPL; }
    UINT WINAPI GetAdapterModeCount(UINT, D3DFORMAT) override { return 0; }
    HRESULT WINAPI EnumAdapterModes(UINT, D3DFORMAT, UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
    HRESULT WINAPI CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override { return E_NOTIMPL; }
    HRESULT WINAPI CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                     D3DRESOURCETYPE resource, D3DFORMAT check) override
    {
        checks.push_back(FormatCheck{adapter, type, adapterFormat, usage, resource, check});
        return answer;
    }
    HRESULT WINAPI CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE,
                                              DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override { return E_NOTIMPL; }
    HMONITOR WINAPI GetAdapterMonitor(UINT) override { return nullptr; }
    HRESULT WINAPI CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                                IDirect3DDevice9** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }

private:
    ULONG refs_ = 1;
};

class ApplicationTest : public testing::Test {
protected:
    void SetUp() override
    {
        settingsKey.emplace(L"App");
        testKey = settingsKey->Path();
        app = std::make_unique<CMoireScreensaver>();
        // The application points both paths at the program's key when it is made.
        lstrcpynW(app->settingsKeyPath, TestKey(), 200);
        lstrcpynW(SettingsKeyPath, TestKey(), 200);
    }
    void TearDown() override
    {
        app.reset();
        settingsKey.reset();
    }

    // One monitor on adapter 0, with display settings to store.
    void GiveOneMonitor()
    {
        app->monitorCount = 1;
        app->monitors[0].adapterIndex = 0;
        app->adapterCount = 1;
        app->adapters[0] = std::make_unique<SaverAdapter>();
        SaverAdapter& adapter = *app->adapters[0];
        adapter.leaveBlack = 1;
        adapter.disableHardware = 1;
        adapter.preferredWidth = 800;
        adapter.preferredHeight = 600;
        adapter.preferredFormat = D3DFMT_X8R8G8B8;
    }

    CurrentObjectsGuard currentObjects;
    HostHooksGuard hooks;
    std::optional<TestSettingsKey> settingsKey;
    std::unique_ptr<CMoireScreensaver> app;
};

TEST_F(ApplicationTest, UsesTheProgramsSettingsKey)
{
    CMoireScreensaver fresh;
    EXPECT_STREQ(fresh.settingsKeyPath, L"Software\\Quorvane\\Lanternwork\\Screensaver\\");
    EXPECT_EQ(fresh.useDepthBuffer, 1);
    EXPECT_EQ(CMoireScreensaver::Application, &fresh);
}

TEST_F(ApplicationTest, SettingsSurviveARoundTripThroughTheRegistry)
{
    GiveOneMonitor();
    app->allScreensSame = 1;
    SaveSettingsToRegistry(*app, app->settingsTable);

    DWORD value = 0;
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, TestKey(), L"AllScreensSame", &value));
    EXPECT_EQ(value, 1u);
    const std::wstring screen = std::wstring(TestKey()) + L"Screen 1";
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, screen, L"Width", &value));
    EXPECT_EQ(value, 800u);
    // The settings table's entries are neither stored nor bound; the player's values are never written.
    for (const wchar_t* name : {L"Path", L"URL1", L"file_path", kSoundVolumeValue, kMuteSoundValue, kStretchPictureValue})
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, TestKey(), name)) << testing::PrintToString(std::wstring(name));

    app->allScreensSame = 0;
    SaverAdapter& adapter = *app->adapters[0];
    adapter.leaveBlack = 0;
    adapter.disableHardware = 0;
    adapter.preferredWidth = 0;
    adapter.preferredHeight = 0;
    adapter.preferredFormat = D3DFMT_UNKNOWN;
    LoadSettingsFromRegistry(*app);
    EXPECT_EQ(app->allScreensSame, 1);
    EXPECT_EQ(adapter.leaveBlack, 1);
    EXPECT_EQ(adapter.disableHardware, 1);
    EXPECT_EQ(adapter.preferredWidth, 800u);
    EXPECT_EQ(adapter.preferredHeight, 600u);
    EXPECT_EQ(adapter.preferredFormat, D3DFMT_X8R8G8B8);
}

TEST_F(ApplicationTest, ReadSettingDwordKeepsTheTargetUnlessAFourByteValueIsThere)
{
    int32_t target = 100;
    ReadSettingDword(&target, kSoundVolumeValue);
    EXPECT_EQ(target, 100);

    const DWORD seven = 7;
    WriteValue(kSoundVolumeValue, &seven, sizeof(seven));
    ReadSettingDword(&target, kSoundVolumeValue);
    EXPECT_EQ(target, 7);

    // The name without its quotes is another value.
    int32_t other = 100;
    ReadSettingDword(&other, L"SoundVolume");
    EXPECT_EQ(other, 100);

    // A value longer than four bytes must not spill into the target's neighbours.
    const uint64_t wide = 0x1122334455667788ull;
    WriteValue(kMuteSoundValue, &wide, sizeof(wide), REG_QWORD);
    int32_t guarded[2] = {5, 6};
    ReadSettingDword(&guarded[0], kMuteSoundValue);
    EXPECT_EQ(guarded[0], 5);
    EXPECT_EQ(guarded[1], 6);
}

// Whatever else a user or another program left under the settings' names, every setting keeps its
// default: a text (even one of four bytes), a value shorter or longer than four bytes.
TEST_F(ApplicationTest, BadValuesOfEverySettingGiveTheDefaults)
{
    struct Bad {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    const Bad bad[] = {
        {"a one-letter text", REG_SZ, {'1', 0, 0, 0}},
        {"a longer text", REG_SZ, {'1', 0, '0', 0, '0', 0, 0, 0}},
        {"an expandable text", REG_EXPAND_SZ, {'7', 0, 0, 0}},
        {"two bytes", REG_BINARY, {1, 0}},
        {"no bytes", REG_BINARY, {}},
        {"a 64-bit number", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
    };
    const wchar_t* monitorNames[] = {L"Leave Black", L"Disable Hardware", L"Width", L"Height", L"Format"};
    const std::wstring screen = std::wstring(TestKey()) + L"Screen 1";
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey());
        HKEY key = nullptr, screenKey = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TestKey(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, screen.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &screenKey, nullptr),
                  ERROR_SUCCESS);
        const DWORD size = static_cast<DWORD>(b.bytes.size());
        for (const wchar_t* name : {L"AllScreensSame", kSoundVolumeValue, kMuteSoundValue, kStretchPictureValue})
            RegSetValueExW(key, name, 0, b.type, b.bytes.data(), size);
        for (const wchar_t* name : monitorNames)
            RegSetValueExW(screenKey, name, 0, b.type, b.bytes.data(), size);
        RegCloseKey(screenKey);
        RegCloseKey(key);

        app->allScreensSame = 0;
        app->monitorCount = 1;
        app->monitors[0].adapterIndex = 0;
        app->adapterCount = 1;
        app->adapters[0] = std::make_unique<SaverAdapter>();
        LoadSettingsFromRegistry(*app);
        const SaverAdapter& adapter = *app->adapters[0];
        EXPECT_EQ(app->allScreensSame, 0);
        EXPECT_EQ(adapter.leaveBlack, 0);
        EXPECT_EQ(adapter.disableHardware, 0);
        EXPECT_EQ(adapter.preferredWidth, 0u);
        EXPECT_EQ(adapter.preferredHeight, 0u);
        EXPECT_EQ(adapter.preferredFormat, D3DFMT_UNKNOWN);

        int32_t volume = 100, mute = 0;
        ReadSettingDword(&volume, kSoundVolumeValue);
        ReadSettingDword(&mute, kMuteSoundValue);
        EXPECT_EQ(volume, 100);
        EXPECT_EQ(mute, 0);
        ForgetStretchPictureSetting();
        EXPECT_EQ(GetStretchPicture(), 1);
    }
    ForgetStretchPictureSetting();
}

TEST_F(ApplicationTest, StretchPictureIsOneUnlessZeroIsStored)
{
    struct Case {
        bool stored;
        DWORD value;
        int expected;
    };
    for (const Case& c : {Case{false, 0, 1}, Case{true, 0, 0}, Case{true, 1, 1}, Case{true, 5, 1}}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey());
        if (c.stored)
            WriteValue(kStretchPictureValue, &c.value, sizeof(c.value));
        ForgetStretchPictureSetting();
        EXPECT_EQ(GetStretchPicture(), c.expected) << c.stored << " " << c.value;
    }
    ForgetStretchPictureSetting();
}

TEST_F(ApplicationTest, FailedStartBecomesTheDocumentErrorAndTheRestoreStillSucceeds)
{
    SetSceneDocumentSource([](SceneDoc&) { ThrowDocumentError(); });
    app->OnUnitSelected(0);
    EXPECT_EQ(app->RestoreUnitResources(), S_OK);
    EXPECT_EQ(app->errorFlag, 1);
    EXPECT_EQ(static_cast<uint32_t>(app->errorCode), kDocumentError);
    // Drawing and releasing that unit afterwards finds no light and does nothing.
    EXPECT_EQ(app->DrawUnit(), S_OK);
    EXPECT_EQ(app->ReleaseUnitResources(), S_OK);
}

TEST_F(ApplicationTest, AnyExceptionOfTheStartBecomesTheDocumentError)
{
    SetSceneDocumentSource([](SceneDoc&) { throw 42; });
    app->OnUnitSelected(0);
    EXPECT_EQ(app->RestoreUnitResources(), S_OK);
    EXPECT_EQ(static_cast<uint32_t>(app->errorCode), kDocumentError);
}

TEST_F(ApplicationTest, SelectingAUnitMakesItsPlayerCacheAndManagerCurrent)
{
    DocumentPlan plan;
    plan.slides.push_back(SlidePlan{});
    static std::vector<uint8_t> bytes;
    bytes = BuildDocument(plan);
    SetSceneDocumentSource([](SceneDoc& doc) { LoadSceneDocument(bytes.data(), bytes.size(), doc); });

    for (int unit : {0, 1}) {
        app->OnUnitSelected(unit);
        ASSERT_EQ(app->RestoreUnitResources(), S_OK);
    }
    ASSERT_EQ(app->errorFlag, 0);
    // The last load left unit 1's manager current; selecting unit 0 brings back unit 0's.
    EXPECT_EQ(CurrentDocResManager, app->players[1].DocResManager());
    app->OnUnitSelected(0);
    EXPECT_EQ(app->currentPlayer, &app->players[0]);
    EXPECT_EQ(CurrentResourceCache, app->players[0].Cache());
    ASSERT_NE(app->players[0].DocResManager(), nullptr);
    EXPECT_EQ(CurrentDocResManager, app->players[0].DocResManager());
    EXPECT_NE(app->players[0].Cache(), app->players[1].Cache());
}

// Each unit's player reads a document with a track of its own; a media event moves on the
// playlist of the player made current last, and only that one.
TEST_F(ApplicationTest, MediaEventsGoToThePlayerMadeCurrentLast)
{
    static std::vector<std::vector<uint8_t>> documents;
    static size_t loads;
    static std::vector<std::wstring> played;
    documents.clear();
    for (const wchar_t* track : {L"track of unit 0", L"track of unit 1", L"track of unit 2"}) {
        DocumentPlan plan;
        plan.slides.push_back(SlidePlan{});
        SoundPlan sound;
        sound.title = track;
        sound.file.name = L"C:\\nowhere\\lw-missing.mp3";
        plan.sounds.push_back(sound);
        documents.push_back(BuildDocument(plan));
    }
    loads = 0;
    played.clear();
    SetSceneDocumentSource([](SceneDoc& doc) {
        const std::vector<uint8_t>& bytes = documents[loads++ % documents.size()];
        LoadSceneDocument(bytes.data(), bytes.size(), doc);
    });
    PlayerSoundHooks recording;
    recording.play = [](DS_AudioFile& track) {
        played.push_back(track.title);
        return true;
    };
    SetPlayerSoundHooks(recording);

    for (int unit : {0, 1, 2}) {
        app->OnUnitSelected(unit);
        ASSERT_EQ(app->RestoreUnitResources(), S_OK);
    }
    ASSERT_EQ(app->errorFlag, 0);
    app->OnUnitSelected(1);
    played.clear();
    app->OnMediaNotify(1);  // a track completed
    EXPECT_EQ(played, (std::vector<std::wstring>{L"track of unit 1"}));

    app->OnUnitSelected(kPlayerCount);  // beyond the players: the current one stays
    EXPECT_EQ(app->currentPlayer, &app->players[1]);
    played.clear();
    app->OnMediaNotify(2);  // not a completion: no step
    EXPECT_TRUE(played.empty());
}

// Before every reset the framework releases each unit: that must reach the light of the unit's
// player, which holds the default-pool resources a reset cannot keep.
TEST_F(ApplicationTest, ReleasingAUnitReleasesTheLightOfItsPlayer)
{
    static int releases;
    struct CountingLight : PlayerLight {
        void SetStretch(int) override {}
        void UpdateObjects(float) override {}
        void Update(float) override {}
        void BeginFrame() override {}
        void DrawObjects() override {}
        void EndFrame() override {}
        void DrawFadeQuad(DS_ScreenQuad*) override {}
        void ReleaseDeviceResources() override { ++releases; }
    };
    releases = 0;
    SetPlayerLightFactory([](const SlideRecord*) -> std::unique_ptr<PlayerLight> {
        return std::make_unique<CountingLight>();
    });
    DocumentPlan plan;
    plan.slides.push_back(SlidePlan{});
    static std::vector<uint8_t> bytes;
    bytes = BuildDocument(plan);
    SetSceneDocumentSource([](SceneDoc& doc) { LoadSceneDocument(bytes.data(), bytes.size(), doc); });

    app->OnUnitSelected(0);
    ASSERT_EQ(app->RestoreUnitResources(), S_OK);
    ASSERT_EQ(app->errorFlag, 0);
    EXPECT_EQ(app->ReleaseUnitResources(), S_OK);
    EXPECT_EQ(releases, 1);
}

TEST_F(ApplicationTest, DeviceCapsNeedBumpMappingAndSignedTextures)
{
    app->d3d = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(app->d3d);
    D3DCAPS9 caps = {};
    ASSERT_EQ(app->d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), S_OK);

    D3DCAPS9 withoutBump = caps;
    withoutBump.TextureOpCaps &= ~D3DTEXOPCAPS_BUMPENVMAP;
    EXPECT_EQ(app->AcceptDeviceCaps(&withoutBump, D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DFMT_X8R8G8B8), E_FAIL);

    // The test bed's device offers both (the probe test prints it): the program accepts it.
    EXPECT_EQ(app->AcceptDeviceCaps(&caps, D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DFMT_X8R8G8B8), S_OK);
}

// The caps test asks for V8U8 textures on the probed adapter and device type, with the probed
// back-buffer format as the adapter format; its answer decides, the behaviour flags do not.
TEST_F(ApplicationTest, DeviceCapsAskForSignedTexturesInTheProbedFormat)
{
    auto* fake = new FormatCheckDirect3D;
    app->d3d = ComRef<IDirect3D9>::Adopt(fake);

    D3DCAPS9 caps = {};
    caps.AdapterOrdinal = 2;
    caps.DeviceType = D3DDEVTYPE_SW;
    caps.TextureOpCaps = D3DTEXOPCAPS_BUMPENVMAP;

    struct Case {
        DWORD textureOps;
        HRESULT answer;
        DWORD flags;
        HRESULT expected;
        size_t checks;
    };
    const Case cases[] = {
        {D3DTEXOPCAPS_BUMPENVMAP, S_OK, D3DCREATE_SOFTWARE_VERTEXPROCESSING, S_OK, 1},
        {D3DTEXOPCAPS_BUMPENVMAP, S_OK, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE, S_OK, 1},
        {D3DTEXOPCAPS_BUMPENVMAP, D3DERR_NOTAVAILABLE, D3DCREATE_SOFTWARE_VERTEXPROCESSING, E_FAIL, 1},
        {D3DTEXOPCAPS_MODULATE, S_OK, D3DCREATE_SOFTWARE_VERTEXPROCESSING, E_FAIL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ops " << c.textureOps << " answer " << c.answer << " flags " << c.flags);
        fake->checks.clear();
        fake->answer = c.answer;
        caps.TextureOpCaps = c.textureOps;
        EXPECT_EQ(app->AcceptDeviceCaps(&caps, c.flags, D3DFMT_R5G6B5), c.expected);
        ASSERT_EQ(fake->checks.size(), c.checks);
        if (c.checks == 0)
            continue;
        const FormatCheck& check = fake->checks[0];
        EXPECT_EQ(check.adapter, 2u);
        EXPECT_EQ(check.type, D3DDEVTYPE_SW);
        EXPECT_EQ(check.adapterFormat, D3DFMT_R5G6B5);
        EXPECT_EQ(check.usage, 0u);
        EXPECT_EQ(check.resource, D3DRTYPE_TEXTURE);
        EXPECT_EQ(check.check, D3DFMT_V8U8);
    }
}

} // namespace

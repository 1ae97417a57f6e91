// The adapter probe, the device openers with their step-down and registry write, the per-monitor
// settings and the frame loop's handling of lost and reset devices, driven by a fake IDirect3D9.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeDirect3D.h"
#include "host/framework/D3DScreensaver.h"
#include "host/framework/Direct3DSeams.h"
#include "host/framework/SaverErrors.h"
#include "document/CurrentDevice.h"
#include "tests/support/CurrentObjects.h"
#include "tests/support/ProcessHooks.h"

namespace {

// Each test runs in its own process, and ctest runs several at once: every process keeps its
// settings under a key of its own, so one test's clean-up cannot delete another's values.
const std::wstring& TestKeyPath()
{
    static const std::wstring path =
        L"Software\\Quorvane\\Lanternwork\\HostTests\\" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    return path;
}
const wchar_t* const kTestKey = TestKeyPath().c_str();

D3DDISPLAYMODE Mode(UINT w, UINT h, UINT refresh = 60)
{
    return D3DDISPLAYMODE{w, h, refresh, D3DFMT_X8R8G8B8};
}

// Records the hooks the framework calls, in order.
class RecordingSaver : public CD3DScreensaver {
public:
    std::vector<std::string> log;
    DWORD rejectedFlags = 0;  // behaviour flags that AcceptDeviceCaps turns down (bit set)
    bool failRestore = false;

    HRESULT AcceptDeviceCaps(const D3DCAPS9*, DWORD flags, D3DFORMAT) override
    {
        return (rejectedFlags & (1u << (flags >> 4))) ? E_FAIL : S_OK;
    }
    void OnUnitSelected(int unit) override { selected = unit; }
    HRESULT CreateUnitResources() override { return Note("create"); }
    HRESULT RestoreUnitResources() override
    {
        Note("restore");
        return failRestore ? E_FAIL : S_OK;
    }
    HRESULT DrawUnit() override { return Note("draw"); }
    HRESULT ReleaseUnitResources() override { return Note("release"); }
    HRESULT DestroyUnitResources() override { return Note("destroy"); }

    int selected = -1;

private:
    HRESULT Note(const char* what)
    {
        log.push_back(std::string(what) + " " + std::to_string(selected));
        return S_OK;
    }
};

class SaverDevices : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        window_ = CreateWindowW(L"STATIC", L"saver", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        fake_.adapters.resize(1);
        fake_.adapters[0].monitor = reinterpret_cast<HMONITOR>(0x1001);
        fake_.adapters[0].modes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768)};
    }
    void TearDown() override
    {
        saver_.StopDevices();
        DestroyWindow(window_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }

    // One monitor per fake adapter, each with the saver's window; Direct3D is the fake.
    void Prepare(SaverRunMode mode)
    {
        saver_.mode = mode;
        saver_.mainWindow = window_;
        saver_.useDepthBuffer = 1;
        saver_.monitorCount = static_cast<UINT>(fake_.adapters.size());
        for (UINT i = 0; i < saver_.monitorCount; ++i) {
            saver_.monitors[i].monitor = fake_.adapters[i].monitor;
            saver_.monitors[i].rectangle = RECT{0, 0, 320, 240};
            saver_.monitors[i].window = window_;
        }
        saver_.d3d = ComRef<IDirect3D9>::Share(&fake_);
        ASSERT_EQ(saver_.ProbeAdapters(), S_OK);
    }

    std::vector<UINT> AttemptedWidths() const
    {
        std::vector<UINT> widths;
        for (const CreateDeviceCall& c : fake_.createCalls)
            widths.push_back(c.parameters.BackBufferWidth);
        return widths;
    }

    HWND window_ = nullptr;
    FakeDirect3D fake_;
    RecordingSaver saver_;
    // The last members: the device calls and the current objects come back first.
    HostHooksGuard hooks_;
    CurrentObjectsGuard currentObjects_;
};

}  // namespace

TEST_F(SaverDevices, ProbeBuildsOneHardwareKindFromTheDistinctModes)
{
    fake_.adapters[0].modes = {Mode(1024, 768), Mode(800, 600, 60), Mode(800, 600, 75), Mode(800, 600, 85),
                               Mode(640, 480), Mode(600, 800), Mode(1024, 384)};
    Prepare(SaverRunMode::FullScreen);

    ASSERT_EQ(saver_.adapterCount, 1u);
    const SaverAdapter& a = *saver_.adapters[0];
    EXPECT_EQ(a.monitorIndex, 0);
    EXPECT_EQ(saver_.monitors[0].adapterIndex, 0);
    EXPECT_TRUE(a.hasHal && a.compatibleHal);
    EXPECT_FALSE(a.hasSw || a.compatibleSw);
    ASSERT_EQ(a.kindCount, 1u);
    const AdapterDeviceKind& k = a.kinds[0];
    EXPECT_EQ(k.type, D3DDEVTYPE_HAL);
    EXPECT_TRUE(k.canWindowed);
    ASSERT_EQ(k.modeCount, 3u);
    EXPECT_EQ(k.modes[0].width, 640u);
    EXPECT_EQ(k.modes[1].width, 800u);
    EXPECT_EQ(k.modes[2].width, 1024u);
    EXPECT_EQ(k.currentMode, 0u);  // 640 x 480
    EXPECT_EQ(k.modes[0].behaviourFlags, 0x50u);
    EXPECT_EQ(k.modes[0].depthFormat, D3DFMT_D16);
}

TEST_F(SaverDevices, ProbeFallsBackThroughFlagsAndDepthFormats)
{
    fake_.adapters[0].depthFormats = {D3DFMT_D24S8, D3DFMT_D32};
    saver_.rejectedFlags = (1u << (0x50 >> 4)) | (1u << (0x40 >> 4));
    Prepare(SaverRunMode::FullScreen);
    const DisplayModeEntry& m = saver_.adapters[0]->kinds[0].modes[0];
    EXPECT_EQ(m.behaviourFlags, static_cast<DWORD>(D3DCREATE_MIXED_VERTEXPROCESSING));
    EXPECT_EQ(m.depthFormat, D3DFMT_D24S8);
}

TEST_F(SaverDevices, AdapterWithoutUsableModesOrDepthHasNoKind)
{
    fake_.adapters[0].modes = {Mode(600, 400), Mode(640, 399)};
    Prepare(SaverRunMode::FullScreen);
    EXPECT_EQ(saver_.adapters[0]->kindCount, 0u);
    EXPECT_FALSE(saver_.adapters[0]->compatibleHal);

    fake_.adapters[0].modes = {Mode(800, 600)};
    fake_.adapters[0].depthFormats.clear();
    Prepare(SaverRunMode::FullScreen);
    EXPECT_EQ(saver_.adapters[0]->kindCount, 0u);
    EXPECT_TRUE(saver_.adapters[0]->hasHal);
}

TEST_F(SaverDevices, MoreAdaptersThanTheTableHoldsAreIgnored)
{
    fake_.adapters.resize(12, fake_.adapters[0]);
    saver_.d3d = ComRef<IDirect3D9>::Share(&fake_);
    ASSERT_EQ(saver_.ProbeAdapters(), S_OK);
    EXPECT_EQ(saver_.adapterCount, kMaxAdapters);
}

TEST_F(SaverDevices, FullScreenStepsDownAndRemembersTheMode)
{
    fake_.adapters[0].desktop = Mode(1280, 1024);
    fake_.adapters[0].modes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768), Mode(1280, 1024)};
    fake_.createFails = [](const D3DPRESENT_PARAMETERS& p) { return p.BackBufferWidth > 800; };
    Prepare(SaverRunMode::FullScreen);
    lstrcpynW(saver_.settingsKeyPath, kTestKey, 200);

    ASSERT_EQ(saver_.StartDevices(), S_OK);
    EXPECT_FALSE(saver_.errorFlag);
    ASSERT_EQ(saver_.deviceCount, 1u);
    EXPECT_EQ(AttemptedWidths(), (std::vector<UINT>{1280, 1024, 800}));
    const D3DPRESENT_PARAMETERS& pp = saver_.devices[0].presentParameters;
    EXPECT_FALSE(pp.Windowed);
    EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(pp.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_ONE));
    EXPECT_EQ(saver_.log, (std::vector<std::string>{"create 0", "restore 0"}));

    HKEY screen = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"Screen 1").c_str(), 0, KEY_READ, &screen),
              ERROR_SUCCESS);
    auto dword = [&](const wchar_t* name) {
        DWORD v = 0, size = sizeof v;
        RegQueryValueExW(screen, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
        return v;
    };
    EXPECT_EQ(dword(L"Width"), 800u);
    EXPECT_EQ(dword(L"Height"), 600u);
    EXPECT_EQ(dword(L"Format"), 22u);
    GUID id = {};
    DWORD size = sizeof id;
    EXPECT_EQ(RegQueryValueExW(screen, L"Adapter ID", nullptr, nullptr, reinterpret_cast<BYTE*>(&id), &size),
              ERROR_SUCCESS);
    EXPECT_TRUE(IsEqualGUID(id, fake_.adapters[0].id));
    RegCloseKey(screen);

    // The next run starts in the remembered mode at once.
    RecordingSaver next;
    next.mode = SaverRunMode::FullScreen;
    next.mainWindow = window_;
    next.useDepthBuffer = 1;
    next.monitorCount = 1;
    next.monitors[0] = saver_.monitors[0];
    next.monitors[0].adapterIndex = -1;
    next.d3d = ComRef<IDirect3D9>::Share(&fake_);
    ASSERT_EQ(next.ProbeAdapters(), S_OK);
    HKEY settings = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_ALL_ACCESS, &settings), ERROR_SUCCESS);
    next.LoadMonitorSettings(settings);
    RegCloseKey(settings);
    fake_.createCalls.clear();
    next.StartDevices();
    EXPECT_EQ(AttemptedWidths(), (std::vector<UINT>{800}));
    next.StopDevices();
}

TEST_F(SaverDevices, WithoutAKeyPathAStepDownIsNotRemembered)
{
    fake_.createFails = [](const D3DPRESENT_PARAMETERS& p) { return p.BackBufferWidth > 640; };
    Prepare(SaverRunMode::FullScreen);
    saver_.StartDevices();
    ASSERT_EQ(saver_.deviceCount, 1u);
    EXPECT_EQ(saver_.adapters[0]->preferredWidth, 0u);
}

TEST_F(SaverDevices, NoModeWorksGivesTheCreateError)
{
    fake_.createFails = [](const D3DPRESENT_PARAMETERS&) { return true; };
    Prepare(SaverRunMode::FullScreen);
    saver_.StartDevices();
    EXPECT_EQ(saver_.deviceCount, 0u);
    EXPECT_TRUE(saver_.errorFlag);
    EXPECT_EQ(saver_.errorCode, kErrCreateDeviceFailed);
    EXPECT_EQ(AttemptedWidths(), (std::vector<UINT>{1024, 800, 640}));
    EXPECT_TRUE(saver_.log.empty());  // no hooks in the error state
}

TEST_F(SaverDevices, DisabledHardwareWithoutSoftwareLeavesTheMonitorBlack)
{
    Prepare(SaverRunMode::FullScreen);
    saver_.adapters[0]->disableHardware = 1;
    saver_.StartDevices();
    EXPECT_EQ(saver_.deviceCount, 0u);
    EXPECT_FALSE(saver_.errorFlag);
    EXPECT_TRUE(saver_.adapters[0]->leaveBlack);
    EXPECT_TRUE(fake_.createCalls.empty());
}

TEST_F(SaverDevices, TestWindowGetsOneWindowedDevice)
{
    Prepare(SaverRunMode::Test);
    saver_.StartDevices();
    ASSERT_EQ(saver_.deviceCount, 1u);
    EXPECT_TRUE(saver_.windowed);
    ASSERT_EQ(fake_.createCalls.size(), 1u);
    const D3DPRESENT_PARAMETERS& pp = fake_.createCalls[0].parameters;
    EXPECT_TRUE(pp.Windowed);
    EXPECT_EQ(pp.BackBufferWidth, 0u);
    EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_COPY);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(fake_.createCalls[0].flags, 0x50u);
    EXPECT_STREQ(saver_.devices[0].deviceText, L"HAL (pure hw vp): Fake Adapter");

    // The application makes the device the process-wide one; once it is gone, so is that.
    CurrentDevice = saver_.devices[0].device.Get();
    saver_.StopDevices();
    EXPECT_EQ(CurrentDevice, nullptr);
}

TEST_F(SaverDevices, PreviewWithoutADeviceShowsThePreviewError)
{
    fake_.createFails = [](const D3DPRESENT_PARAMETERS&) { return true; };
    Prepare(SaverRunMode::Preview);
    saver_.StartDevices();
    EXPECT_EQ(saver_.errorCode, kErrNoPreview);

    RecordingSaver test;
    test.mode = SaverRunMode::Test;
    test.mainWindow = window_;
    test.monitorCount = 1;
    test.monitors[0] = saver_.monitors[0];
    test.d3d = ComRef<IDirect3D9>::Share(&fake_);
    test.ProbeAdapters();
    test.StartDevices();
    EXPECT_EQ(test.errorCode, kErrCreateDeviceFailed);
}

TEST_F(SaverDevices, StoredSettingsOfAnotherAdapterOnlyLeaveBlack)
{
    Prepare(SaverRunMode::FullScreen);
    HKEY settings = nullptr, screen = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(settings, L"Screen 1", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &screen, nullptr),
              ERROR_SUCCESS);
    const GUID other = {0x99, 0, 0, {0}};
    const DWORD one = 1, width = 800;
    RegSetValueExW(screen, L"Adapter ID", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&other), sizeof other);
    RegSetValueExW(screen, L"Leave Black", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegSetValueExW(screen, L"Disable Hardware", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegSetValueExW(screen, L"Width", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&width), 4);

    saver_.LoadMonitorSettings(settings);
    EXPECT_TRUE(saver_.adapters[0]->leaveBlack);
    EXPECT_FALSE(saver_.adapters[0]->disableHardware);
    EXPECT_EQ(saver_.adapters[0]->preferredWidth, 0u);

    RegDeleteValueW(screen, L"Adapter ID");  // absent: every value applies
    saver_.LoadMonitorSettings(settings);
    EXPECT_TRUE(saver_.adapters[0]->disableHardware);
    EXPECT_EQ(saver_.adapters[0]->preferredWidth, 800u);

    // A value that is not one binary GUID says nothing about the adapter: as if absent.
    struct Damaged {
        const char* what;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    std::vector<BYTE> longer(reinterpret_cast<const BYTE*>(&other), reinterpret_cast<const BYTE*>(&other + 1));
    longer.resize(24, 0x77);
    std::vector<BYTE> text(sizeof(GUID), 0);
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        text[i] = 'x';
    const Damaged damaged[] = {
        {"too long", REG_BINARY, longer},
        {"too short", REG_BINARY, std::vector<BYTE>(longer.begin(), longer.begin() + 8)},
        {"text of a GUID's length", REG_SZ, text},
    };
    for (const Damaged& d : damaged) {
        SCOPED_TRACE(d.what);
        RegSetValueExW(screen, L"Adapter ID", 0, d.type, d.bytes.data(), static_cast<DWORD>(d.bytes.size()));
        saver_.adapters[0]->disableHardware = 0;
        saver_.adapters[0]->preferredWidth = 0;
        saver_.LoadMonitorSettings(settings);
        EXPECT_TRUE(saver_.adapters[0]->disableHardware);
        EXPECT_EQ(saver_.adapters[0]->preferredWidth, 800u);
    }
    RegCloseKey(screen);
    RegCloseKey(settings);
}

TEST_F(SaverDevices, SettingsRoundTripThroughTheRegistry)
{
    Prepare(SaverRunMode::FullScreen);
    SaverAdapter& a = *saver_.adapters[0];
    a.leaveBlack = 1;
    a.preferredWidth = 1024;
    a.preferredHeight = 768;
    a.preferredFormat = D3DFMT_X8R8G8B8;
    saver_.allScreensSame = 1;
    HKEY settings = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings, nullptr),
              ERROR_SUCCESS);
    saver_.StoreMonitorSettings(settings);
    a = SaverAdapter{};
    a.identifier.DeviceIdentifier = fake_.adapters[0].id;
    saver_.allScreensSame = 0;
    saver_.LoadMonitorSettings(settings);
    RegCloseKey(settings);
    EXPECT_EQ(saver_.allScreensSame, 1);
    EXPECT_EQ(a.leaveBlack, 1);
    EXPECT_EQ(a.preferredWidth, 1024u);
    EXPECT_EQ(a.preferredHeight, 768u);
    EXPECT_EQ(a.preferredFormat, D3DFMT_X8R8G8B8);
}

// --- Frames ------------------------------------------------------------------------------------------

namespace {

struct ScriptedDevices {
    static inline std::vector<IDirect3DDevice9*> devices;
    static inline std::vector<HRESULT> status;
    static inline HRESULT resetResult = S_OK;
    static inline std::vector<std::string>* log = nullptr;

    static int IndexOf(IDirect3DDevice9* d)
    {
        for (size_t i = 0; i < devices.size(); ++i)
            if (devices[i] == d)
                return static_cast<int>(i);
        return -1;
    }
    static HRESULT Test(IDirect3DDevice9* d) { return status[IndexOf(d)]; }
    static HRESULT Reset(IDirect3DDevice9* d, D3DPRESENT_PARAMETERS*)
    {
        log->push_back("reset " + std::to_string(IndexOf(d)));
        status[IndexOf(d)] = D3D_OK;
        return resetResult;
    }
    static HRESULT Present(IDirect3DDevice9* d)
    {
        log->push_back("present " + std::to_string(IndexOf(d)));
        return S_OK;
    }
};

}  // namespace

class SaverFrames : public SaverDevices {
protected:
    // Three monitors, three adapters, three started devices.
    void StartThree()
    {
        fake_.adapters.resize(3, fake_.adapters[0]);
        fake_.adapters[1].monitor = reinterpret_cast<HMONITOR>(0x1002);
        fake_.adapters[2].monitor = reinterpret_cast<HMONITOR>(0x1003);
        Prepare(SaverRunMode::FullScreen);
        saver_.StartDevices();
        ASSERT_EQ(saver_.deviceCount, 3u);
        ScriptedDevices::devices.clear();
        for (UINT i = 0; i < 3; ++i)
            ScriptedDevices::devices.push_back(saver_.devices[i].device.Get());
        ScriptedDevices::status.assign(3, D3D_OK);
        ScriptedDevices::resetResult = S_OK;
        ScriptedDevices::log = &saver_.log;
        static const DeviceCalls calls = {ScriptedDevices::Test, ScriptedDevices::Reset, ScriptedDevices::Present};
        SetDeviceCalls(&calls);
        saver_.log.clear();
    }
};

TEST_F(SaverFrames, EveryDeviceDrawsThenEveryDevicePresents)
{
    StartThree();
    saver_.DrawAllUnits();
    EXPECT_EQ(saver_.log, (std::vector<std::string>{"draw 0", "draw 1", "draw 2", "present 0", "present 1",
                                                    "present 2"}));
}

TEST_F(SaverFrames, ALostDeviceEndsTheFrameWithoutPresents)
{
    StartThree();
    ScriptedDevices::status[1] = D3DERR_DEVICELOST;
    saver_.DrawAllUnits();
    EXPECT_EQ(saver_.log, (std::vector<std::string>{"draw 0"}));
}

TEST_F(SaverFrames, ADeviceToResetIsReleasedResetAndRestored)
{
    StartThree();
    ScriptedDevices::status[1] = D3DERR_DEVICENOTRESET;
    saver_.DrawAllUnits();
    EXPECT_EQ(saver_.log, (std::vector<std::string>{"draw 0", "release 1", "reset 1", "restore 1", "draw 1",
                                                    "draw 2", "present 0", "present 1", "present 2"}));
    EXPECT_TRUE(saver_.devices[1].restored);
    EXPECT_FALSE(saver_.errorFlag);
}

TEST_F(SaverFrames, AFailedResetSetsTheErrorWithTheGenericMessage)
{
    StartThree();
    ScriptedDevices::status[0] = D3DERR_DEVICENOTRESET;
    ScriptedDevices::resetResult = D3DERR_INVALIDCALL;
    saver_.DrawAllUnits();
    EXPECT_TRUE(saver_.errorFlag);
    EXPECT_EQ(saver_.errorCode, 0);
    EXPECT_FALSE(saver_.devices[0].restored);
    EXPECT_EQ(saver_.log.at(2), "draw 0");  // drawn even after the failed reset

    saver_.MoveErrorBoxes();  // the first turn of the error state lets every device go
    EXPECT_EQ(saver_.deviceCount, 0u);
    EXPECT_FALSE(saver_.d3d);
    saver_.StopDevices();  // a second stop finds nothing to release
}

TEST_F(SaverFrames, AFailedRestoreHookSetsTheError)
{
    StartThree();
    ScriptedDevices::status[2] = D3DERR_DEVICENOTRESET;
    saver_.failRestore = true;
    saver_.DrawAllUnits();
    EXPECT_TRUE(saver_.errorFlag);
    EXPECT_EQ(saver_.errorCode, 0);
}

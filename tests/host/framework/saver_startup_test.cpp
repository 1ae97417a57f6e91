// Start-up through the Direct3D factory: the codes it leaves in the error state, and the
// preview window it opens.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "FakeDirect3D.h"
#include "host/framework/D3DScreensaver.h"
#include "host/framework/Direct3DSeams.h"
#include "host/framework/SaverErrors.h"
#include "tests/support/ProcessHooks.h"

namespace {

FakeDirect3D* gFake = nullptr;

IDirect3D9* MakeFake(UINT)
{
    if (gFake)
        gFake->AddRef();
    return gFake;
}

class CountingSaver : public CD3DScreensaver {
public:
    int settingsLoads = 0;
    void LoadSettings() override { ++settingsLoads; }
};

class SaverStartup : public testing::Test {
protected:
    void SetUp() override
    {
        fake_.adapters.resize(1);
        fake_.adapters[0].modes = {D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8}};
        gFake = &fake_;
        SetDirect3DFactory(MakeFake);
    }
    void TearDown() override { gFake = nullptr; }

    FakeDirect3D fake_;
    CountingSaver saver_;
    HostHooksGuard hooks_; // the last member: the hooks come back first
};

}  // namespace

TEST_F(SaverStartup, ProbesAndLoadsTheSettings)
{
    // "/r" sets up like every mode but opens no window.
    EXPECT_EQ(saver_.StartWithCommandLine(GetModuleHandleW(nullptr), L"x.scr /r"), S_OK);
    EXPECT_EQ(saver_.mode, SaverRunMode::SetUpOnly);
    EXPECT_FALSE(saver_.errorFlag);
    EXPECT_EQ(saver_.adapterCount, 1u);
    EXPECT_EQ(saver_.settingsLoads, 1);
    EXPECT_EQ(saver_.Execute(), 0);
    EXPECT_EQ(saver_.adapterCount, 0u);
    EXPECT_FALSE(saver_.d3d);
}

TEST_F(SaverStartup, NoDirect3DGivesItsCode)
{
    gFake = nullptr;
    EXPECT_EQ(saver_.StartWithCommandLine(GetModuleHandleW(nullptr), L"x.scr /n"), S_OK);
    EXPECT_TRUE(saver_.errorFlag);
    EXPECT_EQ(saver_.errorCode, kErrNoDirect3D);
    EXPECT_EQ(saver_.settingsLoads, 0);
}

TEST_F(SaverStartup, NoUsableModeGivesTheNoDeviceCode)
{
    fake_.adapters[0].modes = {D3DDISPLAYMODE{600, 400, 60, D3DFMT_X8R8G8B8}};
    saver_.StartWithCommandLine(GetModuleHandleW(nullptr), L"x.scr /r");
    EXPECT_TRUE(saver_.errorFlag);
    EXPECT_EQ(saver_.errorCode, kErrNoCompatibleDevice);
    EXPECT_EQ(saver_.settingsLoads, 0);
}

TEST_F(SaverStartup, ASoftwareOnlyAdapterIsEnough)
{
    fake_.adapters[0].hal = false;
    fake_.adapters[0].sw = true;
    saver_.StartWithCommandLine(GetModuleHandleW(nullptr), L"x.scr /r");
    EXPECT_FALSE(saver_.errorFlag);
    EXPECT_TRUE(saver_.adapters[0]->compatibleSw);
    EXPECT_EQ(saver_.adapters[0]->kinds[0].type, D3DDEVTYPE_SW);
}

TEST_F(SaverStartup, ConfigureKeepsItsOwnerOnlyWhenTheHandleIsAWindow)
{
    HWND owner = CreateWindowW(L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    const std::wstring withOwner = L"x.scr /c:" + std::to_wstring(reinterpret_cast<uintptr_t>(owner));
    saver_.StartWithCommandLine(GetModuleHandleW(nullptr), withOwner.c_str());
    EXPECT_EQ(saver_.parentWindow, owner);
    DestroyWindow(owner);

    CountingSaver stale;
    stale.StartWithCommandLine(GetModuleHandleW(nullptr), withOwner.c_str()); // that window is gone
    EXPECT_EQ(stale.mode, SaverRunMode::Configure);
    EXPECT_EQ(stale.parentWindow, nullptr);
}

namespace {

// The creation parameter of every window made on this thread while the hook is in place.
std::map<HWND, void*> gCreationParameters;

LRESULT CALLBACK RecordCreationParameter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        gCreationParameters[reinterpret_cast<HWND>(wParam)] =
            reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpCreateParams;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// The preview window is a child of the control panel's window and is made with the program
// instance as its creation parameter.
TEST_F(SaverStartup, PreviewWindowIsMadeWithTheInstanceAsItsCreationParameter)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND panel = CreateWindowW(L"STATIC", L"control panel", WS_POPUP, 0, 0, 152, 112, nullptr, nullptr,
                               instance, nullptr);
    ASSERT_NE(panel, nullptr);
    HHOOK hook = SetWindowsHookExW(WH_CBT, RecordCreationParameter, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const std::wstring preview = L"x.scr /p " + std::to_wstring(reinterpret_cast<uintptr_t>(panel));
    saver_.StartWithCommandLine(instance, preview.c_str());
    UnhookWindowsHookEx(hook);

    ASSERT_EQ(saver_.mode, SaverRunMode::Preview);
    ASSERT_NE(saver_.mainWindow, nullptr);
    EXPECT_EQ(GetParent(saver_.mainWindow), panel);
    ASSERT_EQ(gCreationParameters.count(saver_.mainWindow), 1u);
    EXPECT_EQ(gCreationParameters[saver_.mainWindow], static_cast<void*>(instance));
    DestroyWindow(panel); // and with it the preview window
}

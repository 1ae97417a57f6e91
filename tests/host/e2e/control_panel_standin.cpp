// A stand-in for the Screen Saver Settings of the Windows control panel, as far as it deals with
// a screensaver: its window holds a small "monitor" control, into which it starts the saver's
// live preview with "/p <handle of the control>", and its Settings button starts "/c:<handle of
// its window>". The program checks what a user would see and exits with the number of failed
// checks (0: all passed), printing each failure.
//
//   control_panel_standin.exe [path of the .scr]   (default: lanternwork.scr beside this program)
//
// The preview control is a child window, as in the control panel, 152 x 112 pixels. Under Wine
// nothing drawn into a child window of another process can be read back (neither Direct3D's
// frames nor GDI's painting reach X screenshots or device contexts, and the process's CPU times
// stay near zero), so what the preview draws is checked in-process instead, by
// ShowOnDevices.PreviewDrawsTheShowIntoAControlPanelSizedWindow (tests/host/soak).
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/SaverDriver.h"

namespace {

constexpr wchar_t kSaverClass[] = L"D3DSaverWndClass";
constexpr int kPreviewWidth = 152, kPreviewHeight = 112;
constexpr COLORREF kControlColour = RGB(255, 0, 255);  // the monitor control's own colour

int failures = 0;

void Check(bool condition, const char* what)
{
    if (!condition) {
        ++failures;
        std::printf("FAILED: %s\n", what);
    } else {
        std::printf("ok: %s\n", what);
    }
    std::fflush(stdout);
}

// Pumps until `done` holds or the time is up.
template <class Condition>
bool PumpUntil(Condition done, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        Pump(50);
    }
    return true;
}

// Registers a window class of plain windows with this background.
void RegisterPlainClass(const wchar_t* name, HBRUSH background)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

HWND MakeSettingsWindow()
{
    RegisterPlainClass(L"LwScreenSaverSettings", GetSysColorBrush(COLOR_BTNFACE));
    return CreateWindowW(L"LwScreenSaverSettings", L"Screen Saver Settings",
                         WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 80, 60, 420, 320, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

HWND MakeMonitorControl(HWND settings)
{
    RegisterPlainClass(L"LwPreviewMonitor", CreateSolidBrush(kControlColour));
    return CreateWindowW(L"LwPreviewMonitor", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 134, 30,
                         kPreviewWidth, kPreviewHeight, settings, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The live preview in a new monitor control.
void CheckPreview(const std::wstring& program, HWND settings)
{
    HWND monitor = MakeMonitorControl(settings);
    Check(monitor != nullptr, "the monitor control was made");
    if (!monitor)
        return;
    Pump(200);

    SaverProcess saver;
    Check(saver.Start(L"/p " + std::to_wstring(reinterpret_cast<INT_PTR>(monitor)), program), "the preview started");

    HWND child = nullptr;
    PumpUntil([&] { return (child = FindWindowExW(monitor, nullptr, kSaverClass, nullptr)) != nullptr; }, 15000);
    Check(child != nullptr, "the saver opened its preview window in the monitor control");
    if (!child) {
        DestroyWindow(monitor);
        return;
    }

    RECT childClient, childOnScreen = ClientOnScreen(child), monitorOnScreen = ClientOnScreen(monitor);
    GetClientRect(child, &childClient);
    Check(childClient.right == kPreviewWidth && childClient.bottom == kPreviewHeight,
          "the preview's client area is the control's size");
    Check(EqualRect(&childOnScreen, &monitorOnScreen) != 0, "the preview covers the control exactly");
    Check((GetWindowLongW(child, GWL_STYLE) & WS_CHILD) && PumpUntil([&] { return IsWindowVisible(child) != 0; }, 3000),
          "the preview is a visible child window");

    Pump(3000);
    Check(saver.Running(), "the preview keeps running while its control exists");

    // Choosing another screensaver destroys the control; the preview ends with it.
    DestroyWindow(monitor);
    DWORD code = 1;
    const bool ended = PumpUntil([&] { return saver.WaitForExit(0, &code); }, 5000);
    Check(ended, "the preview ended within 5 s of its control");
    Check(ended && code == 0, "the preview ended with exit code 0");
}

// The Settings button: "/c:<handle>" makes the settings window the owner of the dialog, which is
// modal to it.
void CheckConfigure(const std::wstring& program, HWND settings)
{
    SaverProcess saver;
    Check(saver.Start(L"/c:" + std::to_wstring(reinterpret_cast<INT_PTR>(settings)), program),
          "the configuration started");
    HWND dialog = nullptr;
    PumpUntil([&] {
        for (HWND window : saver.Windows(L"#32770"))
            if (IsWindowVisible(window))
                dialog = window;
        return dialog != nullptr;
    }, 15000);
    Check(dialog != nullptr, "the configuration dialog appeared");
    if (!dialog)
        return;
    Check(GetWindow(dialog, GW_OWNER) == settings, "the dialog is owned by the settings window");
    Check(PumpUntil([&] { return !IsWindowEnabled(settings); }, 3000),
          "the settings window is disabled while the dialog is open");
    PostButtonClick(dialog, IDCANCEL);
    DWORD code = 1;
    Check(PumpUntil([&] { return saver.WaitForExit(0, &code); }, 10000), "Cancel ended the configuration");
    Check(code == 0, "the configuration ended with exit code 0");
    Check(PumpUntil([&] { return IsWindowEnabled(settings) != 0; }, 3000),
          "the settings window is enabled again after the dialog");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring program = argc > 1 ? argv[1] : BesideThisProgram(L"lanternwork.scr");
    HWND settings = MakeSettingsWindow();
    Check(settings != nullptr, "the settings window was made");
    if (!settings)
        return failures;
    Pump(300);
    CheckPreview(program, settings);
    CheckConfigure(program, settings);
    DestroyWindow(settings);
    std::printf("%d failed\n", failures);
    return failures;
}

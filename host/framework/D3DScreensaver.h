// CD3DScreensaver: the framework that turns the program into a Windows screensaver.
//
// It reads the run mode from the command line, lists the monitors, opens the saver windows,
// creates Direct3D and probes the adapters, runs the single-threaded message loop that draws a
// frame on every device whenever no message waits, ends the saver on user input, changes the
// screensaver password and keeps the error state. It knows nothing of scenes: the application
// class overrides the virtual hooks. There is one instance per run; the window procedure
// reaches it through CD3DScreensaver::Instance.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <memory>

#include "document/ComRef.h"
#include "host/framework/SaverRecords.h"
#include "host/framework/SaverRules.h"

// Sound start and event hand-off, filled in by the sound player; unset means no sound.
struct SaverSoundHooks {
    HRESULT (*init)(HWND notifyWindow) = nullptr;
    int (*getEvent)() = nullptr;
};
void SetSaverSoundHooks(const SaverSoundHooks& hooks);

// The seconds clock of the message loop: the performance counter, or timeGetTime without one.
class SaverClock {
public:
    void Start();
    double Seconds() const;   // since Start
    double Absolute() const;  // since an arbitrary fixed point

private:
    double start_ = 0;
};

class CD3DScreensaver {
public:
    CD3DScreensaver();
    ~CD3DScreensaver();
    CD3DScreensaver(const CD3DScreensaver&) = delete;
    CD3DScreensaver& operator=(const CD3DScreensaver&) = delete;

    static CD3DScreensaver* Instance;

    // --- The 23 hooks, in slot order ------------------------------------------------------------
    virtual HRESULT Startup(HINSTANCE instance);
    virtual int Execute();
    virtual void ShowConfiguration() {}
    virtual void LoadSettings() {}
    virtual void PaintMessageBox(HWND window, HDC dc);
    virtual LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual INT_PTR HandleExtraDialogMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }
    virtual void BuildDeviceDescriptions();
    virtual void RefreshFrameRateTexts();
    virtual BOOL LookUpErrorText(HRESULT code, wchar_t* buffer, int size);
    virtual void OnUnitSelected(int /*unit*/) {}
    virtual HRESULT PrepareSoftwareDevice() { return S_OK; }
    virtual HRESULT AcceptDeviceCaps(const D3DCAPS9*, DWORD /*behaviourFlags*/, D3DFORMAT) { return S_OK; }
    virtual HRESULT AcceptCreatedDevice(IDirect3DDevice9*) { return S_OK; }
    virtual HRESULT InitSceneOnce() { return S_OK; }
    virtual HRESULT CreateUnitResources() { return S_OK; }
    virtual HRESULT RestoreUnitResources() { return S_OK; }
    virtual HRESULT AdvanceFrame() { return S_OK; }
    virtual HRESULT DrawUnit() { return S_OK; }
    virtual HRESULT ReleaseUnitResources() { return S_OK; }
    virtual HRESULT DestroyUnitResources() { return S_OK; }
    virtual HRESULT ShutdownScene() { return S_OK; }
    virtual void OnMediaNotify(int /*eventCode*/) {}

    // --- Framework (command line, windows, loop, input) -----------------------------------------
    // The start-up sequence for a given command line (Startup passes the process's own).
    HRESULT StartWithCommandLine(HINSTANCE instance, const wchar_t* commandLine);
    HRESULT OpenSaverWindows();
    HRESULT RunMessageLoop();
    void DrawAllUnits();
    void HandleUserActivity();
    void CloseSaver();
    void RunPasswordChange();

    // --- Adapters, modes and devices -------------------------------------------------------------
    void ListMonitors();
    HRESULT ProbeAdapters();
    bool ChooseDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, D3DFORMAT* depthFormat);
    struct WindowedFormat {
        D3DFORMAT adapterFormat;
        D3DFORMAT backBufferFormat;
        DWORD behaviourFlags;
        D3DFORMAT depthFormat;
    };
    HRESULT ProbeWindowedFormat(UINT adapter, WindowedFormat& format);
    HRESULT StartDevices();
    bool ChooseBestAdapter(int* adapter);
    HRESULT OpenFullscreenDevice(MonitorDevice& device);
    HRESULT OpenWindowedDevice(MonitorDevice& device);
    void MakeUnitCurrent(int unit);
    // Releases one unit's scene resources and its device; the unit stays in the table.
    void ReleaseUnitDevice(UINT unit);
    void StopDevices();
    void LoadMonitorSettings(HKEY settingsKey);
    void StoreMonitorSettings(HKEY settingsKey);
    // Writes the mode a full-screen device stepped down to as the monitor's stored mode.
    void StoreSteppedDownMode(const MonitorDevice& unit, const DisplayModeEntry& mode);

    // --- Display-settings dialogs -----------------------------------------------------------------
    // Opens dialog 200 (fewer than two adapters) or 201 (a tab per monitor) over `owner` and
    // returns how it ended (IDOK or IDCANCEL). The edits go straight into the adapter records and
    // the all-screens-same flag; Cancel puts back what they held when the dialog opened.
    INT_PTR ShowDisplayOptions(HWND owner);
    void HandleDisplayOptionsMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Shows the page of the monitor whose tab has the focus (monitor 0 in dialog 200).
    void FillMonitorTab(HWND dialog);

    // --- Error state -----------------------------------------------------------------------------
    void SetError(HRESULT code);
    HRESULT ReportError(HRESULT code);
    void MoveErrorBoxes();

    // --- State -----------------------------------------------------------------------------------
    SaverRunMode mode = SaverRunMode::Configure;
    int32_t allScreensSame = 0;
    HWND mainWindow = nullptr;
    HWND parentWindow = nullptr;
    HINSTANCE instance = nullptr;
    int32_t waitingForIdle = 0;
    uint32_t mouseMoves = 0;
    int32_t isWindows9x = 0;
    HMODULE passwordModule = nullptr;
    BOOL(WINAPI* passwordCheck)(HWND) = nullptr;
    int32_t checkingPassword = 0;
    int32_t sceneShutDown = 0;  // ShutdownScene has run (it runs once, whatever closes the saver)
    int32_t windowed = 0;
    int32_t errorFlag = 0;
    HRESULT errorCode = 0;
    wchar_t errorText[400] = {};

    SaverMonitor monitors[kMaxMonitors];
    UINT monitorCount = 0;
    MonitorDevice devices[kMaxDevices];
    UINT deviceCount = 0;
    std::unique_ptr<SaverAdapter> adapters[kMaxAdapters];
    UINT adapterCount = 0;
    ComRef<IDirect3D9> d3d;
    IDirect3DDevice9* currentDevice = nullptr;  // the device of the unit made current (not owned)

    RECT totalRectangle = {};
    RECT currentRectangle = {};
    D3DSURFACE_DESC backBufferDesc = {};
    wchar_t windowTitle[200] = L"Screen Saver";
    int32_t useDepthBuffer = 0;
    wchar_t settingsKeyPath[200] = {};
    UINT minDepthBits = 16;
    UINT minStencilBits = 0;
    float appTime = 0;
    float frameRate = 0;
    wchar_t currentDeviceText[90] = {};
    wchar_t currentFrameRateText[40] = {};

protected:
    bool AdapterHasCompatibleDevice() const;
    void WaitForPreviewIdle();
    RECT ErrorBoundsFor(const SaverMonitor& monitor) const;

    SaverClock clock_;
    DWORD lastErrorTurn_ = 0;
    bool errorTurnStarted_ = false;
    double lastFrameRateTime_ = 0;
    uint32_t framesSinceRefresh_ = 0;
};

// The window procedure of every saver window; an exception inside returns 1.
LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A dialog procedure forwarding to CD3DScreensaver::HandleExtraDialogMessage.
INT_PTR CALLBACK ExtraDialogThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure of dialogs 200 and 201, forwarding to CD3DScreensaver::HandleDisplayOptionsMessage.
INT_PTR CALLBACK DisplayOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

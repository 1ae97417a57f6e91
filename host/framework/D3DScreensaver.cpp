// The framework's run: start-up, the run modes, the saver windows, the message loop with its
// frame, the window procedure, the ways the saver ends and the password change.
#include "host/framework/D3DScreensaver.h"

#include <mmsystem.h>

#include "host/framework/Direct3DSeams.h"
#include "host/framework/SaverErrors.h"

CD3DScreensaver* CD3DScreensaver::Instance = nullptr;

namespace {

SaverSoundHooks gSound;

// The last mouse position the saver windows saw; one for the whole process.
MousePosition gLastMouse;

constexpr UINT kMediaNotifyMessage = 0x8000;
constexpr UINT_PTR kPreviewIdleTimer = 1;
constexpr wchar_t kWindowClass[] = L"D3DSaverWndClass";

bool QueryCounterFrequency(LARGE_INTEGER* frequency)
{
    static LARGE_INTEGER cached = {};
    static const bool has = QueryPerformanceFrequency(&cached) != 0 && cached.QuadPart != 0;
    *frequency = cached;
    return has;
}

}  // namespace

void SetSaverSoundHooks(const SaverSoundHooks& hooks) { gSound = hooks; }

// --- Clock ---------------------------------------------------------------------------------------

double SaverClock::Absolute() const
{
    LARGE_INTEGER frequency;
    if (QueryCounterFrequency(&frequency)) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    return static_cast<double>(static_cast<DWORD>(timeGetTime())) * 0.001;
}

void SaverClock::Start() { start_ = Absolute(); }

double SaverClock::Seconds() const { return Absolute() - start_; }

// --- Start-up and run ----------------------------------------------------------------------------

CD3DScreensaver::CD3DScreensaver() { Instance = this; }

CD3DScreensaver::~CD3DScreensaver()
{
    if (Instance == this)
        Instance = nullptr;
}

void CD3DScreensaver::SetError(HRESULT code)
{
    errorFlag = 1;
    errorCode = code;
}

HRESULT CD3DScreensaver::Startup(HINSTANCE module)
{
    return StartWithCommandLine(module, GetCommandLineW());
}

// Every failure goes into the error state; start-up itself always succeeds.
HRESULT CD3DScreensaver::StartWithCommandLine(HINSTANCE module, const wchar_t* commandLine)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);

    instance = module;
    const SaverSwitch parsed = ParseSaverSwitch(commandLine);
    mode = parsed.mode;
    parentWindow = parsed.parent;
    // A stale or wrong handle from the caller must not make the settings unreachable: the dialog
    // then opens without an owner.
    if (mode == SaverRunMode::Configure && parentWindow && !IsWindow(parentWindow))
        parentWindow = nullptr;
    ListMonitors();

    if (mode == SaverRunMode::Preview || mode == SaverRunMode::FullScreen || mode == SaverRunMode::Test) {
        const HRESULT hr = OpenSaverWindows();
        if (FAILED(hr))
            SetError(hr);
    }
    if (mode == SaverRunMode::Preview && mainWindow)
        WaitForPreviewIdle();

    d3d = ComRef<IDirect3D9>::Adopt(CreateDirect3D(D3D_SDK_VERSION));
    if (!d3d) {
        SetError(kErrNoDirect3D);
        return S_OK;
    }
    HRESULT hr = PrepareSoftwareDevice();
    if (FAILED(hr)) {
        SetError(hr);
        return S_OK;
    }
    hr = ProbeAdapters();
    if (FAILED(hr)) {
        SetError(hr);
        return S_OK;
    }
    if (!AdapterHasCompatibleDevice()) {
        SetError(kErrNoCompatibleDevice);
        return S_OK;
    }
    LoadSettings();

    if ((mode == SaverRunMode::FullScreen || mode == SaverRunMode::Test) && gSound.init)
        gSound.init(mainWindow);
    return S_OK;
}

bool CD3DScreensaver::AdapterHasCompatibleDevice() const
{
    for (UINT a = 0; a < adapterCount; ++a) {
        if (adapters[a] && (adapters[a]->compatibleHal || adapters[a]->compatibleSw))
            return true;
    }
    return false;
}

// The preview waits 500 ms before its device starts, handling its messages meanwhile.
void CD3DScreensaver::WaitForPreviewIdle()
{
    waitingForIdle = 1;
    PostMessageW(mainWindow, WM_USER, 0, 0);
    MSG msg;
    while (waitingForIdle) {
        // No window filter: the window may be gone, and a failed call (-1) must end the wait too.
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            PostQuitMessage(0);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int CD3DScreensaver::Execute()
{
    switch (mode) {
    case SaverRunMode::Configure:
        if (errorFlag)
            ReportError(errorCode);
        else
            ShowConfiguration();
        break;
    case SaverRunMode::Preview:
    case SaverRunMode::FullScreen:
    case SaverRunMode::Test:
        // Without a window nothing could show the saver or end it: return instead of idling.
        if (mainWindow) {
            const HRESULT hr = RunMessageLoop();
            if (FAILED(hr))
                ReportError(hr);
        }
        break;
    case SaverRunMode::Password:
        RunPasswordChange();
        break;
    case SaverRunMode::SetUpOnly:
    case SaverRunMode::EndAtOnce:
        break;
    }

    for (auto& adapter : adapters)
        adapter.reset();
    adapterCount = 0;
    d3d.Reset();
    return 0;
}

// --- Windows -------------------------------------------------------------------------------------

HRESULT CD3DScreensaver::OpenSaverWindows()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);

    if (mode == SaverRunMode::Preview) {
        RECT rc = {};
        GetClientRect(parentWindow, &rc);
        AdjustWindowRect(&rc, WS_CHILD | WS_VISIBLE, FALSE);
        // The program instance goes along as the creation parameter; the window procedure
        // does not read it.
        mainWindow = CreateWindowW(kWindowClass, windowTitle, WS_CHILD | WS_VISIBLE, rc.left, rc.top,
                                   rc.right - rc.left, rc.bottom - rc.top, parentWindow, nullptr,
                                   instance, instance);
        if (mainWindow) {
            monitors[0].window = mainWindow;
            GetClientRect(mainWindow, &totalRectangle);
            currentRectangle = totalRectangle;
        }
    } else if (mode == SaverRunMode::FullScreen) {
        for (UINT i = 0; i < monitorCount; ++i) {
            SaverMonitor& m = monitors[i];
            if (!m.monitor)
                continue;
            m.window = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, windowTitle, WS_POPUP | WS_VISIBLE,
                                       m.rectangle.left, m.rectangle.top,
                                       m.rectangle.right - m.rectangle.left,
                                       m.rectangle.bottom - m.rectangle.top, mainWindow, nullptr,
                                       instance, nullptr);
            if (!m.window)
                return E_FAIL;
            if (!mainWindow)
                mainWindow = m.window;
        }
    } else if (mode == SaverRunMode::Test) {
        const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        RECT rc = {50, 50, 650, 450};
        AdjustWindowRect(&rc, style, FALSE);
        mainWindow = CreateWindowW(kWindowClass, windowTitle, style, rc.left, rc.top, rc.right - rc.left,
                                   rc.bottom - rc.top, nullptr, nullptr, instance, nullptr);
        if (mainWindow) {
            monitors[0].window = mainWindow;
            GetClientRect(mainWindow, &totalRectangle);
            currentRectangle = totalRectangle;
        }
    }
    return mainWindow ? S_OK : E_FAIL;
}

// --- Message loop and frame ----------------------------------------------------------------------

HRESULT CD3DScreensaver::RunMessageLoop()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    isWindows9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

    if (mode == SaverRunMode::FullScreen && isWindows9x) {
        HKEY desktop = nullptr;
        if (RegOpenKeyW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", &desktop) == ERROR_SUCCESS) {
            DWORD usePassword = 0, size = sizeof usePassword;
            if (RegQueryValueExW(desktop, L"ScreenSaveUsePassword", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&usePassword), &size) == ERROR_SUCCESS &&
                usePassword != 0) {
                passwordModule = LoadLibraryW(L"PASSWORD.CPL");
                if (passwordModule)
                    passwordCheck = reinterpret_cast<BOOL(WINAPI*)(HWND)>(
                        reinterpret_cast<void*>(GetProcAddress(passwordModule, "VerifyScreenSavePwd")));
            }
            RegCloseKey(desktop);
        }
    }

    clock_.Start();
    if (!errorFlag) {
        const HRESULT hr = InitSceneOnce();
        if (FAILED(hr)) {
            ReportError(hr);
            return hr;
        }
        StartDevices();
    }
    if (mode == SaverRunMode::FullScreen)
        SystemParametersInfoW(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0);

    MSG msg = {};
    while (msg.message != WM_QUIT) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            Sleep(30);
            if (errorFlag)
                MoveErrorBoxes();
            else
                DrawAllUnits();
        }
    }
    return S_OK;
}

void CD3DScreensaver::DrawAllUnits()
{
    appTime = static_cast<float>(clock_.Seconds());
    AdvanceFrame();
    RefreshFrameRateTexts();

    const DeviceCalls& calls = CurrentDeviceCalls();
    for (UINT i = 0; i < deviceCount; ++i) {
        MakeUnitCurrent(static_cast<int>(i));
        MonitorDevice& unit = devices[i];
        if (!unit.device)
            continue;
        const HRESULT status = calls.testCooperativeLevel(unit.device.Get());
        if (status == D3DERR_DEVICELOST)
            return;  // nobody presents in this frame
        if (status == D3DERR_DEVICENOTRESET) {
            if (windowed && unit.adapterIndex < adapterCount && adapters[unit.adapterIndex])
                d3d->GetAdapterDisplayMode(unit.adapterIndex, &adapters[unit.adapterIndex]->desktopMode);
            if (unit.restored) {
                ReleaseUnitResources();
                unit.restored = 0;
            }
            // A failed reset or restore keeps the error code (0 here), so the generic text shows.
            if (FAILED(calls.reset(unit.device.Get(), &unit.presentParameters)))
                errorFlag = 1;
            else if (FAILED(RestoreUnitResources()))
                errorFlag = 1;
            else
                unit.restored = 1;
        }
        DrawUnit();
    }

    for (UINT i = 0; i < deviceCount; ++i) {
        MakeUnitCurrent(static_cast<int>(i));
        if (devices[i].device)
            calls.present(devices[i].device.Get());
    }
}

// --- Window procedure ----------------------------------------------------------------------------

LRESULT CD3DScreensaver::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool fullScreen = mode == SaverRunMode::FullScreen;
    const bool test = mode == SaverRunMode::Test;
    switch (message) {
    case WM_DESTROY:
        if (mode == SaverRunMode::Preview || test)
            CloseSaver();
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (mode == SaverRunMode::Preview && !errorFlag) {
            RECT rc;
            GetClientRect(window, &rc);
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        } else {
            PaintMessageBox(window, dc);
        }
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        if (!checkingPassword) {
            for (UINT i = 0; i < deviceCount; ++i) {
                const UINT a = devices[i].adapterIndex;
                if (a < adapterCount && adapters[a] && adapters[a]->deviceWindow == window)
                    return 1;
            }
        }
        break;
    case WM_ACTIVATEAPP:
        if (wParam == FALSE && !test)
            HandleUserActivity();
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!test)
            HandleUserActivity();
        break;
    case WM_SETCURSOR:
        if (fullScreen && !checkingPassword) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_SYSCOMMAND:
        if (fullScreen && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_CLOSE ||
                           wParam == SC_SCREENSAVE))
            return 0;
        break;
    case WM_MOUSEMOVE:
        if (!test) {
            const int x = static_cast<short>(LOWORD(lParam));
            const int y = static_cast<short>(HIWORD(lParam));
            if (CountMouseMove(gLastMouse, mouseMoves, x, y))
                HandleUserActivity();
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND && !passwordCheck)
            HandleUserActivity();
        break;
    case WM_USER:
        SetTimer(window, kPreviewIdleTimer, 500, nullptr);
        break;
    case WM_TIMER:
        waitingForIdle = 0;
        KillTimer(window, kPreviewIdleTimer);
        break;
    case kMediaNotifyMessage:
        OnMediaNotify(gSound.getEvent ? gSound.getEvent() : -1);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (CD3DScreensaver::Instance)
            return CD3DScreensaver::Instance->HandleWindowMessage(window, message, wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    } catch (...) {
        return 1;
    }
}

INT_PTR CALLBACK ExtraDialogThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CD3DScreensaver::Instance
               ? CD3DScreensaver::Instance->HandleExtraDialogMessage(window, message, wParam, lParam)
               : 0;
}

// --- Ending --------------------------------------------------------------------------------------

void CD3DScreensaver::HandleUserActivity()
{
    const bool fullScreen = mode == SaverRunMode::FullScreen;
    if (!(mode == SaverRunMode::Test || (fullScreen && !checkingPassword)))
        return;

    if (isWindows9x && passwordCheck) {
        for (UINT i = 0; i < deviceCount; ++i)
            ReleaseUnitDevice(i);
        for (UINT a = 0; a < adapterCount; ++a) {
            if (adapters[a]) {
                ShowWindow(adapters[a]->deviceWindow, SW_RESTORE);
                ShowWindow(adapters[a]->deviceWindow, SW_SHOWMAXIMIZED);
            }
        }
        checkingPassword = 1;
        const BOOL accepted = passwordCheck(mainWindow);
        checkingPassword = 0;

        if (!accepted) {
            SetCursor(nullptr);
            mouseMoves = 0;
            for (UINT i = 0; i < deviceCount; ++i) {
                MonitorDevice& unit = devices[i];
                if (!d3d || FAILED(d3d->CreateDevice(unit.adapterIndex, unit.deviceType, mainWindow,
                                                     unit.behaviourFlags, &unit.presentParameters,
                                                     unit.device.Out()))) {
                    SetError(kErrCreateDeviceFailed);
                    continue;
                }
                MakeUnitCurrent(static_cast<int>(i));
                if (FAILED(CreateUnitResources())) {
                    SetError(kErrSceneHookFailed);
                    continue;
                }
                unit.created = 1;
                if (FAILED(RestoreUnitResources()))
                    SetError(kErrSceneHookFailed);
                else
                    unit.restored = 1;
            }
            return;
        }
        deviceCount = 0;
    }
    CloseSaver();
}

void CD3DScreensaver::CloseSaver()
{
    if (mode == SaverRunMode::FullScreen)
        SystemParametersInfoW(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
    StopDevices();
    // Input queued behind the quit message can close the saver a second time: the scene is shut
    // down once, and what it released is not released again.
    if (!sceneShutDown) {
        sceneShutDown = 1;
        ShutdownScene();
    }
    if (passwordModule) {
        FreeLibrary(passwordModule);
        passwordModule = nullptr;
        passwordCheck = nullptr;
    }
    PostQuitMessage(0);
}

void CD3DScreensaver::RunPasswordChange()
{
    HMODULE mpr = LoadLibraryW(L"MPR.DLL");
    if (!mpr)
        return;
    using ChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, UINT, UINT);
    auto change = reinterpret_cast<ChangePassword>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change)
        change("SCRSAVE", parentWindow, 0, 0);
    FreeLibrary(mpr);
}

// Benchmark (not a test): memory over a long full-screen run. Starts the built screensaver in
// "/s" on its default show and, beside it, a bare Direct3D 9 loop of this program's own that only
// clears and presents, then prints both processes' private bytes once a minute. The screensaver
// should grow no faster than the bare loop, whose growth is the platform's.
//
//     wine build/bin/bench_soak.exe [minutes, default 20]
//
// Run it on a test bed screen (scripts/testbed.sh) with nothing else drawing; it ends both
// processes when it is done.
#include <windows.h>
#include <psapi.h>

#include <d3d9.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "document/ComRef.h"

namespace {

// The bare loop: one windowed device the size of the screen, cleared and presented at the
// display's rate, with the same idle-priority message loop the screensaver runs.
int RunBareLoop()
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LanternworkBareLoop";
    RegisterClassW(&wc);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowW(wc.lpszClassName, L"bare loop", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ComRef<IDirect3D9> d3d = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    if (!window || !d3d)
        return 1;
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferFormat = D3DFMT_UNKNOWN;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    ComRef<IDirect3DDevice9> device;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &pp, device.Out())))
        return 1;
    for (;;) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return 0;
            DispatchMessageW(&msg);
            continue;
        }
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 40), 1.0f, 0);
        if (SUCCEEDED(device->BeginScene()))
            device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        Sleep(0);
    }
}

PROCESS_INFORMATION Start(const std::wstring& commandLine)
{
    std::wstring writable = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        std::fwprintf(stderr, L"could not start: %ls\n", commandLine.c_str());
    return process;
}

double PrivateMegabytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!process ||
        !GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return -1.0;
    // Wine 8 leaves PrivateUsage at 0; its PagefileUsage counts the same committed private bytes.
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return double(bytes) / (1024.0 * 1024.0);
}

std::wstring ThisFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

void End(PROCESS_INFORMATION& process)
{
    if (!process.hProcess)
        return;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wcscmp(argv[1], L"--bare") == 0)
        return RunBareLoop();
    const int minutes = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;

    const std::wstring folder = ThisFolder();
    PROCESS_INFORMATION saver = Start(L"\"" + folder + L"lanternwork.scr\" /s");
    PROCESS_INFORMATION bare = Start(L"\"" + folder + L"bench_soak.exe\" --bare");
    if (!saver.hProcess || !bare.hProcess) {
        End(saver);
        End(bare);
        return 1;
    }
    Sleep(10000); // both are past their start-up
    const double saverStart = PrivateMegabytes(saver.hProcess), bareStart = PrivateMegabytes(bare.hProcess);
    std::printf("minute  screensaver MB  (growth)   bare loop MB  (growth)\n");
    // The first slides fill the caches; the second half of the run shows the steady growth.
    const int half = minutes / 2;
    double saverHalf = saverStart, bareHalf = bareStart;
    for (int minute = 0; minute <= minutes; ++minute) {
        if (minute > 0)
            Sleep(60000);
        const double s = PrivateMegabytes(saver.hProcess), b = PrivateMegabytes(bare.hProcess);
        if (minute == half) {
            saverHalf = s;
            bareHalf = b;
        }
        std::printf("%6d  %14.2f  (%+7.2f)  %13.2f  (%+7.2f)\n", minute, s, s - saverStart, b, b - bareStart);
        std::fflush(stdout);
        if (s < 0 || b < 0)
            break; // one of them ended
    }
    const double saverGrowth = (PrivateMegabytes(saver.hProcess) - saverStart) * 1024.0 / (minutes * 60.0);
    const double bareGrowth = (PrivateMegabytes(bare.hProcess) - bareStart) * 1024.0 / (minutes * 60.0);
    std::printf("growth per second: screensaver %.2f KB, bare loop %.2f KB\n", saverGrowth, bareGrowth);
    const double steadySeconds = (minutes - half) * 60.0;
    std::printf("second half, per second: screensaver %.2f KB, bare loop %.2f KB\n",
                (PrivateMegabytes(saver.hProcess) - saverHalf) * 1024.0 / steadySeconds,
                (PrivateMegabytes(bare.hProcess) - bareHalf) * 1024.0 / steadySeconds);
    End(saver);
    End(bare);
    return 0;
}

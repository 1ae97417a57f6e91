// Benchmark (not a test): memory over a long full-screen run. Starts the built screensaver in
// "/s" on its default show and, beside it, two bare Direct3D 9 loops of this program's own: one
// that only clears and presents, and one that also makes a new 1024 x 768 picture texture every
// 20 seconds and draws it, as a slide show does. It prints the three processes' private bytes
// once a minute. The screensaver should grow no faster than the bare loops, whose growth is the
// platform's.
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
#include "tests/bench/BenchClock.h"
#include "tests/support/SaverDriver.h"

namespace {

constexpr DWORD kSlideMilliseconds = 20000;
constexpr UINT kPictureWidth = 1024, kPictureHeight = 768;

// A new picture texture for the next "slide", filled with a colour of its own.
ComRef<IDirect3DTexture9> MakePicture(IDirect3DDevice9* device, int slide)
{
    ComRef<IDirect3DTexture9> texture;
    if (FAILED(device->CreateTexture(kPictureWidth, kPictureHeight, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                     texture.Out(), nullptr)))
        return {};
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        const DWORD colour = D3DCOLOR_XRGB(40 * (slide % 6), 255 - 30 * (slide % 8), 128);
        for (UINT y = 0; y < kPictureHeight; ++y) {
            DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            std::fill(row, row + kPictureWidth, colour ^ (y << 1));
        }
        texture->UnlockRect(0);
    }
    return texture;
}

// The bare loop: one windowed device the size of the screen, cleared and presented at the
// display's rate, with the same idle-priority message loop the screensaver runs. With
// `withPictures` it also draws a picture texture that it makes anew every slide's length.
int RunBareLoop(bool withPictures)
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
    ComRef<IDirect3DTexture9> picture;
    int slide = 0;
    DWORD slideStart = GetTickCount() - kSlideMilliseconds;
    for (;;) {
        if (withPictures && GetTickCount() - slideStart >= kSlideMilliseconds) {
            picture = MakePicture(device.Get(), slide++);
            slideStart = GetTickCount();
        }
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return 0;
            DispatchMessageW(&msg);
            continue;
        }
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 40), 1.0f, 0);
        if (picture)
            DrawPictureScene(device.Get(), picture.Get(), float(width), float(height));
        else if (SUCCEEDED(device->BeginScene()))
            device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        Sleep(0);
    }
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

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wcscmp(argv[1], L"--bare") == 0)
        return RunBareLoop(false);
    if (argc > 1 && std::wcscmp(argv[1], L"--bare-pictures") == 0)
        return RunBareLoop(true);
    const int minutes = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;

    // Each one is ended by force when main returns.
    const std::wstring self = BesideThisProgram(L"bench_soak.exe");
    SaverProcess processes[3];
    const bool started =
        processes[0].Start(L"/s") && processes[1].Start(L"--bare", self) && processes[2].Start(L"--bare-pictures", self);
    const char* names[3] = {"screensaver", "bare loop", "bare loop with pictures"};
    if (!started) {
        std::fprintf(stderr, "could not start the screensaver and the two bare loops\n");
        return 1;
    }
    Sleep(10000); // all are past their start-up
    // Private bytes rise and fall with the slide on screen, so each minute reports the highest of
    // twelve samples; the growth compares those peaks, which a round of slides does not move.
    auto peakOfAMinute = [&](double peak[3]) {
        for (int i = 0; i < 3; ++i)
            peak[i] = PrivateMegabytes(processes[i].Handle());
        for (int sample = 0; sample < 12; ++sample) {
            Sleep(5000);
            for (int i = 0; i < 3; ++i)
                peak[i] = std::max(peak[i], PrivateMegabytes(processes[i].Handle()));
        }
    };
    double start[3], half[3], last[3];
    for (int i = 0; i < 3; ++i)
        start[i] = half[i] = last[i] = PrivateMegabytes(processes[i].Handle());
    std::printf("private MB, the peak of each minute (growth since the start): minute, then");
    for (const char* name : names)
        std::printf(" | %s", name);
    std::printf("\n");
    // The first round of slides fills the caches; the second half of the run shows the steady growth.
    const int halfMinute = minutes / 2;
    bool ended = false;
    for (int minute = 1; minute <= minutes && !ended; ++minute) {
        peakOfAMinute(last);
        std::printf("%6d", minute);
        for (int i = 0; i < 3; ++i) {
            if (minute == halfMinute)
                half[i] = last[i];
            std::printf("  %9.2f (%+7.2f)", last[i], last[i] - start[i]);
            ended = ended || last[i] < 0; // one of them ended
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    const double steadySeconds = (minutes - halfMinute) * 60.0;
    for (int i = 0; i < 3; ++i) {
        std::printf("%s, KB per second: whole run %.2f, second half %.2f\n", names[i],
                    (last[i] - start[i]) * 1024.0 / (minutes * 60.0), (last[i] - half[i]) * 1024.0 / steadySeconds);
    }
    return 0;
}

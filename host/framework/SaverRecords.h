// The host's records of monitors, Direct3D adapters, their device kinds and display modes, and
// the devices it opens (one per usable monitor, or one for the preview or test window).
// Every table has a fixed capacity; code that fills one stops at the capacity.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "document/ComRef.h"

constexpr UINT kMaxMonitors = 9;
constexpr UINT kMaxDevices = 9;
constexpr UINT kMaxAdapters = 9;
constexpr UINT kMaxDeviceKinds = 3;
constexpr UINT kMaxModesPerKind = 150;
constexpr UINT kMaxProbeModes = 100;

// Where the error box of one monitor is and how it moves (client pixels, pixels per second).
struct ErrorBox {
    float x = 0, y = 0, width = 0, height = 0, vx = 0, vy = 0;
};

struct SaverMonitor {
    wchar_t adapterName[128] = {};
    wchar_t monitorName[128] = {};
    HMONITOR monitor = nullptr;  // null when the device is not attached to the desktop
    RECT rectangle = {};         // screen rectangle
    int32_t adapterIndex = -1;   // Direct3D adapter ordinal driving this monitor
    HWND window = nullptr;       // the saver window on this monitor
    ErrorBox errorBox;
};

struct DisplayModeEntry {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DWORD behaviourFlags = 0;  // creation flags for CreateDevice
    D3DFORMAT depthFormat = D3DFMT_UNKNOWN;
};

struct AdapterDeviceKind {
    D3DDEVTYPE type = D3DDEVTYPE_HAL;
    D3DCAPS9 caps = {};
    int32_t canWindowed = 0;  // the desktop format passed the probe
    UINT modeCount = 0;
    DisplayModeEntry modes[kMaxModesPerKind] = {};
    UINT currentMode = 0;
};

struct SaverAdapter {
    int32_t monitorIndex = -1;
    D3DADAPTER_IDENTIFIER9 identifier = {};
    D3DDISPLAYMODE desktopMode = {};
    UINT kindCount = 0;
    AdapterDeviceKind kinds[kMaxDeviceKinds];
    int32_t hasHal = 0, compatibleHal = 0, hasSw = 0, compatibleSw = 0;
    UINT preferredWidth = 0, preferredHeight = 0;  // width 0: automatic
    D3DFORMAT preferredFormat = D3DFMT_UNKNOWN;
    int32_t leaveBlack = 0;
    int32_t disableHardware = 0;
    UINT currentKind = 0;
    HWND deviceWindow = nullptr;
};

struct MonitorDevice {
    UINT adapterIndex = 0;
    UINT monitorIndex = 0;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    DWORD behaviourFlags = 0;
    ComRef<IDirect3DDevice9> device;
    D3DPRESENT_PARAMETERS presentParameters = {};  // kept for resets
    int32_t created = 0;   // the create hook succeeded
    int32_t restored = 0;  // the restore hook succeeded
    wchar_t deviceText[90] = {};
    wchar_t frameRateText[40] = {};
};

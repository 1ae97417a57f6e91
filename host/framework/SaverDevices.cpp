// The framework's device side: monitors, the adapter probe, the full-screen and windowed devices
// with display-mode step-down, the current unit, teardown, and the device and frame-rate texts.
// The per-monitor settings these devices follow are read and written in SaverMonitorSettings.cpp.
#include "host/framework/D3DScreensaver.h"

#include <cstdlib>
#include <new>

#include "document/CurrentDevice.h"
#include "host/framework/SaverErrors.h"

// --- Monitors ------------------------------------------------------------------------------------

void CD3DScreensaver::ListMonitors()
{
    monitorCount = 0;
    DISPLAY_DEVICEW adapter = {};
    adapter.cb = sizeof adapter;
    for (DWORD n = 0; monitorCount < kMaxMonitors && EnumDisplayDevicesW(nullptr, n, &adapter, 0);
         ++n, adapter.cb = sizeof adapter) {
        if (adapter.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER)
            continue;
        DISPLAY_DEVICEW screen = {};
        screen.cb = sizeof screen;
        EnumDisplayDevicesW(adapter.DeviceName, 0, &screen, 0);

        SaverMonitor& m = monitors[monitorCount];
        m = SaverMonitor{};
        lstrcpynW(m.adapterName, adapter.DeviceString, 128);
        lstrcpynW(m.monitorName, screen.DeviceString, 128);
        if (adapter.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) {
            DEVMODEW mode = {};
            mode.dmSize = sizeof mode;
            EnumDisplaySettingsW(adapter.DeviceName, ENUM_CURRENT_SETTINGS, &mode);
            if (!(adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE)) {
                m.rectangle.left = mode.dmPosition.x;
                m.rectangle.top = mode.dmPosition.y;
            }
            m.rectangle.right = m.rectangle.left + static_cast<LONG>(mode.dmPelsWidth);
            m.rectangle.bottom = m.rectangle.top + static_cast<LONG>(mode.dmPelsHeight);
            m.monitor = MonitorFromRect(&m.rectangle, MONITOR_DEFAULTTONULL);
        }
        ++monitorCount;
    }
}

// --- Adapter probe -------------------------------------------------------------------------------

HRESULT CD3DScreensaver::ProbeAdapters()
{
    const UINT available = d3d->GetAdapterCount();
    for (UINT a = 0; a < available && a < kMaxAdapters; ++a) {
        if (!adapters[a]) {
            adapters[a].reset(new (std::nothrow) SaverAdapter());
            if (!adapters[a])
                return E_OUTOFMEMORY;
        }
        SaverAdapter& rec = *adapters[a];
        d3d->GetAdapterIdentifier(a, 0, &rec.identifier);
        d3d->GetAdapterDisplayMode(a, &rec.desktopMode);
        rec.kindCount = 0;
        rec.currentKind = 0;
        rec.leaveBlack = 0;
        rec.monitorIndex = -1;

        if (HMONITOR hm = d3d->GetAdapterMonitor(a)) {
            for (UINT m = 0; m < monitorCount; ++m) {
                if (monitors[m].monitor == hm) {
                    monitors[m].adapterIndex = static_cast<int32_t>(a);
                    rec.monitorIndex = static_cast<int32_t>(m);
                    break;
                }
            }
        }

        // The distinct full-screen modes, sorted.
        D3DDISPLAYMODE modes[kMaxProbeModes];
        UINT modeCount = 0;
        const UINT offered = d3d->GetAdapterModeCount(a, D3DFMT_X8R8G8B8);
        for (UINT m = 0; m < offered; ++m) {
            D3DDISPLAYMODE mode = {};
            if (SUCCEEDED(d3d->EnumAdapterModes(a, D3DFMT_X8R8G8B8, m, &mode)))
                modeCount = AddProbeMode(modes, modeCount, kMaxProbeModes, mode);
        }
        qsort(modes, modeCount, sizeof modes[0], OrderDisplayModes);

        // The formats to probe: the desktop's first, then those of the modes.
        D3DFORMAT formats[kMaxProbeModes + 1];
        UINT formatCount = 0;
        formats[formatCount++] = rec.desktopMode.Format;
        for (UINT m = 0; m < modeCount; ++m) {
            bool listed = false;
            for (UINT f = 0; f < formatCount; ++f)
                listed = listed || formats[f] == modes[m].Format;
            if (!listed)
                formats[formatCount++] = modes[m].Format;
        }

        for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_SW}) {
            if (rec.kindCount >= kMaxDeviceKinds)
                break;
            AdapterDeviceKind& kind = rec.kinds[rec.kindCount];
            kind = AdapterDeviceKind{};
            kind.type = type;
            d3d->GetDeviceCaps(a, type, &kind.caps);

            bool confirmed[kMaxProbeModes + 1] = {};
            DWORD flagsFor[kMaxProbeModes + 1] = {};
            D3DFORMAT depthFor[kMaxProbeModes + 1] = {};
            for (UINT f = 0; f < formatCount; ++f) {
                if (FAILED(d3d->CheckDeviceType(a, type, formats[f], formats[f], FALSE)))
                    continue;
                if (type == D3DDEVTYPE_SW)
                    rec.hasSw = 1;
                else
                    rec.hasHal = 1;

                DWORD tries[4];
                const UINT tryCount = BehaviourFlagOrder(kind.caps, tries);
                for (UINT t = 0; t < tryCount && !confirmed[f]; ++t) {
                    if (SUCCEEDED(AcceptDeviceCaps(&kind.caps, tries[t], formats[f]))) {
                        confirmed[f] = true;
                        flagsFor[f] = tries[t];
                    }
                }
                if (confirmed[f] && useDepthBuffer && !ChooseDepthFormat(a, type, formats[f], &depthFor[f]))
                    confirmed[f] = false;
            }

            for (UINT m = 0; m < modeCount && kind.modeCount < kMaxModesPerKind; ++m) {
                for (UINT f = 0; f < formatCount; ++f) {
                    if (confirmed[f] && formats[f] == modes[m].Format) {
                        DisplayModeEntry& e = kind.modes[kind.modeCount++];
                        e.width = modes[m].Width;
                        e.height = modes[m].Height;
                        e.format = modes[m].Format;
                        e.behaviourFlags = flagsFor[f];
                        e.depthFormat = depthFor[f];
                        break;
                    }
                }
            }
            kind.currentMode = DefaultModeIndex(kind);
            kind.canWindowed = confirmed[0] ? 1 : 0;

            if (kind.modeCount > 0) {
                ++rec.kindCount;
                if (type == D3DDEVTYPE_SW)
                    rec.compatibleSw = 1;
                else
                    rec.compatibleHal = 1;
            }
        }
        adapterCount = a + 1;
    }
    return S_OK;
}

bool CD3DScreensaver::ChooseDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, D3DFORMAT* depthFormat)
{
    D3DFORMAT order[6];
    const UINT count = DepthFormatOrder(minDepthBits, minStencilBits, order);
    for (UINT i = 0; i < count; ++i) {
        if (SUCCEEDED(d3d->CheckDeviceFormat(adapter, type, format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                             order[i])) &&
            SUCCEEDED(d3d->CheckDepthStencilMatch(adapter, type, format, format, order[i]))) {
            *depthFormat = order[i];
            return true;
        }
    }
    return false;
}

HRESULT CD3DScreensaver::ProbeWindowedFormat(UINT adapter, WindowedFormat& format)
{
    SaverAdapter& rec = *adapters[adapter];
    AdapterDeviceKind& kind = rec.kinds[rec.currentKind];
    HRESULT hr = d3d->CheckDeviceType(adapter, kind.type, rec.desktopMode.Format, format.backBufferFormat, TRUE);
    if (FAILED(hr))
        return hr;
    DWORD tries[4];
    const UINT tryCount = BehaviourFlagOrder(kind.caps, tries);
    bool accepted = false;
    for (UINT t = 0; t < tryCount && !accepted; ++t) {
        if (SUCCEEDED(AcceptDeviceCaps(&kind.caps, tries[t], format.backBufferFormat))) {
            accepted = true;
            format.behaviourFlags = tries[t];
        }
    }
    if (!accepted)
        return E_FAIL;
    if (useDepthBuffer && !ChooseDepthFormat(adapter, kind.type, format.backBufferFormat, &format.depthFormat))
        return E_FAIL;
    return S_OK;
}

bool CD3DScreensaver::ChooseBestAdapter(int* adapter)
{
    const SaverAdapter* table[kMaxAdapters] = {};
    for (UINT a = 0; a < adapterCount; ++a)
        table[a] = adapters[a].get();
    *adapter = ::ChooseBestAdapter(monitors, monitorCount, table, adapterCount);
    return *adapter >= 0;
}

// --- Devices -------------------------------------------------------------------------------------

HRESULT CD3DScreensaver::StartDevices()
{
    if (mode == SaverRunMode::FullScreen) {
        windowed = 0;
        for (UINT m = 0; m < monitorCount; ++m) {
            const int a = monitors[m].adapterIndex;
            if (a < 0 || static_cast<UINT>(a) >= adapterCount || !adapters[a])
                continue;
            SaverAdapter& rec = *adapters[a];
            if (rec.disableHardware && !rec.compatibleSw)
                rec.leaveBlack = 1;
            if (rec.leaveBlack || rec.kindCount == 0)
                continue;
            if (deviceCount >= kMaxDevices)
                break;
            rec.deviceWindow = monitors[m].window;
            MonitorDevice& unit = devices[deviceCount];
            unit = MonitorDevice{};
            unit.adapterIndex = static_cast<UINT>(a);
            if (FAILED(OpenFullscreenDevice(unit))) {
                unit = MonitorDevice{};
                SetError(kErrCreateDeviceFailed);
            } else {
                ++deviceCount;
            }
        }
    } else {
        windowed = 1;
        GetClientRect(mainWindow, &totalRectangle);
        currentRectangle = totalRectangle;
        int a = -1;
        if (!ChooseBestAdapter(&a)) {
            SetError(kErrCreateDeviceFailed);
        } else {
            adapters[a]->deviceWindow = mainWindow;
            if (!errorFlag) {
                MonitorDevice& unit = devices[0];
                unit = MonitorDevice{};
                unit.adapterIndex = static_cast<UINT>(a);
                if (FAILED(OpenWindowedDevice(unit))) {
                    unit = MonitorDevice{};
                    SetError(mode == SaverRunMode::Preview ? kErrNoPreview : kErrCreateDeviceFailed);
                } else {
                    deviceCount = 1;
                }
            }
        }
    }

    for (UINT m = 0; m < monitorCount; ++m) {
        SaverMonitor& mon = monitors[m];
        if (!mon.monitor)
            continue;
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(mon.monitor, &info))
            mon.rectangle = info.rcMonitor;
        if (mode == SaverRunMode::FullScreen && mon.window)
            SetWindowPos(mon.window, HWND_TOPMOST, mon.rectangle.left, mon.rectangle.top,
                         mon.rectangle.right - mon.rectangle.left, mon.rectangle.bottom - mon.rectangle.top,
                         SWP_NOACTIVATE);
    }

    if (mode == SaverRunMode::FullScreen) {
        RECT total = {};
        for (UINT i = 0; i < deviceCount; ++i) {
            const RECT& r = monitors[devices[i].monitorIndex].rectangle;
            if (i == 0)
                total = r;
            else
                UnionRect(&total, &total, &r);
        }
        totalRectangle = total;
    }

    if (errorFlag) {
        mouseMoves = 0;
        return S_OK;
    }

    for (UINT i = 0; i < deviceCount; ++i) {
        MakeUnitCurrent(static_cast<int>(i));
        if (FAILED(CreateUnitResources())) {
            SetError(kErrSceneHookFailed);
            continue;
        }
        devices[i].created = 1;
        if (FAILED(RestoreUnitResources())) {
            SetError(kErrSceneHookFailed);
            continue;
        }
        devices[i].restored = 1;
    }
    BuildDeviceDescriptions();
    mouseMoves = 0;
    return S_OK;
}

HRESULT CD3DScreensaver::OpenFullscreenDevice(MonitorDevice& unit)
{
    if (unit.adapterIndex >= adapterCount || !adapters[unit.adapterIndex] ||
        adapters[unit.adapterIndex]->kindCount == 0)
        return E_FAIL;
    SaverAdapter& rec = *adapters[unit.adapterIndex];

    AdapterDeviceKind* kind = nullptr;
    for (UINT k = 0; k < rec.kindCount && !kind; ++k) {
        if (rec.kinds[k].type == D3DDEVTYPE_HAL && !rec.disableHardware)
            kind = &rec.kinds[k];
    }
    for (UINT k = 0; k < rec.kindCount && !kind; ++k) {
        if (rec.kinds[k].type == D3DDEVTYPE_SW)
            kind = &rec.kinds[k];
    }
    if (!kind)
        return kErrNoHardwareDevice;

    int chosen = -1;
    if (rec.preferredWidth != 0)
        chosen = FindMode(*kind, rec.preferredWidth, rec.preferredHeight, rec.preferredFormat);
    if (chosen < 0)
        chosen = static_cast<int>(ChooseAutomaticMode(*kind, rec.desktopMode));
    kind->currentMode = static_cast<UINT>(chosen);

    bool steppedDown = false;
    for (;;) {
        const DisplayModeEntry& m = kind->modes[kind->currentMode];
        D3DPRESENT_PARAMETERS& pp = unit.presentParameters;
        pp = D3DPRESENT_PARAMETERS{};
        pp.BackBufferWidth = m.width;
        pp.BackBufferHeight = m.height;
        pp.BackBufferFormat = m.format;
        pp.BackBufferCount = 1;
        pp.MultiSampleType = D3DMULTISAMPLE_NONE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = rec.deviceWindow;
        pp.Windowed = FALSE;
        pp.EnableAutoDepthStencil = useDepthBuffer ? TRUE : FALSE;
        pp.AutoDepthStencilFormat = m.depthFormat;
        pp.Flags = 0;
        pp.FullScreen_RefreshRateInHz = D3DPRESENT_RATE_DEFAULT;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        unit.deviceType = kind->type;
        unit.behaviourFlags = m.behaviourFlags;
        unit.monitorIndex = static_cast<UINT>(rec.monitorIndex < 0 ? 0 : rec.monitorIndex);

        HRESULT hr = d3d->CreateDevice(unit.adapterIndex, kind->type, mainWindow, m.behaviourFlags, &pp,
                                       unit.device.Out());
        if (SUCCEEDED(hr)) {
            hr = AcceptCreatedDevice(unit.device.Get());
            if (FAILED(hr))
                unit.device.Reset();
        }
        if (SUCCEEDED(hr))
            break;
        if (!StepDownDisplayMode(*kind))
            return hr;
        steppedDown = true;
    }

    if (steppedDown && settingsKeyPath[0]) {
        const DisplayModeEntry& m = kind->modes[kind->currentMode];
        rec.preferredWidth = m.width;
        rec.preferredHeight = m.height;
        rec.preferredFormat = m.format;
        StoreSteppedDownMode(unit, m);
    }
    return S_OK;
}

HRESULT CD3DScreensaver::OpenWindowedDevice(MonitorDevice& unit)
{
    SaverAdapter& rec = *adapters[unit.adapterIndex];
    int chosen = -1;
    for (UINT k = 0; k < rec.kindCount && chosen < 0; ++k) {
        if (rec.kinds[k].type == D3DDEVTYPE_HAL && rec.kinds[k].canWindowed && !rec.disableHardware)
            chosen = static_cast<int>(k);
    }
    for (UINT k = 0; k < rec.kindCount && chosen < 0; ++k) {
        if (rec.kinds[k].type == D3DDEVTYPE_SW && rec.kinds[k].canWindowed)
            chosen = static_cast<int>(k);
    }
    if (chosen < 0)
        return kErrNoHardwareDevice;
    rec.currentKind = static_cast<UINT>(chosen);
    const AdapterDeviceKind& kind = rec.kinds[chosen];

    const D3DFORMAT backBufferFormats[] = {rec.desktopMode.Format, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
                                           D3DFMT_A1R5G5B5, D3DFMT_R5G6B5};
    WindowedFormat format = {};
    bool found = false;
    for (D3DFORMAT f : backBufferFormats) {
        format = WindowedFormat{rec.desktopMode.Format, f, 0, D3DFMT_UNKNOWN};
        if (SUCCEEDED(ProbeWindowedFormat(unit.adapterIndex, format))) {
            found = true;
            break;
        }
    }
    if (!found)
        return E_FAIL;

    D3DPRESENT_PARAMETERS& pp = unit.presentParameters;
    pp = D3DPRESENT_PARAMETERS{};
    pp.BackBufferFormat = format.backBufferFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = rec.deviceWindow;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = useDepthBuffer ? TRUE : FALSE;
    pp.AutoDepthStencilFormat = format.depthFormat;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    unit.deviceType = kind.type;
    unit.behaviourFlags = format.behaviourFlags;
    unit.monitorIndex = static_cast<UINT>(rec.monitorIndex < 0 ? 0 : rec.monitorIndex);

    return d3d->CreateDevice(unit.adapterIndex, kind.type, mainWindow, format.behaviourFlags, &pp,
                             unit.device.Out());
}

void CD3DScreensaver::MakeUnitCurrent(int unit)
{
    if (unit < 0 || static_cast<UINT>(unit) >= kMaxDevices)
        return;
    MonitorDevice& d = devices[unit];
    currentDevice = d.device.Get();
    if (mode == SaverRunMode::FullScreen && d.monitorIndex < monitorCount)
        currentRectangle = monitors[d.monitorIndex].rectangle;
    if (currentDevice) {
        ComRef<IDirect3DSurface9> backBuffer;
        if (SUCCEEDED(currentDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Out())))
            backBuffer->GetDesc(&backBufferDesc);
    }
    lstrcpynW(currentDeviceText, d.deviceText, 90);
    lstrcpynW(currentFrameRateText, d.frameRateText, 40);
    OnUnitSelected(unit);
}

void CD3DScreensaver::ReleaseUnitDevice(UINT unit)
{
    MakeUnitCurrent(static_cast<int>(unit));
    MonitorDevice& d = devices[unit];
    if (d.restored) {
        ReleaseUnitResources();
        d.restored = 0;
    }
    if (d.created) {
        DestroyUnitResources();
        d.created = 0;
    }
    d.device.Reset();
}

void CD3DScreensaver::StopDevices()
{
    for (UINT i = 0; i < deviceCount; ++i)
        ReleaseUnitDevice(i);
    deviceCount = 0;
    currentDevice = nullptr;
    CurrentDevice = nullptr; // loading and drawing code must not reach a released device
    // Cleared, so that a second stop (a key already queued behind the quit) finds nothing to do.
    d3d.Reset();
}

// --- Texts ---------------------------------------------------------------------------------------

void CD3DScreensaver::BuildDeviceDescriptions()
{
    for (UINT i = 0; i < deviceCount; ++i) {
        MonitorDevice& d = devices[i];
        const char* description =
            d.adapterIndex < adapterCount && adapters[d.adapterIndex] ? adapters[d.adapterIndex]->identifier.Description
                                                                      : "";
        BuildDeviceText(d.deviceType, d.behaviourFlags, description, d.deviceText, 90);
    }
}

void CD3DScreensaver::RefreshFrameRateTexts()
{
    const double now = clock_.Absolute();
    if (framesSinceRefresh_ == 0 && lastFrameRateTime_ == 0)
        lastFrameRateTime_ = now;
    ++framesSinceRefresh_;
    const double elapsed = now - lastFrameRateTime_;
    if (elapsed <= 1.0)
        return;
    frameRate = static_cast<float>(framesSinceRefresh_ / elapsed);
    framesSinceRefresh_ = 0;
    lastFrameRateTime_ = now;

    for (UINT i = 0; i < deviceCount; ++i) {
        MonitorDevice& d = devices[i];
        if (!d3d || d.adapterIndex >= adapterCount || !adapters[d.adapterIndex])
            continue;
        SaverAdapter& rec = *adapters[d.adapterIndex];
        D3DDISPLAYMODE mode = {};
        d3d->GetAdapterDisplayMode(d.adapterIndex, &mode);
        D3DFORMAT depth = D3DFMT_UNKNOWN;
        if (useDepthBuffer && rec.currentKind < rec.kindCount) {
            const AdapterDeviceKind& kind = rec.kinds[rec.currentKind];
            if (kind.currentMode < kind.modeCount)
                depth = kind.modes[kind.currentMode].depthFormat;
        }
        BuildFrameRateText(frameRate, mode, depth, d.frameRateText);
    }
}

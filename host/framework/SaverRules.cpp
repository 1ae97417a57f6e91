#include "host/framework/SaverRules.h"

#include <cstdlib>
#include <cwchar>

#include "host/framework/SaverTextFormat.h"

SaverSwitch ParseSaverSwitch(const wchar_t* commandLine)
{
    SaverSwitch result;
    const wchar_t* p = commandLine ? commandLine : L"";

    // Skip the program name: a quoted one up to its closing quote, otherwise up to a blank.
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ')
            ++p;
        if (*p)
            ++p;
    }

    while (*p && *p != L'/' && *p != L'-')
        ++p;
    if (!*p)
        return result;  // no switch: configure
    ++p;

    const wchar_t letter = static_cast<wchar_t>(towlower(*p));
    bool takesWindow = false;
    switch (letter) {
    case L'a': result.mode = SaverRunMode::Password; takesWindow = true; break;
    case L'c': result.mode = SaverRunMode::Configure; takesWindow = true; break;
    case L'p': result.mode = SaverRunMode::Preview; takesWindow = true; break;
    case L't': result.mode = SaverRunMode::Test; break;
    case L'r': result.mode = SaverRunMode::SetUpOnly; break;
    case L'n': result.mode = SaverRunMode::EndAtOnce; break;
    default: result.mode = SaverRunMode::FullScreen; break;
    }

    if (takesWindow) {
        ++p;
        while (*p && !(*p >= L'0' && *p <= L'9'))
            ++p;
        if (*p) {
            // The handle is the low 32 bits, sign-extended as Windows does for window handles.
            const int32_t low = static_cast<int32_t>(static_cast<uint32_t>(_wtoi64(p)));
            result.parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(low));
        }
    }
    return result;
}

int OrderDisplayModes(const void* a, const void* b)
{
    const auto& x = *static_cast<const D3DDISPLAYMODE*>(a);
    const auto& y = *static_cast<const D3DDISPLAYMODE*>(b);
    if (x.Width != y.Width)
        return x.Width < y.Width ? -1 : 1;
    if (x.Height != y.Height)
        return x.Height < y.Height ? -1 : 1;
    if (x.Format != y.Format)
        return x.Format > y.Format ? -1 : 1;
    return 0;
}

UINT AddProbeMode(D3DDISPLAYMODE* list, UINT count, UINT capacity, const D3DDISPLAYMODE& mode)
{
    if (mode.Width < 640 || mode.Height < 400)
        return count;
    for (UINT i = 0; i < count; ++i) {
        if (list[i].Width == mode.Width && list[i].Height == mode.Height &&
            list[i].Format == mode.Format)
            return count;
    }
    if (count >= capacity)
        return count;
    list[count] = mode;
    return count + 1;
}

UINT DefaultModeIndex(const AdapterDeviceKind& kind)
{
    for (UINT i = 0; i < kind.modeCount; ++i) {
        if (kind.modes[i].width == 640 && kind.modes[i].height == 480)
            return i;
    }
    return 0;
}

UINT ChooseAutomaticMode(const AdapterDeviceKind& kind, const D3DDISPLAYMODE& desktop)
{
    if (kind.type == D3DDEVTYPE_SW) {
        int best = -1;
        for (UINT i = 0; i < kind.modeCount; ++i) {
            const DisplayModeEntry& m = kind.modes[i];
            if (m.height == 400)
                continue;
            if (best < 0 || m.height <= kind.modes[best].height)
                best = static_cast<int>(i);
        }
        return best < 0 ? 0 : static_cast<UINT>(best);
    }
    for (UINT i = 0; i < kind.modeCount; ++i) {
        if (kind.modes[i].width == desktop.Width && kind.modes[i].height == desktop.Height)
            return i;
    }
    return 0;
}

int FindMode(const AdapterDeviceKind& kind, UINT width, UINT height, D3DFORMAT format)
{
    for (UINT i = 0; i < kind.modeCount; ++i) {
        const DisplayModeEntry& m = kind.modes[i];
        if (m.width == width && m.height == height && m.format == format)
            return static_cast<int>(i);
    }
    return -1;
}

bool StepDownDisplayMode(AdapterDeviceKind& kind)
{
    if (kind.currentMode >= kind.modeCount)
        return false;
    const DisplayModeEntry& current = kind.modes[kind.currentMode];
    const uint32_t currentArea = current.width * current.height;
    int best = -1;
    uint32_t bestArea = 0;
    for (UINT i = 0; i < kind.modeCount; ++i) {
        if (i == kind.currentMode)
            continue;
        const uint32_t area = kind.modes[i].width * kind.modes[i].height;
        if (area < currentArea && (best < 0 || area > bestArea)) {
            best = static_cast<int>(i);
            bestArea = area;
        }
    }
    if (best < 0)
        return false;
    kind.currentMode = static_cast<UINT>(best);
    return true;
}

UINT DepthFormatOrder(UINT minDepthBits, UINT minStencilBits, D3DFORMAT out[6])
{
    static const DepthFormatCandidate candidates[] = {
        {D3DFMT_D16, 16, 0},     {D3DFMT_D15S1, 15, 1},   {D3DFMT_D24X8, 24, 0},
        {D3DFMT_D24S8, 24, 8},   {D3DFMT_D24X4S4, 24, 4}, {D3DFMT_D32, 32, 0},
    };
    UINT count = 0;
    for (const DepthFormatCandidate& c : candidates) {
        const bool stencilOk = c.stencilBits == 0 ? minStencilBits == 0 : minStencilBits <= c.stencilBits;
        if (minDepthBits <= c.depthBits && stencilOk)
            out[count++] = c.format;
    }
    return count;
}

UINT BehaviourFlagOrder(const D3DCAPS9& caps, DWORD out[4])
{
    UINT count = 0;
    if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
        if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
            out[count++] = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
        out[count++] = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        out[count++] = D3DCREATE_MIXED_VERTEXPROCESSING;
    }
    out[count++] = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    return count;
}

int ChooseBestAdapter(const SaverMonitor* monitors, UINT monitorCount,
                      const SaverAdapter* const* adapters, UINT adapterCount)
{
    int choice = -1;
    for (UINT m = 0; m < monitorCount; ++m) {
        const int a = monitors[m].adapterIndex;
        if (a < 0 || static_cast<UINT>(a) >= adapterCount || !adapters[a])
            continue;
        if (adapters[a]->compatibleHal)
            return a;
        if (adapters[a]->compatibleSw)
            choice = a;
    }
    return choice;
}

bool StoredAdapterIdApplies(const GUID& stored, const GUID& adapter)
{
    static const GUID zero = {};
    return IsEqualGUID(stored, adapter) || IsEqualGUID(stored, zero);
}

void BuildDeviceText(D3DDEVTYPE type, DWORD behaviourFlags, const char* description,
                     wchar_t* target, size_t capacity)
{
    if (!target || capacity == 0)
        return;
    const bool hal = type == D3DDEVTYPE_HAL;
    const wchar_t* processing;
    if ((behaviourFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && (behaviourFlags & D3DCREATE_PUREDEVICE))
        processing = hal ? L" (pure hw vp)" : L" (simulated pure hw vp)";
    else if (behaviourFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING)
        processing = hal ? L" (hw vp)" : L" (simulated hw vp)";
    else if (behaviourFlags & D3DCREATE_MIXED_VERTEXPROCESSING)
        processing = hal ? L" (mixed vp)" : L" (simulated mixed vp)";
    else
        processing = L" (sw vp)";

    if (hal) {
        wchar_t name[300] = {};
        if (description)
            MultiByteToWideChar(CP_ACP, 0, description, -1, name, 299);
        FormatText(target, capacity, L"HAL%ls: %ls", processing, name);
    } else {
        FormatText(target, capacity, L"SW%ls", processing);
    }
}

void BuildFrameRateText(float rate, const D3DDISPLAYMODE& mode, D3DFORMAT depthFormat,
                        wchar_t target[40])
{
    FormatShortText(target, L"%.02f fps (%dx%dx%d)", static_cast<double>(rate),
                    static_cast<int>(mode.Width), static_cast<int>(mode.Height),
                    mode.Format == D3DFMT_X8R8G8B8 ? 32 : 16);
    const wchar_t* depth = nullptr;
    switch (depthFormat) {
    case D3DFMT_D16: depth = L" (D16)"; break;
    case D3DFMT_D15S1: depth = L" (D15S1)"; break;
    case D3DFMT_D24X8: depth = L" (D24X8)"; break;
    case D3DFMT_D24S8: depth = L" (D24S8)"; break;
    case D3DFMT_D24X4S4: depth = L" (D24X4S4)"; break;
    case D3DFMT_D32: depth = L" (D32)"; break;
    default: break;
    }
    if (depth) {
        const size_t used = wcslen(target);
        FormatText(target + used, 40 - used, L"%ls", depth);
    }
}

bool CountMouseMove(MousePosition& last, uint32_t& moves, int x, int y)
{
    if (x == last.x && y == last.y)
        return false;
    ++moves;
    last.x = x;
    last.y = y;
    return moves > 5;
}

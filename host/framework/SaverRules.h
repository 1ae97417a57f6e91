// The host's rules as plain functions, free of windows and devices: the command-line switch,
// the display-mode lists and choices, the depth-format and behaviour-flag orders, the choice of
// adapter for a window, the device and frame-rate texts and the mouse-move count.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstddef>
#include <cstdint>

#include "host/framework/SaverRecords.h"

enum class SaverRunMode : int32_t {
    Configure = 0,    // no switch, or "c"
    Preview = 1,      // "p": a child of the given parent window
    FullScreen = 2,   // any other letter
    Test = 3,         // "t": a window of its own
    Password = 4,     // "a": change the screensaver password
    SetUpOnly = 5,    // "r": set up and end at once
    EndAtOnce = 6,    // "n": likewise
};

struct SaverSwitch {
    SaverRunMode mode = SaverRunMode::Configure;
    HWND parent = nullptr;  // window handle from the command line ("a", "c", "p")
};

// Reads the run mode from a whole command line, the program name first.
SaverSwitch ParseSaverSwitch(const wchar_t* commandLine);

// --- Display modes -------------------------------------------------------------------------------

// The probe's sort order: width ascending, then height ascending, then format descending.
int OrderDisplayModes(const void* a, const void* b);

// Adds `mode` to the probe list unless it is too small (below 640 × 400), has the width, height
// and format of a mode already listed, or the list is full. Returns the new count.
UINT AddProbeMode(D3DDISPLAYMODE* list, UINT count, UINT capacity, const D3DDISPLAYMODE& mode);

// Index of the 640 × 480 mode, or 0 when the kind has none.
UINT DefaultModeIndex(const AdapterDeviceKind& kind);

// The automatic mode: on a software kind the widest mode of the lowest height other than 400,
// on a hardware kind the first mode of the desktop's size; mode 0 when nothing matches.
UINT ChooseAutomaticMode(const AdapterDeviceKind& kind, const D3DDISPLAYMODE& desktop);

// Index of the first mode with this width, height and format, or -1.
int FindMode(const AdapterDeviceKind& kind, UINT width, UINT height, D3DFORMAT format);

// Makes the mode with the largest area below the current one current (the first of equal
// areas). False, with the current mode kept, when there is none.
bool StepDownDisplayMode(AdapterDeviceKind& kind);

// --- Device probe --------------------------------------------------------------------------------

// The depth-stencil formats in the order they are tried, each with its depth and stencil bits.
struct DepthFormatCandidate {
    D3DFORMAT format;
    UINT depthBits;
    UINT stencilBits;
};
// Fills `out` (capacity 6) with the depth formats that the minima allow, in trial order.
UINT DepthFormatOrder(UINT minDepthBits, UINT minStencilBits, D3DFORMAT out[6]);

// The behaviour flags to try, in order, for these device caps (capacity 4).
UINT BehaviourFlagOrder(const D3DCAPS9& caps, DWORD out[4]);

// The adapter for the preview or test window: the first one with a compatible hardware device
// in monitor order, else the last with a compatible software device; -1 when none.
int ChooseBestAdapter(const SaverMonitor* monitors, UINT monitorCount,
                      const SaverAdapter* const* adapters, UINT adapterCount);

// Whether a stored "Adapter ID" lets the per-monitor settings apply to this adapter:
// it names this adapter, or it is all zero (absent).
bool StoredAdapterIdApplies(const GUID& stored, const GUID& adapter);

// --- Texts ---------------------------------------------------------------------------------------

// "HAL (hw vp): <description>", "SW (simulated hw vp)" ...: into a buffer of `capacity` units.
void BuildDeviceText(D3DDEVTYPE type, DWORD behaviourFlags, const char* description,
                     wchar_t* target, size_t capacity);

// "59.94 fps (1024x768x32) (D24X8)"; no depth part when `depthFormat` is D3DFMT_UNKNOWN.
void BuildFrameRateText(float rate, const D3DDISPLAYMODE& mode, D3DFORMAT depthFormat,
                        wchar_t target[40]);

// --- Input ---------------------------------------------------------------------------------------

// The last mouse position seen; starts at (-1, -1) and lives for the whole process.
struct MousePosition {
    int x = -1;
    int y = -1;
};

// Counts a mouse move to a new position. True when the count now exceeds five, which ends
// the full-screen saver.
bool CountMouseMove(MousePosition& last, uint32_t& moves, int x, int y);

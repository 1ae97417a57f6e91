// The display-settings dialogs' rules: their dialog and control ids, which help and status text
// an adapter gets, and the colour depth a display mode is listed with.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "host/framework/SaverRecords.h"

// Dialog 200 serves a machine with fewer than two adapters (one page), 201 one with more (a tab
// per monitor). Controls that a template lacks are simply not there.
constexpr int kSingleAdapterDialogId = 200;
constexpr int kMultiAdapterDialogId = 201;

namespace DisplayOptionsControl {
constexpr int kMonitorTabs = 2000;
constexpr int kTabLabelFormat = 2001;  // hidden: "Monitor %d"
constexpr int kAdapterName = 2002;
constexpr int kRenderingStatus = 2003;
constexpr int kHelp = 2004;
constexpr int kDisableHardware = 2005;
constexpr int kUsageGroup = 2006;
constexpr int kShowSaver = 2007;
constexpr int kLeaveBlack = 2008;
constexpr int kModeGroup = 2009;
constexpr int kModeLabel = 2010;
constexpr int kModeList = 2011;
constexpr int kAutomaticText = 2012;  // hidden: the first item of the mode list
constexpr int kModeNote = 2013;
constexpr int kReverseOrder = 2015;   // the all-screens-same flag
constexpr int kModeFormat = 2016;     // hidden: "%d by %d, %d bit color"
}  // namespace DisplayOptionsControl

// The help text of the monitor's adapter (2200 to 2209); 2206 without a monitor handle or
// without an adapter.
UINT HelpTextId(bool hasMonitor, const SaverAdapter* adapter);

// The rendering status: 2210 hardware, 2211 software, 2212 nothing (also without an adapter).
UINT StatusTextId(const SaverAdapter* adapter);

// The colour depth shown for a display mode: 32 for the 24- and 32-bit RGB formats, else 16.
int ModeBits(D3DFORMAT format);

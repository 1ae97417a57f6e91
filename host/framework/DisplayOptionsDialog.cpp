// The display-settings dialogs: per monitor the video adapter, whether the saver can render on
// it, whether its hardware device is used, whether the monitor stays black and which full-screen
// display mode it runs in. They edit the adapter records in memory; the configuration dialog then
// stores them (its OK) or reads them back (its Cancel).
#include "host/framework/D3DScreensaver.h"

#include <commctrl.h>

#include <initializer_list>
#include <new>

#include "host/framework/DisplayOptions.h"
#include "host/framework/SaverTextFormat.h"

namespace Control = DisplayOptionsControl;

namespace {

// What the adapter records and the all-screens-same flag held when the dialog opened, for
// Cancel to put back. One dialog is open at a time.
struct DisplayOptionsCopies {
    std::unique_ptr<SaverAdapter> adapters[kMaxAdapters];
    int32_t allScreensSame = 0;
};
DisplayOptionsCopies gCopies;

void TakeCopies(const CD3DScreensaver& saver)
{
    for (UINT a = 0; a < kMaxAdapters; ++a) {
        gCopies.adapters[a].reset();
        if (a < saver.adapterCount && saver.adapters[a])
            gCopies.adapters[a].reset(new (std::nothrow) SaverAdapter(*saver.adapters[a]));
    }
    gCopies.allScreensSame = saver.allScreensSame;
}

void DropCopies()
{
    for (auto& copy : gCopies.adapters)
        copy.reset();
}

void RestoreCopies(CD3DScreensaver& saver)
{
    for (UINT a = 0; a < kMaxAdapters; ++a) {
        if (saver.adapters[a] && gCopies.adapters[a])
            *saver.adapters[a] = *gCopies.adapters[a];
    }
    DropCopies();
    saver.allScreensSame = gCopies.allScreensSame;
}

// The monitor of the tab that has the focus (TCM_GETCURFOCUS) or the selection (TCM_GETCURSEL).
// Dialog 200 has no tabs, and a message to a missing control gives 0: monitor 0. Null when the
// index names no monitor.
SaverMonitor* TabMonitor(CD3DScreensaver& saver, HWND dialog, UINT tabMessage)
{
    const LRESULT index = SendDlgItemMessageW(dialog, Control::kMonitorTabs, tabMessage, 0, 0);
    if (index < 0 || static_cast<UINT>(index) >= saver.monitorCount)
        return nullptr;
    return &saver.monitors[index];
}

// The adapter that drives a monitor; null for none.
SaverAdapter* AdapterOf(CD3DScreensaver& saver, const SaverMonitor* monitor)
{
    if (!monitor || monitor->adapterIndex < 0 || static_cast<UINT>(monitor->adapterIndex) >= saver.adapterCount)
        return nullptr;
    return saver.adapters[monitor->adapterIndex].get();
}

// The device kind whose modes the list shows; null when the adapter has none.
const AdapterDeviceKind* ListedKind(const SaverAdapter& adapter)
{
    return adapter.currentKind < adapter.kindCount ? &adapter.kinds[adapter.currentKind] : nullptr;
}

void EnableControls(HWND dialog, std::initializer_list<int> ids, bool enable)
{
    for (int id : ids)
        EnableWindow(GetDlgItem(dialog, id), enable);
}

// The mode list and its group, label and note are usable while the monitor is not left black.
void EnableModeControls(HWND dialog, bool enable)
{
    EnableControls(dialog, {Control::kModeList, Control::kModeLabel, Control::kModeGroup, Control::kModeNote},
                   enable);
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT AddModeItem(HWND list, const wchar_t* text, LPARAM data)
{
    const LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0)
        SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(item), data);
    return item;
}

// "Automatic" (item data -1), then each mode of the listed kind in list order (item data: its
// index). The adapter's preferred mode is selected; when it is not listed, "Automatic" is.
void FillModeList(HWND dialog, const SaverAdapter* adapter)
{
    HWND list = GetDlgItem(dialog, Control::kModeList);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    if (!adapter)
        return;

    wchar_t text[100] = {};
    GetDlgItemTextW(dialog, Control::kAutomaticText, text, 100);
    AddModeItem(list, text, -1);

    LRESULT selection = 0;
    if (const AdapterDeviceKind* kind = ListedKind(*adapter)) {
        wchar_t format[100] = {};
        GetDlgItemTextW(dialog, Control::kModeFormat, format, 100);
        for (UINT j = 0; j < kind->modeCount; ++j) {
            const DisplayModeEntry& mode = kind->modes[j];
            FormatText(text, 100, format, static_cast<int>(mode.width), static_cast<int>(mode.height),
                       ModeBits(mode.format));
            const LRESULT item = AddModeItem(list, text, static_cast<LPARAM>(j));
            if (selection == 0 && item > 0 && mode.width == adapter->preferredWidth &&
                mode.height == adapter->preferredHeight && mode.format == adapter->preferredFormat)
                selection = item;
        }
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

// One tab per monitor, labelled with the hidden format text ("Monitor 1", "Monitor 2" ...).
void InsertMonitorTabs(HWND dialog, UINT monitorCount)
{
    wchar_t format[100] = {};
    GetDlgItemTextW(dialog, Control::kTabLabelFormat, format, 100);
    for (UINT i = 0; i < monitorCount; ++i) {
        wchar_t label[100];
        FormatText(label, 100, format, static_cast<int>(i + 1));
        TCITEMW item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.iImage = -1;
        item.pszText = label;
        SendDlgItemMessageW(dialog, Control::kMonitorTabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace

INT_PTR CD3DScreensaver::ShowDisplayOptions(HWND owner)
{
    const int id = adapterCount < 2 ? kSingleAdapterDialogId : kMultiAdapterDialogId;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(id), owner, DisplayOptionsDlgProc, 0);
}

void CD3DScreensaver::FillMonitorTab(HWND dialog)
{
    const SaverMonitor* monitor = TabMonitor(*this, dialog, TCM_GETCURFOCUS);
    const SaverAdapter* adapter = AdapterOf(*this, monitor);

    SetDlgItemTextW(dialog, Control::kAdapterName, monitor ? monitor->adapterName : L"");
    wchar_t status[200] = {};
    LoadStringW(instance, StatusTextId(adapter), status, 200);
    SetDlgItemTextW(dialog, Control::kRenderingStatus, status);

    // The hardware device can only be switched off where there is one.
    const bool hardware = adapter && adapter->hasHal && adapter->compatibleHal;
    EnableWindow(GetDlgItem(dialog, Control::kDisableHardware), hardware);
    SetChecked(dialog, Control::kDisableHardware, hardware && adapter->disableHardware);

    // A monitor that can show the saver may be left black; one that cannot stays black.
    const bool canShow = adapter && ((adapter->compatibleHal && !adapter->disableHardware) || adapter->compatibleSw);
    CheckRadioButton(dialog, Control::kShowSaver, Control::kLeaveBlack,
                     canShow && !adapter->leaveBlack ? Control::kShowSaver : Control::kLeaveBlack);
    EnableControls(dialog, {Control::kUsageGroup, Control::kShowSaver, Control::kLeaveBlack}, canShow);
    EnableModeControls(dialog, !IsChecked(dialog, Control::kLeaveBlack));

    FillModeList(dialog, adapter);
}

void CD3DScreensaver::HandleDisplayOptionsMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        InsertMonitorTabs(dialog, monitorCount);
        TakeCopies(*this);
        FillMonitorTab(dialog);
        SetChecked(dialog, Control::kReverseOrder, allScreensSame != 0);
        return;
    }
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == static_cast<UINT>(TCN_SELCHANGE))
            FillMonitorTab(dialog);
        return;
    }
    if (message != WM_COMMAND)
        return;

    // The commands act on the monitor of the selected tab and on its adapter.
    const SaverMonitor* monitor = TabMonitor(*this, dialog, TCM_GETCURSEL);
    SaverAdapter* adapter = AdapterOf(*this, monitor);
    switch (LOWORD(wParam)) {
    case IDOK:
        // Dialog 200 has no monitor-usage buttons: its page always shows the monitor in use, and
        // OK accepts it so. A "leave black" stored earlier (when the machine had more monitors,
        // say) would otherwise keep the screen black with no page left to undo it.
        if (adapter && !GetDlgItem(dialog, Control::kLeaveBlack))
            adapter->leaveBlack = 0;
        DropCopies();
        EndDialog(dialog, IDOK);
        break;
    case IDCANCEL:
        RestoreCopies(*this);
        EndDialog(dialog, IDCANCEL);
        break;
    case Control::kHelp: {
        wchar_t text[500] = {};
        LoadStringW(instance, HelpTextId(monitor && monitor->monitor, adapter), text, 500);
        MessageBoxW(dialog, text, monitor ? monitor->adapterName : L"", MB_ICONINFORMATION);
        break;
    }
    case Control::kDisableHardware:
        if (adapter) {
            adapter->disableHardware = IsChecked(dialog, Control::kDisableHardware);
            FillMonitorTab(dialog);
        }
        break;
    case Control::kShowSaver:
    case Control::kLeaveBlack:
        if (adapter) {
            adapter->leaveBlack = IsChecked(dialog, Control::kLeaveBlack);
            EnableModeControls(dialog, !adapter->leaveBlack);
        }
        break;
    case Control::kModeList: {
        if (!adapter || HIWORD(wParam) != CBN_SELCHANGE)
            break;
        const LRESULT selection = SendDlgItemMessageW(dialog, Control::kModeList, CB_GETCURSEL, 0, 0);
        if (selection == 0) {
            adapter->preferredWidth = 0;  // automatic
            adapter->preferredHeight = 0;
            adapter->preferredFormat = D3DFMT_UNKNOWN;
            break;
        }
        const LRESULT j = SendDlgItemMessageW(dialog, Control::kModeList, CB_GETITEMDATA,
                                              static_cast<WPARAM>(selection), 0);
        const AdapterDeviceKind* kind = ListedKind(*adapter);
        if (selection > 0 && kind && j >= 0 && static_cast<UINT>(j) < kind->modeCount) {
            adapter->preferredWidth = kind->modes[j].width;
            adapter->preferredHeight = kind->modes[j].height;
            adapter->preferredFormat = kind->modes[j].format;
        }
        break;
    }
    case Control::kReverseOrder:
        allScreensSame = IsChecked(dialog, Control::kReverseOrder);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK DisplayOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CD3DScreensaver::Instance)
        CD3DScreensaver::Instance->HandleDisplayOptionsMessage(dialog, message, wParam, lParam);
    switch (message) {
    case WM_INITDIALOG:
    case WM_COMMAND:
    case WM_NOTIFY:
        return TRUE;
    default:
        return FALSE;
    }
}

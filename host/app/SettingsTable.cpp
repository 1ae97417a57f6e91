#include "host/app/SettingsTable.h"

#include <commctrl.h>

namespace {

void SetEntry(SettingEntry& entry, const wchar_t* name, const wchar_t* text)
{
    entry.type = 2;
    entry.value = 0;
    entry.controlId = 0;
    lstrcpynW(entry.name, name, 40);
    lstrcpynW(entry.text, text, 260);
}

} // namespace

SettingsTable::SettingsTable()
{
    SetEntry(entries[0], L"Path", L"C://");
    SetEntry(entries[1], L"URL1", L"");
    SetEntry(entries[2], L"file_path", L"");
}

void SettingsTable::Store(HKEY key) const
{
    for (const SettingEntry& e : entries) {
        DWORD number = 0;
        switch (e.type) {
        case 0:
            number = static_cast<uint8_t>(e.value);
            RegSetValueExW(key, e.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
            break;
        case 1:
        case 3:
            RegSetValueExW(key, e.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(e.text), sizeof(e.text) - 2);
            break;
        case 4:
            number = static_cast<DWORD>(e.value);
            RegSetValueExW(key, e.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
            break;
        default:
            break;
        }
    }
}

void SettingsTable::CollectFromDialog(HWND dialog)
{
    for (SettingEntry& e : entries) {
        switch (e.type) {
        case 0:
            e.value = IsDlgButtonChecked(dialog, e.controlId) == BST_CHECKED ? 1 : 0;
            break;
        case 1:
            GetWindowTextW(GetDlgItem(dialog, e.controlId), e.text, 260);
            break;
        case 4:
            e.value = static_cast<int32_t>(SendDlgItemMessageW(dialog, e.controlId, TBM_GETPOS, 0, 0)) + 1;
            GetWindowTextW(GetDlgItem(dialog, e.controlId), e.text, 260);
            break;
        default:
            break;
        }
    }
}

void SettingsTable::ApplyToDialog(HWND dialog) const
{
    for (const SettingEntry& e : entries) {
        switch (e.type) {
        case 0:
            CheckDlgButton(dialog, e.controlId, e.value != 0 ? BST_CHECKED : BST_UNCHECKED);
            break;
        case 1:
            SetWindowTextW(GetDlgItem(dialog, e.controlId), e.text);
            break;
        case 4:
            SendDlgItemMessageW(dialog, e.controlId, TBM_SETPOS, TRUE, e.value - 1);
            SetWindowTextW(GetDlgItem(dialog, e.controlId), e.text);
            break;
        default:
            break;
        }
    }
}

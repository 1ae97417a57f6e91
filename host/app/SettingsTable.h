// SettingsTable: named settings bound to dialog controls and stored under the settings key.
//
// Entry types: 0 a check box (stored as a REG_DWORD 0 or 1), 1 and 3 text (REG_SZ of the whole
// 260-unit buffer), 4 a trackbar (REG_DWORD position + 1), 2 neither stored nor bound. The
// application's three entries are all of type 2, so storing and binding them does nothing.
#pragma once

#include <windows.h>

#include <cstdint>

struct SettingEntry {
    int32_t type = 2;
    int32_t value = 0;
    wchar_t text[260] = {};
    int32_t controlId = 0;
    wchar_t name[40] = {};
};

class SettingsTable {
public:
    static constexpr int kEntryCount = 3;

    SettingsTable();

    void Store(HKEY key) const;
    void CollectFromDialog(HWND dialog);
    void ApplyToDialog(HWND dialog) const;

    SettingEntry entries[kEntryCount];
};

// The player's settings under a registry key of the running test's own. ctest runs tests side by
// side in separate processes, so every test gets its own key, named after its group and its
// name, below HKCU\Software\Quorvane\LanternworkTests. Made empty, with SettingsKeyPath pointed
// at it; at the end deleted, with SettingsKeyPath pointed back at the program's key.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "host/player/PlayerSettings.h"

class TestSettingsKey {
public:
    explicit TestSettingsKey(const wchar_t* group)
    {
        const char* name = testing::UnitTest::GetInstance()->current_test_info()->name();
        path_ = std::wstring(L"Software\\Quorvane\\LanternworkTests\\") + group + L"\\" +
                std::wstring(name, name + std::strlen(name)) + L"\\";
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        lstrcpynW(SettingsKeyPath, path_.c_str(), 200);
    }
    ~TestSettingsKey()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        lstrcpynW(SettingsKeyPath, kSettingsKeyPath, 200);
    }
    TestSettingsKey(const TestSettingsKey&) = delete;
    TestSettingsKey& operator=(const TestSettingsKey&) = delete;

    const std::wstring& Path() const { return path_; }

    // Sets a REG_DWORD value of the key (made when missing).
    void SetDword(const wchar_t* name, DWORD value) const
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }

private:
    std::wstring path_;
};

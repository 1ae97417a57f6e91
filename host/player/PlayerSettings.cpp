#include "host/player/PlayerSettings.h"

#include <windows.h>

wchar_t SettingsKeyPath[200] = L"Software\\Quorvane\\Lanternwork\\Screensaver\\";

int32_t StretchPictureSetting = 1;
int32_t SoundVolumeSetting = 100;
int32_t MuteSoundSetting = 0;

namespace {
bool stretchPictureRead = false;
}

void ReadSettingDword(void* target, const wchar_t* valueName)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    // Read into a local first: a value longer than four bytes fails and leaves the target alone.
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS)
        CopyMemory(target, &value, size);
    RegCloseKey(key);
}

int GetStretchPicture()
{
    if (!stretchPictureRead) {
        StretchPictureSetting = 1;
        ReadSettingDword(&StretchPictureSetting, kStretchPictureValue);
        stretchPictureRead = true;
    }
    return StretchPictureSetting != 0 ? 1 : 0;
}

void ForgetStretchPictureSetting()
{
    stretchPictureRead = false;
}

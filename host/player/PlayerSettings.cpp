#include "host/player/PlayerSettings.h"

#include <windows.h>

#include "host/framework/SaverSettingNumber.h"

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
    // Only a four-byte number is a setting; a string or a value of another length leaves the
    // target (its default) alone.
    DWORD value = 0;
    if (QuerySettingNumber(key, valueName, value))
        CopyMemory(target, &value, sizeof value);
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

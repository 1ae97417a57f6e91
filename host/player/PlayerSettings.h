// The settings the slide show reads from the registry, under the program's settings key in the
// current user's hive. The value names of the three player settings include the double quotes.
#pragma once

#include <cstdint>

constexpr wchar_t kSettingsKeyPath[] = L"Software\\Quorvane\\Lanternwork\\Screensaver\\";
constexpr wchar_t kSoundVolumeValue[] = L"\"SoundVolume\"";
constexpr wchar_t kMuteSoundValue[] = L"\"MuteSound\"";
constexpr wchar_t kStretchPictureValue[] = L"\"StretchPicture\"";

// The key path ReadSettingDword opens; the application sets it (tests point it elsewhere).
extern wchar_t SettingsKeyPath[200];

// Reads a 4-byte value of the settings key into `target`, whatever the value's type. A missing
// key is created; a missing value, or one longer than 4 bytes, leaves the target unchanged.
void ReadSettingDword(void* target, const wchar_t* valueName);

extern int32_t StretchPictureSetting; // read once per run, default 1
extern int32_t SoundVolumeSetting;    // 0..100, re-read at every playlist step, default 100
extern int32_t MuteSoundSetting;      // 0 or 1, re-read at every playlist step, default 0

// 1 when the picture is stretched over the whole back buffer, 0 when it is letterboxed.
int GetStretchPicture();
// Forgets the cached stretch setting, so the next GetStretchPicture reads the registry again.
void ForgetStretchPictureSetting();

// The per-monitor settings in the registry: under the settings key, "AllScreensSame" and a
// subkey "Screen n" per monitor with its adapter's "Adapter ID", "Leave Black", "Disable
// Hardware" and full-screen mode ("Width", "Height", "Format").
#include "host/framework/D3DScreensaver.h"

#include "host/framework/SaverSettingNumber.h"
#include "host/framework/SaverTextFormat.h"

namespace {

// Opens (or creates) the subkey "Screen n" of an open settings key.
HKEY OpenScreenKey(HKEY settingsKey, UINT monitorIndex)
{
    wchar_t name[32];
    FormatText(name, 32, L"Screen %d", static_cast<int>(monitorIndex + 1));
    HKEY key = nullptr;
    if (RegCreateKeyExW(settingsKey, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

template <class T>
void ReadDword(HKEY key, const wchar_t* name, T& field)
{
    DWORD value = 0;
    if (QuerySettingNumber(key, name, value))
        field = static_cast<T>(value);
}

void WriteDword(HKEY key, const wchar_t* name, DWORD value)
{
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The stored "Adapter ID", or all zero (absent) when the value is missing, is not binary or is
// not exactly one GUID long: such a value says nothing about which adapter the settings are for.
GUID ReadAdapterId(HKEY key)
{
    GUID stored = {};
    DWORD type = 0, size = sizeof stored;
    const LONG status =
        RegQueryValueExW(key, L"Adapter ID", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size);
    if (status != ERROR_SUCCESS || type != REG_BINARY || size != sizeof stored)
        return GUID{};
    return stored;
}

void WriteAdapterId(HKEY key, const GUID& id)
{
    RegSetValueExW(key, L"Adapter ID", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&id), sizeof id);
}

}  // namespace

// --- Settings ------------------------------------------------------------------------------------

void CD3DScreensaver::LoadMonitorSettings(HKEY settingsKey)
{
    ReadDword(settingsKey, L"AllScreensSame", allScreensSame);
    for (UINT m = 0; m < monitorCount; ++m) {
        const int a = monitors[m].adapterIndex;
        if (a < 0 || static_cast<UINT>(a) >= adapterCount || !adapters[a])
            continue;
        SaverAdapter& rec = *adapters[a];
        HKEY screen = OpenScreenKey(settingsKey, m);
        if (!screen)
            continue;
        const GUID stored = ReadAdapterId(screen);
        ReadDword(screen, L"Leave Black", rec.leaveBlack);
        if (StoredAdapterIdApplies(stored, rec.identifier.DeviceIdentifier)) {
            ReadDword(screen, L"Disable Hardware", rec.disableHardware);
            ReadDword(screen, L"Width", rec.preferredWidth);
            ReadDword(screen, L"Height", rec.preferredHeight);
            ReadDword(screen, L"Format", rec.preferredFormat);
        }
        RegCloseKey(screen);
    }
}

void CD3DScreensaver::StoreMonitorSettings(HKEY settingsKey)
{
    WriteDword(settingsKey, L"AllScreensSame", static_cast<DWORD>(allScreensSame));
    for (UINT m = 0; m < monitorCount; ++m) {
        const int a = monitors[m].adapterIndex;
        if (a < 0 || static_cast<UINT>(a) >= adapterCount || !adapters[a])
            continue;
        const SaverAdapter& rec = *adapters[a];
        HKEY screen = OpenScreenKey(settingsKey, m);
        if (!screen)
            continue;
        WriteDword(screen, L"Leave Black", static_cast<DWORD>(rec.leaveBlack));
        WriteDword(screen, L"Disable Hardware", static_cast<DWORD>(rec.disableHardware));
        WriteDword(screen, L"Width", rec.preferredWidth);
        WriteDword(screen, L"Height", rec.preferredHeight);
        WriteDword(screen, L"Format", static_cast<DWORD>(rec.preferredFormat));
        WriteAdapterId(screen, rec.identifier.DeviceIdentifier);
        RegCloseKey(screen);
    }
}

void CD3DScreensaver::StoreSteppedDownMode(const MonitorDevice& unit, const DisplayModeEntry& m)
{
    const SaverAdapter& rec = *adapters[unit.adapterIndex];
    HKEY settings = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, settingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &settings, nullptr) == ERROR_SUCCESS) {
        if (HKEY screen = OpenScreenKey(settings, unit.monitorIndex)) {
            WriteDword(screen, L"Width", m.width);
            WriteDword(screen, L"Height", m.height);
            WriteDword(screen, L"Format", static_cast<DWORD>(m.format));
            WriteAdapterId(screen, rec.identifier.DeviceIdentifier);
            RegCloseKey(screen);
        }
        RegCloseKey(settings);
    }
}

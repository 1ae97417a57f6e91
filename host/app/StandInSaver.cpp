// A stand-in application until the scene application takes its place: it clears every device
// to one colour each frame, so that the framework's modes can be run and tested end to end.
#include <windows.h>

#include "document/CurrentDevice.h"
#include "host/framework/D3DScreensaver.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Quorvane\\Lanternwork\\Screensaver\\";
constexpr D3DCOLOR kClearColour = D3DCOLOR_XRGB(0x20, 0x30, 0x50);

class StandInSaver : public CD3DScreensaver {
public:
    explicit StandInSaver(HINSTANCE module)
    {
        LoadStringW(module, 1000, windowTitle, 200);
        lstrcpynW(settingsKeyPath, kSettingsKey, 200);
        useDepthBuffer = 1;
    }

    void LoadSettings() override
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, settingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            LoadMonitorSettings(key);
            RegCloseKey(key);
        }
    }

    void OnUnitSelected(int) override { CurrentDevice = currentDevice; }

    HRESULT DrawUnit() override
    {
        if (!currentDevice)
            return S_OK;
        currentDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);
        if (SUCCEEDED(currentDevice->BeginScene()))
            currentDevice->EndScene();
        return S_OK;
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    StandInSaver saver(instance);
    saver.Startup(instance);
    return saver.Execute();
}

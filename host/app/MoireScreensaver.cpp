#include "host/app/MoireScreensaver.h"

#include <commctrl.h>

#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/ResourceCache.h"
#include "host/player/PlayerSettings.h"
#include "host/player/PlayerSound.h"
#include "host/player/SoundTrack.h"

HINSTANCE ProgramModule = nullptr;
CMoireScreensaver* CMoireScreensaver::Application = nullptr;

CMoireScreensaver::CMoireScreensaver()
{
    Application = this;
    InitCommonControls();
    lstrcpynW(settingsKeyPath, kSettingsKeyPath, 200);
    lstrcpynW(SettingsKeyPath, kSettingsKeyPath, 200);
    LoadStringW(ProgramModule, kWindowTitleStringId, windowTitle, 200);
    useDepthBuffer = 1;
    UseDirectShowSound();
}

void CMoireScreensaver::ShowConfiguration()
{
    DialogBoxParamW(ProgramModule, MAKEINTRESOURCEW(kConfigurationDialogId), parentWindow, SettingsDialogProc, 0);
}

void CMoireScreensaver::LoadSettings()
{
    LoadSettingsFromRegistry(*this);
}

// The unit's player, device, cache and resource manager become the ones all loading and drawing
// code reads. Each player keeps the manager of its own last load, so that a slide change on one
// device never resolves its resources through the document another device read last.
void CMoireScreensaver::OnUnitSelected(int unit)
{
    if (unit < 0 || unit >= kPlayerCount)
        return;
    ScenePlayer& player = players[unit];
    currentPlayer = &player;
    CurrentDevice = currentDevice;
    if (player.Cache())
        CurrentResourceCache = player.Cache();
    if (player.DocResManager())
        CurrentDocResManager = player.DocResManager();
}

// Only device types with bump-environment texture blending and signed V8U8 textures will do.
HRESULT CMoireScreensaver::AcceptDeviceCaps(const D3DCAPS9* caps, DWORD, D3DFORMAT format)
{
    if (!caps || !(caps->TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP) || !d3d)
        return E_FAIL;
    if (FAILED(d3d->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, format, 0, D3DRTYPE_TEXTURE,
                                      D3DFMT_V8U8)))
        return E_FAIL;
    return S_OK;
}

// Any failure of the start, the document error or another, becomes the error state; the
// framework is still told the restore went well.
HRESULT CMoireScreensaver::RestoreUnitResources()
{
    if (!currentPlayer)
        return S_OK;
    try {
        currentPlayer->Start(appTime);
    } catch (...) {
        SetError(static_cast<HRESULT>(kDocumentError));
    }
    return S_OK;
}

HRESULT CMoireScreensaver::DrawUnit()
{
    if (currentPlayer)
        currentPlayer->DrawFrame(appTime);
    return S_OK;
}

// Before every device reset and, per device, when the devices stop: the sound stops (the graph
// stays for the restarted show), then the light's default-pool resources go.
HRESULT CMoireScreensaver::ReleaseUnitResources()
{
    if (const auto stop = GetPlayerSoundHooks().stop)
        stop();
    if (currentPlayer)
        currentPlayer->ReleaseDeviceResources();
    return S_OK;
}

// The saver ends (this may come twice: a key can arrive behind the quit): the sound graph goes.
HRESULT CMoireScreensaver::ShutdownScene()
{
    const PlayerSoundHooks& sound = GetPlayerSoundHooks();
    if (sound.stop)
        sound.stop();
    if (sound.release)
        sound.release();
    return S_OK;
}

void CMoireScreensaver::OnMediaNotify(int eventCode)
{
    if (currentPlayer)
        currentPlayer->OnMediaEvent(eventCode);
}

namespace {

HKEY OpenSettingsKey(const CD3DScreensaver& saver)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, saver.settingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

void LoadSettingsFromRegistry(CD3DScreensaver& saver)
{
    if (HKEY key = OpenSettingsKey(saver)) {
        saver.LoadMonitorSettings(key);
        RegCloseKey(key);
    }
}

void SaveSettingsToRegistry(CD3DScreensaver& saver, const SettingsTable& table)
{
    if (HKEY key = OpenSettingsKey(saver)) {
        table.Store(key);
        saver.StoreMonitorSettings(key);
        RegCloseKey(key);
    }
}

// CMoireScreensaver: the application. It fills in the framework's hooks so that every device
// plays the scene document through its own ScenePlayer, and owns the program's settings: the
// registry key, the values the player reads and the configuration dialog 106.
#pragma once

#include <windows.h>

#include "host/app/SettingsTable.h"
#include "host/framework/D3DScreensaver.h"
#include "host/player/ScenePlayer.h"

constexpr int kPlayerCount = 10;
constexpr int kConfigurationDialogId = 106;
constexpr int kDialogPictureId = 120;
constexpr int kWindowTitleStringId = 1000;

// The program module, set by WinMain (the resources of dialog 106 and its picture come from it).
extern HINSTANCE ProgramModule;

class CMoireScreensaver : public CD3DScreensaver {
public:
    CMoireScreensaver();

    static CMoireScreensaver* Application;

    void ShowConfiguration() override;
    void LoadSettings() override;
    void OnUnitSelected(int unit) override;
    HRESULT AcceptDeviceCaps(const D3DCAPS9* caps, DWORD behaviourFlags, D3DFORMAT format) override;
    HRESULT RestoreUnitResources() override;
    HRESULT DrawUnit() override;
    HRESULT ReleaseUnitResources() override;
    HRESULT ShutdownScene() override;
    void OnMediaNotify(int eventCode) override;

    ScenePlayer players[kPlayerCount];
    ScenePlayer* currentPlayer = nullptr;
    SettingsTable settingsTable;
};

// Open (or create) the settings key and load or store the monitors' settings; the store also
// writes the settings table. Registry failures are silent.
void LoadSettingsFromRegistry(CD3DScreensaver& saver);
void SaveSettingsToRegistry(CD3DScreensaver& saver, const SettingsTable& table);

// Dialog 106.
INT_PTR HandleSettingsDialogMessage(CMoireScreensaver& app, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The picture's space in dialog 106, in dialog units: the left part of the dialog, beside the
// option and information boxes. At the dialog's font of 8 points on a display of 96 DPI it is
// about 120 pixels square, 12 pixels in from the corner; it grows with the dialog when Windows
// scales the dialog's font for a monitor of higher DPI.
constexpr RECT kDialogPictureSpace = {8, 7, 88, 81};

// The largest rectangle of the picture's shape (`width` by `height`) inside `space`, centred in
// it. A picture or a space without area gives an empty rectangle at the space's top-left corner.
RECT FitPictureInSpace(const RECT& space, UINT width, UINT height);

// Where dialog 106 shows a picture of `width` by `height` pixels: kDialogPictureSpace in the
// dialog's own units, in client pixels, and the picture fitted in it.
RECT DialogPictureRect(HWND dialog, UINT width, UINT height);

// Draws resource "DDS" 120 of the program into its place in the dialog (DialogPictureRect).
void DrawDialogPicture(HWND dialog);

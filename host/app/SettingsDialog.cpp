// Dialog 106, the configuration dialog: OK keeps the settings, Cancel reads them back, one
// button opens the display options and one the maker's web site; the program's picture is drawn
// in its top-left corner.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

#include "host/app/BrowserCommand.h"
#include "host/app/MoireScreensaver.h"

namespace {

constexpr int kDisplayOptionsButton = 1006;
constexpr int kWebSiteButton = 1017;
constexpr int kPictureLeft = 12;
constexpr int kPictureTop = 12;

} // namespace

void DrawDialogPicture(HWND dialog)
{
    HRSRC info = FindResourceW(ProgramModule, MAKEINTRESOURCEW(kDialogPictureId), L"DDS");
    const DWORD size = info ? SizeofResource(ProgramModule, info) : 0;
    HGLOBAL resource = size ? LoadResource(ProgramModule, info) : nullptr;
    const void* bytes = resource ? LockResource(resource) : nullptr;
    if (!bytes)
        return;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return;
    if (void* target = GlobalLock(block)) {
        std::memcpy(target, bytes, size);
        GlobalUnlock(block);
    }
    IStream* stream = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(block, FALSE, &stream))) {
        Gdiplus::GpGraphics* graphics = nullptr;
        Gdiplus::GpImage* image = nullptr;
        if (Gdiplus::DllExports::GdipCreateFromHWND(dialog, &graphics) == Gdiplus::Ok &&
            Gdiplus::DllExports::GdipLoadImageFromStream(stream, &image) == Gdiplus::Ok) {
            UINT width = 0;
            UINT height = 0;
            Gdiplus::DllExports::GdipGetImageWidth(image, &width);
            Gdiplus::DllExports::GdipGetImageHeight(image, &height);
            Gdiplus::DllExports::GdipDrawImageRectI(graphics, image, kPictureLeft, kPictureTop,
                                                   static_cast<INT>(width), static_cast<INT>(height));
        }
        if (image)
            Gdiplus::DllExports::GdipDisposeImage(image);
        if (graphics)
            Gdiplus::DllExports::GdipDeleteGraphics(graphics);
        stream->Release();
    }
    GlobalFree(block);
}

INT_PTR HandleSettingsDialogMessage(CMoireScreensaver& app, HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextW(dialog, app.windowTitle);
        // Opening the dialog writes the current settings, so every value exists from then on.
        SaveSettingsToRegistry(app, app.settingsTable);
        app.settingsTable.ApplyToDialog(dialog);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(dialog, &paint);
        EndPaint(dialog, &paint);
        DrawDialogPicture(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            app.settingsTable.CollectFromDialog(dialog);
            SaveSettingsToRegistry(app, app.settingsTable);
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            // Display settings accepted in the display-options dialog are undone here.
            LoadSettingsFromRegistry(app);
            EndDialog(dialog, IDCANCEL);
            break;
        case kDisplayOptionsButton:
            app.ShowDisplayOptions(dialog);
            break;
        case kWebSiteButton:
            OpenInBrowser(kWebSiteAddress);
            break;
        default:
            break;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!CMoireScreensaver::Application)
        return FALSE;
    return HandleSettingsDialogMessage(*CMoireScreensaver::Application, dialog, message, wParam, lParam);
}

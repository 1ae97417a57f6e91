// Dialog 106, the configuration dialog: OK keeps the settings, Cancel reads them back, one
// button opens the display options and one the maker's web site; the program's picture fills
// the space at its left.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

#include "host/app/BrowserCommand.h"
#include "host/app/MoireScreensaver.h"

namespace {

constexpr int kDisplayOptionsButton = 1006;
constexpr int kWebSiteButton = 1017;

} // namespace

RECT FitPictureInSpace(const RECT& space, UINT width, UINT height)
{
    const int spaceWidth = space.right - space.left;
    const int spaceHeight = space.bottom - space.top;
    if (width == 0 || height == 0 || spaceWidth <= 0 || spaceHeight <= 0)
        return RECT{space.left, space.top, space.left, space.top};
    // As wide as the space, unless that makes the picture taller than the space.
    int fittedWidth = spaceWidth;
    int fittedHeight = MulDiv(spaceWidth, static_cast<int>(height), static_cast<int>(width));
    if (fittedHeight > spaceHeight) {
        fittedHeight = spaceHeight;
        fittedWidth = MulDiv(spaceHeight, static_cast<int>(width), static_cast<int>(height));
    }
    const int left = space.left + (spaceWidth - fittedWidth) / 2;
    const int top = space.top + (spaceHeight - fittedHeight) / 2;
    return RECT{left, top, left + fittedWidth, top + fittedHeight};
}

RECT DialogPictureRect(HWND dialog, UINT width, UINT height)
{
    RECT space = kDialogPictureSpace;
    MapDialogRect(dialog, &space); // dialog units to client pixels, by the dialog's own font
    return FitPictureInSpace(space, width, height);
}

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
            const RECT place = DialogPictureRect(dialog, width, height);
            Gdiplus::DllExports::GdipDrawImageRectI(graphics, image, place.left, place.top,
                                                   place.right - place.left, place.bottom - place.top);
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

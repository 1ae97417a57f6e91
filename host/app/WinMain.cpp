// The program entry: GDI+ for the configuration dialog's picture, then the application for the
// whole run.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "host/app/MoireScreensaver.h"
#include "scene/constructors/SceneReaders.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ProgramModule = instance;
    RegisterSceneReaders();

    // GDI+ stays up until the process ends.
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    CMoireScreensaver app;
    const HRESULT hr = app.Startup(instance);
    if (FAILED(hr)) {
        app.ReportError(hr);
        return 0;
    }
    return app.Execute();
}

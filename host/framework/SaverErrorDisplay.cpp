// The error state's two displays: a message box (configure mode, or a failed message loop) and
// a white box with the message on every monitor window that drifts and bounces off the edges.
#include "host/framework/D3DScreensaver.h"

#include <mmsystem.h>

#include "host/framework/SaverErrors.h"

BOOL CD3DScreensaver::LookUpErrorText(HRESULT code, wchar_t* buffer, int size)
{
    const UINT id = ErrorMessageId(code);
    if (buffer && size > 0) {
        buffer[0] = L'\0';
        LoadStringW(instance, id, buffer, size);
    }
    return id != kGenericErrorMessage;
}

HRESULT CD3DScreensaver::ReportError(HRESULT code)
{
    wchar_t text[512];
    LookUpErrorText(code, text, 512);
    MessageBoxW(mainWindow, text, windowTitle, MB_ICONERROR);
    return code;
}

RECT CD3DScreensaver::ErrorBoundsFor(const SaverMonitor& monitor) const
{
    if (mode != SaverRunMode::FullScreen)
        return totalRectangle;
    POINT topLeft = {monitor.rectangle.left, monitor.rectangle.top};
    POINT bottomRight = {monitor.rectangle.right, monitor.rectangle.bottom};
    ScreenToClient(monitor.window, &topLeft);
    ScreenToClient(monitor.window, &bottomRight);
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CD3DScreensaver::MoveErrorBoxes()
{
    // The first turn of the error state lets every device and Direct3D go.
    if (errorFlag && deviceCount > 0)
        StopDevices();

    const DWORD now = timeGetTime();
    if (!errorTurnStarted_) {
        lastErrorTurn_ = now;
        errorTurnStarted_ = true;
    }
    const float dt = static_cast<DWORD>(now - lastErrorTurn_) / 1000.0f;
    lastErrorTurn_ = now;

    if (errorText[0] == L'\0')
        LookUpErrorText(errorCode, errorText, 400);

    const bool preview = mode == SaverRunMode::Preview;
    for (UINT i = 0; i < monitorCount; ++i) {
        SaverMonitor& m = monitors[i];
        if (!m.window)
            continue;
        const RECT bounds = ErrorBoundsFor(m);
        if (m.errorBox.width == 0) {
            PlaceErrorBox(m.errorBox, bounds, preview);
            if (preview) {
                InvalidateRect(m.window, nullptr, FALSE);
                UpdateWindow(m.window);
            }
            continue;
        }
        if (preview)
            continue;
        const RECT before = ErrorBoxRect(m.errorBox);
        if (StepErrorBox(m.errorBox, bounds, dt)) {
            const RECT after = ErrorBoxRect(m.errorBox);
            InvalidateRect(m.window, &before, FALSE);
            InvalidateRect(m.window, &after, FALSE);
            UpdateWindow(m.window);
        }
    }
}

void CD3DScreensaver::PaintMessageBox(HWND window, HDC dc)
{
    // The preview and test windows always show monitor 0's box, whichever monitor they are on.
    const SaverMonitor* monitor = nullptr;
    if (mode != SaverRunMode::FullScreen && window == mainWindow && monitorCount > 0) {
        monitor = &monitors[0];
    } else {
        const HMONITOR hm = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        for (UINT i = 0; i < monitorCount && !monitor; ++i) {
            if (monitors[i].monitor == hm)
                monitor = &monitors[i];
        }
    }
    if (!monitor)
        return;

    RECT box = ErrorBoxRect(monitor->errorBox);
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    RECT measure = box;
    const int height = DrawTextW(dc, errorText, -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    RECT textRect = box;
    textRect.top = CentredTextTop(box, height);
    DrawTextW(dc, errorText, -1, &textRect, DT_WORDBREAK | DT_CENTER);

    ExcludeClipRect(dc, box.left, box.top, box.right, box.bottom);
    RECT screen = mode == SaverRunMode::FullScreen ? ErrorBoundsFor(*monitor) : totalRectangle;
    FillRect(dc, &screen, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

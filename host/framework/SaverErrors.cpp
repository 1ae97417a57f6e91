#include "host/framework/SaverErrors.h"

#include <d3d9.h>

namespace {

struct ErrorEntry {
    HRESULT code;
    UINT messageId;
};

const ErrorEntry kErrorTable[] = {
    {E_FAIL, 2100},
    {kErrNoDirect3D, 2101},
    {kErrStartFailed, 2102},
    {kErrCreateDeviceFailed, 2103},
    {kErrNoCompatibleDevice, 2104},
    {kErrNoHardwareDevice, 2105},
    {kErrMissingFeatures, 2106},
    {kErrMissingFeaturesDesktop, 2107},
    {kErrMediaFailed, 2108},
    {kErrResetFailed, 2109},
    {E_OUTOFMEMORY, 2110},
    {D3DERR_OUTOFVIDEOMEMORY, 2111},
    {kErrNoPreview, 2112},
};

}  // namespace

UINT ErrorMessageId(HRESULT code)
{
    for (const ErrorEntry& entry : kErrorTable) {
        if (entry.code == code)
            return entry.messageId;
    }
    return kGenericErrorMessage;
}

void PlaceErrorBox(ErrorBox& box, const RECT& bounds, bool preview)
{
    if (preview) {
        box.width = static_cast<float>(bounds.right - bounds.left);
        box.height = static_cast<float>(bounds.bottom - bounds.top);
        box.x = box.y = 0;
        box.vx = box.vy = 0;
        return;
    }
    box.width = 300;
    box.height = 150;
    box.x = ((bounds.left + bounds.right) - 300) * 0.5f;
    box.y = ((bounds.top + bounds.bottom) - 150) * 0.5f;
    box.vx = (bounds.right - bounds.left) / 10.0f;
    box.vy = (bounds.bottom - bounds.top) / 20.0f;
}

RECT ErrorBoxRect(const ErrorBox& box)
{
    RECT r;
    r.left = static_cast<LONG>(box.x);
    r.top = static_cast<LONG>(box.y);
    r.right = static_cast<LONG>(box.x + box.width);
    r.bottom = static_cast<LONG>(box.y + box.height);
    return r;
}

bool StepErrorBox(ErrorBox& box, const RECT& bounds, float dt)
{
    const RECT old = ErrorBoxRect(box);

    const float nx = box.x + box.vx * dt;
    if ((bounds.right < nx + box.width && box.vx > 0) || (nx < bounds.left && box.vx < 0))
        box.vx = -box.vx;
    const float ny = box.y + box.vy * dt;
    if ((bounds.bottom < ny + box.height && box.vy > 0) || (ny < bounds.top && box.vy < 0))
        box.vy = -box.vy;

    box.x += box.vx * dt;
    box.y += box.vy * dt;

    const RECT moved = ErrorBoxRect(box);
    return moved.left != old.left || moved.top != old.top;
}

LONG CentredTextTop(const RECT& box, int textHeight)
{
    return (box.top + box.bottom - textHeight) / 2;
}

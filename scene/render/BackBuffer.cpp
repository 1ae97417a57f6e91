#include "scene/render/BackBuffer.h"

#include "document/ComRef.h"
#include "document/CurrentDevice.h"

BackBufferSize CurrentBackBufferSize()
{
    BackBufferSize size;
    if (!CurrentDevice)
        return size;
    ComRef<IDirect3DSurface9> back;
    if (FAILED(CurrentDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out())) || !back)
        return size;
    D3DSURFACE_DESC desc;
    if (FAILED(back->GetDesc(&desc)))
        return size;
    size.width = desc.Width;
    size.height = desc.Height;
    size.ok = desc.Width > 0 && desc.Height > 0;
    return size;
}

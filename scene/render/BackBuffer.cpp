#include "scene/render/BackBuffer.h"

#include "document/ResourceCache.h"

BackBufferSize CurrentBackBufferSize()
{
    // GetBackBufferDesc gives a zeroed description when there is no device or no back buffer.
    const D3DSURFACE_DESC desc = GetBackBufferDesc();
    BackBufferSize size;
    size.width = desc.Width;
    size.height = desc.Height;
    size.ok = desc.Width > 0 && desc.Height > 0;
    return size;
}

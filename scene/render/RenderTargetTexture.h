// A back-buffer-sized A8R8G8B8 render-target texture in the default pool, into which the effect
// lights draw the scene before they composite it. Being in the default pool, it must be released
// (Release) before the device is reset, and made again (Create) afterwards.
//
//     target.Begin();   // drawing goes into the texture, without depth testing
//     ...draw the scene...
//     target.End();     // back to the back buffer, which starts opaque black
#pragma once

#include <d3d9.h>
#include <cstdint>

#include "document/ComRef.h"

class RenderTargetTexture {
public:
    // Makes the texture at the back buffer's size; the texture held before is released.
    // Returns the HRESULT of CreateTexture.
    HRESULT Create();
    // Lets go of the texture and of any surfaces a Begin still holds.
    void Release();

    // Redirects drawing into the texture. Does nothing without a texture.
    void Begin();
    // Restores the render target and depth surface that Begin saved, then clears the back buffer
    // to opaque black. Does nothing when Begin redirected nothing, so a frame drawn straight to
    // the back buffer survives.
    void End();

    ComRef<IDirect3DTexture9> texture;
    ComRef<IDirect3DSurface9> savedTarget; // held only between Begin and End
    ComRef<IDirect3DSurface9> savedDepth;
    uint32_t width = 0;
    uint32_t height = 0;

private:
    bool redirected_ = false;
};

#include "scene/render/RenderTargetTexture.h"

#include "document/CurrentDevice.h"
#include "scene/render/BackBuffer.h"

HRESULT RenderTargetTexture::Create()
{
    const BackBufferSize back = CurrentBackBufferSize();
    width = back.width;
    height = back.height;
    texture.Reset();
    if (!back.ok)
        return D3DERR_INVALIDCALL;
    return CurrentDevice->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                        texture.Out(), nullptr);
}

void RenderTargetTexture::Release()
{
    savedTarget.Reset();
    savedDepth.Reset();
    texture.Reset();
    redirected_ = false;
}

void RenderTargetTexture::Begin()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !texture || redirected_)
        return;
    ComRef<IDirect3DSurface9> level;
    if (FAILED(texture->GetSurfaceLevel(0, level.Out())) || !level)
        return;

    savedTarget.Reset();
    savedDepth.Reset();
    if (FAILED(device->GetRenderTarget(0, savedTarget.Out())))
        return;
    // A device without a depth surface has none to save; null is restored then.
    device->GetDepthStencilSurface(savedDepth.Out());

    if (FAILED(device->SetRenderTarget(0, level.Get()))) {
        savedTarget.Reset();
        savedDepth.Reset();
        return;
    }
    // The scene is drawn into the texture without depth testing against the back buffer's depth.
    device->SetDepthStencilSurface(nullptr);
    redirected_ = true;
}

void RenderTargetTexture::End()
{
    IDirect3DDevice9* device = CurrentDevice;
    if (!device || !redirected_)
        return;
    device->SetRenderTarget(0, savedTarget.Get());
    device->SetDepthStencilSurface(savedDepth.Get());
    // Clearing a depth buffer that is not there would make the whole Clear fail.
    const DWORD clearFlags = D3DCLEAR_TARGET | (savedDepth ? D3DCLEAR_ZBUFFER : 0);
    savedTarget.Reset();
    savedDepth.Reset();
    redirected_ = false;
    // The back buffer starts black for the composite that follows.
    device->Clear(0, nullptr, clearFlags, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
}

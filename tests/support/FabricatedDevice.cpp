// The device's method table is reached through the C view of the interface, which names its
// entries; this file alone is compiled with it.
#define CINTERFACE
#include "tests/support/FabricatedDevice.h"

#include <algorithm>
#include <cassert>

namespace {

FabricatedDevice* gActive = nullptr;
const IDirect3DDevice9Vtbl* gOwnTable = nullptr; // the device's own method table
IDirect3DDevice9Vtbl gFabricatedTable;           // its copy with some entries replaced

HRESULT STDMETHODCALLTYPE FabricatedGetDeviceCaps(IDirect3DDevice9* device, D3DCAPS9* caps)
{
    const HRESULT hr = gOwnTable->GetDeviceCaps(device, caps);
    if (SUCCEEDED(hr) && caps) {
        caps->MaxPrimitiveCount = gActive->maxPrimitiveCount;
        caps->MaxVertexIndex = gActive->maxVertexIndex;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE FabricatedDrawIndexedPrimitive(IDirect3DDevice9* device, D3DPRIMITIVETYPE type,
                                                         INT baseVertex, UINT minIndex, UINT vertexCount,
                                                         UINT startIndex, UINT primitiveCount)
{
    HRESULT hr = D3DERR_INVALIDCALL;
    const bool beyondIndices = vertexCount > 0 && minIndex + vertexCount - 1 > gActive->maxVertexIndex;
    if (primitiveCount > gActive->maxPrimitiveCount || beyondIndices)
        ++gActive->refusedDraws;
    else
        hr = gOwnTable->DrawIndexedPrimitive(device, type, baseVertex, minIndex, vertexCount, startIndex,
                                             primitiveCount);
    gActive->indexedCalls.push_back({startIndex, primitiveCount, hr});
    return hr;
}

HRESULT STDMETHODCALLTYPE FabricatedDrawPrimitive(IDirect3DDevice9* device, D3DPRIMITIVETYPE type, UINT startVertex,
                                                  UINT primitiveCount)
{
    if (primitiveCount > gActive->maxPrimitiveCount) {
        ++gActive->refusedDraws;
        return D3DERR_INVALIDCALL;
    }
    return gOwnTable->DrawPrimitive(device, type, startVertex, primitiveCount);
}

HRESULT STDMETHODCALLTYPE FabricatedCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels,
                                                  DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                  IDirect3DTexture9** texture, HANDLE* shared)
{
    auto lists = [format](const std::vector<D3DFORMAT>& formats) {
        return std::find(formats.begin(), formats.end(), format) != formats.end();
    };
    if (lists(gActive->missingFormats) ||
        ((usage & D3DUSAGE_RENDERTARGET) && lists(gActive->missingRenderTargetFormats))) {
        ++gActive->refusedTextures;
        if (texture)
            *texture = nullptr;
        return D3DERR_NOTAVAILABLE;
    }
    return gOwnTable->CreateTexture(device, width, height, levels, usage, format, pool, texture, shared);
}

} // namespace

FabricatedDevice::FabricatedDevice(IDirect3DDevice9* device) : device_(device)
{
    assert(!gActive && "one FabricatedDevice at a time");
    D3DCAPS9 caps = {};
    device->lpVtbl->GetDeviceCaps(device, &caps);
    maxPrimitiveCount = caps.MaxPrimitiveCount;
    maxVertexIndex = caps.MaxVertexIndex;

    gActive = this;
    gOwnTable = device->lpVtbl;
    gFabricatedTable = *device->lpVtbl;
    gFabricatedTable.GetDeviceCaps = FabricatedGetDeviceCaps;
    gFabricatedTable.DrawIndexedPrimitive = FabricatedDrawIndexedPrimitive;
    gFabricatedTable.DrawPrimitive = FabricatedDrawPrimitive;
    gFabricatedTable.CreateTexture = FabricatedCreateTexture;
    device->lpVtbl = &gFabricatedTable;
}

FabricatedDevice::~FabricatedDevice()
{
    device_->lpVtbl = const_cast<IDirect3DDevice9Vtbl*>(gOwnTable);
    gActive = nullptr;
    gOwnTable = nullptr;
}

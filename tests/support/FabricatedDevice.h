// A real device made to behave, for one test, like a card that has less than Wine offers.
//
// Windows refuses what a card cannot do, and many cards can do less than Wine: they report
// MaxPrimitiveCount and MaxVertexIndex of 65535 and refuse a draw call beyond them, and they may
// lack texture formats such as D3DFMT_V16U16. While a FabricatedDevice lives:
//   - GetDeviceCaps reports maxPrimitiveCount and maxVertexIndex (the device's own until a test
//     lowers them), and DrawIndexedPrimitive and DrawPrimitive refuse a call beyond them with
//     D3DERR_INVALIDCALL, as Windows does;
//   - CreateTexture refuses every format in missingFormats, and every format in
//     missingRenderTargetFormats for a render target, with D3DERR_NOTAVAILABLE (D3DX's texture
//     makers go through it too).
// Every other call goes to the device unchanged. Indexed draw calls are written down.
//
// It points the device object at a copy of its method table with those entries replaced, and
// puts the device's own table back when it goes. One at a time per process.
#pragma once

#include <d3d9.h>

#include <vector>

class FabricatedDevice {
public:
    explicit FabricatedDevice(IDirect3DDevice9* device);
    ~FabricatedDevice();
    FabricatedDevice(const FabricatedDevice&) = delete;
    FabricatedDevice& operator=(const FabricatedDevice&) = delete;

    UINT maxPrimitiveCount;
    UINT maxVertexIndex;
    std::vector<D3DFORMAT> missingFormats;
    std::vector<D3DFORMAT> missingRenderTargetFormats;

    // One indexed draw call as the device was asked for it, and what it answered.
    struct IndexedCall {
        UINT startIndex;
        UINT primitiveCount;
        HRESULT result;
    };
    std::vector<IndexedCall> indexedCalls;
    int refusedDraws = 0;    // draw calls of either kind refused for a limit
    int refusedTextures = 0; // textures refused for a missing format

private:
    IDirect3DDevice9* device_;
};

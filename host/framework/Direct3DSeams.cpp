#include "host/framework/Direct3DSeams.h"

namespace {

Direct3DFactory gFactory = nullptr;

HRESULT CallTestCooperativeLevel(IDirect3DDevice9* device) { return device->TestCooperativeLevel(); }
HRESULT CallReset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters) { return device->Reset(parameters); }
HRESULT CallPresent(IDirect3DDevice9* device) { return device->Present(nullptr, nullptr, nullptr, nullptr); }

const DeviceCalls kDeviceCalls = {CallTestCooperativeLevel, CallReset, CallPresent};
DeviceCalls gDeviceCalls = kDeviceCalls;

}  // namespace

IDirect3D9* CreateDirect3D(UINT sdkVersion)
{
    return gFactory ? gFactory(sdkVersion) : Direct3DCreate9(sdkVersion);
}

void SetDirect3DFactory(Direct3DFactory factory) { gFactory = factory; }

Direct3DFactory CurrentDirect3DFactory() { return gFactory; }

const DeviceCalls& CurrentDeviceCalls() { return gDeviceCalls; }

void SetDeviceCalls(const DeviceCalls* calls) { gDeviceCalls = calls ? *calls : kDeviceCalls; }

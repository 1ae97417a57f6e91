// The two places where the host meets Direct3D through something a test can replace:
// the factory that makes the IDirect3D9 object, and the three device calls whose results
// drive the frame loop (lost devices, resets and presents).
#pragma once

#include <d3d9.h>

using Direct3DFactory = IDirect3D9* (*)(UINT sdkVersion);

// Makes the IDirect3D9 object (Direct3DCreate9 unless a test has set another factory).
IDirect3D9* CreateDirect3D(UINT sdkVersion);
// Sets the factory; null restores Direct3DCreate9.
void SetDirect3DFactory(Direct3DFactory factory);
// The factory set last (null: Direct3DCreate9).
Direct3DFactory CurrentDirect3DFactory();

struct DeviceCalls {
    HRESULT (*testCooperativeLevel)(IDirect3DDevice9* device);
    HRESULT (*reset)(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters);
    HRESULT (*present)(IDirect3DDevice9* device);
};

// The device calls in use; the defaults call the device itself.
const DeviceCalls& CurrentDeviceCalls();
// Replaces them; null restores the defaults.
void SetDeviceCalls(const DeviceCalls* calls);

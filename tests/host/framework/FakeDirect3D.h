// A scripted IDirect3D9 for the host's adapter probe and device opening: adapters with chosen
// modes, device types, caps and depth formats, and a rule for which CreateDevice calls fail.
// A CreateDevice that succeeds hands out a real small windowed device, so the frame code runs.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>
#include <string>
#include <vector>

#include "document/ComRef.h"

struct FakeAdapter {
    GUID id = {0x1234abcd, 0x11, 0x22, {1, 2, 3, 4, 5, 6, 7, 8}};
    std::string description = "Fake Adapter";
    D3DDISPLAYMODE desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;  // the X8R8G8B8 list
    HMONITOR monitor = nullptr;
    bool hal = true;
    bool sw = false;
    DWORD devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    std::vector<D3DFORMAT> depthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
};

struct CreateDeviceCall {
    UINT adapter;
    D3DDEVTYPE type;
    DWORD flags;
    D3DPRESENT_PARAMETERS parameters;
};

class FakeDirect3D : public IDirect3D9 {
public:
    FakeDirect3D();
    virtual ~FakeDirect3D();

    std::vector<FakeAdapter> adapters;
    // Says whether a CreateDevice with these parameters fails; none: every call succeeds.
    std::function<bool(const D3DPRESENT_PARAMETERS&)> createFails;
    std::vector<CreateDeviceCall> createCalls;

    // IUnknown
    HRESULT WINAPI QueryInterface(REFIID, void** out) override;
    ULONG WINAPI AddRef() override { return ++refs_; }
    ULONG WINAPI Release() override;
    // IDirect3D9
    HRESULT WINAPI RegisterSoftwareDevice(void*) override { return D3DERR_NOTAVAILABLE; }
    UINT WINAPI GetAdapterCount() override { return static_cast<UINT>(adapters.size()); }
    HRESULT WINAPI GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) override;
    UINT WINAPI GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT WINAPI EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) override;
    HRESULT WINAPI GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out) override;
    HRESULT WINAPI CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, BOOL) override;
    HRESULT WINAPI CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                     D3DFORMAT check) override;
    HRESULT WINAPI CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE,
                                              DWORD*) override { return D3DERR_NOTAVAILABLE; }
    HRESULT WINAPI CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT depth) override;
    HRESULT WINAPI CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override { return S_OK; }
    HRESULT WINAPI GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR WINAPI GetAdapterMonitor(UINT adapter) override;
    HRESULT WINAPI CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                                D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** out) override;

private:
    bool Valid(UINT adapter) const { return adapter < adapters.size(); }
    bool HasDepth(UINT adapter, D3DFORMAT depth) const;

    ULONG refs_ = 1;
    HWND window_ = nullptr;
    ComRef<IDirect3D9> real_;
};

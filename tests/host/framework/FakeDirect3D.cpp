#include <initguid.h>  // defines IID_IDirect3D9 here
#include "FakeDirect3D.h"

#include <algorithm>
#include <cstring>

FakeDirect3D::FakeDirect3D()
{
    window_ = CreateWindowW(L"STATIC", L"fake d3d", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    real_ = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
}

FakeDirect3D::~FakeDirect3D()
{
    real_.Reset();
    if (window_)
        DestroyWindow(window_);
}

HRESULT FakeDirect3D::QueryInterface(REFIID iid, void** out)
{
    if (iid == IID_IUnknown || iid == IID_IDirect3D9) {
        *out = this;
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// The tests own the fake on their stack; the count only has to stay balanced.
ULONG FakeDirect3D::Release() { return refs_ > 0 ? --refs_ : 0; }

HRESULT FakeDirect3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id)
{
    if (!Valid(adapter))
        return D3DERR_INVALIDCALL;
    *id = D3DADAPTER_IDENTIFIER9{};
    strncpy(id->Description, adapters[adapter].description.c_str(), sizeof id->Description - 1);
    id->DeviceIdentifier = adapters[adapter].id;
    return S_OK;
}

UINT FakeDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    return Valid(adapter) && format == D3DFMT_X8R8G8B8 ? static_cast<UINT>(adapters[adapter].modes.size()) : 0;
}

HRESULT FakeDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out)
{
    if (!Valid(adapter) || format != D3DFMT_X8R8G8B8 || mode >= adapters[adapter].modes.size())
        return D3DERR_INVALIDCALL;
    *out = adapters[adapter].modes[mode];
    return S_OK;
}

HRESULT FakeDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* out)
{
    if (!Valid(adapter))
        return D3DERR_INVALIDCALL;
    *out = adapters[adapter].desktop;
    return S_OK;
}

HRESULT FakeDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, BOOL)
{
    if (!Valid(adapter))
        return D3DERR_INVALIDCALL;
    const bool has = type == D3DDEVTYPE_HAL ? adapters[adapter].hal : type == D3DDEVTYPE_SW && adapters[adapter].sw;
    return has ? S_OK : D3DERR_NOTAVAILABLE;
}

bool FakeDirect3D::HasDepth(UINT adapter, D3DFORMAT depth) const
{
    const auto& list = adapters[adapter].depthFormats;
    return std::find(list.begin(), list.end(), depth) != list.end();
}

HRESULT FakeDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                        D3DFORMAT check)
{
    return Valid(adapter) && HasDepth(adapter, check) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT depth)
{
    return Valid(adapter) && HasDepth(adapter, depth) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    if (!Valid(adapter))
        return D3DERR_INVALIDCALL;
    *caps = D3DCAPS9{};
    caps->DeviceType = type;
    caps->AdapterOrdinal = adapter;
    caps->DevCaps = adapters[adapter].devCaps;
    return S_OK;
}

HMONITOR FakeDirect3D::GetAdapterMonitor(UINT adapter)
{
    return Valid(adapter) ? adapters[adapter].monitor : nullptr;
}

HRESULT FakeDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD flags,
                                   D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** out)
{
    *out = nullptr;
    createCalls.push_back({adapter, type, flags, *parameters});
    if (!Valid(adapter) || (createFails && createFails(*parameters)))
        return D3DERR_NOTAVAILABLE;
    if (!real_)
        return D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS small = {};
    small.BackBufferWidth = 64;
    small.BackBufferHeight = 64;
    small.BackBufferFormat = D3DFMT_X8R8G8B8;
    small.BackBufferCount = 1;
    small.SwapEffect = D3DSWAPEFFECT_DISCARD;
    small.hDeviceWindow = window_;
    small.Windowed = TRUE;
    return real_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &small, out);
}

#include "tests/support/DeviceFixture.h"

#include <d3dx9.h>

#include "document/CurrentDevice.h"

namespace {

const wchar_t kWindowClass[] = L"LanternworkTestDevice";

void RegisterTestWindowClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);
    registered = true;
}

} // namespace

size_t PixelImage::Count(uint32_t rgb, UINT x0, UINT y0, UINT x1, UINT y1) const
{
    size_t n = 0;
    for (UINT y = y0; y < y1 && y < height; ++y)
        for (UINT x = x0; x < x1 && x < width; ++x)
            if (Rgb(x, y) == (rgb & 0x00FFFFFFu))
                ++n;
    return n;
}

TestDevice::TestDevice(UINT width, UINT height)
{
    RegisterTestWindowClass();
    // The window is never shown: the device draws into its back buffer, which tests read back.
    window_ = CreateWindowW(kWindowClass, L"Lanternwork test", WS_OVERLAPPEDWINDOW, 0, 0,
                            static_cast<int>(width), static_cast<int>(height), nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    d3d_ = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    if (!window_ || !d3d_)
        return;

    params_.Windowed = TRUE;
    params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params_.BackBufferFormat = D3DFMT_X8R8G8B8;
    params_.BackBufferWidth = width;
    params_.BackBufferHeight = height;
    params_.BackBufferCount = 1;
    params_.EnableAutoDepthStencil = TRUE;
    params_.AutoDepthStencilFormat = D3DFMT_D24S8;
    params_.hDeviceWindow = window_;
    params_.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                       &params_, device_.Out());
}

TestDevice::~TestDevice()
{
    device_.Reset();
    d3d_.Reset();
    if (window_)
        DestroyWindow(window_);
}

HRESULT TestDevice::Reset(UINT width, UINT height)
{
    params_.BackBufferWidth = width;
    params_.BackBufferHeight = height;
    return device_->Reset(&params_);
}

PixelImage ReadRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9* target)
{
    PixelImage image;
    ComRef<IDirect3DSurface9> source;
    if (target)
        source = ComRef<IDirect3DSurface9>::Share(target);
    else if (FAILED(device->GetRenderTarget(0, source.Out())))
        return image;

    D3DSURFACE_DESC desc;
    source->GetDesc(&desc);
    ComRef<IDirect3DSurface9> copy;
    if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                   copy.Out(), nullptr)))
        return image;
    if (FAILED(device->GetRenderTargetData(source.Get(), copy.Get())))
        return image;

    D3DLOCKED_RECT locked;
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return image;
    image.width = desc.Width;
    image.height = desc.Height;
    image.pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x)
            image.pixels[y * desc.Width + x] = row[x];
    }
    copy->UnlockRect();
    return image;
}

std::wstring SaveBackBufferPng(IDirect3DDevice9* device, const std::wstring& name)
{
    const std::wstring folder = L"" LW_TEST_ARTIFACTS;
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name + L".png";
    ComRef<IDirect3DSurface9> back;
    if (FAILED(device->GetRenderTarget(0, back.Out())))
        return std::wstring();
    if (FAILED(D3DXSaveSurfaceToFileW(path.c_str(), D3DXIFF_PNG, back.Get(), nullptr, nullptr)))
        return std::wstring();
    return path;
}

void DeviceTest::SetUp()
{
    test_device_ = new TestDevice(kWidth, kHeight);
    ASSERT_TRUE(test_device_->Ok()) << "no Direct3D 9 device could be made";
    current_.emplace();
    CurrentDevice = test_device_->device();
}

void DeviceTest::TearDown()
{
    current_.reset(); // the current objects as they were, before the device goes
    delete test_device_;
    test_device_ = nullptr;
}

std::string BoundDrawingResources(IDirect3DDevice9* device, DWORD stageCount)
{
    std::string bound;
    auto add = [&](const std::string& what) { bound += (bound.empty() ? "" : ", ") + what; };
    for (DWORD stage = 0; stage < stageCount; ++stage) {
        ComRef<IDirect3DBaseTexture9> texture;
        device->GetTexture(stage, texture.Out());
        if (texture)
            add("stage " + std::to_string(stage) + " texture");
    }
    ComRef<IDirect3DVertexBuffer9> stream;
    UINT offset = 0, stride = 0;
    device->GetStreamSource(0, stream.Out(), &offset, &stride);
    if (stream)
        add("stream 0");
    ComRef<IDirect3DIndexBuffer9> indices;
    device->GetIndices(indices.Out());
    if (indices)
        add("indices");
    return bound;
}

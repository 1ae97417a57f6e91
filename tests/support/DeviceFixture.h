// A real windowed Direct3D 9 device for device tests: a hidden window, a HAL device with
// software vertex processing and a depth buffer, and helpers to read the back buffer back.
//
//     class MyTest : public DeviceTest {};
//     TEST_F(MyTest, Clears) { device()->Clear(...); EXPECT_EQ(ReadBackBuffer().At(0, 0), ...); }
//
// The fixture sets CurrentDevice to its device for the test's duration; the current objects
// (CurrentDevice, CurrentResourceCache, CurrentDocResManager) come back as they were afterwards.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/ComRef.h"
#include "tests/support/CurrentObjects.h"

// A copy of a render target in memory, one 0xAARRGGBB value per pixel.
struct PixelImage {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(UINT x, UINT y) const { return pixels[y * width + x]; }
    // Colour without alpha (X8R8G8B8 back buffers leave alpha undefined).
    uint32_t Rgb(UINT x, UINT y) const { return At(x, y) & 0x00FFFFFFu; }
    // Pixels inside [x0, x1) × [y0, y1) whose colour (without alpha) is `rgb`.
    size_t Count(uint32_t rgb, UINT x0, UINT y0, UINT x1, UINT y1) const;
    size_t Count(uint32_t rgb) const { return Count(rgb, 0, 0, width, height); }
};

// Owns the window and the device; one per test, or one shared by a suite.
class TestDevice {
public:
    TestDevice(UINT width, UINT height);
    ~TestDevice();
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    bool Ok() const { return device_ != nullptr; }
    IDirect3D9* d3d() const { return d3d_.Get(); }
    IDirect3DDevice9* device() const { return device_.Get(); }
    HWND window() const { return window_; }
    const D3DPRESENT_PARAMETERS& params() const { return params_; }

    // Resets the device with a new back-buffer size (default-pool resources must be released first).
    HRESULT Reset(UINT width, UINT height);

private:
    HWND window_ = nullptr;
    ComRef<IDirect3D9> d3d_;
    ComRef<IDirect3DDevice9> device_;
    D3DPRESENT_PARAMETERS params_ = {};
};

// Reads a render target (the back buffer by default) through a system-memory copy.
PixelImage ReadRenderTarget(IDirect3DDevice9* device, IDirect3DSurface9* target = nullptr);

// What is still bound to the device, for release tests: "stage N texture", "stream 0" and
// "indices", separated by commas; empty when nothing of these is bound.
std::string BoundDrawingResources(IDirect3DDevice9* device, DWORD stageCount);

// Saves the back buffer as a PNG in the test-artifact folder, for a person to look at.
// Returns the file's path, or an empty string when it could not be written.
std::wstring SaveBackBufferPng(IDirect3DDevice9* device, const std::wstring& name);

// Fixture base: a fresh 256 × 192 device per test, current while the test runs.
class DeviceTest : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 256;
    static constexpr UINT kHeight = 192;

    void SetUp() override;
    void TearDown() override;

    IDirect3DDevice9* device() const { return test_device_->device(); }
    TestDevice& test_device() { return *test_device_; }
    PixelImage ReadBackBuffer() const { return ReadRenderTarget(device()); }

private:
    TestDevice* test_device_ = nullptr;
    std::optional<CurrentObjectsGuard> current_; // from SetUp to TearDown
};

// The error state's box: its first placement by the idle turn and its painting.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/framework/D3DScreensaver.h"

namespace {

// A 600 x 400 memory picture to paint into, filled grey first.
class PaintTarget {
public:
    PaintTarget()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 600;
        info.bmiHeader.biHeight = -400;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < 600 * 400; ++i)
            bits_[i] = 0x808080;
    }
    ~PaintTarget()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    uint32_t At(int x, int y) const
    {
        GdiFlush();
        return bits_[y * 600 + x] & 0xFFFFFF;
    }
    int CountInside(const RECT& r, uint32_t rgb) const
    {
        GdiFlush();
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += (bits_[y * 600 + x] & 0xFFFFFF) == rgb;
        return n;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

class ErrorDisplay : public testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreateWindowW(L"STATIC", L"saver", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        saver_.mode = SaverRunMode::Test;
        saver_.mainWindow = window_;
        saver_.monitorCount = 1;
        saver_.monitors[0].window = window_;
        // A monitor handle that no window is on: the test window must still find its box.
        saver_.monitors[0].monitor = reinterpret_cast<HMONITOR>(0x4321);
        saver_.totalRectangle = RECT{0, 0, 600, 400};
        saver_.errorFlag = 1;
        saver_.errorCode = static_cast<HRESULT>(0x8200000E);
    }
    void TearDown() override { DestroyWindow(window_); }

    HWND window_ = nullptr;
    CD3DScreensaver saver_;
};

}  // namespace

TEST_F(ErrorDisplay, FirstTurnPlacesTheTestWindowBox)
{
    saver_.MoveErrorBoxes();
    const ErrorBox& box = saver_.monitors[0].errorBox;
    EXPECT_FLOAT_EQ(box.x, 150);
    EXPECT_FLOAT_EQ(box.y, 125);
    EXPECT_FLOAT_EQ(box.width, 300);
    EXPECT_FLOAT_EQ(box.height, 150);
    EXPECT_FLOAT_EQ(box.vx, 60);
    EXPECT_FLOAT_EQ(box.vy, 20);

    Sleep(120);
    saver_.MoveErrorBoxes();
    EXPECT_GT(box.x, 150);  // it moves from the second turn on
    EXPECT_GT(box.y, 125);
}

TEST_F(ErrorDisplay, PreviewBoxIsTheWholeWindow)
{
    saver_.mode = SaverRunMode::Preview;
    saver_.totalRectangle = RECT{0, 0, 320, 240};
    saver_.MoveErrorBoxes();
    const ErrorBox& box = saver_.monitors[0].errorBox;
    EXPECT_FLOAT_EQ(box.x, 0);
    EXPECT_FLOAT_EQ(box.width, 320);
    EXPECT_FLOAT_EQ(box.height, 240);
}

TEST_F(ErrorDisplay, PaintsAWhiteFramedBoxWithTextOnBlack)
{
    saver_.monitors[0].errorBox = ErrorBox{150, 125, 300, 150, 60, 20};
    lstrcpyW(saver_.errorText, L"No fue posible crear el dispositivo Direct3D.");
    PaintTarget target;
    saver_.PaintMessageBox(window_, target.dc());

    const uint32_t window = GetSysColor(COLOR_WINDOW) & 0xFFFFFF;
    const uint32_t white = ((window & 0xFF) << 16) | (window & 0xFF00) | ((window >> 16) & 0xFF);  // as 0xRRGGBB
    EXPECT_EQ(target.At(10, 10), 0x000000u);    // outside: black
    EXPECT_EQ(target.At(150, 125), 0x000000u);  // the frame
    EXPECT_EQ(target.At(449, 274), 0x000000u);
    EXPECT_EQ(target.At(152, 127), white);  // inside, away from the text
    const RECT inside = {151, 126, 449, 274};
    const int background = target.CountInside(inside, white);
    EXPECT_LT(background, 298 * 148) << "no text drawn";
    EXPECT_GT(background, 298 * 148 / 2);
    // The text sits in the middle rows, not at the top of the box.
    EXPECT_EQ(target.CountInside(RECT{151, 126, 449, 160}, white), 298 * 34);
}

TEST_F(ErrorDisplay, NoPaintForAWindowOnNoKnownMonitor)
{
    saver_.mode = SaverRunMode::FullScreen;
    saver_.monitors[0].errorBox = ErrorBox{150, 125, 300, 150, 60, 20};
    PaintTarget target;
    saver_.PaintMessageBox(window_, target.dc());
    EXPECT_EQ(target.At(10, 10), 0x808080u);
}

// The picture of the configuration dialog 106: fitted into its space, which is given in the
// dialog's own units, so that it grows with the dialog when Windows scales it for a monitor.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/app/MoireScreensaver.h"
#include "tests/support/BuiltProgram.h"

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct FitCase {
    const char* what;
    RECT space;
    UINT width, height;
    RECT expected;
};

const FitCase kFitCases[] = {
    {"a square picture in a square space", {12, 12, 132, 132}, 120, 120, {12, 12, 132, 132}},
    {"a small picture grows", {0, 0, 240, 240}, 120, 120, {0, 0, 240, 240}},
    {"a taller space: centred from top to bottom", {10, 20, 190, 205}, 120, 120, {10, 22, 190, 202}},
    {"a wider space: centred from side to side", {0, 0, 300, 100}, 120, 120, {100, 0, 200, 100}},
    {"a wide picture in a square space", {0, 0, 100, 100}, 200, 100, {0, 25, 100, 75}},
    {"a tall picture in a square space", {0, 0, 100, 100}, 50, 100, {25, 0, 75, 100}},
    {"a picture without width", {5, 6, 100, 100}, 0, 120, {5, 6, 5, 6}},
    {"a picture without height", {5, 6, 100, 100}, 120, 0, {5, 6, 5, 6}},
    {"a space without area", {5, 6, 5, 100}, 120, 120, {5, 6, 5, 6}},
    {"a space turned inside out", {100, 100, 0, 0}, 120, 120, {100, 100, 100, 100}},
};

TEST(DialogPicture, FitsItsSpaceKeepingItsShape)
{
    for (const FitCase& c : kFitCases) {
        const RECT fitted = FitPictureInSpace(c.space, c.width, c.height);
        EXPECT_TRUE(SameRect(fitted, c.expected))
            << c.what << ": " << fitted.left << ", " << fitted.top << ", " << fitted.right << ", " << fitted.bottom;
    }
}

// Dialog 106 of the built program with its font at `points`. Windows scales a per-monitor aware
// dialog for a monitor of higher DPI by making its font that much larger: the dialog's 8 points
// become 12 at 150 % and 16 at 200 %, and its dialog units grow with them.
class ScaledConfigurationDialog {
public:
    ScaledConfigurationDialog(HMODULE program, WORD points)
    {
        HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(kConfigurationDialogId), RT_DIALOG);
        if (!found)
            return;
        const DWORD size = SizeofResource(program, found);
        const void* bytes = LockResource(LoadResource(program, found));
        std::vector<DWORD> copy((size + 3) / 4); // a dialog template must be DWORD-aligned
        std::memcpy(copy.data(), bytes, size);
        WORD* words = reinterpret_cast<WORD*>(copy.data());
        if (words[1] != 0xFFFF) // an extended template, as windres writes DIALOGEX
            return;
        // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy: 13 words; then the
        // menu, the class and the caption, each none (0), an ordinal (0xFFFF, n) or a text.
        size_t at = 13;
        for (int field = 0; field < 3; ++field) {
            if (words[at] == 0x0000)
                at += 1;
            else if (words[at] == 0xFFFF)
                at += 2;
            else
                while (words[at++] != 0) {
                }
        }
        words[at] = points; // the font's point size comes next
        dialog_ = CreateDialogIndirectParamW(program, reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr,
                                             QuietDialog, 0);
        if (dialog_) {
            SetWindowPos(dialog_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
            UpdateWindow(dialog_);
        }
    }
    ~ScaledConfigurationDialog()
    {
        if (dialog_)
            DestroyWindow(dialog_);
    }
    HWND get() const { return dialog_; }

    // The left edge, in client pixels, of the control nearest to the dialog's left side.
    LONG LeftmostControl() const
    {
        LONG leftmost = LONG_MAX;
        for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
            leftmost = std::min(leftmost, r.left);
        }
        return leftmost;
    }

    COLORREF Pixel(int x, int y) const
    {
        HDC dc = GetDC(dialog_);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(dialog_, dc);
        return colour;
    }

private:
    static INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

    HWND dialog_ = nullptr;
};

// The night sky and the water at the picture's corners, against the grey of the dialog.
bool Dark(COLORREF colour)
{
    return colour != CLR_INVALID && GetRValue(colour) < 0x80 && GetGValue(colour) < 0x80 && GetBValue(colour) < 0x80;
}

class ConfigurationDialogPicture : public testing::Test {
protected:
    void SetUp() override
    {
        program_ = LoadBuiltProgram();
        ASSERT_NE(program_, nullptr) << "lanternwork.scr not found beside the test";
        previous_ = ProgramModule;
        ProgramModule = program_; // the picture is read from the built program
    }
    void TearDown() override
    {
        ProgramModule = previous_;
        if (program_)
            FreeLibrary(program_);
    }

    HMODULE program_ = nullptr;
    HINSTANCE previous_ = nullptr;
};

// At 100 %, 150 % and 200 % the 120-pixel picture fills the same part of the dialog: it grows
// as the dialog's units do, stays left of the controls and inside the dialog, and is drawn
// there to its far corner.
TEST_F(ConfigurationDialogPicture, GrowsWithTheDialogAtEveryScale)
{
    ScaledConfigurationDialog usual(program_, 8);
    ASSERT_NE(usual.get(), nullptr);
    RECT units = {0, 0, 4, 8}; // one average character: the dialog's base units
    MapDialogRect(usual.get(), &units);
    const RECT atUsualSize = DialogPictureRect(usual.get(), 120, 120);
    const LONG usualSide = atUsualSize.right - atUsualSize.left;
    EXPECT_NEAR(usualSide, 120, 16) << "about its natural size at 8 points";

    for (WORD points : {8, 12, 16}) {
        SCOPED_TRACE(points);
        ScaledConfigurationDialog scaled(program_, points);
        ASSERT_NE(scaled.get(), nullptr);
        RECT scaledUnits = {0, 0, 4, 8};
        MapDialogRect(scaled.get(), &scaledUnits);
        const double growth = double(scaledUnits.bottom) / units.bottom;

        const RECT place = DialogPictureRect(scaled.get(), 120, 120);
        const LONG side = static_cast<LONG>(usualSide * growth + 0.5); // where it should reach
        EXPECT_EQ(place.right - place.left, place.bottom - place.top) << "the picture keeps its shape";
        EXPECT_NEAR(place.right - place.left, side, 3.0 * growth);
        RECT client;
        GetClientRect(scaled.get(), &client);
        EXPECT_GT(place.left, 0);
        EXPECT_GT(place.top, 0);
        EXPECT_LT(place.bottom, client.bottom);
        EXPECT_LT(place.right, scaled.LeftmostControl()) << "the picture runs under the controls";

        DrawDialogPicture(scaled.get());
        GdiFlush();
        EXPECT_TRUE(Dark(scaled.Pixel(place.left + 2, place.top + 2))) << std::hex << scaled.Pixel(place.left + 2, place.top + 2);
        const COLORREF farCorner = scaled.Pixel(place.left + side - 4, place.top + side - 4);
        EXPECT_TRUE(Dark(farCorner)) << "the picture does not reach its far corner: " << std::hex << farCorner;
        const COLORREF beside = scaled.Pixel(place.left + side + 3, place.top + 2);
        EXPECT_FALSE(Dark(beside)) << "the picture spills to its right: " << std::hex << beside;
    }
}

} // namespace

// The built screensaver, started with a switch: its configuration dialog with the display
// options, its slide show on a scene document of the test's own, the stretch setting, and a
// damaged scene document shown as the error state.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/BrowserCommand.h"
#include "host/app/MoireScreensaver.h"
#include "tests/support/BuiltProgram.h"
#include "tests/support/SaverDriver.h"
#include "tests/support/TestPictures.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

std::wstring TempPath(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

// How long a test waits for a window of the saver.
constexpr DWORD kWindowWait = 20000;

std::wstring ProgramTitle()
{
    return ProgramString(1000);
}

bool ValueExists(const wchar_t* path, const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool found = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

COLORREF ClientPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

bool Near(COLORREF colour, int r, int g, int b)
{
    return std::abs(GetRValue(colour) - r) <= 8 && std::abs(GetGValue(colour) - g) <= 8 &&
           std::abs(GetBValue(colour) - b) <= 8;
}

COLORREF Rgb(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool Near(COLORREF a, COLORREF b)
{
    return Near(a, GetRValue(b), GetGValue(b), GetBValue(b));
}

// A copy of the program, in the temporary folder, whose resource "DDS" `id` is `bytes`; empty when
// it could not be made.
std::wstring PatchedCopy(const wchar_t* name, WORD id, const std::vector<uint8_t>& bytes)
{
    const std::wstring copy = TempPath(name);
    if (!CopyWithResource(BesideThisProgram(L"lanternwork.scr"), copy, L"DDS", id, bytes))
        return {};
    return copy;
}

// The configuration picture of the dialog test, 120 x 120: a frame, a disc in the middle and a
// ground, each of its own colour.
constexpr uint32_t kFrameColour = 0xF0C040;
constexpr uint32_t kDiscColour = 0xFFCF5F;
constexpr uint32_t kGroundColour = 0x101848;

std::vector<uint8_t> DialogPicture()
{
    return PaintedBmp(120, 120, [](int x, int y) {
        if (x < 2 || y < 2 || x >= 118 || y >= 118)
            return kFrameColour;
        const int dx = x - 60, dy = y - 60;
        return dx * dx + dy * dy < 36 * 36 ? kDiscColour : kGroundColour;
    });
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// Where dialog 106 puts a 120 x 120 picture. Dialog 106 made here from the built program has the
// saver's font, and so its units and its picture's place.
RECT DialogPicturePlace()
{
    RECT place = {};
    if (HMODULE program = LoadBuiltProgram()) {
        if (HWND dialog = CreateDialogParamW(program, MAKEINTRESOURCEW(106), nullptr, QuietDialog, 0)) {
            place = DialogPictureRect(dialog, 120, 120);
            DestroyWindow(dialog);
        }
        FreeLibrary(program);
    }
    return place;
}

TEST(ProgramEndToEnd, ConfigureShowsDialogWithPictureAndWebSiteButtonAndCancelCloses)
{
    constexpr wchar_t kKey[] = L"Software\\Quorvane\\Lanternwork\\Screensaver\\";
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);

    // The web-site button starts the browser command of the registry: here one that records its argument.
    const std::wstring record = TempPath(L"lw-website.txt");
    DeleteFileW(record.c_str());
    HKEY browser = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &browser, nullptr),
              ERROR_SUCCESS);
    wchar_t saved[1024] = {};
    DWORD savedSize = sizeof(saved);
    const bool hadCommand =
        RegQueryValueExW(browser, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &savedSize) == ERROR_SUCCESS;
    const std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo \"%1\" > \"" + record + L"\"";
    RegSetValueExW(browser, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));

    const std::wstring copy = PatchedCopy(L"lw-dialog.scr", 120, DialogPicture());
    ASSERT_FALSE(copy.empty());
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(L"/c", copy));
    HWND dialog = saver.WaitForVisibleWindow(L"#32770", kWindowWait);
    ASSERT_NE(dialog, nullptr) << "dialog 106 did not appear";

    EXPECT_EQ(WindowText(dialog), ProgramTitle());
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 1)), L"OK");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 2)), L"Cancelar");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 1006)), L"&Mostar opciones...");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 1017)), L"Website");
    // Opening the dialog wrote the current settings.
    EXPECT_TRUE(ValueExists(kKey, L"AllScreensSame"));

    // The picture in its place in the dialog's units: its frame at both corners, its glowing
    // disc in the middle and its ground between them.
    const RECT place = DialogPicturePlace();
    const int side = place.right - place.left;
    ASSERT_GT(side, 0);
    // The dialog's pixel that shows the middle of the picture's pixel (x, y).
    auto at = [&](int x, int y) {
        return ClientPixel(dialog, place.left + (2 * x + 1) * side / 240, place.top + (2 * y + 1) * side / 240);
    };
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    bool pictureShown = false;
    for (int i = 0; i < 30 && !pictureShown; ++i) {
        Sleep(100);
        pictureShown = Near(at(1, 1), Rgb(kFrameColour)) && Near(at(119, 119), Rgb(kFrameColour)) &&
                       Near(at(60, 60), Rgb(kDiscColour)) && Near(at(10, 10), Rgb(kGroundColour));
    }
    EXPECT_TRUE(pictureShown) << side << " pixels at (" << place.left << ", " << place.top << "): " << std::hex
                              << at(1, 1) << " " << at(119, 119) << " " << at(60, 60) << " " << at(10, 10);

    PostMessageW(GetDlgItem(dialog, 1017), BM_CLICK, 0, 0);
    std::string written;
    for (int i = 0; i < 100 && written.empty(); ++i) {
        Sleep(100);
        std::ifstream in(record.c_str());
        std::stringstream text;
        if (in && (text << in.rdbuf()))
            written = text.str();
    }
    std::string address;
    for (const wchar_t* c = kWebSiteAddress; *c; ++c)
        address += static_cast<char>(*c);
    EXPECT_NE(written.find("\"" + address + "\""), std::string::npos) << written;
    EXPECT_TRUE(saver.Running()) << "the dialog stays open after the web-site button";

    PostMessageW(GetDlgItem(dialog, 2), BM_CLICK, 0, 0);
    EXPECT_TRUE(saver.WaitForExit(10000)) << "Cancel did not close the dialog";
    // Cancel keeps what opening wrote; the player's values are never written.
    EXPECT_TRUE(ValueExists(kKey, L"AllScreensSame"));
    EXPECT_FALSE(ValueExists(kKey, L"\"StretchPicture\""));
    EXPECT_FALSE(ValueExists(kKey, L"\"SoundVolume\""));

    if (hadCommand)
        RegSetValueExW(browser, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                       static_cast<DWORD>((lstrlenW(saved) + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(browser, nullptr);
    RegCloseKey(browser);
    DeleteFileW(record.c_str());
    DeleteFileW(copy.c_str());
}

// Counts the white pixels of a window's client area, read from the screen.
int WhitePixels(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    int white = 0;
    for (int y = 0; y < client.bottom; y += 4)
        for (int x = 0; x < client.right; x += 4)
            if (GetPixel(dc, x, y) == RGB(255, 255, 255))
                ++white;
    ReleaseDC(window, dc);
    return white;
}

// The pixels of a window's client area as the screen shows them, 0x00RRGGBB, row by row.
std::vector<uint32_t> ClientPixels(HWND window, int& width, int& height)
{
    RECT client;
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(size_t(width) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

// Whether the error box on the window reads `text`: the box is found on the screen (the black
// frame around the window-coloured field), then drawn on a window of this test with `text` the way
// the saver draws it (field, frame, the text word-wrapped and centred in the window's font), and
// the text of both must take the same place.
bool ErrorBoxReads(HWND window, const std::wstring& text)
{
    int width = 0, height = 0;
    const std::vector<uint32_t> shown = ClientPixels(window, width, height);
    const COLORREF field = GetSysColor(COLOR_WINDOW);
    const uint32_t fieldRgb = (GetRValue(field) << 16) | (GetGValue(field) << 8) | GetBValue(field);
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (shown[size_t(y) * width + x] == fieldRgb) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return false;
    const RECT box = {left - 1, top - 1, right + 2, bottom + 2};  // the frame lies around the field
    const int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;
    if (box.left < 0 || box.top < 0 || box.right > width || box.bottom > height)
        return false;

    // Drawn on a window of this test's own, so that the text goes through the same display
    // driver as the saver's; read back from the screen like the saver's box.
    HWND reference = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, boxWidth,
                                     boxHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!reference)
        return false;
    std::vector<uint32_t> drawn;
    for (int attempt = 0; attempt < 10 && drawn.empty(); ++attempt) {
        HDC dc = GetDC(reference);
        RECT local = {0, 0, boxWidth, boxHeight};
        FillRect(dc, &local, GetSysColorBrush(COLOR_WINDOW));
        FrameRect(dc, &local, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RECT measure = local;
        const int textHeight = DrawTextW(dc, text.c_str(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        RECT textRect = local;
        textRect.top = (boxHeight - textHeight) / 2;
        DrawTextW(dc, text.c_str(), -1, &textRect, DT_WORDBREAK | DT_CENTER);
        GdiFlush();
        ReleaseDC(reference, dc);
        int w = 0, h = 0;
        drawn = ClientPixels(reference, w, h);
        if (w != boxWidth || h != boxHeight)
            drawn.clear();
    }
    DestroyWindow(reference);
    if (drawn.empty())
        return false;

    // The two need not match pixel for pixel (the saver's text comes out a little bolder than
    // this process's), but the text must take the same lines: the extent of its dark pixels.
    auto textExtent = [&](auto pixelAt) {
        RECT extent = {boxWidth, boxHeight, -1, -1};
        for (int y = 1; y + 1 < boxHeight; ++y)
            for (int x = 1; x + 1 < boxWidth; ++x)
                if ((pixelAt(x, y) & 0xFF) < 0x80) {
                    extent.left = std::min<LONG>(extent.left, x);
                    extent.top = std::min<LONG>(extent.top, y);
                    extent.right = std::max<LONG>(extent.right, x + 1);
                    extent.bottom = std::max<LONG>(extent.bottom, y + 1);
                }
        return extent;
    };
    const RECT onScreen = textExtent([&](int x, int y) { return shown[size_t(box.top + y) * width + box.left + x]; });
    const RECT expected = textExtent([&](int x, int y) { return drawn[size_t(y) * boxWidth + x]; });
    if (onScreen.right < 0 || expected.right < 0)
        return false;
    const LONG widthShown = onScreen.right - onScreen.left, widthExpected = expected.right - expected.left;
    return std::abs(onScreen.top - expected.top) <= 2 && std::abs(onScreen.bottom - expected.bottom) <= 2 &&
           std::abs(widthShown - widthExpected) <= widthExpected / 12 + 2;
}

SlidePlan PictureSlide(uint32_t rgb, int width, int height)
{
    SlidePlan slide;
    slide.picture.name = L"picture.bmp";
    slide.picture.data = SolidBmp(width, height, rgb);
    slide.fadeIn = L"1";
    slide.hold = L"2";
    slide.fadeOut = L"1";
    return slide;
}

TEST(ProgramEndToEnd, TestModeShowsTheFirstPictureThenBlackThenTheSecond)
{
    constexpr uint32_t kFirst = 0xC02010;
    constexpr uint32_t kSecond = 0x1040C0;
    DocumentPlan plan;
    plan.slides = {PictureSlide(kFirst, 64, 48), PictureSlide(kSecond, 64, 48)};
    const std::vector<uint8_t> bytes = BuildDocument(plan);
    const std::wstring copy = PatchedCopy(L"lw-two-slides.scr", 107, bytes);
    ASSERT_FALSE(copy.empty());

    // The centre of the window, sampled every 100 ms, as a sequence of what it showed. The show
    // is black for a moment only, at the switch, so a sample rarely lands on pure black: any
    // shade darker than a sixth of the pictures' brightest channel counts as black. (A cross-fade
    // from A to B would pass through mixtures far brighter than that.)
    auto dark = [](COLORREF c) { return GetRValue(c) <= 0x20 && GetGValue(c) <= 0x20 && GetBValue(c) <= 0x20; };
    std::string seen;
    {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(L"/t", copy));
        HWND window = saver.WaitForVisibleWindow(L"D3DSaverWndClass", kWindowWait);
        ASSERT_NE(window, nullptr);
        RECT client;
        GetClientRect(window, &client);
        for (int i = 0; i < 120 && saver.Running(); ++i) {
            const COLORREF c = ClientPixel(window, client.right / 2, client.bottom / 2);
            const char kind = Near(c, Rgb(kFirst)) ? 'A' : Near(c, Rgb(kSecond)) ? 'B' : dark(c) ? '0' : '~';
            if (seen.empty() || seen.back() != kind)
                seen += kind;
            if (seen.find("A0B") != std::string::npos)
                break;
            Sleep(100);
        }
    }
    std::string plain;  // the sequence without the fades' in-between shades
    for (char c : seen)
        if (c != '~' && (plain.empty() || plain.back() != c))
            plain += c;
    EXPECT_NE(plain.find("A0B"), std::string::npos) << "seen: " << seen;
    DeleteFileW(copy.c_str());
}

std::vector<uint8_t> FileBytes(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

// Whether some process holds the file open (an open that admits no one else then fails).
bool HeldOpen(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

TEST(ProgramEndToEnd, TestModePlaysAnEmbeddedSoundFromTheTemporaryFolder)
{
    const std::vector<uint8_t> tone = FileBytes(BesideThisProgram(L"sound_clip.wav"));
    ASSERT_FALSE(tone.empty()) << "the test tone is missing";
    DocumentPlan plan;
    plan.slides = {PictureSlide(0x406080, 64, 48)};
    SoundPlan sound;
    sound.title = L"Tone";
    sound.file.name = L"C:\\no-such-folder\\lw-e2e-tone.wav";
    sound.file.data = tone;
    plan.sounds.push_back(sound);
    const std::vector<uint8_t> bytes = BuildDocument(plan);
    const std::wstring copy = PatchedCopy(L"lw-sound.scr", 107, bytes);
    ASSERT_FALSE(copy.empty());
    const std::wstring written = TempPath(L"lw-e2e-tone.wav");
    DeleteFileW(written.c_str());

    {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(L"/t", copy));
        HWND window = saver.WaitForVisibleWindow(L"D3DSaverWndClass", kWindowWait);
        ASSERT_NE(window, nullptr);
        bool held = false;
        for (int i = 0; i < 100 && !held; ++i) {
            Sleep(100);
            held = HeldOpen(written);
        }
        // The playing graph's source filter keeps the copy open, track after track.
        EXPECT_TRUE(held) << "the saver never opened the copy for playing";
        EXPECT_EQ(FileBytes(written), tone);
        Sleep(1000);
        EXPECT_TRUE(HeldOpen(written)) << "the one track is played again at its end";
        EXPECT_TRUE(saver.Running());
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(saver.WaitForExit(10000));
    }
    EXPECT_TRUE(DeleteFileW(written.c_str())) << "the ended saver still holds its sound file";
    DeleteFileW(copy.c_str());
}

// Sets or removes the program's "StretchPicture" value.
void SetStretchPicture(const DWORD* value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quorvane\\Lanternwork\\Screensaver\\", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExW(key, L"\"StretchPicture\"", 0, REG_DWORD, reinterpret_cast<const BYTE*>(value), sizeof(*value));
    else
        RegDeleteValueW(key, L"\"StretchPicture\"");
    RegCloseKey(key);
}

TEST(ProgramEndToEnd, StretchPictureChangesLetterboxToStretch)
{
    constexpr uint32_t kColour = 0x30A040;
    DocumentPlan plan;
    plan.slides = {PictureSlide(kColour, 32, 64)};  // a tall picture: letterboxed it leaves bars at the sides
    const std::vector<uint8_t> bytes = BuildDocument(plan);
    const std::wstring copy = PatchedCopy(L"lw-stretch.scr", 107, bytes);
    ASSERT_FALSE(copy.empty());

    const DWORD letterbox = 0;
    for (const DWORD* stored : {&letterbox, static_cast<const DWORD*>(nullptr)}) {
        SCOPED_TRACE(stored ? "StretchPicture 0" : "StretchPicture absent (stretched)");
        SetStretchPicture(stored);
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(L"/t", copy));
        HWND window = saver.WaitForVisibleWindow(L"D3DSaverWndClass", kWindowWait);
        ASSERT_NE(window, nullptr);
        RECT client;
        GetClientRect(window, &client);
        ASSERT_GT(client.right, client.bottom / 2 + 16) << "the window is too narrow to show bars";
        bool centreShown = false;
        for (int i = 0; i < 100 && !centreShown; ++i) {
            Sleep(100);
            centreShown = Near(ClientPixel(window, client.right / 2, client.bottom / 2), Rgb(kColour));
        }
        ASSERT_TRUE(centreShown);
        const COLORREF side = ClientPixel(window, 4, client.bottom / 2);
        if (stored)
            EXPECT_TRUE(Near(side, RGB(0, 0, 0))) << std::hex << side;
        else
            EXPECT_TRUE(Near(side, Rgb(kColour))) << std::hex << side;
    }
    SetStretchPicture(nullptr);
    DeleteFileW(copy.c_str());
}

TEST(ProgramEndToEnd, DamagedSceneDocumentShowsTheErrorBoxAndKeepsRunning)
{
    std::vector<uint8_t> junk(64);
    for (int i = 0; i < 64; ++i)
        junk[i] = static_cast<uint8_t>(i * 37 + 11);
    const std::wstring copy = PatchedCopy(L"lw-damaged.scr", 107, junk);
    ASSERT_FALSE(copy.empty());

    {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(L"/t", copy));
        HWND window = saver.WaitForVisibleWindow(L"D3DSaverWndClass", kWindowWait);
        ASSERT_NE(window, nullptr) << "the test window did not appear";
        // The error box is white on black; give the loop a few frames to show it.
        int white = 0;
        for (int i = 0; i < 50 && white == 0; ++i) {
            Sleep(100);
            white = WhitePixels(window);
        }
        EXPECT_GT(white, 0) << "no error box";
        // The box reads the document error's message; a box caught while it moves is read again.
        const std::wstring message = ProgramString(2108);
        ASSERT_FALSE(message.empty());
        bool reads = false;
        for (int i = 0; i < 20 && !reads; ++i) {
            reads = ErrorBoxReads(window, message);
            if (!reads)
                Sleep(50);
        }
        EXPECT_TRUE(reads) << "the error box does not show message 2108";
        EXPECT_FALSE(ErrorBoxReads(window, ProgramString(2104))) << "the box reads any message";
        EXPECT_TRUE(saver.Running()) << "the saver ended instead of showing its error";
    }
    DeleteFileW(copy.c_str());
}

// --- The display options of the configuration dialog -------------------------------------------

// A REG_DWORD under HKEY_CURRENT_USER, or -1 when it is missing.
long long UserDword(const std::wstring& path, const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD value = 0, size = sizeof(value), type = 0;
    const bool found = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                           ERROR_SUCCESS && type == REG_DWORD;
    RegCloseKey(key);
    return found ? static_cast<long long>(value) : -1;
}

// The items of a combo box in another process.
std::vector<std::wstring> ComboItems(HWND combo)
{
    std::vector<std::wstring> items;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    for (DWORD_PTR i = 0; i < count && i < 200; ++i) {
        wchar_t text[128] = {};
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
        items.push_back(text);
    }
    return items;
}

bool ButtonChecked(HWND button)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return state == BST_CHECKED;
}

// Waits up to 10 s for a condition.
template <class Condition>
bool Eventually(Condition condition)
{
    for (int i = 0; i < 100; ++i) {
        if (condition())
            return true;
        Sleep(100);
    }
    return condition();
}

// One run of "/c": opens the display options (captioned `caption`) from dialog 106, lets `edit`
// look and change them, presses OK there, then `settingsButton` in dialog 106, and waits for the
// program to end.
template <class Edit>
void EditDisplayOptions(const wchar_t* caption, Edit edit, int settingsButton)
{
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(L"/c"));
    HWND settings = saver.WaitForVisibleWindow(L"#32770", kWindowWait, ProgramTitle().c_str());
    ASSERT_NE(settings, nullptr) << "dialog 106 did not appear";
    PostMessageW(GetDlgItem(settings, 1006), BM_CLICK, 0, 0);
    HWND options = saver.WaitForVisibleWindow(L"#32770", kWindowWait, caption);
    ASSERT_NE(options, nullptr) << "the display options did not appear";

    edit(options);

    PostMessageW(GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(Eventually([&] { return !IsWindow(options); })) << "the display options stayed open";
    PostMessageW(GetDlgItem(settings, settingsButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(saver.WaitForExit(10000)) << "dialog 106 did not close";
}

constexpr wchar_t kSingleAdapterCaption[] = L"Opciones de configuraci\u00f3n";

// Chooses an item of the mode list as a user does: the selection moves, the dialog hears of it.
void ChooseMode(HWND options, int item)
{
    HWND list = GetDlgItem(options, 2011);
    SendMessageTimeoutW(list, CB_SETCURSEL, item, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    PostMessageW(options, WM_COMMAND, MAKEWPARAM(2011, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

TEST(ProgramEndToEnd, DisplayOptionsAreStoredByOkOfTheConfigurationAndNotByItsCancel)
{
    const std::wstring key = L"Software\\Quorvane\\Lanternwork\\Screensaver\\";
    const std::wstring screen = key + L"Screen 1";
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());

    DISPLAY_DEVICEW adapter = {};
    adapter.cb = sizeof(adapter);
    ASSERT_TRUE(EnumDisplayDevicesW(nullptr, 0, &adapter, 0));
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const std::wstring desktopMode =
        std::to_wstring(width) + L" by " + std::to_wstring(height) + L", 32 bit color";

    EditDisplayOptions(
        kSingleAdapterCaption, [&](HWND options) {
            EXPECT_EQ(WindowText(GetDlgItem(options, 2002)), adapter.DeviceString);
            EXPECT_EQ(WindowText(GetDlgItem(options, 2003)), ProgramString(2210));
            const std::vector<std::wstring> modes = ComboItems(GetDlgItem(options, 2011));
            ASSERT_FALSE(modes.empty());
            EXPECT_EQ(modes.front(), L"Autom\u00e1tico");
            const auto listed = std::find(modes.begin(), modes.end(), desktopMode);
            ASSERT_NE(listed, modes.end()) << "the desktop's mode is not listed";
            ChooseMode(options, static_cast<int>(listed - modes.begin()));

            HWND disable = GetDlgItem(options, 2005);
            PostMessageW(disable, BM_CLICK, 0, 0);
            EXPECT_TRUE(Eventually([&] { return ButtonChecked(disable); }));
            EXPECT_TRUE(Eventually([&] { return WindowText(GetDlgItem(options, 2003)) != ProgramString(2210); }))
                << "the status did not follow the switched-off hardware";
        },
        IDOK);
    EXPECT_EQ(UserDword(screen, L"Width"), width);
    EXPECT_EQ(UserDword(screen, L"Height"), height);
    EXPECT_EQ(UserDword(screen, L"Format"), 22);  // D3DFMT_X8R8G8B8
    EXPECT_EQ(UserDword(screen, L"Disable Hardware"), 1);

    // The opposite edits, accepted in dialog 200 but cancelled in dialog 106, store nothing.
    EditDisplayOptions(
        kSingleAdapterCaption, [&](HWND options) {
            HWND disable = GetDlgItem(options, 2005);
            ASSERT_TRUE(ButtonChecked(disable)) << "the stored setting was not shown";
            ChooseMode(options, 0);
            PostMessageW(disable, BM_CLICK, 0, 0);
            EXPECT_TRUE(Eventually([&] { return !ButtonChecked(disable); }));
        },
        IDCANCEL);
    EXPECT_EQ(UserDword(screen, L"Width"), width);
    EXPECT_EQ(UserDword(screen, L"Height"), height);
    EXPECT_EQ(UserDword(screen, L"Format"), 22);
    EXPECT_EQ(UserDword(screen, L"Disable Hardware"), 1);

    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

// --- On two monitors (run by private_screen.sh) ------------------------------------------------

class TwoScreens : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("LW_E2E_TWO_SCREENS"))
            GTEST_SKIP() << "needs two X screens under Xinerama (private_screen.sh)";
    }
};

TEST_F(TwoScreens, DisplayOptionsShowATabPerMonitorAndStoreTheOrderFlag)
{
    const std::wstring key = L"Software\\Quorvane\\Lanternwork\\Screensaver\\";
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "Wine shows one monitor on these X screens";

    EditDisplayOptions(
        L"Display Settings",
        [&](HWND options) {
            HWND tabs = GetDlgItem(options, 2000);
            DWORD_PTR count = 0;
            SendMessageTimeoutW(tabs, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
            EXPECT_EQ(count, 2u);
            EXPECT_EQ(WindowText(GetDlgItem(options, 2003)), ProgramString(2210));

            // The arrow key moves to the second monitor's tab, whose page is then filled in again
            // (both adapters have the same name here, so the name is blanked first). Xvfb puts
            // both screens at (0, 0), so the second monitor's rectangle is found to lie on the
            // first and no adapter is matched to it: its page offers nothing to choose, which is
            // not checked here.
            SendMessageTimeoutW(GetDlgItem(options, 2002), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""),
                                SMTO_ABORTIFHUNG, 2000, nullptr);
            PostMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
            EXPECT_TRUE(Eventually([&] {
                DWORD_PTR selected = 0;
                SendMessageTimeoutW(tabs, TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected);
                return selected == 1;
            }));
            DISPLAY_DEVICEW second = {};
            second.cb = sizeof(second);
            ASSERT_TRUE(EnumDisplayDevicesW(nullptr, 1, &second, 0));
            EXPECT_TRUE(Eventually([&] { return WindowText(GetDlgItem(options, 2002)) == second.DeviceString; }));

            HWND reverse = GetDlgItem(options, 2015);
            PostMessageW(reverse, BM_CLICK, 0, 0);
            EXPECT_TRUE(Eventually([&] { return ButtonChecked(reverse); }));
        },
        IDOK);
    EXPECT_EQ(UserDword(key, L"AllScreensSame"), 1);
}

} // namespace

// The saver window procedure by run mode: which messages end the saver, which are swallowed.
#include <gtest/gtest.h>

#include <string>

#include "host/framework/D3DScreensaver.h"

namespace {

class EndRecordingSaver : public CD3DScreensaver {
public:
    int shutdowns = 0;
    HRESULT ShutdownScene() override
    {
        ++shutdowns;
        return S_OK;
    }
};

// Takes the quit message that ending the saver posts, so that it does not reach the next case.
bool TakeQuit()
{
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        quit = quit || msg.message == WM_QUIT;
    return quit;
}

HWND MakeSaverWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = SaverWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SaverWindowTest";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowW(L"SaverWindowTest", L"saver", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

struct MessageCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    bool endsFullScreen, endsTest, endsPreview;
};

const MessageCase kMessages[] = {
    {"key", WM_KEYDOWN, VK_SPACE, true, false, false},
    {"left button", WM_LBUTTONDOWN, 0, true, false, false},
    {"right button", WM_RBUTTONDOWN, 0, true, false, false},
    {"middle button", WM_MBUTTONDOWN, 0, true, false, false},
    {"losing activation", WM_ACTIVATEAPP, FALSE, true, false, false},
    {"gaining activation", WM_ACTIVATEAPP, TRUE, false, false, false},
    {"suspend", WM_POWERBROADCAST, PBT_APMSUSPEND, true, true, false},
    {"resume", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, false, false, false},
};

}  // namespace

TEST(SaverWindow, InputEndsTheSaverByMode)
{
    for (const MessageCase& c : kMessages) {
        for (SaverRunMode mode : {SaverRunMode::FullScreen, SaverRunMode::Test, SaverRunMode::Preview}) {
            SCOPED_TRACE(testing::Message() << c.name << ", mode " << static_cast<int>(mode));
            EndRecordingSaver saver;
            saver.mode = mode;
            HWND window = MakeSaverWindow();
            saver.mainWindow = window;
            SendMessageW(window, c.message, c.wParam, 0);
            const bool expected = mode == SaverRunMode::FullScreen ? c.endsFullScreen
                                  : mode == SaverRunMode::Test     ? c.endsTest
                                                                   : c.endsPreview;
            EXPECT_EQ(saver.shutdowns > 0, expected);
            DestroyWindow(window);
            TakeQuit();
        }
    }
}

TEST(SaverWindow, InputQueuedBehindTheEndShutsTheSceneDownOnce)
{
    EndRecordingSaver saver;
    saver.mode = SaverRunMode::FullScreen;
    HWND window = MakeSaverWindow();
    saver.mainWindow = window;
    SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(saver.shutdowns, 1);
    DestroyWindow(window);
    TakeQuit();
}

TEST(SaverWindow, SuspendDoesNotEndTheSaverWhileAPasswordCheckIsLoaded)
{
    EndRecordingSaver saver;
    saver.mode = SaverRunMode::FullScreen;
    saver.passwordCheck = [](HWND) -> BOOL WINAPI { return TRUE; };
    HWND window = MakeSaverWindow();
    SendMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(saver.shutdowns, 0);
    saver.passwordCheck = nullptr;
    DestroyWindow(window);
    TakeQuit();
}

TEST(SaverWindow, TheSixthMouseMoveEndsTheFullScreenSaver)
{
    EndRecordingSaver saver;
    saver.mode = SaverRunMode::FullScreen;
    HWND window = MakeSaverWindow();
    for (int i = 0; i < 5; ++i)
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(500 + i, 7));
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(504, 7));  // same place
    EXPECT_EQ(saver.shutdowns, 0);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(600, 7));
    EXPECT_EQ(saver.shutdowns, 1);
    EXPECT_TRUE(TakeQuit());
    DestroyWindow(window);
    TakeQuit();
}

TEST(SaverWindow, TestModeIgnoresMouseMoves)
{
    EndRecordingSaver saver;
    saver.mode = SaverRunMode::Test;
    HWND window = MakeSaverWindow();
    for (int i = 0; i < 10; ++i)
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(700 + i, 9));
    EXPECT_EQ(saver.shutdowns, 0);
    DestroyWindow(window);  // but the window's end ends the test saver
    EXPECT_EQ(saver.shutdowns, 1);
    TakeQuit();
}

TEST(SaverWindow, CloseCommandIsSwallowedOnlyInFullScreen)
{
    {
        EndRecordingSaver saver;
        saver.mode = SaverRunMode::FullScreen;
        HWND window = MakeSaverWindow();
        EXPECT_EQ(SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT), TRUE);
        DestroyWindow(window);
        EXPECT_EQ(saver.shutdowns, 0);  // full-screen windows end only through input
        TakeQuit();
    }
    {
        EndRecordingSaver saver;
        saver.mode = SaverRunMode::Test;
        HWND window = MakeSaverWindow();
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(IsWindow(window));  // passed on: closed and destroyed
        EXPECT_EQ(saver.shutdowns, 1);
        TakeQuit();
    }
}

TEST(SaverWindow, AnExceptionInTheHandlerReturnsOne)
{
    struct ThrowingSaver : EndRecordingSaver {
        LRESULT HandleWindowMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) override
        {
            if (m == WM_APP + 5)
                throw 42;
            return CD3DScreensaver::HandleWindowMessage(w, m, wp, lp);
        }
    } saver;
    HWND window = MakeSaverWindow();
    EXPECT_EQ(SendMessageW(window, WM_APP + 5, 0, 0), 1);
    saver.mode = SaverRunMode::FullScreen;
    DestroyWindow(window);
    TakeQuit();
}

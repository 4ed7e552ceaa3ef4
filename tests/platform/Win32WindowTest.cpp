// The headless USER32 window calls: classes, frames, placement, visibility,
// raises, the desktop, invalid handles, and the journal and failure injection
// of them.
#include <gtest/gtest.h>
#include <orv/PlatformControl.h>

#include <climits>

namespace {

LRESULT CALLBACK TestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

WNDCLASSEXA TestClass(const char* name) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = TestProcedure;
    windowClass.lpszClassName = name;
    return windowClass;
}

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override {
        orvplatform::ResetAll();
        const WNDCLASSEXA windowClass = TestClass("Test");
        ASSERT_NE(RegisterClassExA(&windowClass), 0);
    }
    void TearDown() override {
        if (IsWindow(m_Window)) DestroyWindow(m_Window);
        UnregisterClassA("Test", nullptr);
        orvplatform::ResetAll();
    }

    HWND Make(int x, int y, int width, int height, DWORD style = WS_OVERLAPPEDWINDOW) {
        m_Window = CreateWindowExA(0, "Test", "title", style, x, y, width, height, nullptr,
                                   nullptr, nullptr, nullptr);
        return m_Window;
    }

    HWND m_Window = nullptr;
};

void ExpectRect(HWND window, LONG left, LONG top, LONG right, LONG bottom) {
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

}  // namespace

TEST_F(Win32Window, SetWindowPosHonoursEachFlag) {
    constexpr UINT kStill = SWP_NOSIZE | SWP_NOMOVE;
    // Each case starts from a 640 x 480 window at (10, 20), visible or not by
    // its style, and asks for (-100, -50), 2000 x 1000 after HWND_TOP.
    const struct {
        DWORD style;
        UINT flags;
        RECT expected;
        bool visible;
        int raises;
    } cases[] = {
        {WS_OVERLAPPEDWINDOW, 0, {-100, -50, 1900, 950}, false, 1},
        {WS_OVERLAPPEDWINDOW, SWP_NOSIZE, {-100, -50, 540, 430}, false, 1},
        {WS_OVERLAPPEDWINDOW, SWP_NOMOVE, {10, 20, 2010, 1020}, false, 1},
        {WS_OVERLAPPEDWINDOW, kStill | SWP_NOZORDER, {10, 20, 650, 500}, false, 0},
        {WS_OVERLAPPEDWINDOW, kStill | SWP_SHOWWINDOW, {10, 20, 650, 500}, true, 1},
        {WS_POPUP | WS_VISIBLE, kStill | SWP_NOZORDER, {10, 20, 650, 500}, true, 0},
        {WS_POPUP | WS_VISIBLE, kStill | SWP_HIDEWINDOW, {10, 20, 650, 500}, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " flags " << c.flags);
        HWND window = Make(10, 20, 640, 480, c.style);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(SetWindowPos(window, HWND_TOP, -100, -50, 2000, 1000, c.flags));
        ExpectRect(window, c.expected.left, c.expected.top, c.expected.right, c.expected.bottom);
        EXPECT_EQ(IsWindowVisible(window) != FALSE, c.visible);
        EXPECT_EQ(orvplatform::GetWindowInfo(window).raisedToTop, c.raises);
        EXPECT_TRUE(DestroyWindow(window));
    }
}

TEST_F(Win32Window, WindowsNeedARegisteredClass) {
    const auto create = [](const char* name) {
        return CreateWindowExA(0, name, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
    };
    SetLastError(0);
    EXPECT_EQ(create("Unregistered"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(create(nullptr), nullptr);

    // Names compare without regard to case; a second registration fails.
    m_Window = create("TEST");
    ASSERT_NE(m_Window, nullptr);
    EXPECT_EQ(orvplatform::GetWindowInfo(m_Window).className, "TEST");
    const WNDCLASSEXA again = TestClass("test");
    EXPECT_EQ(RegisterClassExA(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    // A class goes only when its last window has gone.
    EXPECT_FALSE(UnregisterClassA("Test", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    ASSERT_TRUE(DestroyWindow(m_Window));
    EXPECT_TRUE(UnregisterClassA("Test", nullptr));
    EXPECT_FALSE(UnregisterClassA("Test", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_EQ(create("Test"), nullptr);
}

TEST_F(Win32Window, FramesSurroundTheClientAreaAsTheSystemDrawsThem) {
    // Frame insets (left, top, right, bottom) per style, as measured on the
    // system's default metrics.
    const struct {
        DWORD style;
        BOOL menu;
        RECT frame;
    } cases[] = {
        {WS_OVERLAPPEDWINDOW, FALSE, {4, 23, 4, 4}},
        {WS_OVERLAPPEDWINDOW | WS_VISIBLE, TRUE, {4, 42, 4, 4}},
        {WS_CAPTION | WS_SYSMENU, FALSE, {3, 22, 3, 3}},
        {WS_THICKFRAME, FALSE, {3, 3, 3, 3}},
        {WS_POPUP | WS_DLGFRAME, FALSE, {3, 3, 3, 3}},
        {WS_POPUP | WS_BORDER, FALSE, {1, 1, 1, 1}},
        {WS_POPUP, FALSE, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << std::hex << c.style);
        RECT rect{0, 0, 640, 480};
        ASSERT_TRUE(AdjustWindowRectEx(&rect, c.style, c.menu, 0));
        EXPECT_EQ(rect.left, -c.frame.left);
        EXPECT_EQ(rect.top, -c.frame.top);
        EXPECT_EQ(rect.right, 640 + c.frame.right);
        EXPECT_EQ(rect.bottom, 480 + c.frame.bottom);
        if (c.menu) continue;

        // A window made 640 x 480 outside keeps what the frame leaves inside.
        HWND window = Make(100, 50, 640, 480, c.style);
        RECT client{};
        ASSERT_TRUE(GetClientRect(window, &client));
        EXPECT_EQ(client.right, 640 - c.frame.left - c.frame.right);
        EXPECT_EQ(client.bottom, 480 - c.frame.top - c.frame.bottom);
        POINT origin{0, 0};
        ASSERT_TRUE(ClientToScreen(window, &origin));
        EXPECT_EQ(origin.x, 100 + c.frame.left);
        EXPECT_EQ(origin.y, 50 + c.frame.top);
        EXPECT_TRUE(DestroyWindow(window));
    }
    // A window smaller than its frame has an empty client area.
    RECT client{};
    ASSERT_TRUE(GetClientRect(Make(0, 0, 5, 5), &client));
    EXPECT_EQ(client.right, 0);
    EXPECT_EQ(client.bottom, 0);
}

TEST_F(Win32Window, PopupClientAreaIsTheWholeWindowAndMapsToItsPosition) {
    HWND window = Make(-30, 40, 300, 200, WS_POPUP);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    POINT point{5, 6};
    ASSERT_TRUE(ClientToScreen(window, &point));
    EXPECT_EQ(point.x, -25);
    EXPECT_EQ(point.y, 46);

    EXPECT_TRUE(MoveWindow(window, 1, 2, 3, 4, TRUE));
    ExpectRect(window, 1, 2, 4, 6);
    // A size past the coordinate range saturates instead of wrapping.
    EXPECT_TRUE(SetWindowPos(window, nullptr, INT_MAX - 5, 0, 100, 100, SWP_NOZORDER));
    ExpectRect(window, INT_MAX - 5, 0, INT_MAX, 100);
}

TEST_F(Win32Window, ShowWindowAnswersWhetherTheWindowWasVisible) {
    HWND window = Make(0, 0, 10, 10, WS_POPUP | WS_VISIBLE);
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(Win32Window, DesktopFollowsSetDesktopSizeUntilReset) {
    HWND desktop = GetDesktopWindow();
    ASSERT_NE(desktop, nullptr);
    EXPECT_TRUE(IsWindow(desktop));
    ExpectRect(desktop, 0, 0, 1024, 768);
    orvplatform::SetDesktopSize(1600, 1200);
    ExpectRect(desktop, 0, 0, 1600, 1200);

    // Reset puts the desktop back but leaves existing windows alone.
    HWND window = Make(5, 5, 50, 50);
    orvplatform::ResetAll();
    ExpectRect(desktop, 0, 0, 1024, 768);
    EXPECT_TRUE(IsWindow(window));

    EXPECT_FALSE(DestroyWindow(desktop));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Win32Window, InvalidHandlesFailWithTheWindowHandleError) {
    HWND window = Make(0, 0, 10, 10);
    ASSERT_TRUE(DestroyWindow(window));
    static RECT rect;
    static POINT point;
    const std::pair<const char*, BOOL (*)(HWND)> calls[] = {
        {"DestroyWindow", [](HWND w) { return DestroyWindow(w); }},
        {"ShowWindow", [](HWND w) { return ShowWindow(w, SW_SHOW); }},
        {"SetWindowPos", [](HWND w) { return SetWindowPos(w, nullptr, 0, 0, 1, 1, 0); }},
        {"MoveWindow", [](HWND w) { return MoveWindow(w, 0, 0, 1, 1, FALSE); }},
        {"GetWindowRect", [](HWND w) { return GetWindowRect(w, &rect); }},
        {"GetClientRect", [](HWND w) { return GetClientRect(w, &rect); }},
        {"ClientToScreen", [](HWND w) { return ClientToScreen(w, &point); }},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(call.first);
        SetLastError(0);
        EXPECT_FALSE(call.second(window));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(orvplatform::GetWindowInfo(window).exists);
    m_Window = nullptr;
}

TEST_F(Win32Window, CallsAreJournaledAndInjectedFailuresChangeNothing) {
    HWND window = Make(0, 0, 100, 100);
    orvplatform::ClearJournal();
    orvplatform::FailNthCall("SetWindowPos", 2, static_cast<HRESULT>(0x80071234));
    EXPECT_TRUE(SetWindowPos(window, HWND_TOP, -7, 8, 20, 30, SWP_NOZORDER));
    EXPECT_FALSE(SetWindowPos(window, HWND_TOP, 50, 50, 60, 60, 0));
    EXPECT_EQ(GetLastError(), 0x1234u);
    ExpectRect(window, -7, 8, 13, 38);
    EXPECT_EQ(orvplatform::GetWindowInfo(window).raisedToTop, 0);

    std::vector<orvplatform::Call> calls = orvplatform::CallsOf("SetWindowPos");
    ASSERT_EQ(calls.size(), 2u);
    const std::vector<uint64_t> expected = {orvplatform::Arg(window), 0, static_cast<uint64_t>(-7),
                                            8, 20, 30, SWP_NOZORDER};
    EXPECT_EQ(calls[0].args, expected);
    EXPECT_EQ(calls[0].result, TRUE);
    EXPECT_TRUE(calls[1].injected);

    orvplatform::FailEveryCall("CreateWindowExA", 0x80070005);
    EXPECT_EQ(CreateWindowExA(0, "Test", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), 5u);
    orvplatform::FailEveryCall("GetDesktopWindow", 0x80070006);
    EXPECT_EQ(GetDesktopWindow(), nullptr);
    EXPECT_EQ(GetLastError(), 6u);
}

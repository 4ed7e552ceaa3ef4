// The headless window calls: classes and frames as the system has them.
#include <gtest/gtest.h>
#include <orv/PlatformControl.h>

namespace {

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override {
        orvplatform::ResetAll();
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "Test";
        ASSERT_NE(RegisterClassExA(&windowClass), 0);
    }
    void TearDown() override {
        if (IsWindow(m_Window)) DestroyWindow(m_Window);
        UnregisterClassA("Test", nullptr);
        orvplatform::ResetAll();
    }

    HWND Make(const char* className, DWORD style = WS_OVERLAPPEDWINDOW) {
        m_Window = CreateWindowExA(0, className, "title", style, 100, 50, 640, 480, nullptr,
                                   nullptr, nullptr, nullptr);
        return m_Window;
    }

    HWND m_Window = nullptr;
};

}  // namespace

TEST_F(Win32Window, WindowsNeedARegisteredClass) {
    SetLastError(0);
    EXPECT_EQ(Make("Unregistered"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    ASSERT_NE(Make("TEST"), nullptr) << "class names ignore case";
    EXPECT_FALSE(UnregisterClassA("Test", nullptr)) << "the class still has a window";
    ASSERT_TRUE(DestroyWindow(m_Window));
    EXPECT_TRUE(UnregisterClassA("Test", nullptr));
    EXPECT_EQ(Make("Test"), nullptr);
}

TEST_F(Win32Window, FramesSurroundTheClientAreaAsTheSystemDrawsThem) {
    // Frame insets (left, top, right, bottom) with the system's default
    // metrics: an overlapped 640 x 480 window leaves 632 x 453 inside.
    const struct { DWORD style; RECT frame; } cases[] = {
        {WS_OVERLAPPEDWINDOW, {4, 23, 4, 4}}, {WS_POPUP | WS_BORDER, {1, 1, 1, 1}}, {WS_POPUP, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        RECT rect{0, 0, 640, 480};
        ASSERT_TRUE(AdjustWindowRectEx(&rect, c.style, FALSE, 0));
        EXPECT_TRUE(rect.left == -c.frame.left && rect.top == -c.frame.top &&
                    rect.right == 640 + c.frame.right && rect.bottom == 480 + c.frame.bottom) << c.style;

        HWND window = Make("Test", c.style);
        RECT client{};
        POINT origin{0, 0};
        ASSERT_TRUE(GetClientRect(window, &client) && ClientToScreen(window, &origin));
        EXPECT_EQ(client.right, 640 - c.frame.left - c.frame.right) << c.style;
        EXPECT_EQ(client.bottom, 480 - c.frame.top - c.frame.bottom) << c.style;
        EXPECT_TRUE(origin.x == 100 + c.frame.left && origin.y == 50 + c.frame.top) << c.style;
        EXPECT_TRUE(DestroyWindow(window));
    }
}

#include <gtest/gtest.h>
#include <orv/PlatformControl.h>

#include <string>
#include <utility>

#include "support/TestFiles.h"
#include "host/Container.h"
#include "host/FileSystem.h"
#include "host/Kernel.h"
#include "host/Matrix3D.h"
#include "host/String.h"
#include "host/Window.h"

TEST(Kernel, LogsOneFlushedLinePerCall) {
    std::string path = orvtest::TempDir() + "/kernel.log";
    Kernel kernel(path.c_str(), false);
    kernel.SetCapture(true);
    std::string longText(10000, 'q');
    kernel.LogMessage("first %d", 1);
    EXPECT_EQ(orvtest::ReadFileText(path), "first 1\n");  // flushed at once
    kernel.LogMessage("ends in a newline\n");
    kernel.LogMessage("%s", longText.c_str());
    kernel.LogMessage("%s", "");
    kernel.LogMessage("two\nlines");

    EXPECT_EQ(orvtest::ReadFileText(path), "first 1\nends in a newline\n" + longText + "\n\ntwo\nlines\n");
    EXPECT_EQ(kernel.GetCapturedLines(), (std::vector<std::string>{"first 1", "ends in a newline", longText, "", "two\nlines"}));
}

TEST(Kernel, RecordHoldsTheApplicationWindowAndFileSystem) {
    orvplatform::ResetAll();
    auto* kernel = new Kernel(nullptr, false);
    Window* window = kernel->m_pWindow;
    HWND handle = window->GetHWND();
    const orvplatform::WindowInfo info = orvplatform::GetWindowInfo(handle);
    // The frame lies outside the requested client area.
    RECT outer{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRectEx(&outer, info.style, FALSE, 0));
    EXPECT_TRUE(!info.visible && info.rect.bottom - info.rect.top == outer.bottom - outer.top &&
                window->GetHeight() == 480);

    // Reset restores the desktop but leaves the kernel's window alone.
    orvplatform::ResetAll();
    EXPECT_TRUE(IsWindow(handle));
    delete kernel;
    EXPECT_FALSE(IsWindow(handle));
}

TEST(KernelWindow, ResizeAndRepositionGoThroughTheWindowCalls) {
    orvplatform::ResetAll();
    Window window("w", 640, 480);
    window.Resize(1280, 1024);
    // Some callers widen a negative 32-bit coordinate without sign extension.
    window.Reposition(static_cast<uint32_t>(-100), static_cast<uint32_t>(-50));
    EXPECT_TRUE(window.GetX() == -100 && window.GetY() == -50 && window.GetWidth() == 1280) << window.GetX();
}

// Closing the window from its frame is ignored; other messages get the
// system's default handling, with their own parameters.
TEST(KernelWindow, CloseIsIgnoredAndOtherMessagesGetTheDefaultHandling) {
    orvplatform::ResetAll();
    Window window("w", 640, 480);
    MSG close = {window.GetHWND(), WM_CLOSE, 0, 0, 0, {}};
    EXPECT_EQ(DispatchMessageA(&close), 0);
    EXPECT_TRUE(IsWindow(window.GetHWND()));
    MSG rename = {window.GetHWND(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renamed"), 0, {}};
    EXPECT_EQ(DispatchMessageA(&rename), TRUE);
    EXPECT_EQ(orvplatform::GetWindowInfo(window.GetHWND()).title, "renamed");
}

TEST(KernelString, CompareICIgnoresOnlyAsciiCaseAndCopiesFormatAndAppend) {
    const struct { const char* a; const char* b; int sign; } cases[] = {
        {"Texture.BMP", "texture.bmp", 0}, {"AZ", "az", 0}, {"ab", "abc", -1}, {"\xC9", "\xE9", -1},  // not ASCII
        {"[", "{", -1},  // '[' is not an upper-case '{'
    };
    for (const auto& c : cases) {
        const int result = String(c.a).CompareIC(String(c.b));
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
    }
    EXPECT_STREQ(String(nullptr).c_str(), "");

    const std::string longText(5000, 'x');
    const String formatted = String::Format("%s|%d|%s", "a", -12, longText.c_str());
    EXPECT_TRUE(formatted.Length() == 5000u + 6 && formatted.c_str() == "a|-12|" + longText);

    String copy = formatted;
    copy += String("!");
    copy = copy.c_str() + 6;  // assignment from its own text
    EXPECT_EQ(std::string(copy.c_str()), longText + "!");
    String joined("front");
    EXPECT_STREQ((joined += String("back")).c_str(), "frontback");

    // A string moved from is empty, and serves again.
    const String moved = std::move(joined);
    EXPECT_TRUE(moved.Length() == 9 && joined.Length() == 0 && *joined.c_str() == '\0');
    EXPECT_STREQ((joined += String("again")).c_str(), "again");
}

TEST(KernelContainer, IterationSurvivesRemovalOfTheVisitedElement) {
    int values[5] = {0, 1, 2, 3, 4};
    Container list;
    for (int& value : values) list.PushEnd(&value);

    // Remove the odd elements while iterating.
    std::string visited;
    for (void* element = list.Rewind(); element; element = list.Next()) {
        int value = *static_cast<int*>(element);
        visited += std::to_string(value);
        EXPECT_TRUE(value % 2 == 0 || list.Remove(list.Find(element)));
    }
    EXPECT_EQ(visited, "01234");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_TRUE(list.ElementAt(1) == &values[2] && !list.Remove(3) && list.ElementAt(-1) == nullptr);
}

// Row vectors: scaling then moving is the product scale * move, with the
// move in the fourth row; moving there and back again is the identity.
TEST(KernelMatrix, ProductsComposeRowVectorTransforms) {
    const Matrix3D scale(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1);
    const Matrix3D move(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1);
    const Matrix3D back(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -5, -6, -7, 1);
    EXPECT_TRUE(scale * move == Matrix3D(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 5, 6, 7, 1));
    EXPECT_TRUE(move * scale == Matrix3D(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 18, 28, 1));
    EXPECT_TRUE((move * back).IsIdentity());
    EXPECT_FALSE(move.IsIdentity() || scale == move);
    Matrix3D reset = scale;
    reset.SetIdentity();
    EXPECT_TRUE(reset == Matrix3D());
}

#include <gtest/gtest.h>
#include <orv/PlatformControl.h>

#include <string>

#include "TempDir.h"
#include "host/FileSystem.h"
#include "host/Kernel.h"
#include "host/Window.h"

TEST(Kernel, LogsOneFlushedLinePerCall) {
    std::string path = orvtest::TempDir() + "/kernel.log";
    Kernel kernel(path.c_str(), false);
    kernel.SetCapture(true);
    std::string longText(10000, 'q');
    kernel.LogMessage("first %d", 1);
    EXPECT_EQ(orvtest::ReadBytes(path), "first 1\n");  // flushed at once
    kernel.LogMessage("ends in a newline\n");
    kernel.LogMessage("%s", longText.c_str());
    kernel.LogMessage("%s", "");
    kernel.LogMessage("two\nlines");

    EXPECT_EQ(orvtest::ReadBytes(path),
              "first 1\nends in a newline\n" + longText + "\n\ntwo\nlines\n");
    const std::vector<std::string> expected = {"first 1", "ends in a newline", longText, "",
                                               "two\nlines"};
    EXPECT_EQ(kernel.GetCapturedLines(), expected);
    kernel.ClearCapturedLines();
    kernel.SetCapture(false);
    kernel.LogMessage("not captured");
    EXPECT_TRUE(kernel.GetCapturedLines().empty());
}

TEST(Kernel, RecordHoldsTheApplicationWindowAndFileSystem) {
    orvplatform::ResetAll();
    auto* kernel = new Kernel(nullptr, false);
    void** fields = reinterpret_cast<void**>(kernel);
    auto* window = static_cast<Window*>(fields[4]);
    ASSERT_EQ(window, kernel->m_pWindow);
    EXPECT_EQ(static_cast<FileSystem*>(fields[5]), kernel->m_pFileSystem);
    EXPECT_STREQ(kernel->m_pFileSystem->GetBaseDirectory().c_str(), "");

    HWND handle = window->GetHWND();
    orvplatform::WindowInfo info = orvplatform::GetWindowInfo(handle);
    EXPECT_FALSE(info.visible);
    EXPECT_EQ(info.className, "OrvKernelWindow");
    EXPECT_EQ(window->GetWidth(), 640u);
    EXPECT_EQ(window->GetHeight(), 480u);
    // The frame lies outside the requested client area.
    RECT outer{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRectEx(&outer, info.style, FALSE, 0));
    EXPECT_EQ(info.rect.right - info.rect.left, outer.right - outer.left);
    EXPECT_EQ(info.rect.bottom - info.rect.top, outer.bottom - outer.top);
    EXPECT_GT(outer.bottom - outer.top, 480);
    EXPECT_TRUE(window->PumpMessages());

    // Reset restores the desktop but leaves the kernel's window alone.
    orvplatform::ResetAll();
    EXPECT_TRUE(IsWindow(handle));
    delete kernel;
    EXPECT_FALSE(IsWindow(handle));
}

TEST(KernelWindow, ResizeAndRepositionGoThroughTheWindowCalls) {
    orvplatform::ResetAll();
    Window window("w", 640, 480);
    struct Case {
        long x, y;
        unsigned long width, height;
    };
    const Case cases[] = {{10, 20, 800, 600}, {-100, -50, 1280, 1024}, {0, 0, 1, 1}};
    for (const Case& c : cases) {
        orvplatform::ClearJournal();
        window.Resize(c.width, c.height);
        window.Reposition(static_cast<unsigned long>(c.x), static_cast<unsigned long>(c.y));
        // Some callers widen a negative 32-bit coordinate without sign extension.
        window.Reposition(static_cast<uint32_t>(c.x), static_cast<uint32_t>(c.y));
        EXPECT_EQ(orvplatform::CountOf("SetWindowPos"), 3u);
        EXPECT_EQ(window.GetX(), c.x);
        EXPECT_EQ(window.GetY(), c.y);
        EXPECT_EQ(window.GetWidth(), c.width);
        EXPECT_EQ(window.GetHeight(), c.height);
    }
}

// The frame cycle, the text queue, clearing, screenshots and device reset.
#include <cstdio>
#include <vector>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "orvhostImage.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::CallsOf;
using orvplatform::CountOf;
using orvtest::PluginTest;

class FrameCycle : public PluginTest {
protected:
    // Triangles drawn since the journal was last cleared.
    static uint64_t TrianglesDrawn() {
        uint64_t total = 0;
        for (const orvplatform::Call& call : CallsOf("IDirect3DDevice8::DrawPrimitive"))
            total += call.args[2];
        return total;
    }
};

TEST_F(FrameCycle, QueuedTextIsDrawnInOrderCutAndTheQueueEmpties) {
    RenderDevice* device = CreateWindowed();
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->PrintText(10, 20, "%d%%", 100));  // "100%": four characters
    ASSERT_TRUE(device->PrintText(10, 40, "ab"));
    // The queue keeps 2047 characters of a line; the font draws at most 255.
    ASSERT_TRUE(device->PrintText(0, 0, "%s", std::string(3000, 'x').c_str()));
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    const std::vector<orvplatform::Call> draws = CallsOf("IDirect3DDevice8::DrawPrimitive");
    ASSERT_GE(draws.size(), 3u);
    EXPECT_EQ(draws[0].args[2], 8u);
    EXPECT_EQ(draws[1].args[2], 4u);
    EXPECT_EQ(TrianglesDrawn(), 8u + 4u + 2u * 255u);

    orvplatform::ClearJournal();
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    EXPECT_EQ(TrianglesDrawn(), 0u);
}

TEST_F(FrameCycle, AFailingEndSceneStillEmptiesTheQueueAndDoesNotPresent) {
    RenderDevice* device = CreateWindowed();
    device->PrintText(0, 0, "lost");
    device->BeginScene();
    orvplatform::FailNthCall("IDirect3DDevice8::EndScene", 1, D3DERR_INVALIDCALL);
    orvplatform::ClearJournal();
    EXPECT_FALSE(device->EndScene());
    EXPECT_EQ(CountOf("IDirect3DDevice8::Present"), 0u);
    orvplatform::ClearJournal();
    device->BeginScene();
    EXPECT_TRUE(device->EndScene());
    EXPECT_EQ(TrianglesDrawn(), 0u);
}

TEST_F(FrameCycle, ClearPassesTheAskedBuffersAndTheStoredValues) {
    RenderDevice* device = CreateWindowed();
    device->SetClearColor(0xFF336699);
    device->SetClearDepth(0.5f);
    device->SetClearStencil(7);
    orvplatform::ClearJournal();
    EXPECT_TRUE(device->Clear(false, true, false));
    EXPECT_TRUE(device->Clear(true, true, false));
    const std::vector<orvplatform::Call> clears = CallsOf("IDirect3DDevice8::Clear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].args[2], static_cast<uint64_t>(D3DCLEAR_ZBUFFER));
    EXPECT_EQ(orvplatform::BitsFloat(clears[1].args[4]), 0.5f);
    EXPECT_EQ(orvd3d8::BackBufferImage(orvd3d8::LastDevice()).At(320, 240) & 0xFFFFFF, 0x336699u);

    // The depth buffer has no stencil: the device refuses and the driver says so.
    EXPECT_FALSE(device->Clear(false, false, true));
    EXPECT_TRUE(Logged("D3DDriver: Clear failed. (HR:D3DERR_INVALIDCALL)"));
}

// Windowed: the client area through a desktop-sized capture surface (the
// runtime refuses a smaller one); full screen: the whole display.
TEST_F(FrameCycle, ScreenshotsSaveTheClientAreaOrTheWholeDisplay) {
    const struct { bool windowed; unsigned width, height, surfaceWidth; uint32_t clear; } cases[] = {
        {true, 320, 240, 1024, 0xFF20C040}, {false, 800, 600, 800, 0xFF8040C0}};
    for (const auto& c : cases) {
        RenderDevice* device = Create();
        ASSERT_TRUE(device->SetDisplayMode(c.width, c.height, 32, 60, 0, c.windowed));
        device->SetClearColor(c.clear);
        device->BeginScene();
        device->Clear(true, false, false);
        device->EndScene();
        orvplatform::ClearJournal();
        const std::string path = OutputPath(c.windowed ? "windowed.bmp" : "fullscreen.bmp");
        ASSERT_TRUE(device->SaveScreenShot(path.c_str()));
        EXPECT_EQ(CallsOf("IDirect3DDevice8::CreateImageSurface").at(0).args[0], c.surfaceWidth);
        orvhost::Image bitmap;
        ASSERT_TRUE(orvhost::ReadBitmap(path, &bitmap));
        EXPECT_EQ(bitmap.width, static_cast<int>(c.width));
        EXPECT_EQ(bitmap.height, static_cast<int>(c.height));
        EXPECT_EQ(bitmap.At(c.width - 1, c.height - 1), c.clear);
        Destroy(device);
    }
}

}  // namespace

// The frame cycle, the text queue, clearing, screenshots and device reset.
#include <cstdio>
#include <numeric>
#include <vector>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Window.h"
#include "orvhostImage.h"
#include "support/PluginHarness.h"

namespace {

using orvplatform::CallsOf;
using orvplatform::CountOf;
using orvtest::PluginTest;

class FrameCycle : public PluginTest {
protected:
    // Triangles the debug font drew since the journal was last cleared.
    static uint64_t TrianglesDrawn() {
        uint64_t total = 0;
        for (const orvplatform::Call& call : CallsOf("IDirect3DDevice8::DrawPrimitive"))
            total += call.args[2];
        return total;
    }
};

TEST_F(FrameCycle, BeginSceneResetsTheCountAndAFailureKeepsIt) {
    RenderDevice* device = CreateWindowed();
    ASSERT_TRUE(device->BeginScene());
    EXPECT_EQ(device->GetTriangleCount(), 0u);
    ASSERT_TRUE(device->EndScene());

    orvplatform::FailNthCall("IDirect3DDevice8::BeginScene", 1, D3DERR_INVALIDCALL);
    EXPECT_FALSE(device->BeginScene());
    EXPECT_TRUE(Logged("D3DDriver: BeginScene failed (HR:D3DERR_INVALIDCALL)."));
}

TEST_F(FrameCycle, QueuedTextIsDrawnInOrderVerbatimAndTheQueueEmpties) {
    RenderDevice* device = CreateWindowed();
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->PrintText(10, 20, "%d%%", 100));  // "100%": four characters
    ASSERT_TRUE(device->PrintText(10, 40, "ab"));
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    // One Print per line, in order: 8 triangles, then 4.
    const std::vector<orvplatform::Call> draws = CallsOf("IDirect3DDevice8::DrawPrimitive");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].args[2], 8u);
    EXPECT_EQ(draws[1].args[2], 4u);

    orvplatform::ClearJournal();
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    EXPECT_EQ(CountOf("IDirect3DDevice8::DrawPrimitive"), 0u);
}

TEST_F(FrameCycle, OverlongLinesAreCutNotOverrun) {
    RenderDevice* device = CreateWindowed();
    orvplatform::ClearJournal();
    // The queue keeps 2047 characters of a line; the font draws at most 255.
    const std::string text(3000, 'x');
    ASSERT_TRUE(device->PrintText(0, 0, "%s", text.c_str()));
    ASSERT_TRUE(device->BeginScene());
    ASSERT_TRUE(device->EndScene());
    EXPECT_EQ(TrianglesDrawn(), 2u * 255u);
}

TEST_F(FrameCycle, AFailingEndSceneStillEmptiesTheQueueAndPresentsNothing) {
    RenderDevice* device = CreateWindowed();
    device->PrintText(0, 0, "lost");
    device->BeginScene();
    orvplatform::FailNthCall("IDirect3DDevice8::EndScene", 1, D3DERR_INVALIDCALL);
    orvplatform::ClearJournal();
    EXPECT_FALSE(device->EndScene());
    EXPECT_TRUE(Logged("D3DDriver: EndScene failed (HR:D3DERR_INVALIDCALL)."));
    EXPECT_EQ(CountOf("IDirect3DDevice8::Present"), 0u);
    EXPECT_EQ(TrianglesDrawn(), 8u);

    orvplatform::ClearJournal();
    device->BeginScene();
    EXPECT_TRUE(device->EndScene());
    EXPECT_EQ(TrianglesDrawn(), 0u);
}

TEST_F(FrameCycle, PresentOnALostDeviceIsReported) {
    RenderDevice* device = CreateWindowed();
    orvd3d8::SetDeviceLost(orvd3d8::LastDevice(), true);
    device->BeginScene();
    EXPECT_FALSE(device->EndScene());
    EXPECT_TRUE(Logged("D3DDriver: Present failed (HR:D3DERR_DEVICELOST)."));
}

TEST_F(FrameCycle, ClearPassesTheAskedBuffersAndTheStoredValues) {
    RenderDevice* device = CreateWindowed();
    device->SetClearColor(0xFF336699);
    device->SetClearDepth(0.5f);
    device->SetClearStencil(7);
    struct Case {
        bool colour, depth, stencil;
        uint64_t flags;
    };
    const Case cases[] = {{true, false, false, D3DCLEAR_TARGET},
                          {false, true, false, D3DCLEAR_ZBUFFER},
                          {true, true, false, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER}};
    for (const Case& c : cases) {
        orvplatform::ClearJournal();
        EXPECT_TRUE(device->Clear(c.colour, c.depth, c.stencil));
        const std::vector<orvplatform::Call> clears = CallsOf("IDirect3DDevice8::Clear");
        ASSERT_EQ(clears.size(), 1u);
        EXPECT_EQ(clears[0].args[0], 0u);  // no rectangles: the whole viewport
        EXPECT_EQ(clears[0].args[2], c.flags);
        EXPECT_EQ(clears[0].args[3], 0xFF336699u);
        EXPECT_EQ(orvplatform::BitsFloat(clears[0].args[4]), 0.5f);
        EXPECT_EQ(clears[0].args[5], 7u);
    }
    const orvd3d8::Image image = orvd3d8::BackBufferImage(orvd3d8::LastDevice());
    EXPECT_EQ(image.At(320, 240) & 0xFFFFFF, 0x336699u);

    // The depth buffer has no stencil: the device refuses and the driver says so.
    orvplatform::ClearJournal();
    EXPECT_FALSE(device->Clear(false, false, true));
    EXPECT_EQ(CallsOf("IDirect3DDevice8::Clear")[0].args[2], static_cast<uint64_t>(D3DCLEAR_STENCIL));
    EXPECT_TRUE(Logged("D3DDriver: Clear failed. (HR:D3DERR_INVALIDCALL)"));
}

// A screenshot holds what the last frame cleared to: the window's client
// area through a desktop-sized capture surface (as the runtime requires) in
// windowed mode, the whole display in full-screen mode.
TEST_F(FrameCycle, ScreenshotsSaveTheClientAreaOrTheWholeDisplay) {
    const struct {
        bool windowed;
        unsigned width, height, surfaceWidth, surfaceHeight;
        uint32_t clear;
    } cases[] = {{true, 320, 240, 1024, 768, 0xFF20C040}, {false, 800, 600, 800, 600, 0xFF8040C0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windowed ? "windowed" : "full screen");
        RenderDevice* device = Create();
        ASSERT_TRUE(device->SetDisplayMode(c.width, c.height, 32, 60, 0, c.windowed));
        device->SetClearColor(c.clear);
        device->BeginScene();
        device->Clear(true, false, false);
        device->EndScene();

        orvplatform::ClearJournal();
        const std::string path = OutputPath(c.windowed ? "windowed.bmp" : "fullscreen.bmp");
        std::remove(path.c_str());
        ASSERT_TRUE(device->SaveScreenShot(path.c_str()));
        const std::vector<orvplatform::Call> surfaces = CallsOf("IDirect3DDevice8::CreateImageSurface");
        ASSERT_EQ(surfaces.size(), 1u);
        EXPECT_EQ(surfaces[0].args[0], c.surfaceWidth);
        EXPECT_EQ(surfaces[0].args[1], c.surfaceHeight);

        orvhost::Image bitmap;
        ASSERT_TRUE(orvhost::ReadBitmap(path, &bitmap));
        EXPECT_EQ(bitmap.width, static_cast<int>(c.width));
        EXPECT_EQ(bitmap.height, static_cast<int>(c.height));
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(bitmap.At(corner % 2 ? c.width - 1 : 0, corner / 2 ? c.height - 1 : 0), c.clear)
                << corner;
        Destroy(device);
    }
}

TEST_F(FrameCycle, ABackBufferSizedCaptureIsRefusedInWindowedMode) {
    CreateWindowed(320, 240);
    IDirect3DDevice8* d3d = orvd3d8::LastDevice();
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(d3d->CreateImageSurface(320, 240, D3DFMT_A8R8G8B8, &surface), D3D_OK);
    EXPECT_EQ(d3d->GetFrontBuffer(surface), D3DERR_INVALIDCALL);
    surface->Release();
}

TEST_F(FrameCycle, ScreenshotFailures) {
    RenderDevice* device = Create();
    EXPECT_FALSE(device->SaveScreenShot(OutputPath("none.bmp").c_str()));  // no device

    device->SetDisplayMode(640, 480, 32, 60, 0, true);
    ClearLines();
    orvplatform::FailNthCall("IDirect3DDevice8::CreateImageSurface", 1, E_OUTOFMEMORY);
    EXPECT_FALSE(device->SaveScreenShot(OutputPath("none.bmp").c_str()));
    EXPECT_TRUE(Lines().empty());

    orvplatform::FailNthCall("IDirect3DDevice8::GetFrontBuffer", 1, D3DERR_DEVICELOST);
    EXPECT_FALSE(device->SaveScreenShot(OutputPath("none.bmp").c_str()));
    EXPECT_TRUE(Logged("SaveScreenShot: Failed to get front buffer (HR:D3DERR_DEVICELOST)"));
}

TEST_F(FrameCycle, ResetDeviceRebuildsTheDisplayInTheSameMode) {
    RenderDevice* device = Create();
    EXPECT_FALSE(device->ResetDevice());  // no display yet

    ASSERT_TRUE(device->SetDisplayMode(800, 600, 32, 60, 0, true));
    orvplatform::ClearJournal();
    ASSERT_TRUE(device->ResetDevice());
    EXPECT_EQ(CountOf("IDirect3D8::CreateDevice"), 1u);
    const D3DPRESENT_PARAMETERS params = orvd3d8::PresentParametersOf(orvd3d8::LastDevice());
    EXPECT_EQ(params.BackBufferWidth, 800u);
    EXPECT_EQ(params.BackBufferHeight, 600u);

    orvplatform::FailEveryCall("IDirect3D8::CreateDevice", D3DERR_DEVICELOST);
    EXPECT_FALSE(device->ResetDevice());
    EXPECT_TRUE(Logged("Display switch failed (HR:D3DERR_DEVICELOST)"));
    orvplatform::ClearFailures();
    EXPECT_FALSE(device->ResetDevice());  // no display any more
}

}  // namespace

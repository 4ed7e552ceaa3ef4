// The frame: scenes, clears into the back and depth buffers, presentation to
// the desktop, the front-buffer copy and its size rule, device loss, and the
// validation, recording and stream unbinding of draws. (Full-screen
// presentation: D3D8RuntimeTest.)
#include <cstring>
#include <vector>

#include "D3D8Fixture.h"

namespace {

class D3D8Frame : public D3D8Fixture {
protected:
    // A pre-transformed, coloured vertex (D3DFVF_XYZRHW | D3DFVF_DIFFUSE).
    struct Vertex {
        float x, y, z, rhw;
        DWORD colour;
    };
    static constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

    IDirect3DVertexBuffer8* Buffer(UINT vertices) {
        IDirect3DVertexBuffer8* buffer = nullptr;
        EXPECT_EQ(m_Device->CreateVertexBuffer(vertices * sizeof(Vertex), 0, kFvf, D3DPOOL_MANAGED,
                                               &buffer),
                  D3D_OK);
        return buffer;
    }
};

TEST_F(D3D8Frame, ClearWritesTheColourInTheBackBufferFormatInsideTheRectangles) {
    struct Case {
        D3DFORMAT format;
        D3DCOLOR colour;
        uint32_t expected;  // read back as A8R8G8B8
    } cases[] = {
        {D3DFMT_X8R8G8B8, 0x80336699, 0xFF336699},
        {D3DFMT_A8R8G8B8, 0x80336699, 0x80336699},
        {D3DFMT_R5G6B5, 0xFFFF0000, 0xFFFF0000},
        {D3DFMT_R5G6B5, 0xFF00FF00, 0xFF00FF00},
    };
    for (const Case& c : cases) {
        D3DPRESENT_PARAMETERS pp = Windowed();
        pp.BackBufferFormat = c.format;
        ASSERT_EQ(Create(pp), D3D_OK);
        const D3DRECT rects[] = {{10, 20, 30, 40}, {300, 200, 400, 300}};
        ASSERT_EQ(m_Device->Clear(2, rects, D3DCLEAR_TARGET, c.colour, 1.0f, 0), D3D_OK);
        orvd3d8::Image back = orvd3d8::BackBufferImage(m_Device);
        EXPECT_EQ(back.At(10, 20), c.expected) << c.format;
        EXPECT_EQ(back.At(29, 39), c.expected) << c.format;
        EXPECT_EQ(back.At(30, 39) & 0xFFFFFF, 0u) << c.format;
        EXPECT_EQ(back.At(319, 239), c.expected) << "clipped to the viewport";
        EXPECT_EQ(m_Device->Release(), 0u);
        m_Device = nullptr;
    }
}

TEST_F(D3D8Frame, DepthAndStencilClearsNeedABufferThatHasThem) {
    ASSERT_EQ(Create(Windowed(FALSE)), D3D_OK);
    EXPECT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->Release(), 0u);

    ASSERT_NE(Device(TRUE, D3DFMT_D16), nullptr);
    // Like the real runtime: no stencil bits, no stencil clear, and nothing
    // of the request is done.
    EXPECT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                              0xFFFFFFFF, 0.5f, 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(orvd3d8::BackBufferImage(m_Device).At(0, 0) & 0xFFFFFF, 0u);
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0), D3D_OK);
    orvd3d8::DepthImage depth = orvd3d8::DepthBufferImage(m_Device);
    ASSERT_EQ(depth.width, kWindowWidth);
    EXPECT_NEAR(depth.DepthAt(5, 5), 0.5f, 1.0f / 65535);
    EXPECT_EQ(m_Device->Release(), 0u);

    ASSERT_NE(Device(TRUE, D3DFMT_D24S8), nullptr);
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 0.25f, 0x5A),
              D3D_OK);
    depth = orvd3d8::DepthBufferImage(m_Device);
    EXPECT_NEAR(depth.DepthAt(319, 239), 0.25f, 1e-6f);
    EXPECT_EQ(depth.stencil.back(), 0x5Au);
}

TEST_F(D3D8Frame, ScenesDoNotNest) {
    ASSERT_NE(Device(), nullptr);
    EXPECT_EQ(m_Device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_Device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_Device->EndScene(), D3D_OK);
    EXPECT_EQ(m_Device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(D3D8Frame, PresentCopiesTheBackBufferToTheWindowOnTheDesktop) {
    // Half the window hangs over the desktop's right edge.
    MoveWindow(m_Window, 1024 - 160, 700, kWindowWidth, kWindowHeight, FALSE);
    ASSERT_NE(Device(), nullptr);
    const D3DRECT left = {0, 0, 160, 68};
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_Device->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    orvd3d8::Image desktop = orvd3d8::DesktopImage(0);
    ASSERT_EQ(desktop.width, 1024);
    EXPECT_EQ(desktop.At(1024 - 160, 700), 0xFFFF0000u);
    EXPECT_EQ(desktop.At(1023, 767), 0xFFFF0000u);
    EXPECT_EQ(desktop.At(1024 - 161, 700), 0xFF000000u) << "left of the window";
    EXPECT_EQ(desktop.At(1024 - 160, 699), 0xFF000000u) << "above the window";

    // Rectangles belong to the copy swap effect only.
    const RECT source = {0, 0, 10, 10};
    EXPECT_EQ(m_Device->Present(&source, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(D3D8Frame, OnlyTheCopySwapEffectKeepsTheBackBufferAfterPresent) {
    constexpr D3DCOLOR kClear = 0xFF336699;
    const D3DSWAPEFFECT effects[] = {D3DSWAPEFFECT_DISCARD, D3DSWAPEFFECT_COPY};
    for (D3DSWAPEFFECT effect : effects) {
        SCOPED_TRACE(testing::Message() << "swap effect " << effect);
        D3DPRESENT_PARAMETERS pp = Windowed();
        pp.SwapEffect = effect;
        ASSERT_EQ(Create(pp), D3D_OK);
        std::vector<uint32_t> previous;
        for (int frame = 0; frame < 2; ++frame) {
            ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, kClear, 1.0f, 0), D3D_OK);
            ASSERT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
            // What was presented is on the desktop either way.
            EXPECT_EQ(orvd3d8::DesktopImage(0).At(kWindowX, kWindowY), kClear);
            const orvd3d8::Image back = orvd3d8::BackBufferImage(m_Device);
            size_t kept = 0;
            for (uint32_t pixel : back.pixels) kept += (pixel & 0xFFFFFF) == (kClear & 0xFFFFFF);
            if (effect == D3DSWAPEFFECT_COPY) {
                EXPECT_EQ(kept, back.pixels.size());
            } else {
                // Discarded contents are scrambled anew every frame.
                EXPECT_LT(kept, back.pixels.size() / 100);
                EXPECT_NE(back.pixels, previous);
            }
            previous = back.pixels;
        }
        EXPECT_EQ(m_Device->Release(), 0u);
        m_Device = nullptr;
    }
}

TEST_F(D3D8Frame, GetFrontBufferNeedsADesktopSizedSystemMemorySurface) {
    ASSERT_NE(Device(), nullptr);
    ASSERT_EQ(m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    struct Case {
        UINT width, height;
        D3DFORMAT format;
        HRESULT expected;
    } cases[] = {
        {kWindowWidth, kWindowHeight, D3DFMT_A8R8G8B8, D3DERR_INVALIDCALL},
        {1024, 768, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
        {1024, 768, D3DFMT_A8R8G8B8, D3D_OK},
    };
    for (const Case& c : cases) {
        IDirect3DSurface8* surface = nullptr;
        ASSERT_EQ(m_Device->CreateImageSurface(c.width, c.height, c.format, &surface), D3D_OK);
        EXPECT_EQ(m_Device->GetFrontBuffer(surface), c.expected) << c.width << " " << c.format;
        if (c.expected == D3D_OK) {
            D3DLOCKED_RECT locked;
            ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
            EXPECT_EQ(Texel<uint32_t>(locked, kWindowX, kWindowY), 0xFF123456u);
            EXPECT_EQ(Texel<uint32_t>(locked, kWindowX + kWindowWidth - 1,
                                      kWindowY + kWindowHeight - 1),
                      0xFF123456u);
            EXPECT_EQ(Texel<uint32_t>(locked, kWindowX - 1, kWindowY), 0xFF000000u);
            surface->UnlockRect();
        }
        surface->Release();
    }
    // A render target is not in system memory.
    IDirect3DSurface8* target = nullptr;
    ASSERT_EQ(m_Device->CreateRenderTarget(1024, 768, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, TRUE,
                                           &target),
              D3D_OK);
    EXPECT_EQ(m_Device->GetFrontBuffer(target), D3DERR_INVALIDCALL);
    target->Release();
}

TEST_F(D3D8Frame, LostDeviceRefusesPresentButTakesStateCalls) {
    ASSERT_NE(Device(), nullptr);
    orvd3d8::SetDeviceLost(m_Device, true);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_Device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(m_Device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    EXPECT_EQ(m_Device->BeginScene(), D3D_OK);
    EXPECT_EQ(m_Device->EndScene(), D3D_OK);

    // Reset refuses while a default-pool resource is referenced.
    IDirect3DVertexBuffer8* dynamic = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic),
              D3D_OK);
    D3DPRESENT_PARAMETERS pp = Windowed();
    EXPECT_EQ(m_Device->Reset(&pp), D3DERR_INVALIDCALL);
    dynamic->Release();
    ASSERT_EQ(m_Device->Reset(&pp), D3D_OK);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), D3D_OK);
    DWORD lighting = FALSE;
    ASSERT_EQ(m_Device->GetRenderState(D3DRS_LIGHTING, &lighting), D3D_OK);
    EXPECT_EQ(lighting, static_cast<DWORD>(TRUE)) << "Reset restores the default states";
}

TEST_F(D3D8Frame, DrawsAreValidated) {
    ASSERT_NE(Device(), nullptr);
    IDirect3DVertexBuffer8* buffer = Buffer(6);
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(m_Device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices),
              D3D_OK);
    uint16_t* index = nullptr;
    ASSERT_EQ(indices->Lock(0, 0, reinterpret_cast<BYTE**>(&index), 0), D3D_OK);
    const uint16_t values[] = {0, 1, 2, 3, 4, 6};  // the last one is past the buffer
    std::memcpy(index, values, sizeof values);
    indices->Unlock();

    enum Setup { kNothing = 0, kScene = 1, kShader = 2, kStream = 4, kIndices = 8 };
    const int all = kScene | kShader | kStream | kIndices;
    struct Case {
        const char* name;
        int setup;
        bool indexed;
        UINT first, count;  // start vertex or index, primitive count
        HRESULT expected;
    } cases[] = {
        {"ready", all, false, 0, 2, D3D_OK},
        {"count 0 outside a scene", kNothing, false, 0, 0, D3D_OK},
        {"outside a scene", all & ~kScene, false, 0, 1, D3DERR_INVALIDCALL},
        {"vertex shader 0", all & ~kShader, false, 0, 1, D3DERR_INVALIDCALL},
        {"no stream", all & ~kStream, false, 0, 1, D3DERR_INVALIDCALL},
        {"past the buffer", all, false, 4, 1, D3DERR_INVALIDCALL},
        {"indexed", all, true, 0, 1, D3D_OK},
        {"no indices", all & ~kIndices, true, 0, 1, D3DERR_INVALIDCALL},
        {"past the index buffer", all, true, 4, 1, D3DERR_INVALIDCALL},
        {"index past the vertices", all, true, 3, 1, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        if (c.setup & kScene) {
            ASSERT_EQ(m_Device->BeginScene(), D3D_OK);
        }
        m_Device->SetVertexShader((c.setup & kShader) ? kFvf : 0);
        m_Device->SetStreamSource(0, (c.setup & kStream) ? buffer : nullptr, sizeof(Vertex));
        m_Device->SetIndices((c.setup & kIndices) ? indices : nullptr, 0);
        orvd3d8::ClearDraws(m_Device);
        HRESULT result =
            c.indexed ? m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, c.first, c.count)
                      : m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, c.first, c.count);
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_EQ(orvd3d8::DrawsOf(m_Device).size(), result == D3D_OK && c.count ? 1u : 0u)
            << c.name;
        if (c.setup & kScene) {
            ASSERT_EQ(m_Device->EndScene(), D3D_OK);
        }
    }
    m_Device->SetStreamSource(0, nullptr, 0);
    m_Device->SetIndices(nullptr, 0);
    buffer->Release();
    indices->Release();
}

TEST_F(D3D8Frame, DrawsAreRecordedAndUserPointerDrawsUnbindStreamZeroAndTheIndices) {
    ASSERT_NE(Device(), nullptr);
    IDirect3DVertexBuffer8* buffer = Buffer(6);
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(m_Device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices), D3D_OK);
    Vertex* vertices = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, reinterpret_cast<BYTE**>(&vertices), 0), D3D_OK);
    for (int i = 0; i < 6; ++i) vertices[i] = {float(i), 0, 0, 1, 0xFF000000u + i};
    buffer->Unlock();
    const Vertex user[] = {{0, 0, 0, 1, 1}, {1, 0, 0, 1, 2}, {0, 1, 0, 1, 3}};
    const uint32_t userIndices[] = {2, 0, 1};
    ASSERT_EQ(m_Device->SetVertexShader(kFvf), D3D_OK);
    ASSERT_EQ(m_Device->BeginScene(), D3D_OK);
    for (bool indexed : {false, true}) {
        SCOPED_TRACE(indexed ? "indexed" : "not indexed");
        ASSERT_EQ(m_Device->SetStreamSource(0, buffer, sizeof(Vertex)), D3D_OK);
        ASSERT_EQ(m_Device->SetIndices(indices, 0), D3D_OK);
        orvd3d8::ClearDraws(m_Device);
        // A count of 0 draws nothing and unbinds nothing.
        ASSERT_EQ(m_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, user, sizeof(Vertex)), D3D_OK);
        ASSERT_EQ(m_Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 2), D3D_OK);
        ASSERT_EQ(indexed ? m_Device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, userIndices,
                                                             D3DFMT_INDEX32, user, sizeof(Vertex))
                          : m_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, user, sizeof(Vertex)),
                  D3D_OK);

        IDirect3DVertexBuffer8* stream = buffer;
        UINT stride = 1;
        ASSERT_EQ(m_Device->GetStreamSource(0, &stream, &stride), D3D_OK);
        EXPECT_EQ(stream, nullptr);
        EXPECT_EQ(stride, 0u);
        IDirect3DIndexBuffer8* boundIndices = nullptr;
        UINT base = 0;
        ASSERT_EQ(m_Device->GetIndices(&boundIndices, &base), D3D_OK);
        EXPECT_EQ(boundIndices, indexed ? nullptr : indices);
        if (boundIndices) boundIndices->Release();
        EXPECT_EQ(RefCount(buffer), 1u);

        std::vector<orvd3d8::DrawRecord> draws = orvd3d8::DrawsOf(m_Device);
        ASSERT_EQ(draws.size(), 2u);
        EXPECT_EQ(draws[0].kind, orvd3d8::DrawKind::Primitive);
        EXPECT_EQ(draws[0].primitiveType, D3DPT_TRIANGLESTRIP);
        EXPECT_EQ(draws[0].firstVertex, 2u);
        EXPECT_EQ(draws[0].vertexCount, 4u);
        EXPECT_EQ(draws[0].vertexShader, kFvf);
        ASSERT_EQ(draws[0].vertices.size(), 4 * sizeof(Vertex));
        Vertex last;
        std::memcpy(&last, draws[0].vertices.data() + 3 * sizeof(Vertex), sizeof last);
        EXPECT_EQ(last.colour, 0xFF000005u);
        EXPECT_EQ(draws[1].kind, indexed ? orvd3d8::DrawKind::IndexedPrimitiveUP
                                         : orvd3d8::DrawKind::PrimitiveUP);
        const std::vector<uint32_t> readIndices = {2, 0, 1};
        EXPECT_EQ(draws[1].indices, indexed ? readIndices : std::vector<uint32_t>());
        EXPECT_EQ(draws[1].vertices.size(), sizeof user);
    }
    ASSERT_EQ(m_Device->EndScene(), D3D_OK);
    EXPECT_EQ(m_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, user, sizeof(Vertex)),
              D3DERR_INVALIDCALL);
    buffer->Release();
    indices->Release();
}

}  // namespace

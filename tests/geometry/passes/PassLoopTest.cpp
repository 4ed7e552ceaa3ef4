// The draws' pass loop with a pass source of the test's own made current in
// the driver: one draw per pass, each after its own pass, the triangle count,
// failures that end the loop, and what a screen quad leaves to the passes.
// This program links the plug-in's code directly to reach the driver.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/Kernel.h"
#include "host/ScreenQuad.h"
#include "host/VertexBuffer.h"
#include "plugin/D3DDriver.h"
#include "plugin/MaterialPasses.h"
#include "support/DrawPassTestAccess.h"

extern "C" RenderDevice* CreatePlugin(Kernel* kernel);

namespace {

using orvplatform::Call;

// Answers ApplyNextPass from a script; each pass marks the journal with the
// texture factor set to its number.
class ScriptedPasses : public MaterialPasses {
public:
    ScriptedPasses(IDirect3DDevice8* device, std::vector<int> answers)
        : m_pDevice(device), m_Answers(std::move(answers)) {}
    void BeginPasses() override {
        m_Next = 0;
        ++m_Begun;
    }
    int ApplyNextPass() override {
        m_pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, static_cast<DWORD>(m_Next));
        const size_t pass = m_Next++;
        return pass < m_Answers.size() ? m_Answers[pass] : 0;
    }
    void EndPasses() override { ++m_Ended; }

    IDirect3DDevice8* m_pDevice;
    std::vector<int> m_Answers;
    size_t m_Next = 0;
    int m_Begun = 0;
    int m_Ended = 0;
};

class PassLoop : public ::testing::Test {
protected:
    void SetUp() override {
        orvplatform::ResetAll();
        m_pKernel = std::make_unique<Kernel>(nullptr, false);
        m_pKernel->SetCapture(true);
        m_pRenderer = CreatePlugin(m_pKernel.get());
        ASSERT_NE(m_pRenderer, nullptr);
        ASSERT_TRUE(m_pRenderer->SetDisplayMode(640, 480, 32, 60, 0, true));
        m_pD3D = orvd3d8::LastDevice();
        m_pBuffer = m_pRenderer->CreateVertexBuffer(30, true, false);
        ASSERT_NE(m_pBuffer, nullptr);
        ASSERT_TRUE(m_pBuffer->Upload());
        ASSERT_TRUE(m_pRenderer->SetVertexBuffer(m_pBuffer));
        ASSERT_TRUE(m_pRenderer->BeginScene());
    }
    void TearDown() override {
        DrawPassTestAccess::SetPasses(m_pRenderer, nullptr);
        if (m_pRenderer) {
            m_pRenderer->EndScene();
            m_pRenderer->DestroyVertexBuffer(m_pBuffer);
            delete m_pRenderer;
        }
        EXPECT_EQ(orvd3d8::LiveObjectCount(), 0u);
        orvplatform::ResetAll();
    }
    // Pass markers and draws of the given kind, in journal order: "P0", "D", ...
    static std::string Sequence(const char* draw) {
        std::string sequence;
        for (const Call& call : orvplatform::CallsOfAny({"IDirect3DDevice8::SetRenderState", draw})) {
            if (call.api == draw) sequence += call.injected ? "F" : "D";
            else if (call.args[0] == D3DRS_TEXTUREFACTOR) sequence += "P" + std::to_string(call.args[1]);
        }
        return sequence;
    }

    std::unique_ptr<Kernel> m_pKernel;
    RenderDevice* m_pRenderer = nullptr;
    IDirect3DDevice8* m_pD3D = nullptr;
    VertexBuffer* m_pBuffer = nullptr;
    Vertex m_Vertices[30];
};

TEST_F(PassLoop, EveryPassIsAppliedBeforeItsDrawAndCounted) {
    const struct {
        std::vector<int> answers;
        const char* sequence;
    } cases[] = {
        {{1, 1, 0}, "P0DP1DP2D"},
        {{1, 2}, "P0DP1D"},  // only 1 asks for another pass
    };
    ScreenQuad* quad = m_pRenderer->CreateScreenQuad(RECT{0, 0, 10, 10}, 0xFFFFFFFF);
    for (const auto& c : cases) {
        ScriptedPasses passes(m_pD3D, c.answers);
        DrawPassTestAccess::SetPasses(m_pRenderer, &passes);
        orvplatform::ClearJournal();
        ASSERT_TRUE(m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 10));
        ASSERT_TRUE(m_pRenderer->RenderVertexBufferEx(PRIMITIVE_TRIANGLELIST, 1, 10, 2));
        EXPECT_EQ(Sequence("IDirect3DDevice8::DrawPrimitive"), std::string(c.sequence) + c.sequence)
            << c.sequence;
        orvplatform::ClearJournal();
        ASSERT_TRUE(m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLESTRIP, 3, m_Vertices));
        ASSERT_TRUE(m_pRenderer->RenderScreenQuad(quad));
        EXPECT_EQ(Sequence("IDirect3DDevice8::DrawPrimitiveUP"), std::string(c.sequence) + c.sequence);
        // With a material the quad leaves stage and blend states to its passes.
        EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::SetTextureStageState"), 0u);
        EXPECT_EQ(passes.m_Begun, 4);
        EXPECT_EQ(passes.m_Ended, 4);
        DrawPassTestAccess::SetPasses(m_pRenderer, nullptr);
    }
    m_pRenderer->DestroyScreenQuad(quad);

    // Triangles count once per drawn pass, a fan's not at all.
    ASSERT_TRUE(m_pRenderer->EndScene());
    ASSERT_TRUE(m_pRenderer->BeginScene());
    ScriptedPasses twoPasses(m_pD3D, {1, 0});
    DrawPassTestAccess::SetPasses(m_pRenderer, &twoPasses);
    ASSERT_TRUE(m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 10));
    ASSERT_TRUE(m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLESTRIP, 3, m_Vertices));
    ASSERT_TRUE(m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLEFAN, 10));
    EXPECT_EQ(m_pRenderer->GetTriangleCount(), 26u);
}

TEST_F(PassLoop, AFailedPassEndsTheLoop) {
    const struct {
        const char* draw;
        bool pointer;
        const char* line;
    } cases[] = {
        {"IDirect3DDevice8::DrawPrimitive", false,
         "Failed to render D3D vertex buffer. (HR:D3DERR_INVALIDCALL)"},
        {"IDirect3DDevice8::DrawPrimitiveUP", true,
         "Failed to render D3D verts using DrawPrimitiveUP. (HR:D3DERR_INVALIDCALL)"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_pRenderer->EndScene());
        ASSERT_TRUE(m_pRenderer->BeginScene());
        m_pKernel->ClearCapturedLines();
        ScriptedPasses passes(m_pD3D, {1, 1, 0});
        DrawPassTestAccess::SetPasses(m_pRenderer, &passes);
        orvplatform::ClearJournal();
        orvplatform::FailNthCall(c.draw, 2, D3DERR_INVALIDCALL);
        EXPECT_FALSE(c.pointer ? m_pRenderer->RenderVertices(PRIMITIVE_TRIANGLELIST, 4, m_Vertices)
                               : m_pRenderer->RenderVertexBuffer(PRIMITIVE_TRIANGLELIST, 4));
        EXPECT_EQ(Sequence(c.draw), "P0DP1F") << c.draw;
        EXPECT_EQ(passes.m_Ended, 1);
        EXPECT_EQ(m_pRenderer->GetTriangleCount(), 4u);
        EXPECT_EQ(m_pKernel->GetCapturedLines(), std::vector<std::string>{c.line});
        DrawPassTestAccess::SetPasses(m_pRenderer, nullptr);
    }
}

}  // namespace

// The render-state and stage-state dumps: their exact lines.
#include <string>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::DisplayTest;

class StateDump : public DisplayTest {};

TEST_F(StateDump, RenderDumpPrintsDirect3DValuesUnderEngineNames) {
    m_pRenderer->SetRenderState(RENDERSTATE_BLENDFUNC, BLENDFUNC_NOTEQUAL);
    m_pRenderer->SetRenderState(RENDERSTATE_FOGCOLOR, 0xFF000000u);  // printed signed
    ClearLines();
    ASSERT_TRUE(m_pRenderer->DumpRenderStates());
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 78u);
    EXPECT_EQ(lines.front(), "--- BEGIN STATE DUMP ---");
    EXPECT_EQ(lines.back(), "--- END STATE DUMP ---");
    EXPECT_EQ(lines[1], "RENDERSTATE_ZENABLE: 1");
    EXPECT_EQ(lines[13], "RENDERSTATE_BLENDFUNC: 6");
    EXPECT_EQ(lines[76].rfind("RENDERSTATE_NORMALORDER: ", 0), 0u);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "RENDERSTATE_FOGCOLOR: -16777216"), lines.end());
}

TEST_F(StateDump, StageDumpShowsOneStageAndDumpsSurviveRefusedQueries) {
    ClearLines();
    ASSERT_TRUE(m_pRenderer->DumpTextureStageStates(3));
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines.front(), "--- START TEXTURE STATE DUMP (Stage 3) ---");
    EXPECT_EQ(lines.back(), "--- END TEXTURE STATE DUMP (Stage 3) ---");
    EXPECT_EQ(lines[1].rfind("TEXTURESTATE_COLOROP: ", 0), 0u);
    EXPECT_EQ(lines[27], "TEXTURESTATE_RESULTARG: 1");

    orvplatform::FailEveryCall("IDirect3DDevice8::GetRenderState", D3DERR_INVALIDCALL);
    orvplatform::FailEveryCall("IDirect3DDevice8::GetTextureStageState", D3DERR_INVALIDCALL);
    ClearLines();
    EXPECT_TRUE(m_pRenderer->DumpRenderStates() && m_pRenderer->DumpTextureStageStates(1));
    EXPECT_EQ(Lines().size(), 78u + 29u);
    EXPECT_EQ(Lines()[1], "RENDERSTATE_ZENABLE: 0");
}

}  // namespace

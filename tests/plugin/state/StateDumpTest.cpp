// The render-state and stage-state dumps: their exact lines, and the state a
// fresh display leaves the device in as the dumps show it.
#include <map>
#include <string>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "support/PluginHarness.h"

namespace {

using orvtest::PluginTest;

class StateDump : public PluginTest {
protected:
    // "NAME: value" lines between the header and the footer, by name.
    static std::map<std::string, std::string> Values(const std::vector<std::string>& lines) {
        std::map<std::string, std::string> values;
        for (size_t i = 1; i + 1 < lines.size(); ++i) {
            const size_t colon = lines[i].find(": ");
            if (colon != std::string::npos)
                values[lines[i].substr(0, colon)] = lines[i].substr(colon + 2);
        }
        return values;
    }
};

TEST_F(StateDump, RenderDumpAfterADisplaySwitchShowsDirect3DValues) {
    RenderDevice* device = CreateWindowed();
    ClearLines();
    ASSERT_TRUE(device->DumpRenderStates());
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 78u);
    EXPECT_EQ(lines.front(), "--- BEGIN STATE DUMP ---");
    EXPECT_EQ(lines.back(), "--- END STATE DUMP ---");
    EXPECT_EQ(lines[1], "RENDERSTATE_ZENABLE: 1");
    EXPECT_EQ(lines[13].rfind("RENDERSTATE_BLENDFUNC: ", 0), 0u);
    EXPECT_EQ(lines[76].rfind("RENDERSTATE_NORMALORDER: ", 0), 0u);

    const std::map<std::string, std::string> values = Values(lines);
    const std::map<std::string, std::string> expected = {
        {"RENDERSTATE_ZENABLE", "1"},  {"RENDERSTATE_FILLMODE", "3"},
        {"RENDERSTATE_SHADEMODE", "2"}, {"RENDERSTATE_CULLMODE", "3"},
        {"RENDERSTATE_ZFUNC", "4"},    {"RENDERSTATE_SRCBLEND", "2"},
        {"RENDERSTATE_DESTBLEND", "1"}, {"RENDERSTATE_LIGHTING", "0"},
        {"RENDERSTATE_ALPHABLENDENABLE", "1"}, {"RENDERSTATE_ZWRITEENABLE", "1"},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(values.at(name), value) << name;

    // The alpha-test comparison is printed under the engine's name, as the
    // device holds it.
    device->SetRenderState(12, 5);
    ClearLines();
    device->DumpRenderStates();
    EXPECT_EQ(Lines()[13], "RENDERSTATE_BLENDFUNC: 6");
}

TEST_F(StateDump, SignedValuesPrintAsSignedDecimals) {
    RenderDevice* device = CreateWindowed();
    device->SetRenderState(18, 0xFF000000u);  // fog colour
    ClearLines();
    device->DumpRenderStates();
    EXPECT_EQ(Values(Lines()).at("RENDERSTATE_FOGCOLOR"), "-16777216");
}

TEST_F(StateDump, StageDumpShowsOneStageBetweenNumberedHeaderAndFooter) {
    RenderDevice* device = CreateWindowed();
    ClearLines();
    ASSERT_TRUE(device->DumpTextureStageStates(0));
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines.front(), "--- START TEXTURE STATE DUMP (Stage 0) ---");
    EXPECT_EQ(lines.back(), "--- END TEXTURE STATE DUMP (Stage 0) ---");
    EXPECT_EQ(lines[1], "TEXTURESTATE_COLOROP: 4");
    EXPECT_EQ(lines[27], "TEXTURESTATE_RESULTARG: 1");
    const std::map<std::string, std::string> values = Values(lines);
    for (const char* filter :
         {"TEXTURESTATE_MINFILTER", "TEXTURESTATE_MAGFILTER", "TEXTURESTATE_MIPFILTER"})
        EXPECT_EQ(values.at(filter), "4") << filter;
    EXPECT_EQ(values.at("TEXTURESTATE_ALPHAOP"), "2");

    ClearLines();
    device->DumpTextureStageStates(3);
    lines = Lines();
    EXPECT_EQ(lines.front(), "--- START TEXTURE STATE DUMP (Stage 3) ---");
    EXPECT_EQ(lines.back(), "--- END TEXTURE STATE DUMP (Stage 3) ---");
    EXPECT_EQ(Values(lines).at("TEXTURESTATE_TEXCOORDINDEX"), "3");
}

TEST_F(StateDump, DumpsSucceedWhenTheDeviceRefusesAQuery) {
    RenderDevice* device = CreateWindowed();
    orvplatform::FailEveryCall("IDirect3DDevice8::GetRenderState", D3DERR_INVALIDCALL);
    orvplatform::FailEveryCall("IDirect3DDevice8::GetTextureStageState", D3DERR_INVALIDCALL);
    ClearLines();
    EXPECT_TRUE(device->DumpRenderStates());
    EXPECT_TRUE(device->DumpTextureStageStates(1));
    EXPECT_EQ(Lines().size(), 78u + 29u);
    EXPECT_EQ(Lines()[1], "RENDERSTATE_ZENABLE: 0");
}

}  // namespace

// Fonts rasterised into glyph textures and drawn as textured triangles: the
// texture sizes, the glyph texels, the batches, the layout of lines, the
// measuring operations and the failed releases of GDI objects.
#include <cmath>
#include <utility>

#include "host/Font.h"
#include "support/PluginHarness.h"

namespace {

using orvtest::ArgsOf;
using orvtest::DisplayTest;

class DebugFont : public DisplayTest {
protected:
    Font* MakeFont(const char* face, unsigned points, bool bold = false, bool italic = false) {
        return Kept(m_pRenderer->CreateTextFont(face, points, bold, italic), &RenderDevice::DestroyTextFont);
    }

    // The vertices of the last batch the font wrote to stream 0.
    std::vector<ScreenVertex> LastBatch(unsigned triangles) const {
        return Contents<ScreenVertex>(BoundStream().buffer, triangles * 3);
    }

    // Texels with a non-zero alpha in a cell (in texture coordinates) of the
    // glyph texture bound to stage 0; every texel is white or empty.
    std::vector<std::pair<int, int>> CoveredTexels(float u0, float v0, float u1, float v1) const {
        IDirect3DBaseTexture8* base = nullptr;
        m_pD3D->GetTexture(0, &base);
        if (!base) return {};
        const orvd3d8::Image image = orvd3d8::TextureLevelImage(static_cast<IDirect3DTexture8*>(base), 0);
        base->Release();
        const int x0 = static_cast<int>(std::lround(u0 * image.width));
        const int y0 = static_cast<int>(std::lround(v0 * image.height));
        std::vector<std::pair<int, int>> covered;
        for (int y = y0; y < std::lround(v1 * image.height); ++y)
            for (int x = x0; x < std::lround(u1 * image.width); ++x) {
                const uint32_t argb = image.At(x, y);
                EXPECT_TRUE(argb == 0 || (argb & 0xFFFFFF) == 0xFFFFFF) << x << "," << y;
                if (argb >> 24) covered.emplace_back(x - x0, y - y0);
            }
        return covered;
    }
};

TEST_F(DebugFont, TextureSizeFollowsThePointHeight) {
    const struct { unsigned points; uint64_t size; } cases[] = {{20, 256}, {21, 512}, {41, 1024}};
    for (const auto& c : cases) {
        orvplatform::ClearJournal();
        ASSERT_NE(MakeFont("Arial", c.points), nullptr);
        EXPECT_EQ(ArgsOf("IDirect3DDevice8::CreateTexture", 0), std::vector<uint64_t>{c.size}) << c.points;
        EXPECT_EQ(ArgsOf("IDirect3DDevice8::CreateTexture", 4), std::vector<uint64_t>{D3DFMT_A4R4G4B4});
    }
}

TEST_F(DebugFont, GlyphTexelsAreWhiteWithCoverageAsAlpha) {
    Font* font = MakeFont("Arial", 20);
    ASSERT_NE(font, nullptr);

    // Draw each character alone and read its cell from the texture.
    auto cellOf = [&](const char* text) {
        EXPECT_TRUE(font->Print(0, 0, 0xFFFFFFFF, "%s", text));
        const std::vector<ScreenVertex> quad = LastBatch(2);
        return CoveredTexels(quad[1].u, quad[1].v, quad[2].u, quad[2].v);
    };
    const auto letter = cellOf("A"), dot = cellOf("."), space = cellOf(" ");
    ASSERT_FALSE(dot.empty());
    EXPECT_TRUE(space.empty());
    EXPECT_GT(letter.size(), 2 * dot.size());
    // The dot sits low in its cell; the letter reaches well above it (the
    // cells list their texels row by row).
    EXPECT_LT(letter.front().second + 5, dot.front().second);
}

TEST_F(DebugFont, TextIsDrawnInBatchesOfFiftyCharacters) {
    Font* font = MakeFont("Arial", 12);
    ASSERT_NE(font, nullptr);
    orvplatform::ClearJournal();
    ASSERT_TRUE(font->Print(5, 5, 0xFFFFFFFF, "%s", std::string(120, 'x').c_str()));
    EXPECT_EQ(ArgsOf("IDirect3DDevice8::DrawPrimitive", 2), (std::vector<uint64_t>{100, 100, 40}));
    EXPECT_EQ(ArgsOf("IDirect3DVertexBuffer8::Lock", 3).back(), static_cast<uint64_t>(D3DLOCK_DISCARD));

    // Nothing printable: nothing drawn, still a success.
    orvplatform::ClearJournal();
    EXPECT_TRUE(font->Print(0, 0, 0xFFFFFFFF, "%s", ""));
    EXPECT_TRUE(font->Print(0, 0, 0xFFFFFFFF, "\t\x01\x7f\xe9"));
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::DrawPrimitive"), 0u);
}

// The states are set and left behind; the vertices carry the colour, half a
// pixel to the top left; a newline goes back to the start x one space
// height lower.
TEST_F(DebugFont, PrintSetsItsStatesAndLaysLinesOut) {
    Font* font = MakeFont("Arial", 12);
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(font->Print(0, 0, 0xFF00FF00, "a"));
    EXPECT_EQ((std::vector<DWORD>{RenderState(D3DRS_ALPHABLENDENABLE), RenderState(D3DRS_ALPHAFUNC),
                                  RenderState(D3DRS_ZENABLE), StageState(1, D3DTSS_COLOROP)}),
              (std::vector<DWORD>{TRUE, D3DCMP_NOTEQUAL, FALSE, D3DTOP_DISABLE}));
    const std::vector<ScreenVertex> quad = LastBatch(2);
    EXPECT_TRUE(quad[0].color == 0xFF00FF00u && quad[1].x == -0.5f && quad[1].y == -0.5f);

    ASSERT_TRUE(font->Print(30, 40, 0xFFFFFFFF, " "));
    const std::vector<ScreenVertex> space = LastBatch(2);
    const float lineHeight = space[0].y - space[1].y;
    ASSERT_GT(lineHeight, 5.0f);
    ASSERT_TRUE(font->Print(30, 40, 0xFFFFFFFF, "a\nb"));
    const std::vector<ScreenVertex> both = LastBatch(4);
    EXPECT_EQ(both[7].x, 29.5f);
    EXPECT_NEAR(both[7].y - both[1].y, lineHeight, 1e-4);
    EXPECT_EQ(font->GetTextWidth("ab\nabcd\nabc"), font->GetTextWidth("abcd"));
}

// Giving a GDI object back fails (the fault sweep fails only the calls that
// make something): alone, the font is made all the same with that call's
// line; after a failure of the creation, it adds no line to the first
// failure's. Either way no GDI object outlives the creation.
TEST_F(DebugFont, AFailedReleaseLogsOnceAndLeavesNoGdiObjectBehind) {
    const struct { const char* first; unsigned ordinal; const char* release; unsigned releaseOrdinal; const char* line; } cases[] = {
        {nullptr, 0, "SelectObject", 3, "SelectObject failed"}, {nullptr, 0, "SelectObject", 4, "SelectObject failed"},
        {nullptr, 0, "DeleteDC", 1, "DeleteDC failed"},         {nullptr, 0, "DeleteObject", 1, "DeleteObject failed"},
        {nullptr, 0, "DeleteObject", 2, "DeleteObject failed"},
        {"SetMapMode", 1, "DeleteDC", 1, "SetMapMode failed"},
        {"GetTextMetricsA", 1, "DeleteObject", 1, "GetTextMetrics failed"},
        {"ExtTextOutA", 3, "SelectObject", 3, "ExtTextOut failed"},
    };
    const size_t liveBefore = orvd3d8::LiveObjectCount(), gdiBefore = orvplatform::LiveGdiObjectCount();
    for (const auto& c : cases) {
        const std::string which = std::string(c.first ? c.first : "") + " then " + c.release + " #" +
                                  std::to_string(c.releaseOrdinal);
        ClearLines();
        if (c.first) orvplatform::FailNthCall(c.first, c.ordinal, E_FAIL);
        orvplatform::FailNthCall(c.release, c.releaseOrdinal, E_FAIL);
        Font* font = m_pRenderer->CreateTextFont("Arial", 12, false, false);
        EXPECT_EQ(font != nullptr, c.first == nullptr) << which;
        EXPECT_EQ(orvplatform::InjectedCallCount(), c.first ? 2u : 1u) << which;
        orvplatform::ClearFailures();
        m_pRenderer->DestroyTextFont(font);
        ASSERT_EQ(Lines().size(), 1u) << which;
        EXPECT_NE(Lines()[0].find(c.line), std::string::npos) << which << ": " << Lines()[0];
        EXPECT_EQ(orvd3d8::LiveObjectCount(), liveBefore) << which;
        EXPECT_EQ(orvplatform::LiveGdiObjectCount(), gdiBefore) << which;
    }
}

}  // namespace

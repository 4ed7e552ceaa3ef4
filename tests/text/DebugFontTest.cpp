// Fonts rasterised into glyph textures and drawn as textured triangles: the
// texture sizes, the glyph texels, the batches, the layout of lines, the
// measuring operations and the failed releases of GDI objects.
#include <algorithm>
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

    // One character's six vertices from `first`: two clockwise triangles (the
    // font culls counter-clockwise ones) that together cover a rectangle
    // whose top left is half a pixel above and left of the pen, each corner
    // carrying the glyph cell's texture coordinate at that corner, texel for
    // pixel; every vertex in the colour. The rectangle's right edge.
    float ExpectCharacter(const ScreenVertex* first, float penX, float penY, uint32_t colour) const {
        IDirect3DBaseTexture8* base = nullptr;
        m_pD3D->GetTexture(0, &base);
        D3DSURFACE_DESC desc = {};
        if (base) static_cast<IDirect3DTexture8*>(base)->GetLevelDesc(0, &desc), base->Release();
        float right = penX, bottom = penY, u0 = 1, v0 = 1;
        for (int k = 0; k < 6; ++k) {
            right = std::max(right, first[k].x), bottom = std::max(bottom, first[k].y);
            u0 = std::min(u0, first[k].u), v0 = std::min(v0, first[k].v);
        }
        EXPECT_GT(right, penX);
        EXPECT_GT(bottom, penY);
        int missing[2] = {0, 0};  // the corner each triangle leaves out, as a bit of four
        for (int k = 0; k < 6; ++k) {
            const ScreenVertex& v = first[k];
            EXPECT_EQ(v.color, colour);
            EXPECT_EQ(v.rhw, 1.0f);
            EXPECT_TRUE(v.x == penX - 0.5f || v.x == right) << k << ": " << v.x;
            EXPECT_TRUE(v.y == penY - 0.5f || v.y == bottom) << k << ": " << v.y;
            EXPECT_NEAR((v.u - u0) * desc.Width, v.x - (penX - 0.5f), 1e-3) << k;
            EXPECT_NEAR((v.v - v0) * desc.Height, v.y - (penY - 0.5f), 1e-3) << k;
            missing[k / 3] |= 1 << ((v.x == right) + 2 * (v.y == bottom));
        }
        for (int t = 0; t < 2; ++t) {
            const ScreenVertex* a = first + 3 * t;
            const float cross = (a[1].x - a[0].x) * (a[2].y - a[0].y) - (a[1].y - a[0].y) * (a[2].x - a[0].x);
            EXPECT_GT(cross, 0.0f) << "triangle " << t;
            missing[t] ^= 0xF;
        }
        // Each leaves one corner out, opposite to the other's: the triangles
        // meet on a diagonal.
        const bool oneEach = missing[0] && missing[1] && !(missing[0] & (missing[0] - 1)) &&
                             !(missing[1] & (missing[1] - 1));
        EXPECT_TRUE(oneEach && ((missing[0] | missing[1]) == 0x9 || (missing[0] | missing[1]) == 0x6))
            << missing[0] << " " << missing[1];
        return right;
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

// The texture size follows the point height; the GDI font is bold and
// italic as asked.
TEST_F(DebugFont, TextureSizeFollowsThePointHeight) {
    const struct { unsigned points; uint64_t size; bool bold, italic; } cases[] = {
        {20, 256, true, false}, {21, 512, false, true}, {41, 1024, false, false}};
    for (const auto& c : cases) {
        orvplatform::ClearJournal();
        ASSERT_NE(MakeFont("Arial", c.points, c.bold, c.italic), nullptr);
        EXPECT_EQ(ArgsOf("IDirect3DDevice8::CreateTexture", 0), std::vector<uint64_t>{c.size}) << c.points;
        EXPECT_EQ(ArgsOf("IDirect3DDevice8::CreateTexture", 4), std::vector<uint64_t>{D3DFMT_A4R4G4B4});
        EXPECT_EQ(ArgsOf("CreateFontA", 4), std::vector<uint64_t>{uint64_t(c.bold ? FW_BOLD : FW_NORMAL)});
        EXPECT_EQ(ArgsOf("CreateFontA", 5), std::vector<uint64_t>{uint64_t(c.italic ? TRUE : FALSE)});
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
    ExpectCharacter(LastBatch(2).data(), 0, 0, 0xFF00FF00u);

    ASSERT_TRUE(font->Print(30, 40, 0xFFFFFFFF, " "));
    const std::vector<ScreenVertex> space = LastBatch(2);
    const float lineHeight = space[0].y - space[1].y;
    ASSERT_GT(lineHeight, 5.0f);
    // The pen moves on by each glyph's width; a newline takes it back.
    ASSERT_TRUE(font->Print(30, 40, 0x80123456, "ab\na"));
    const std::vector<ScreenVertex> three = LastBatch(6);
    const float afterA = ExpectCharacter(&three[0], 30, 40, 0x80123456);
    ExpectCharacter(&three[6], afterA + 0.5f, 40, 0x80123456);
    EXPECT_EQ(ExpectCharacter(&three[12], 30, 40 + lineHeight, 0x80123456), afterA);
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
        {"GetDeviceCaps", 1, "DeleteDC", 1, "GetDeviceCaps failed"},  // no dots per inch: no size to draw at
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

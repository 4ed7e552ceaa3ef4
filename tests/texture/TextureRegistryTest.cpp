// The driver's texture registry: sharing by name in any letter case, unique
// textures, stale pointers and refused sequence names.
#include <algorithm>
#include <string>

#include "TextureTestSupport.h"

namespace {

using orvtest::TextureTest;

TEST_F(TextureTest, FilesAreSharedByNameInAnyCaseAndUniqueOnesHonourTheirCount) {
    Display();
    const std::string path = Write("Rock.ZAR", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 1));
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    const size_t before = orvd3d8::LiveObjectCount();
    Texture* first = m_pRenderer->CreateTextureFromFile(path.c_str(), true, false);
    ASSERT_NE(first, nullptr);
    orvplatform::ClearJournal();
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile(lower.c_str(), false, false), first);
    EXPECT_EQ(first->GetRefCount(), 2u);
    EXPECT_EQ(orvplatform::CountOf("IDirect3DDevice8::CreateTexture"), 0u);  // nothing loaded
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(first));
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(first));
    EXPECT_EQ(orvd3d8::LiveObjectCount(), before);

    // unique: loaded again, not shared; dies at its release unless a layer
    // also holds it.
    Texture* alone = m_pRenderer->CreateTextureFromFile(path.c_str(), false, true);
    EXPECT_NE(m_pRenderer->CreateTextureFromFile(path.c_str(), false, true), alone);
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(alone));
    Texture* shared = m_pRenderer->CreateTextureFromFile(path.c_str(), false, true);
    shared->AddRef();  // a material layer's reference
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(shared));
    EXPECT_EQ(shared->GetRefCount(), 1u);
    int notATexture = 0;
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(reinterpret_cast<Texture*>(&notATexture)));
    EXPECT_TRUE(m_pRenderer->ReleaseTexture(alone));  // already destroyed: not touched

    // A created texture is registered under the empty name.
    Texture* created = m_pRenderer->CreateTexture(256, 256, false, 0);
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile("", false, false), created);
}

// Names are compared as the kernel's case-blind comparison does: ASCII
// letters without their case, other bytes as they are. Several created
// textures share the empty name; the first still registered is found.
TEST_F(TextureTest, NamesMatchAsTheComparisonSaysAndTheFirstOfSharedNamesIsFound) {
    Display();
    // '@' and '[' border the capitals; '`' and '{' border the small letters.
    const std::string upper = Write("R\xC4@[.zar", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 2));
    const std::string other = Write("r\xE4@[.zar", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 3));
    Texture* first = m_pRenderer->CreateTextureFromFile(upper.c_str(), false, false);
    ASSERT_NE(first, nullptr);
    const std::string folder = upper.substr(0, upper.size() - 8);
    const struct {
        std::string name;
        bool shared;
    } cases[] = {
        {folder + "r\xC4@[.ZaR", true},  {other, false},
        {folder + "R\xC4`[.zar", false}, {folder + "R\xC4@{.zar", false},
        {upper.substr(0, upper.size() - 1), false},
    };
    for (const auto& c : cases) {
        Texture* found = m_pRenderer->CreateTextureFromFile(c.name.c_str(), false, false);
        EXPECT_EQ(found == first, c.shared) << c.name;
        m_pRenderer->ReleaseTexture(found);
    }

    Texture* created[3];
    for (Texture*& texture : created) texture = m_pRenderer->CreateTexture(4, 4, false, 0);
    for (Texture* expected : created) {
        Texture* found = m_pRenderer->CreateTextureFromFile("", false, false);
        EXPECT_EQ(found, expected);
        m_pRenderer->ReleaseTexture(found);
        m_pRenderer->ReleaseTexture(expected);  // the last reference: the next one is first now
    }
    EXPECT_EQ(m_pRenderer->CreateTextureFromFile("", false, false), nullptr);
    m_pRenderer->ReleaseTexture(first);
}

TEST_F(TextureTest, SequenceNamesWithoutAFrameNumberAreRefused) {
    Display();
    const std::string longBase(250, 'x');
    const std::string names[] = {"fire.tga", ".tga", longBase + "0.tga", "a0." + longBase};
    for (const std::string& name : names) {
        EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(name.c_str(), 15, true, false), nullptr);
        EXPECT_TRUE(Logged("D3DDriver::CreateTextureFromFileSequence: Failed to load " + name)) << name;
    }
    // A rate that gives no positive duration is refused too.
    const std::string still = Write("rate0.zar", orvtest::NoiseZar(4, 4, 0x0009, 4, {}, 3));
    for (int rate : {0, -1})
        EXPECT_EQ(m_pRenderer->CreateTextureFromFileSequence(still.c_str(), rate, true, false), nullptr) << rate;
}

}  // namespace

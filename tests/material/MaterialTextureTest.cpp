// Layers holding textures: the references a layer and the description
// reader take and give back, and every setting saved and read back.
#include <algorithm>

#include "host/FileSystem.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/Texture.h"
#include "support/PluginHarness.h"

namespace {

class MaterialTextures : public orvtest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        if (HasFatalFailure()) return;
        // The example materials name their textures relative to their folder.
        kernel()->m_pFileSystem->SetBaseDirectory(ORV_EXAMPLES_DIR);
        m_BaseTextures = LiveTextures();
    }
    // Direct3D textures alive (the debug font holds one).
    static size_t LiveTextures() { return LiveObjects("IDirect3DTexture8"); }
    size_t m_BaseTextures = 0;
};

TEST_F(MaterialTextures, AFailedReadGivesBackEveryTextureItTookAndALayerKeepsItsOwn) {
    struct Case {
        const char* text;
        const char* textureLine;  // the driver's own message, if any
    };
    const Case cases[] = {
        {"<Shader><Layer Map=\"textures/stone.bmp\"/><Layer Map=\"textures/missing.bmp\"/></Shader>",
         "D3DDriver::CreateTextureFromFile: Failed to load textures/missing.bmp"},
        {"<Shader><Layer MapSequence=\"textures/flame0.bmp\"/><Layer Map=\"None\"/></Shader>", nullptr},
        {"<Shader><Layer Map=\"textures/glass.zar\"/><Layer MapSequence=\"textures/stone.bmp\"/></Shader>",
         "D3DDriver::CreateTextureFromFileSequence: Failed to load textures/stone.bmp"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = Write("failing-" + std::to_string(n++) + ".xml", std::string(c.text));
        ClearLines();
        EXPECT_EQ(m_pRenderer->LoadMaterial(path.c_str()), nullptr) << c.text;
        EXPECT_EQ(Lines().back(), "Failed to read material " + path);
        EXPECT_TRUE(!c.textureLine || Logged(c.textureLine)) << c.textureLine;
        EXPECT_EQ(LiveTextures(), m_BaseTextures) << c.text;
    }
    // A layer keeps the texture it already holds.
    Texture* texture = m_pRenderer->CreateTexture(16, 16, false, 0);
    MaterialLayer* layer = m_pRenderer->CreateMaterial()->AddLayer(texture);
    m_pRenderer->ReleaseTexture(texture);  // the layer's is the only reference now
    EXPECT_TRUE(layer->SetTexture(layer->GetTexture()));
    EXPECT_EQ(layer->GetTexture(), texture);
    EXPECT_EQ(texture->GetWidth(), 16u);
    EXPECT_TRUE(layer->SetTexture(nullptr));
    EXPECT_EQ(LiveTextures(), m_BaseTextures);
}

// Every setting of the material and of each layer, each keyword of every
// table in some layer, comes back from the file the material saves; each
// layer's texture is loaded again from the file or sequence it names; the
// reader keeps no reference of its own.
TEST_F(MaterialTextures, EverySettingComesBackFromASavedFile) {
    const int layers = std::max({int(TEXTUREARG_COUNT), int(TEXTUREOP_COUNT), int(BLEND_COUNT), int(ADDRESS_COUNT)});
    const struct {
        void (MaterialLayer::*set)(int);
        int (MaterialLayer::*get)();
        int count, shift;  // layer i takes (i + shift) % count
    } settings[] = {
        {&MaterialLayer::SetColorArg1, &MaterialLayer::GetColorArg1, TEXTUREARG_COUNT, 0},
        {&MaterialLayer::SetColorArg2, &MaterialLayer::GetColorArg2, TEXTUREARG_COUNT, 1},
        {&MaterialLayer::SetAlphaArg1, &MaterialLayer::GetAlphaArg1, TEXTUREARG_COUNT, 2},
        {&MaterialLayer::SetAlphaArg2, &MaterialLayer::GetAlphaArg2, TEXTUREARG_COUNT, 3},
        {&MaterialLayer::SetSrcBlend, &MaterialLayer::GetSrcBlend, BLEND_COUNT, 0},
        {&MaterialLayer::SetDestBlend, &MaterialLayer::GetDestBlend, BLEND_COUNT, 1},
        {&MaterialLayer::SetColorOp, &MaterialLayer::GetColorOp, TEXTUREOP_COUNT, 0},
        {&MaterialLayer::SetAlphaOp, &MaterialLayer::GetAlphaOp, TEXTUREOP_COUNT, 1},
        {&MaterialLayer::SetAddressing, &MaterialLayer::GetAddressing, ADDRESS_COUNT, 0},
    };
    const struct {
        void (Material::*set)(float, float, float);
        Color (Material::*get)();
        float r, g, b;
    } colours[] = {{&Material::SetAmbient, &Material::GetAmbient, 0.125f, 0.25f, 0.5f},
                   {&Material::SetDiffuse, &Material::GetDiffuse, 2.5f, -1.0f, 0.75f},
                   {&Material::SetSpecular, &Material::GetSpecular, 0.5f, 0.25f, 0.0625f},
                   {&Material::SetEmissive, &Material::GetEmissive, 0.0f, 1.0f, 0.375f}};
    const std::string path = OutputPath("every.xml");
    for (int z = 0; z < COMPARE_COUNT; ++z) {
        Material* material = m_pRenderer->CreateMaterial();
        for (const auto& c : colours) (material->*c.set)(c.r, c.g, c.b + z);
        material->SetShininess(12.5f + z);
        material->SetCulling(z % 2), material->SetFrameBlend(z % 3), material->SetZWrite(z % 4);
        material->SetZFunc(z);
        Texture* frames = m_pRenderer->CreateTextureFromFileSequence("textures/flame0.bmp", 15, true, false);
        for (int i = 0; i < layers; ++i) {
            MaterialLayer* layer = i % 2 ? material->AddLayer(frames) : material->AddLayer("textures/stone.bmp");
            ASSERT_NE(layer, nullptr);
            for (const auto& s : settings) (layer->*s.set)((i + z + s.shift) % s.count);
            layer->SetLighting((i + z) % 2);
        }
        m_pRenderer->ReleaseTexture(frames);
        ASSERT_TRUE(material->SaveToFile(path.c_str()));
        m_pRenderer->ReleaseMaterial(material);  // and with it every texture
        ASSERT_EQ(LiveTextures(), m_BaseTextures);
        Material* read = m_pRenderer->LoadMaterial(path.c_str());
        ASSERT_NE(read, nullptr);
        for (const auto& c : colours) {
            const Color colour = (read->*c.get)();
            EXPECT_TRUE(colour.r == c.r && colour.g == c.g && colour.b == c.b + z) << c.r << " " << z;
        }
        EXPECT_EQ(read->GetShininess(), 12.5f + z);
        EXPECT_EQ(read->GetCulling(), z % 2 != 0);
        EXPECT_EQ(read->GetFrameBlend(), z % 3 != 0);
        EXPECT_EQ(read->GetZWrite(), z % 4 != 0);
        EXPECT_EQ(read->GetZFunc(), z);
        ASSERT_EQ(read->GetLayerCount(), layers);
        for (int i = 0; i < layers; ++i) {
            MaterialLayer* layer = read->GetLayer(i);
            EXPECT_EQ(layer->GetTexture()->GetFrameCount(), i % 2 ? 4u : 1u) << i;
            EXPECT_EQ(layer->GetTexture(), read->GetLayer(i % 2)->GetTexture()) << i;  // shared by name
            for (const auto& s : settings) EXPECT_EQ((layer->*s.get)(), (i + z + s.shift) % s.count) << i << " " << z;
            EXPECT_EQ(layer->GetLighting(), (i + z) % 2 != 0) << i;
        }
        m_pRenderer->ReleaseMaterial(read);
        EXPECT_EQ(LiveTextures(), m_BaseTextures);  // the reader kept no reference
    }
}

}  // namespace

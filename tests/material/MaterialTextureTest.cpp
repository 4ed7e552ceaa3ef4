// Layers holding textures: the references a layer and the description
// reader take and give back, and the example materials loaded, drawn, saved,
// read back and released.
#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "host/FileSystem.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/Texture.h"
#include "support/PluginHarness.h"

namespace {

const char* const kExamples[] = {"stone.xml", "mossy-stone.xml", "flame.xml", "glass.xml",
                                 "lighting-groups.xml"};

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
    static size_t LiveTextures() {
        size_t count = 0;
        for (const std::string& object : orvd3d8::LiveObjectDescriptions())
            if (object.rfind("IDirect3DTexture8", 0) == 0) ++count;
        return count;
    }
    size_t m_BaseTextures = 0;
};

TEST_F(MaterialTextures, ALayerKeepsTheTextureItAlreadyHolds) {
    Texture* texture = m_pRenderer->CreateTexture(16, 16, false, 0);
    Material* material = m_pRenderer->CreateMaterial();
    MaterialLayer* layer = material->AddLayer(texture);
    m_pRenderer->ReleaseTexture(texture);  // the layer's is the only reference now

    EXPECT_TRUE(layer->SetTexture(layer->GetTexture()));
    EXPECT_EQ(layer->GetTexture(), texture);
    EXPECT_EQ(texture->GetWidth(), 16u);

    EXPECT_TRUE(layer->SetTexture(nullptr));
    EXPECT_EQ(LiveTextures(), m_BaseTextures);
}

TEST_F(MaterialTextures, AFailedReadGivesBackEveryTextureItTook) {
    struct Case {
        const char* text;
        const char* textureLine;  // the driver's own message, if any
    };
    const Case cases[] = {
        {"<Shader><Layer Map=\"textures/stone.bmp\"/><Layer Map=\"textures/missing.bmp\"/></Shader>",
         "D3DDriver::CreateTextureFromFile: Failed to load textures/missing.bmp"},
        {"<Shader><Layer MapSequence=\"textures/flame0.bmp\"/><Layer Map=\"None\"/></Shader>",
         nullptr},
        {"<Shader><Layer Map=\"textures/glass.zar\"/><Layer MapSequence=\"textures/stone.bmp\"/>"
         "</Shader>",
         "D3DDriver::CreateTextureFromFileSequence: Failed to load textures/stone.bmp"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = OutputPath("failing-" + std::to_string(n++) + ".xml");
        WriteText(path, c.text);
        ClearLines();
        EXPECT_EQ(m_pRenderer->LoadMaterial(path.c_str()), nullptr) << c.text;
        EXPECT_EQ(Lines().back(), "Failed to read material " + path);
        if (c.textureLine) {
            EXPECT_TRUE(Logged(c.textureLine)) << c.textureLine;
        }
        EXPECT_EQ(LiveTextures(), m_BaseTextures) << c.text;
    }
}

TEST_F(MaterialTextures, EveryExampleLoadsDrawsSavesReadsBackAndReleasesItsTextures) {
    const bool canDraw = DrawTriangle();
    for (const char* name : kExamples) {
        Material* material = m_pRenderer->LoadMaterial(name);
        ASSERT_NE(material, nullptr) << name;
        // One reference per layer holding a texture, none left to the reader.
        for (int i = 0; i < material->GetLayerCount(); ++i) {
            Texture* texture = material->GetLayer(i)->GetTexture();
            unsigned holders = 0;
            for (int j = 0; j < material->GetLayerCount(); ++j)
                holders += material->GetLayer(j)->GetTexture() == texture;
            EXPECT_EQ(texture->GetRefCount(), holders) << name << " " << i;
        }
        if (canDraw) {
            ASSERT_TRUE(m_pRenderer->SetMaterial(material));
            EXPECT_TRUE(DrawTriangle());
        }
        const std::string copy = OutputPath(std::string("saved-") + name);
        ASSERT_TRUE(material->SaveToFile(copy.c_str()));
        Material* again = m_pRenderer->LoadMaterial(copy.c_str());
        ASSERT_NE(again, nullptr);
        ASSERT_EQ(material->GetLayerCount(), again->GetLayerCount());
        for (int i = 0; i < material->GetLayerCount(); ++i)
            EXPECT_EQ(material->GetLayer(i)->GetTexture(), again->GetLayer(i)->GetTexture()) << name;
        EXPECT_TRUE(m_pRenderer->ReleaseMaterial(again));
        EXPECT_TRUE(m_pRenderer->ReleaseMaterial(material));
        EXPECT_EQ(LiveTextures(), m_BaseTextures) << name;
    }
}

}  // namespace

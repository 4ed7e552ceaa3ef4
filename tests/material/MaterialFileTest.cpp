// Material descriptions: reading every parameter and its default, writing
// only what differs from the defaults, keywords at their edges, numbers
// whatever the locale, and files that cannot be read or must not be written.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/OML.h"
#include "support/PluginHarness.h"

namespace {

using orvtest::DisplayTest;

class MaterialFile : public DisplayTest {
protected:
    static void WriteText(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadText(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static std::string Param(const OML& tag, const char* name) {
        return tag.GetParameter(name, "(absent)").c_str();
    }
};

TEST_F(MaterialFile, EveryShaderParameterAndItsReadingDefault) {
    struct Case {
        const char* name;
        const char* value;
        float ambientR, ambientB, specularG, shininess;
        bool culling, frameBlend, zWrite;
        int zFunc;
    };
    // With nothing given, the reading defaults hold: specular 0 and emissive
    // 0.5, unlike a new material's.
    const Case cases[] = {
        {"Unused", "", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, 3},
        {"Ambient", "0.2 0.3 0.4", 0.2f, 0.4f, 0.0f, 1.0f, true, true, true, 3},
        // Fewer numbers than three: the missing ones keep their default.
        {"Ambient", "0.25", 0.25f, 0.5f, 0.0f, 1.0f, true, true, true, 3},
        {"Ambient", "0,7 0.1 0.1", 0.0f, 0.5f, 0.0f, 1.0f, true, true, true, 3},
        {"Ambient", "nonsense", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, 3},
        {"Specular", " +1 1e-1 1", 0.5f, 0.5f, 0.1f, 1.0f, true, true, true, 3},
        {"Shinyness", "20", 0.5f, 0.5f, 0.0f, 20.0f, true, true, true, 3},
        {"Shinyness", "", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, 3},
        {"Cull", "ENABLE", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, 3},
        {"Cull", "yes", 0.5f, 0.5f, 0.0f, 1.0f, false, true, true, 3},
        {"FrameBlend", "Disable", 0.5f, 0.5f, 0.0f, 1.0f, true, false, true, 3},
        {"ZWrite", " Enable", 0.5f, 0.5f, 0.0f, 1.0f, true, true, false, 3},
        {"ZFunc", "GREATER_equal", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, 5},
        {"ZFunc", "not_equal", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, 6},
        {"ZFunc", " never", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, -1},
        {"ZFunc", "less_equal_", 0.5f, 0.5f, 0.0f, 1.0f, true, true, true, -1},
    };
    Material* material = m_pRenderer->CreateMaterial();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        material->AddLayer();  // removed by every read
        OML tag("shader");     // the root's name in any case
        tag.AddParameter(c.name, c.value);
        tag.AddTag("Comment")->AddParameter("Map", "none");  // not a layer: skipped
        ASSERT_TRUE(material->ReadFrom(&tag));
        EXPECT_EQ(material->GetLayerCount(), 0);
        EXPECT_FLOAT_EQ(material->GetAmbient().r, c.ambientR);
        EXPECT_FLOAT_EQ(material->GetAmbient().b, c.ambientB);
        EXPECT_EQ(material->GetAmbient().a, 1.0f);
        EXPECT_FLOAT_EQ(material->GetDiffuse().g, 0.5f);
        EXPECT_FLOAT_EQ(material->GetSpecular().g, c.specularG);
        EXPECT_FLOAT_EQ(material->GetEmissive().r, 0.5f);
        EXPECT_FLOAT_EQ(material->GetShininess(), c.shininess);
        EXPECT_EQ(material->GetCulling(), c.culling);
        EXPECT_EQ(material->GetFrameBlend(), c.frameBlend);
        EXPECT_EQ(material->GetZWrite(), c.zWrite);
        EXPECT_EQ(material->GetZFunc(), c.zFunc);
    }
}

TEST_F(MaterialFile, AWronglyNamedRootLeavesTheMaterialAsItWas) {
    Material* material = m_pRenderer->CreateMaterial();
    material->AddLayer();
    material->SetShininess(7.0f);
    OML tag("Material");
    tag.AddParameter("Shinyness", "3");
    EXPECT_FALSE(material->ReadFrom(&tag));
    EXPECT_FALSE(material->ReadFrom(nullptr));
    EXPECT_EQ(material->GetLayerCount(), 1);
    EXPECT_EQ(material->GetShininess(), 7.0f);
}

TEST_F(MaterialFile, ALayerWithoutATextureFailsTheWholeRead) {
    Material* material = m_pRenderer->CreateMaterial();
    material->AddLayer();
    for (const char* map : {static_cast<const char*>("NONE"), static_cast<const char*>(nullptr)}) {
        OML tag("Shader");
        tag.AddParameter("Shinyness", "9");
        OML* layer = tag.AddTag("layer");
        if (map) layer->AddParameter("Map", map);
        layer->AddParameter("ColorOp", "add");
        EXPECT_FALSE(material->ReadFrom(&tag));
        EXPECT_EQ(material->GetLayerCount(), 0);
        // What was read before the layers stays.
        EXPECT_EQ(material->GetShininess(), 9.0f);
    }
}

TEST_F(MaterialFile, OnlySettingsOffTheirDefaultsAreWritten) {
    Material* material = m_pRenderer->CreateMaterial();
    OML plain;
    ASSERT_TRUE(material->WriteTo(&plain));
    EXPECT_STREQ(plain.GetName().c_str(), "Shader");
    EXPECT_EQ(plain.GetParameterCount(), 5);
    EXPECT_EQ(Param(plain, "Ambient"), "0.5 0.5 0.5");
    EXPECT_EQ(Param(plain, "Specular"), "1 1 1");
    EXPECT_EQ(Param(plain, "Shinyness"), "1");
    EXPECT_EQ(plain.GetTagCount(), 0);

    material->SetDiffuse(0.1f, 0.0f, 1.0f / 3.0f);
    material->SetShininess(20.0f);
    material->SetCulling(false);
    material->SetFrameBlend(false);
    material->SetZWrite(false);
    struct ZCase {
        int zFunc;
        const char* written;
    };
    // Outside the table: the keyword of the comparison the device uses.
    for (const ZCase& z : {ZCase{0, "never"}, ZCase{7, "always"}, ZCase{-1, "less_equal"},
                           ZCase{9, "less_equal"}, ZCase{3, "(absent)"}}) {
        material->SetZFunc(z.zFunc);
        OML tag;
        ASSERT_TRUE(material->WriteTo(&tag));
        EXPECT_EQ(Param(tag, "ZFunc"), z.written) << z.zFunc;
        EXPECT_EQ(Param(tag, "Diffuse"), "0.1 0 0.333333");
        EXPECT_EQ(Param(tag, "Shinyness"), "20");
        EXPECT_EQ(Param(tag, "Cull"), "Disable");
        EXPECT_EQ(Param(tag, "FrameBlend"), "Disable");
        EXPECT_EQ(Param(tag, "ZWrite"), "Disable");
    }
}

TEST_F(MaterialFile, LayerSettingsAreWrittenByKeyword) {
    struct Case {
        void (MaterialLayer::*set)(int);
        int value;
        const char* parameter;
        const char* written;
    };
    const Case cases[] = {
        {&MaterialLayer::SetColorArg1, 6, "ColorArg1", "tfactor"},
        {&MaterialLayer::SetColorArg1, 7, "ColorArg1", "alphareplicate"},
        {&MaterialLayer::SetColorArg2, 8, "ColorArg2", "complement"},
        {&MaterialLayer::SetAlphaArg1, -1, "AlphaArg1", "current"},
        {&MaterialLayer::SetAlphaArg2, 9, "AlphaArg2", "current"},
        {&MaterialLayer::SetColorOp, 13, "ColorOp", "blendfactoralpha"},
        {&MaterialLayer::SetColorOp, 22, "ColorOp", "bumpenbmapluminance"},
        {&MaterialLayer::SetAlphaOp, 26, "AlphaOp", "disable"},
        {&MaterialLayer::SetAlphaOp, 25, "AlphaOp", "lerp"},
        {&MaterialLayer::SetSrcBlend, 6, "SrcBlend", "dest_alpha"},
        {&MaterialLayer::SetDestBlend, 12, "DestBlend", "both_inverse_alpha"},
        {&MaterialLayer::SetDestBlend, 13, "DestBlend", "zero"},
        {&MaterialLayer::SetAddressing, 4, "AddressingType", "mirroronce"},
        {&MaterialLayer::SetAddressing, 9, "AddressingType", "wrap"},
        // At their defaults nothing is written.
        {&MaterialLayer::SetColorArg1, 5, "ColorArg1", "(absent)"},
        {&MaterialLayer::SetSrcBlend, 4, "SrcBlend", "(absent)"},
        {&MaterialLayer::SetDestBlend, 5, "DestBlend", "(absent)"},
    };
    for (const Case& c : cases) {
        Material* material = m_pRenderer->CreateMaterial();
        MaterialLayer* layer = material->AddLayer();
        (layer->*c.set)(c.value);
        layer->SetLighting(true);
        OML tag;
        // A layer without a texture cannot be read back: the tag is written
        // but the writer says so.
        EXPECT_FALSE(material->WriteTo(&tag));
        ASSERT_EQ(tag.GetTagCount(), 1);
        const OML& written = *tag.GetTag(0);
        EXPECT_STREQ(written.GetName().c_str(), "Layer");
        EXPECT_EQ(Param(written, c.parameter), c.written) << c.parameter << " " << c.value;
        EXPECT_EQ(Param(written, "Lighting"), "Enable");
        EXPECT_EQ(Param(written, "Map"), "(absent)");
        EXPECT_EQ(written.GetParameterCount(), std::string(c.written) == "(absent)" ? 1 : 2);
        m_pRenderer->ReleaseMaterial(material);
    }
}

TEST_F(MaterialFile, NumbersUseADecimalPointWhateverTheLocale) {
    // A locale whose decimal separator is a comma, made for this test.
    const std::string locales = OutputPath("locales");
    const std::string command =
        "mkdir -p '" + locales + "' && localedef -i de_DE -f UTF-8 '" + locales +
        "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef cannot make de_DE";
    setenv("LOCPATH", locales.c_str(), 1);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%g", 0.5);
    EXPECT_STREQ(probe, "0,5");

    Material* material = m_pRenderer->CreateMaterial();
    material->SetAmbient(0.25f, 0.125f, 1.5f);
    material->SetShininess(12.5f);
    OML written;
    material->WriteTo(&written);
    OML read("Shader");
    read.AddParameter("Diffuse", "0.75 2.5 0.5");
    read.AddParameter("Shinyness", "3.5");
    material->ReadFrom(&read);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");

    EXPECT_EQ(Param(written, "Ambient"), "0.25 0.125 1.5");
    EXPECT_EQ(Param(written, "Shinyness"), "12.5");
    EXPECT_EQ(material->GetDiffuse().g, 2.5f);
    EXPECT_EQ(material->GetShininess(), 3.5f);
}

TEST_F(MaterialFile, SavedAndLoadedBackAsTheSameMaterial) {
    Material* original = m_pRenderer->CreateMaterial();
    original->SetAmbient(0.1f, 0.2f, 0.3f);
    original->SetDiffuse(1.0f, 0.75f, 0.0f);
    original->SetSpecular(0.0f, 0.0f, 0.0f);
    original->SetEmissive(0.0f, 0.0f, 0.05f);
    original->SetShininess(42.0f);
    original->SetCulling(false);
    original->SetZWrite(false);
    original->SetZFunc(7);
    const std::string path = OutputPath("round-trip.xml");
    ClearLines();
    ASSERT_TRUE(original->SaveToFile(path.c_str()));

    Material* loaded = m_pRenderer->LoadMaterial(path.c_str());
    Material* again = m_pRenderer->LoadMaterial(path.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_NE(loaded, again);  // every load is a material of its own
    EXPECT_EQ(loaded->GetAmbient().g, 0.2f);
    EXPECT_EQ(loaded->GetDiffuse().g, 0.75f);
    EXPECT_EQ(loaded->GetSpecular().r, 0.0f);
    EXPECT_EQ(loaded->GetEmissive().b, 0.05f);
    EXPECT_EQ(loaded->GetShininess(), 42.0f);
    EXPECT_FALSE(loaded->GetCulling());
    EXPECT_TRUE(loaded->GetFrameBlend());
    EXPECT_FALSE(loaded->GetZWrite());
    EXPECT_EQ(loaded->GetZFunc(), 7);
    EXPECT_EQ(loaded->GetRefCount(), 1);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(MaterialFile, UnreadableFilesLeaveNoMaterialBehind) {
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"empty.xml", ""},
        {"truncated.xml", "<Shader Ambient=\"0.1 0.1 0.1\"><Layer Map=\"a.bmp\"/"},
        {"malformed.xml", "<Shader Ambient=0.1></Shader>"},
        {"wrong-root.xml", "<Material Shinyness=\"3\"/>"},
        {"layer-without-map.xml", "<Shader><Layer ColorOp=\"add\"/></Shader>"},
        {"not-markup.xml", "Shader { Ambient 1 1 1 }"},
    };
    for (const Case& c : cases) {
        const std::string path = OutputPath(c.name);
        WriteText(path, c.text);
        ClearLines();
        EXPECT_EQ(m_pRenderer->LoadMaterial(path.c_str()), nullptr) << c.name;
        ASSERT_EQ(Lines().size(), 1u) << c.name;
        EXPECT_EQ(Lines()[0], "Failed to read material " + path);
    }
    // A file that does not open fails without a message.
    ClearLines();
    EXPECT_EQ(m_pRenderer->LoadMaterial(OutputPath("absent.xml").c_str()), nullptr);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(MaterialFile, AMaterialThatCannotBeReadBackIsNotSaved) {
    const std::string path = OutputPath("kept.xml");
    WriteText(path, "<Shader/>\n");
    Material* material = m_pRenderer->CreateMaterial();
    material->AddLayer();
    ClearLines();
    EXPECT_FALSE(material->SaveToFile(path.c_str()));
    EXPECT_EQ(Lines(), std::vector<std::string>{"Failed to save material to " + path});
    EXPECT_EQ(ReadText(path), "<Shader/>\n");

    // A file that cannot be opened for writing fails quietly.
    material->RemoveAllLayers();
    ClearLines();
    EXPECT_FALSE(material->SaveToFile(OutputPath("no/such/folder.xml").c_str()));
    EXPECT_TRUE(Lines().empty());
}

}  // namespace

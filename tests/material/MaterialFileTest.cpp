// Material descriptions: reading parameters and their defaults, writing only
// what differs from the defaults, keywords at their edges, numbers whatever
// the locale, and files that cannot be read or must not be written. Layers
// holding textures: the references a layer and the description reader take
// and give back, and every setting saved and read back.
#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>

#include "host/FileSystem.h"
#include "host/Material.h"
#include "host/MaterialLayer.h"
#include "host/OML.h"
#include "host/Texture.h"
#include "support/ImageFiles.h"
#include "support/PluginHarness.h"
#include "support/TestFiles.h"

namespace {

using orvtest::DisplayTest;

class MaterialFile : public DisplayTest {
protected:
    static std::string Param(const OML& tag, const char* name) {
        return tag.GetParameter(name, "(absent)").c_str();
    }
};

TEST_F(MaterialFile, ParametersAtTheirEdgesAndTheReadingDefaults) {
    const struct { const char *root, *name, *value; float (*read)(Material*); float expected; } cases[] = {
        // Nothing given: specular 0 and emissive 0.5, unlike a new material's.
        {"shader", "Unused", "", [](Material* m) { return m->GetSpecular().g + m->GetEmissive().r; }, 0.5f},
        // Fewer numbers than three: the missing ones keep their default.
        {"shader", "Ambient", "0.25", [](Material* m) { return m->GetAmbient().r + m->GetAmbient().b; }, 0.75f},
        {"shader", "Shinyness", "", [](Material* m) { return m->GetShininess(); }, 1.0f},
        {"shader", "ZWrite", " Enable", [](Material* m) { return float(m->GetZWrite()); }, 0.0f},
        // A wrongly named root leaves the material as it was.
        {"Material", "Shinyness", "3", [](Material* m) { return m->GetShininess(); }, 7.0f},
    };
    Material* material = m_pRenderer->CreateMaterial();
    for (const auto& c : cases) {
        material->AddLayer();  // removed by every read
        material->SetShininess(7.0f);
        OML tag(c.root);  // the root's name in any case
        tag.AddParameter(c.name, c.value);
        const bool reads = std::string(c.root) != "Material";
        EXPECT_EQ(material->ReadFrom(&tag), reads);
        EXPECT_EQ(material->GetLayerCount(), reads ? 0 : 1);
        EXPECT_FLOAT_EQ(c.read(material), c.expected) << c.name << "=" << c.value;
    }
}

// Every keyword of every table, listed in the engine's order (its index is
// the engine value it stands for): read in either case as that value, and
// written back as that keyword unless the value is the reading default.
TEST_F(MaterialFile, EveryKeywordReadsAsItsEngineValueAndIsWrittenBack) {
    using Keywords = std::vector<std::string>;
    const Keywords args = {"current", "diffuse", "selectmask", "specular", "temp", "texture", "tfactor",
                           "alphareplicate", "complement"};
    const Keywords ops = {"disable", "selectarg1", "selectarg2", "modulate", "modulate2x", "modulate4x", "add",
                          "addsigned", "addsigned2x", "subtract", "addsmooth", "blenddiffusealpha",
                          "blendtexturealpha", "blendfactoralpha", "blendtexturealphapm", "blendcurrentalpha",
                          "premodulate", "modulatealpha_addcolor", "modulatecolor_addalpha",
                          "modulateinvalpha_addcolor", "modulateinvcolor_addalpha", "bumpenvmap",
                          "bumpenbmapluminance", "dotproduct3", "multiplyadd", "lerp"};
    const Keywords blends = {"zero", "one", "source_color", "inverse_source_color", "source_alpha",
                             "inverse_source_alpha", "dest_alpha", "inverse_dest_alpha", "dest_color",
                             "inverse_dest_color", "source_alpha_saturation", "both_source_alpha", "both_inverse_alpha"};
    const Keywords compares = {"never", "less", "equal", "less_equal", "greater", "greater_equal", "not_equal", "always"};
    const Keywords addressing = {"wrap", "mirror", "clamp", "border", "mirroronce"};
    // A layer's settings, and the material's own ZFunc.
    const struct { const char* name; const Keywords& keywords; int (MaterialLayer::*get)(); } settings[] = {
        {"ColorArg1", args, &MaterialLayer::GetColorArg1}, {"AlphaArg2", args, &MaterialLayer::GetAlphaArg2},
        {"SrcBlend", blends, &MaterialLayer::GetSrcBlend}, {"DestBlend", blends, &MaterialLayer::GetDestBlend},
        {"ColorOp", ops, &MaterialLayer::GetColorOp}, {"AddressingType", addressing, &MaterialLayer::GetAddressing},
        {"ZFunc", compares, nullptr},
    };
    const std::string texture = Write("keywords.bmp", BmpFile(Bmp::Rgb24, 4, 4, false).bytes);
    Material* material = m_pRenderer->CreateMaterial();
    for (const auto& s : settings)
        for (int value = 0; value < int(s.keywords.size()); ++value) {
            std::string keyword = s.keywords[value];
            if (value % 2) std::transform(keyword.begin(), keyword.end(), keyword.begin(), ::toupper);
            OML read("Shader");
            OML* layer = read.AddTag("Layer");
            layer->AddParameter("Map", texture.c_str());
            (s.get ? layer : &read)->AddParameter(s.name, keyword.c_str());
            ASSERT_TRUE(material->ReadFrom(&read)) << keyword;
            EXPECT_EQ(s.get ? (material->GetLayer(0)->*s.get)() : material->GetZFunc(), value) << s.name << "=" << keyword;
            OML written;
            ASSERT_TRUE(material->WriteTo(&written) && written.GetTagCount() == 1);
            const std::string text = Param(s.get ? *written.GetTag(0) : written, s.name);
            EXPECT_TRUE(text == s.keywords[value] || text == "(absent)") << s.name << " " << value << ": " << text;
        }
}

TEST_F(MaterialFile, OnlySettingsOffTheirDefaultsAreWrittenAndOnlyWhatReadsBackIsSaved) {
    Material* material = m_pRenderer->CreateMaterial();
    OML plain;
    ASSERT_TRUE(material->WriteTo(&plain));
    EXPECT_STREQ(plain.GetName().c_str(), "Shader");
    EXPECT_EQ(plain.GetParameterCount(), 5);
    EXPECT_EQ(Param(plain, "Ambient"), "0.5 0.5 0.5");
    EXPECT_EQ(Param(plain, "Shinyness"), "1");
    auto written = [material](const char* name) {
        OML tag;
        EXPECT_TRUE(material->WriteTo(&tag)) << name;
        return Param(tag, name);
    };
    // The longest numbers the writer can meet, each in full.
    material->SetDiffuse(-1.17549435e-38f, -3.40282347e+38f, -1.23456789e-7f);
    EXPECT_EQ(written("Diffuse"), "-1.17549e-38 -3.40282e+38 -1.23457e-07");
    // Outside the table: the keyword of the comparison the device uses.
    material->SetZFunc(COMPARE_COUNT);
    EXPECT_EQ(written("ZFunc"), "less_equal");

    // A layer without a texture is written, but the writer says it cannot
    // be read back.
    material->AddLayer()->SetDestBlend(BLEND_COUNT);  // outside the table
    OML tag;
    EXPECT_FALSE(material->WriteTo(&tag));
    ASSERT_EQ(tag.GetTagCount(), 1);
    EXPECT_EQ(Param(*tag.GetTag(0), "DestBlend"), "zero");
    // Nor is it saved: the file keeps what it held.
    const std::string path = Write("kept.xml", std::string("<Shader/>\n"));
    ClearLines();
    EXPECT_FALSE(material->SaveToFile(path.c_str()));
    EXPECT_EQ(Lines(), std::vector<std::string>{"Failed to save material to " + path});
    EXPECT_EQ(orvtest::ReadFileText(path), "<Shader/>\n");
}

TEST_F(MaterialFile, NumbersUseADecimalPointWhateverTheLocale) {
    // A locale whose decimal separator is a comma, made for this test once
    // (making it takes seconds).
    const std::string locales = std::string(ORV_TEST_OUTPUT_DIR) + "/locales";
    const std::string made = locales + "/de_DE.UTF-8";
    const std::string command = "test -s '" + made + "/LC_NUMERIC' || { mkdir -p '" + locales +
                                "' && localedef -i de_DE -f UTF-8 '" + made + "' >/dev/null 2>&1; }";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef cannot make de_DE";
    setenv("LOCPATH", locales.c_str(), 1);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale";

    Material* material = m_pRenderer->CreateMaterial();
    material->SetShininess(12.5f);
    OML written, read("Shader");
    material->WriteTo(&written);
    read.AddParameter("Diffuse", "0.75 2.5 0.5");
    material->ReadFrom(&read);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    EXPECT_TRUE(Param(written, "Shinyness") == "12.5" && material->GetDiffuse().g == 2.5f) << Param(written, "Shinyness");
}

// Files that cannot be read leave no material behind. A modder's file nested
// 200,000 levels deep is read without running out of stack, then loaded or
// refused as its first level decides.
TEST_F(MaterialFile, UnreadableAndDeeplyNestedFilesLoadOrFailWithTheirLine) {
    constexpr int kDepth = 200000;
    const std::string texture = Write("deep.bmp", BmpFile(Bmp::Rgb24, 4, 4, false).bytes);
    std::string nested;
    for (int level = 0; level < kDepth; ++level) nested += "<Layer>";
    for (int level = 0; level < kDepth; ++level) nested += "</Layer>";
    const struct { const char* name; std::string text; bool loads; } cases[] = {
        {"empty.xml", "", false},
        {"truncated.xml", "<Shader Ambient=\"0.1 0.1 0.1\"><Layer Map=\"a.bmp\"/", false},
        {"wrong-root.xml", "<Material Shinyness=\"3\"/>", false},
        {"layer-map-none.xml", "<Shader><Layer Map=\"NONE\" ColorOp=\"add\"/></Shader>", false},
        {"deep-below-a-layer.xml",
         "<Shader><Layer Map=\"" + texture + "\">" + nested + "</Layer></Shader>", true},
        {"deep-layers.xml", "<Shader>" + nested + "</Shader>", false},
        {"deep-unclosed.xml", "<Shader>" + nested.substr(0, nested.size() / 2), false},
    };
    for (const auto& c : cases) {
        const std::string path = Write(c.name, c.text);
        ClearLines();
        Material* material = m_pRenderer->LoadMaterial(path.c_str());
        EXPECT_EQ(material != nullptr, c.loads) << c.name;
        EXPECT_EQ(Lines(), c.loads ? std::vector<std::string>{} : std::vector<std::string>{"Failed to read material " + path});
        EXPECT_TRUE(!material || (material->GetLayerCount() == 1 && m_pRenderer->ReleaseMaterial(material))) << c.name;
    }
    // A file that does not open fails without a message.
    ClearLines();
    EXPECT_EQ(m_pRenderer->LoadMaterial(OutputPath("absent.xml").c_str()), nullptr);
    // Nor does one through a kernel without a file system.
    FileSystem* files = kernel()->m_pFileSystem;
    kernel()->m_pFileSystem = nullptr;
    EXPECT_EQ(m_pRenderer->LoadMaterial(Write("there.xml", std::string("<Shader/>")).c_str()), nullptr);
    kernel()->m_pFileSystem = files;
    EXPECT_TRUE(Lines().empty());
}

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
    const struct { const char *text, *textureLine; } cases[] = {  // the driver's own message, if any
        {"<Shader><Layer Map=\"textures/stone.bmp\"/><Layer Map=\"textures/missing.bmp\"/></Shader>",
         "D3DDriver::CreateTextureFromFile: Failed to load textures/missing.bmp"},
        {"<Shader><Layer MapSequence=\"textures/flame0.bmp\"/><Layer Map=\"None\"/></Shader>", nullptr},
        {"<Shader><Layer Map=\"textures/glass.zar\"/><Layer MapSequence=\"textures/stone.bmp\"/></Shader>",
         "D3DDriver::CreateTextureFromFileSequence: Failed to load textures/stone.bmp"},
    };
    for (const auto& c : cases) {
        const std::string path = Write("failing.xml", std::string(c.text));
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
    EXPECT_TRUE(layer->SetTexture(layer->GetTexture()) && layer->GetTexture() == texture && texture->GetWidth() == 16);
    EXPECT_TRUE(layer->SetTexture(nullptr));
    EXPECT_EQ(LiveTextures(), m_BaseTextures);
}

// Every setting of the material and of each layer, each keyword of every
// table in some layer, comes back from the file the material saves; each
// layer's texture is loaded again from the file or sequence it names; the
// reader keeps no reference of its own.
TEST_F(MaterialTextures, EverySettingComesBackFromASavedFile) {
    const int layers = std::max({int(TEXTUREARG_COUNT), int(TEXTUREOP_COUNT), int(BLEND_COUNT), int(ADDRESS_COUNT)});
    // Layer i takes (i + shift) % count.
    const struct { void (MaterialLayer::*set)(int); int (MaterialLayer::*get)(); int count, shift; } settings[] = {
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
    const struct { void (Material::*set)(float, float, float); Color (Material::*get)(); float r, g, b; } colours[] = {
        {&Material::SetAmbient, &Material::GetAmbient, 0.125f, 0.25f, 0.5f},
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
        EXPECT_EQ((std::vector<float>{read->GetShininess(), float(read->GetCulling()), float(read->GetFrameBlend()),
                                      float(read->GetZWrite()), float(read->GetZFunc())}),
                  (std::vector<float>{12.5f + z, float(z % 2 != 0), float(z % 3 != 0), float(z % 4 != 0), float(z)}));
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

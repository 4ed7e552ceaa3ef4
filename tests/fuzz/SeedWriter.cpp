// Writes the seed corpora of the fuzz targets into the folder given as the
// only argument, with the tests' own image writers:
//   image/     small image files of every kind and variant the readers know;
//   zar-input/ pictures the ZAR writer turns into the ZAR seeds (the build
//              runs it);
//   material/  material description files using every tag, parameter and
//              keyword (the plug-in's own tables), on the example textures;
//   markup/    the material files and markup of other shapes.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "plugin/state/ValueTables.h"
#include "support/ImageFiles.h"

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool Write(const std::string& path, const std::string& text) {
    return Write(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool WriteImages(const std::string& folder) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;  // name, bytes
    const char* bitmaps[] = {"palette4", "palette8", "rle8", "fields565", "rgb24", "argb32"};  // as Bmp counts
    for (int kind = 0; kind < 6; ++kind) {
        files.push_back({std::string("bmp-") + bitmaps[kind] + ".bmp", BmpFile(Bmp(kind), 13, 7, false).bytes});
        files.push_back({std::string("dib-") + bitmaps[kind] + "-topdown.dib", BmpFile(Bmp(kind), 6, 5, true, false).bytes});
    }
    const char* targas[] = {"mapped8", "grey8", "argb16", "rgb24", "argb32"};  // as Tga counts
    for (int kind = 0; kind < 5; ++kind) {
        files.push_back({std::string("tga-") + targas[kind] + ".tga", TgaFile(Tga(kind), 11, 6, false, false).bytes});
        files.push_back({std::string("tga-") + targas[kind] + "-rle-topdown.tga", TgaFile(Tga(kind), 9, 7, true, true).bytes});
    }
    const struct {
        int colourType, bitDepth;
        bool interlaced, transparency;
        const char* name;
    } pngs[] = {
        {PNG_COLOR_TYPE_GRAY, 1, false, false, "grey1"},
        {PNG_COLOR_TYPE_GRAY, 16, true, false, "grey16-interlaced"},
        {PNG_COLOR_TYPE_PALETTE, 4, false, true, "palette4-trns"},
        {PNG_COLOR_TYPE_PALETTE, 8, true, false, "palette8-interlaced"},
        {PNG_COLOR_TYPE_RGB, 8, false, false, "rgb8"},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, "rgba16"},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, false, "greyalpha8-interlaced"},
    };
    for (const auto& png : pngs)
        files.push_back({std::string("png-") + png.name + ".png",
                         PngFile(png.colourType, png.bitDepth, 9, 7, png.interlaced, png.transparency).bytes});
    files.push_back({"jpeg-colour.jpg", JpegFile(false, false, 19, 11).bytes});
    files.push_back({"jpeg-grey-progressive.jpg", JpegFile(true, true, 17, 9).bytes});
    const std::pair<D3DFORMAT, const char*> dds[] = {{D3DFMT_A8R8G8B8, "a8r8g8b8"}, {D3DFMT_R5G6B5, "r5g6b5"},
                                                     {D3DFMT_A4R4G4B4, "a4r4g4b4"}, {D3DFMT_A8L8, "a8l8"}};
    for (const auto& [format, name] : dds)
        files.push_back({std::string("dds-") + name + ".dds", DdsFile(format, 8, 4, 2).bytes});
    const std::pair<D3DFORMAT, const char*> blocks[] = {{D3DFMT_DXT1, "dxt1"}, {D3DFMT_DXT3, "dxt3"}, {D3DFMT_DXT5, "dxt5"}};
    for (const auto& [format, name] : blocks) {
        files.push_back({std::string("dds-") + name + ".dds", DdsBlockFile(format, 16, 8, 3, 7)});
        files.push_back({std::string("dds-") + name + "-odd.dds", DdsBlockFile(format, 6, 5, 1, 11)});
    }
    for (const auto& [name, bytes] : files)
        if (!Write(folder + "/" + name, bytes)) return false;
    return true;
}

// Inputs of the ZAR writer: a picture with alpha whose sides are powers of
// two, and the same size as raw red, green, blue, alpha bytes.
bool WriteZarInputs(const std::string& folder) {
    if (!Write(folder + "/picture.tga", TgaFile(Tga::Argb32, 16, 8, false, false).bytes))
        return false;
    const Picture picture = Pattern(8, 8, true);
    std::vector<uint8_t> raw;
    for (uint32_t argb : picture.argb)
        for (int shift : {16, 8, 0, 24}) raw.push_back(static_cast<uint8_t>(argb >> shift));
    return Write(folder + "/picture.raw", raw);
}

// The keywords of a numbering, in the order of its table.
std::vector<const char*> Keywords(const state::ValueNumbering& numbering) {
    std::vector<const char*> keywords;
    for (unsigned value = 0; value < numbering.count; ++value) keywords.push_back(numbering.rows[value].keyword);
    return keywords;
}

// Each setting a layer reads, with its keywords.
std::vector<std::pair<const char*, std::vector<const char*>>> LayerSettings() {
    const auto arguments = Keywords(state::kTextureArgs), blends = Keywords(state::kBlendFactors);
    const auto operations = Keywords(state::kTextureOps);
    return {{"ColorArg1", arguments},  {"ColorArg2", arguments}, {"AlphaArg1", arguments},
            {"AlphaArg2", arguments},  {"SrcBlend", blends},     {"DestBlend", blends},
            {"ColorOp", operations},   {"AlphaOp", operations},
            {"Lighting", {"Enable", "Disable"}}, {"AddressingType", Keywords(state::kTextureAddresses)}};
}

constexpr const char* kTextures[] = {"textures/stone.bmp", "textures/moss.tga",
                                     "textures/glass.zar", "textures/badge.tga"};

bool WriteMaterials(const std::string& folder) {
    // One file per setting: a layer for each of its keywords, the textures
    // taken in turn.
    for (const auto& [parameter, keywords] : LayerSettings()) {
        std::string text = "<Shader>\n";
        size_t texture = 0;
        for (const char* keyword : keywords)
            text += std::string("  <Layer Map=\"") + kTextures[texture++ % 4] + "\" " + parameter + "=\"" +
                    keyword + "\"/>\n";
        if (!Write(folder + "/layers-" + parameter + ".xml", text + "</Shader>\n")) return false;
    }
    for (const char* compare : Keywords(state::kCompareFuncs)) {
        const std::string text =
            std::string("<shader Ambient=\"0.1 0.2 0.3\" Diffuse=\"1 0.5 0.25\" "
                        "Specular=\"0.5 0.5 0.5\" Emissive=\"0 0 0\" Shinyness=\"20\" "
                        "Cull=\"Disable\" FrameBlend=\"Disable\" ZWrite=\"ENABLE\" ZFunc=\"") +
            compare + "\">\n  <Layer MapSequence=\"textures/flame0.bmp\"/>\n"
                      "  <Other Map=\"textures/moss.tga\"/>\n"
                      "  <LAYER Map=\"textures/spinner.zar\" Lighting=\"Enable\"/>\n</shader>\n";
        if (!Write(folder + "/shader-" + compare + ".xml", text)) return false;
    }
    return Write(folder + "/missing-texture.xml",
                 "<Shader><Layer Map=\"textures/missing.png\"/></Shader>") &&
           Write(folder + "/no-map.xml", "<Shader><Layer Map=\"none\"/></Shader>");
}

// Markup of other shapes than material files: every kind of node the
// reader skips or resolves, repeated parameters, nesting.
bool WriteMarkup(const std::string& folder) {
    std::string nested;
    for (int depth = 0; depth < 24; ++depth) nested += "<n d=\"" + std::to_string(depth) + "\">";
    for (int depth = 0; depth < 24; ++depth) nested += "</n>";
    const std::pair<const char*, std::string> documents[] = {
        {"kinds.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE root [<!ENTITY e \"x\">]>\n"
         "<!-- comment --><?pi data?>\n<root a=\"&lt;&amp;&gt;&quot;&apos;&#65;&#x42;\" "
         "b='single'>text<![CDATA[<raw>]]><child/>tail<child c=\"\"></child></root>\n"},
        {"repeated.xml", "<root a=\"1\" a=\"2\"/>"},
        {"nested.xml", nested},
        {"siblings.xml", "<r><a/><b x=\"1\"/><a y=\"2\">t</a></r>"},
        {"utf8.xml", "<r\xC3\xA9 v=\"\xE2\x82\xAC\"/>"},
    };
    for (const auto& document : documents)
        if (!Write(folder + "/" + document.first, document.second)) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    for (const char* folder : {"image", "zar-input", "material", "markup"}) {
        std::error_code error;
        std::filesystem::create_directories(root + "/" + folder, error);
        if (error) {
            std::fprintf(stderr, "fuzz_seeds: cannot make %s/%s\n", root.c_str(), folder);
            return 1;
        }
    }
    const bool written = WriteImages(root + "/image") && WriteZarInputs(root + "/zar-input") &&
                         WriteMaterials(root + "/material") && WriteMarkup(root + "/markup");
    if (!written) {
        std::fprintf(stderr, "fuzz_seeds: cannot write into %s\n", root.c_str());
        return 1;
    }
    return 0;
}

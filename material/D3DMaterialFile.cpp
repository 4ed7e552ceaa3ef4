// The material as a description: a markup tag "Shader" whose parameters hold
// the material's settings and whose "Layer" children hold the layers, read
// from and written to the host's file system.
#include <memory>
#include <new>

#include "host/File.h"
#include "host/FileSystem.h"
#include "host/Kernel.h"
#include "host/OML.h"
#include "host/Texture.h"
#include "hostinput/HostInput.h"
#include "material/D3DMaterial.h"
#include "material/D3DMaterialLayer.h"
#include "material/DecimalText.h"
#include "material/MaterialKeywords.h"
#include "plugin/D3DDriver.h"
#include "texture/D3DTexture.h"

namespace {

// A sequence named in a description plays at this rate.
constexpr int kSequenceFramesPerSecond = 15;

// A colour parameter: up to three numbers; those missing keep the reading
// default.
Color ReadColour(const OML* tag, const char* name, float r, float g, float b) {
    float rgb[3] = {r, g, b};
    ScanDecimals(tag->GetParameter(name, "").c_str(), rgb, 3);
    return Color(rgb[0], rgb[1], rgb[2], 1.0f);
}

void WriteColour(OML* tag, const char* name, const Color& colour) {
    const float rgb[3] = {colour.r, colour.g, colour.b};
    tag->AddParameter(name, FormatDecimals(rgb, 3));
}

bool IsNone(const String& value) { return value.CompareIC("none") == 0; }

// Textures reach a layer only from this driver, so they are D3DTextures.
bool IsSequence(Texture* texture) { return static_cast<D3DTexture*>(texture)->IsFileSequence(); }

// Closes the file whatever path the reader or writer leaves by.
struct FileCloser {
    void operator()(File* file) const { file->Close(); }
};
using ClosingFile = std::unique_ptr<File, FileCloser>;

}  // namespace

bool D3DMaterial::ReadFrom(OML* tag) {
    if (!tag || tag->GetName().CompareIC("Shader") != 0) return false;
    RemoveAllLayers();

    Color colour = ReadColour(tag, "Ambient", 0.5f, 0.5f, 0.5f);
    SetAmbient(colour.r, colour.g, colour.b);
    colour = ReadColour(tag, "Diffuse", 0.5f, 0.5f, 0.5f);
    SetDiffuse(colour.r, colour.g, colour.b);
    colour = ReadColour(tag, "Specular", 0.0f, 0.0f, 0.0f);
    SetSpecular(colour.r, colour.g, colour.b);
    colour = ReadColour(tag, "Emissive", 0.5f, 0.5f, 0.5f);
    SetEmissive(colour.r, colour.g, colour.b);
    float shininess = 1.0f;
    ScanDecimals(tag->GetParameter("Shinyness", "").c_str(), &shininess, 1);
    SetShininess(shininess);
    SetCulling(ParseSwitch(tag->GetParameter("Cull", "Enable")));
    SetFrameBlend(ParseSwitch(tag->GetParameter("FrameBlend", "Enable")));
    SetZWrite(ParseSwitch(tag->GetParameter("ZWrite", "Enable")));
    SetZFunc(ParseCompareFunc(tag->GetParameter("ZFunc", "less_equal")));

    for (int index = 0; index < tag->GetTagCount(); ++index) {
        OML* child = tag->GetTag(index);
        if (!child || child->GetName().CompareIC("Layer") != 0) continue;
        if (!ReadLayer(child)) {
            RemoveAllLayers();
            return false;
        }
    }
    return true;
}

bool D3DMaterial::ReadLayer(OML* tag) {
    D3DMaterialLayer* layer = static_cast<D3DMaterialLayer*>(AddLayer());
    if (!layer) return false;

    const String map = tag->GetParameter("Map", "none");
    if (!IsNone(map)) {
        if (!layer->LoadTexture(map.c_str())) return false;
    } else {
        const String sequence = tag->GetParameter("MapSequence", "none");
        if (IsNone(sequence)) return false;
        Texture* texture = m_pDriver->CreateTextureFromFileSequence(
            sequence.c_str(), kSequenceFramesPerSecond, true, false);
        if (!texture) return false;
        // The layer takes its own reference; the one the creation handed
        // over goes back, so the layer alone keeps the texture.
        layer->SetTexture(texture);
        m_pDriver->ReleaseTexture(texture);
    }

    layer->SetColorArg1(ParseTextureArg(tag->GetParameter("ColorArg1", "texture")));
    layer->SetColorArg2(ParseTextureArg(tag->GetParameter("ColorArg2", "diffuse")));
    layer->SetAlphaArg1(ParseTextureArg(tag->GetParameter("AlphaArg1", "texture")));
    layer->SetAlphaArg2(ParseTextureArg(tag->GetParameter("AlphaArg2", "diffuse")));
    layer->SetSrcBlend(ParseBlend(tag->GetParameter("SrcBlend", "source_alpha")));
    layer->SetDestBlend(ParseBlend(tag->GetParameter("DestBlend", "inverse_source_alpha")));
    layer->SetColorOp(ParseTextureOp(tag->GetParameter("ColorOp", "modulate")));
    layer->SetAlphaOp(ParseTextureOp(tag->GetParameter("AlphaOp", "modulate")));
    layer->SetLighting(ParseSwitch(tag->GetParameter("Lighting", "Disable")));
    layer->SetAddressing(ParseAddressing(tag->GetParameter("AddressingType", "wrap")));
    return true;
}

bool D3DMaterial::LoadFromFile(const char* path) {
    if (!path) return false;
    ClosingFile file(HostInput::Current().OpenReading(m_pDriver->GetKernel(), path));
    if (!file) return false;
    std::unique_ptr<OML> tree(new (std::nothrow) OML);
    if (!tree || !tree->LoadFrom(file.get()) || !ReadFrom(tree.get())) {
        m_pDriver->GetKernel()->LogMessage("Failed to read material %s", path);
        return false;
    }
    return true;
}

int D3DMaterial::FirstUndescribableLayer() const {
    for (int index = 0; index < m_Layers.Count(); ++index) {
        Texture* texture = LayerAt(index)->GetTexture();
        if (!texture || texture->GetFileName().IsEmpty()) return index;
    }
    return -1;
}

bool D3DMaterial::WriteTo(OML* tag) {
    if (!tag) return false;
    tag->SetName("Shader");
    tag->Prettify();
    WriteColour(tag, "Ambient", m_Ambient);
    WriteColour(tag, "Diffuse", m_Diffuse);
    WriteColour(tag, "Specular", m_Specular);
    WriteColour(tag, "Emissive", m_Emissive);
    tag->AddParameter("Shinyness", FormatDecimals(&m_Shininess, 1));
    if (!m_bCulling) tag->AddParameter("Cull", SwitchName(false));
    if (!m_bFrameBlend) tag->AddParameter("FrameBlend", SwitchName(false));
    if (!m_bZWrite) tag->AddParameter("ZWrite", SwitchName(false));
    if (m_ZFunc != kDefaultZFunc) tag->AddParameter("ZFunc", CompareFuncName(m_ZFunc));

    for (int index = 0; index < m_Layers.Count(); ++index) {
        OML* child = tag->AddTag("Layer");
        if (!child) return false;
        child->Prettify();
        WriteLayer(LayerAt(index), child);
    }
    // Everything is written; a layer without a texture file makes a
    // description that cannot be read back.
    const int undescribable = FirstUndescribableLayer();
    if (undescribable >= 0) {
        m_pDriver->GetKernel()->LogMessage(
            "D3DMaterial::WriteTo: layer %d has no texture file to name", undescribable);
        return false;
    }
    return true;
}

void D3DMaterial::WriteLayer(D3DMaterialLayer* layer, OML* tag) const {
    if (Texture* texture = layer->GetTexture()) {
        const String name = texture->GetFileName();
        if (!name.IsEmpty()) tag->AddParameter(IsSequence(texture) ? "MapSequence" : "Map", name);
    }
    if (layer->GetColorArg1() != D3DMaterialLayer::kDefaultArg1)
        tag->AddParameter("ColorArg1", TextureArgName(layer->GetColorArg1()));
    if (layer->GetColorArg2() != D3DMaterialLayer::kDefaultArg2)
        tag->AddParameter("ColorArg2", TextureArgName(layer->GetColorArg2()));
    if (layer->GetAlphaArg1() != D3DMaterialLayer::kDefaultArg1)
        tag->AddParameter("AlphaArg1", TextureArgName(layer->GetAlphaArg1()));
    if (layer->GetAlphaArg2() != D3DMaterialLayer::kDefaultArg2)
        tag->AddParameter("AlphaArg2", TextureArgName(layer->GetAlphaArg2()));
    if (layer->GetSrcBlend() != D3DMaterialLayer::kDefaultSrcBlend)
        tag->AddParameter("SrcBlend", BlendName(layer->GetSrcBlend()));
    if (layer->GetDestBlend() != D3DMaterialLayer::kDefaultDestBlend)
        tag->AddParameter("DestBlend", BlendName(layer->GetDestBlend()));
    if (layer->GetColorOp() != D3DMaterialLayer::kDefaultOp)
        tag->AddParameter("ColorOp", TextureOpName(layer->GetColorOp()));
    if (layer->GetAlphaOp() != D3DMaterialLayer::kDefaultOp)
        tag->AddParameter("AlphaOp", TextureOpName(layer->GetAlphaOp()));
    if (layer->GetLighting()) tag->AddParameter("Lighting", SwitchName(true));
    if (layer->GetAddressing() != D3DMaterialLayer::kDefaultAddressing)
        tag->AddParameter("AddressingType", AddressingName(layer->GetAddressing()));
}

bool D3DMaterial::SaveToFile(const char* path) {
    if (!path) return false;
    Kernel* kernel = m_pDriver->GetKernel();
    // Refused before the file is opened, so that a file of that name stays
    // as it was.
    if (FirstUndescribableLayer() >= 0) {
        kernel->LogMessage("Failed to save material to %s", path);
        return false;
    }
    ClosingFile file(kernel->m_pFileSystem->OpenWriting(path, 0));
    if (!file) return false;
    std::unique_ptr<OML> tree(new (std::nothrow) OML);
    if (!tree || !WriteTo(tree.get()) || !tree->SaveTo(file.get(), 0, false)) {
        kernel->LogMessage("Failed to save material to %s", path);
        return false;
    }
    return true;
}

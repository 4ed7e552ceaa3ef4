#include "capture/RecordingMaterial.h"

#include <algorithm>

#include "capture/MarkupText.h"
#include "capture/RecordingLayer.h"
#include "capture/RecordingTexture.h"

namespace orvcapture {

void RecordingMaterial::Drop() {
    for (RecordingLayer* layer : m_Layers) m_Recorder.Forget(layer);
    m_Layers.clear();
    Recorded::Drop();
}

std::vector<MaterialLayer*> RecordingMaterial::InnerLayers() {
    std::vector<MaterialLayer*> inners;
    const int count = m_pInner->GetLayerCount();
    for (int index = 0; index < count; ++index) inners.push_back(m_pInner->GetLayer(index));
    return inners;
}

void RecordingMaterial::DropLayers(const std::vector<MaterialLayer*>& inners) {
    for (MaterialLayer* inner : inners) {
        auto found = std::find_if(m_Layers.begin(), m_Layers.end(),
                                  [&](RecordingLayer* layer) { return layer->InnerObject() == inner; });
        if (found == m_Layers.end()) continue;
        m_Recorder.Forget(*found);
        m_Layers.erase(found);
    }
}

template <typename Call, typename... A>
MaterialLayer* RecordingMaterial::HandOut(Operation op, Call&& call, const A&... args) {
    CallRecord record(m_Recorder, op, m_Number);
    record.Args(args...);
    bool isNew = false;
    RecordingLayer* layer = m_Recorder.Wrap<RecordingLayer>(call(), &isNew);
    if (isNew) m_Layers.push_back(layer);
    record.Results(ObjectValue{layer ? layer->Number() : 0, isNew});
    return layer;
}

bool RecordingMaterial::LoadFromFile(const char* path) {
    return Rec(Operation::Material_LoadFromFile, [&] { return m_pInner->LoadFromFile(path); }, path);
}

bool RecordingMaterial::ReadFrom(OML* tag) {
    const std::string text = MarkupText(tag);
    CallRecord record(m_Recorder, Operation::Material_ReadFrom, m_Number);
    if (tag)
        record.Arguments(1).PutText(text.data(), text.size());
    else
        record.Arguments(1).PutPointer(nullptr);
    const bool read = m_pInner->ReadFrom(tag);
    record.Results(read);
    return read;
}

bool RecordingMaterial::SaveToFile(const char* path) {
    return Rec(Operation::Material_SaveToFile, [&] { return m_pInner->SaveToFile(path); }, path);
}

bool RecordingMaterial::WriteTo(OML* tag) {
    CallRecord record(m_Recorder, Operation::Material_WriteTo, m_Number);
    record.Arguments(1).PutPointer(tag);
    const bool written = m_pInner->WriteTo(tag);
    const std::string text = MarkupText(tag);
    ValueWriter& results = record.ResultValues(2);
    results.Put(written);
    results.PutText(text.data(), text.size());
    return written;
}

int RecordingMaterial::AddRef() { return Rec(Operation::Material_AddRef, [&] { return m_pInner->AddRef(); }); }

int RecordingMaterial::Release() {
    const int count = Rec(Operation::Material_Release, [&] { return m_pInner->Release(); });
    if (count == 0) m_Recorder.Forget(this);
    return count;
}

int RecordingMaterial::GetRefCount() {
    return Rec(Operation::Material_GetRefCount, [&] { return m_pInner->GetRefCount(); });
}
void RecordingMaterial::SetAmbient(float r, float g, float b) {
    Rec(Operation::Material_SetAmbient, [&] { m_pInner->SetAmbient(r, g, b); }, r, g, b);
}
Color RecordingMaterial::GetAmbient() { return Rec(Operation::Material_GetAmbient, [&] { return m_pInner->GetAmbient(); }); }
void RecordingMaterial::SetDiffuse(float r, float g, float b) {
    Rec(Operation::Material_SetDiffuse, [&] { m_pInner->SetDiffuse(r, g, b); }, r, g, b);
}
Color RecordingMaterial::GetDiffuse() { return Rec(Operation::Material_GetDiffuse, [&] { return m_pInner->GetDiffuse(); }); }
void RecordingMaterial::SetSpecular(float r, float g, float b) {
    Rec(Operation::Material_SetSpecular, [&] { m_pInner->SetSpecular(r, g, b); }, r, g, b);
}
Color RecordingMaterial::GetSpecular() { return Rec(Operation::Material_GetSpecular, [&] { return m_pInner->GetSpecular(); }); }
void RecordingMaterial::SetEmissive(float r, float g, float b) {
    Rec(Operation::Material_SetEmissive, [&] { m_pInner->SetEmissive(r, g, b); }, r, g, b);
}
Color RecordingMaterial::GetEmissive() { return Rec(Operation::Material_GetEmissive, [&] { return m_pInner->GetEmissive(); }); }
void RecordingMaterial::SetShininess(float power) { Rec(Operation::Material_SetShininess, [&] { m_pInner->SetShininess(power); }, power); }
float RecordingMaterial::GetShininess() { return Rec(Operation::Material_GetShininess, [&] { return m_pInner->GetShininess(); }); }
void RecordingMaterial::SetFrameBlend(bool blend) { Rec(Operation::Material_SetFrameBlend, [&] { m_pInner->SetFrameBlend(blend); }, blend); }
bool RecordingMaterial::GetFrameBlend() { return Rec(Operation::Material_GetFrameBlend, [&] { return m_pInner->GetFrameBlend(); }); }
void RecordingMaterial::SetCulling(bool culling) { Rec(Operation::Material_SetCulling, [&] { m_pInner->SetCulling(culling); }, culling); }
bool RecordingMaterial::GetCulling() { return Rec(Operation::Material_GetCulling, [&] { return m_pInner->GetCulling(); }); }
void RecordingMaterial::SetZFunc(int func) { Rec(Operation::Material_SetZFunc, [&] { m_pInner->SetZFunc(func); }, func); }
int RecordingMaterial::GetZFunc() { return Rec(Operation::Material_GetZFunc, [&] { return m_pInner->GetZFunc(); }); }
void RecordingMaterial::SetZWrite(bool write) { Rec(Operation::Material_SetZWrite, [&] { m_pInner->SetZWrite(write); }, write); }
bool RecordingMaterial::GetZWrite() { return Rec(Operation::Material_GetZWrite, [&] { return m_pInner->GetZWrite(); }); }

MaterialLayer* RecordingMaterial::AddLayer() {
    return HandOut(Operation::Material_AddLayer, [&] { return m_pInner->AddLayer(); });
}

MaterialLayer* RecordingMaterial::AddLayer(Texture* texture) {
    uint32_t number = 0;
    Texture* inner = m_Recorder.Unwrap(texture, &number);
    return HandOut(Operation::Material_AddLayer2, [&] { return m_pInner->AddLayer(inner); }, ObjectValue{number});
}

MaterialLayer* RecordingMaterial::AddLayer(const char* textureFile) {
    return HandOut(Operation::Material_AddLayer3, [&] { return m_pInner->AddLayer(textureFile); }, textureFile);
}

int RecordingMaterial::GetLayerCount() {
    return Rec(Operation::Material_GetLayerCount, [&] { return m_pInner->GetLayerCount(); });
}

MaterialLayer* RecordingMaterial::GetLayer(int index) {
    return HandOut(Operation::Material_GetLayer, [&] { return m_pInner->GetLayer(index); }, index);
}

bool RecordingMaterial::RemoveLayer(MaterialLayer* layer) {
    uint32_t number = 0;
    MaterialLayer* inner = m_Recorder.Unwrap(layer, &number);
    const bool removed =
        Rec(Operation::Material_RemoveLayer, [&] { return m_pInner->RemoveLayer(inner); }, ObjectValue{number});
    if (removed) DropLayers({inner});
    return removed;
}

bool RecordingMaterial::RemoveLayerAt(int index) {
    MaterialLayer* inner = index >= 0 && index < m_pInner->GetLayerCount() ? m_pInner->GetLayer(index) : nullptr;
    const bool removed =
        Rec(Operation::Material_RemoveLayerAt, [&] { return m_pInner->RemoveLayerAt(index); }, index);
    if (removed && inner) DropLayers({inner});
    return removed;
}

bool RecordingMaterial::RemoveAllLayers() {
    const std::vector<MaterialLayer*> inners = InnerLayers();
    const bool removed = Rec(Operation::Material_RemoveAllLayers, [&] { return m_pInner->RemoveAllLayers(); });
    if (removed) DropLayers(inners);
    return removed;
}

}  // namespace orvcapture

// Records a material's calls; its layers are handed out as recording layers.
#pragma once

#include <string>
#include <vector>

#include "capture/SessionRecorder.h"
#include "host/Material.h"

namespace orvcapture {

class RecordingLayer;

class RecordingMaterial : public Material, public Recorded {
public:
    static constexpr Interface kKind = Interface::Material;
    RecordingMaterial(SessionRecorder& recorder, Material* inner)
        : Recorded(recorder, kKind, inner), m_pInner(inner) {}
    const void* HostPointer() const override { return static_cast<const Material*>(this); }
    // Its layers go with it.
    void Drop() override;

    bool LoadFromFile(const char* path) override;
    bool ReadFrom(OML* tag) override;
    bool SaveToFile(const char* path) override;
    bool WriteTo(OML* tag) override;
    int AddRef() override;
    int Release() override;
    int GetRefCount() override;
    void SetAmbient(float r, float g, float b) override;
    Color GetAmbient() override;
    void SetDiffuse(float r, float g, float b) override;
    Color GetDiffuse() override;
    void SetSpecular(float r, float g, float b) override;
    Color GetSpecular() override;
    void SetEmissive(float r, float g, float b) override;
    Color GetEmissive() override;
    void SetShininess(float power) override;
    float GetShininess() override;
    void SetFrameBlend(bool blend) override;
    bool GetFrameBlend() override;
    void SetCulling(bool culling) override;
    bool GetCulling() override;
    void SetZFunc(int func) override;
    int GetZFunc() override;
    void SetZWrite(bool write) override;
    bool GetZWrite() override;
    MaterialLayer* AddLayer() override;
    MaterialLayer* AddLayer(Texture* texture) override;
    MaterialLayer* AddLayer(const char* textureFile) override;
    int GetLayerCount() override;
    MaterialLayer* GetLayer(int index) override;
    bool RemoveLayer(MaterialLayer* layer) override;
    bool RemoveLayerAt(int index) override;
    bool RemoveAllLayers() override;

private:
    // Records a call that hands out a layer.
    template <typename Call, typename... A>
    MaterialLayer* HandOut(Operation op, Call&& call, const A&... args);
    // The layer wrappers whose inner layers are these (the plug-in removed them).
    void DropLayers(const std::vector<MaterialLayer*>& inners);
    std::vector<MaterialLayer*> InnerLayers();

    Material* m_pInner;
    std::vector<RecordingLayer*> m_Layers;  // handed out, not yet removed
};


}  // namespace orvcapture

// A material: the four lighting colours and the shininess, culling, blending
// with the frame buffer, depth write and comparison, and an ordered list of
// layers that draws split into passes of as many texture stages as the
// device offers. Created, counted and destroyed by its driver.
#pragma once

#include "device/MaterialPasses.h"
#include "host/Container.h"
#include "host/Material.h"

class DriverServices;
class D3DMaterialLayer;

class D3DMaterial : public Material, public MaterialPasses {
public:
    explicit D3DMaterial(DriverServices* driver);
    ~D3DMaterial() override;
    D3DMaterial(const D3DMaterial&) = delete;
    D3DMaterial& operator=(const D3DMaterial&) = delete;

    // ---- Material --------------------------------------------------------------
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

    // A new material's depth comparison; a description leaves it out when
    // the material's equals it.
    static constexpr int kDefaultZFunc = COMPARE_LESSEQUAL;

    // ---- For the driver -----------------------------------------------------
    // The device state of the material as a whole: the Direct3D material,
    // culling, frame blending, depth write, test and comparison. Always true.
    bool Apply();
    void BeginPasses() override;
    int ApplyNextPass() override;
    void EndPasses() override;

private:
    D3DMaterialLayer* LayerAt(int index) const;
    // A new layer with the defaults and no texture, not yet in the list.
    D3DMaterialLayer* NewLayer();
    // The index of the first layer a description could not name a texture
    // for (no texture, or a texture made without a file), or -1.
    int FirstUndescribableLayer() const;
    bool ReadLayer(OML* tag);
    void WriteLayer(D3DMaterialLayer* layer, OML* tag) const;

    DriverServices* m_pDriver;
    Color m_Ambient;
    Color m_Diffuse;
    Color m_Specular;
    Color m_Emissive;
    float m_Shininess;
    bool m_bCulling;
    bool m_bFrameBlend;
    bool m_bZWrite;
    int m_ZFunc;
    Container m_Layers;  // of MaterialLayer* (all D3DMaterialLayer), owned
    int m_RefCount;
    int m_PassCursor;  // the first layer of the next pass
    int m_PassIndex;   // passes applied since BeginPasses
};

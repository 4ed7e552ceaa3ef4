// One texture stage's worth of a material: a texture (the layer holds one
// reference on it), the stage's colour and alpha operations with their
// arguments, the frame-buffer blend factors, the addressing mode, and the
// lighting flag that decides which layers may share a pass.
#pragma once

#include "host/MaterialLayer.h"

class DriverServices;
class D3DMaterial;

class D3DMaterialLayer : public MaterialLayer {
public:
    // The material that owns the layer; the layer needs nothing of it.
    D3DMaterialLayer(DriverServices* driver, D3DMaterial* material);
    ~D3DMaterialLayer() override;
    D3DMaterialLayer(const D3DMaterialLayer&) = delete;
    D3DMaterialLayer& operator=(const D3DMaterialLayer&) = delete;

    void SetSrcBlend(int blend) override;
    int GetSrcBlend() override;
    void SetDestBlend(int blend) override;
    int GetDestBlend() override;
    void SetAlphaArg1(int argument) override;
    void SetAlphaArg2(int argument) override;
    int GetAlphaArg1() override;
    int GetAlphaArg2() override;
    void SetColorArg1(int argument) override;
    void SetColorArg2(int argument) override;
    int GetColorArg1() override;
    int GetColorArg2() override;
    void SetColorOp(int operation) override;
    int GetColorOp() override;
    void SetAlphaOp(int operation) override;
    int GetAlphaOp() override;
    void SetAddressing(int addressing) override;
    int GetAddressing() override;
    void SetLighting(bool lighting) override;
    bool GetLighting() override;
    Texture* GetTexture() override;
    // Empty when the layer has no texture.
    String GetTextureName() override;
    bool SetTexture(Texture* texture) override;
    bool LoadTexture(const char* path) override;
    bool ReleaseTexture() override;

    // A new layer's settings; a description leaves out the settings that
    // equal them.
    static constexpr int kDefaultArg1 = TEXTUREARG_TEXTURE;  // colour and alpha
    static constexpr int kDefaultArg2 = TEXTUREARG_DIFFUSE;  // colour and alpha
    static constexpr int kDefaultOp = TEXTUREOP_MODULATE;    // colour and alpha
    static constexpr int kDefaultSrcBlend = BLEND_SRCALPHA;
    static constexpr int kDefaultDestBlend = BLEND_INVSRCALPHA;
    static constexpr int kDefaultAddressing = ADDRESS_WRAP;

    // Binds the texture to `stage` and sets the stage's addressing,
    // arguments and operations and the frame-buffer blend factors, then the
    // stage's texture-coordinate transform. Always true.
    bool Apply(int stage);

private:
    DriverServices* m_pDriver;
    int m_ColorArg1;
    int m_ColorArg2;
    int m_ColorOp;
    int m_AlphaArg1;
    int m_AlphaArg2;
    int m_AlphaOp;
    int m_SrcBlend;
    int m_DestBlend;
    int m_Addressing;
    bool m_bLighting;
    Texture* m_pTexture;
};

// Records a material layer's calls.
#pragma once

#include "capture/SessionRecorder.h"
#include "host/MaterialLayer.h"

namespace orvcapture {

class RecordingLayer : public MaterialLayer, public Recorded {
public:
    static constexpr Interface kKind = Interface::Layer;
    RecordingLayer(SessionRecorder& recorder, MaterialLayer* inner)
        : Recorded(recorder, kKind, inner), m_pInner(inner) {}
    const void* HostPointer() const override { return static_cast<const MaterialLayer*>(this); }

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
    String GetTextureName() override;
    bool SetTexture(Texture* texture) override;
    bool LoadTexture(const char* path) override;
    bool ReleaseTexture() override;

private:
    MaterialLayer* m_pInner;
};

}  // namespace orvcapture

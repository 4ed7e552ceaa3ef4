// A rectangle in screen pixels drawn without transform: four pre-transformed
// vertices in system memory, top-left, top-right, bottom-right, bottom-left.
#pragma once

#include "host/ScreenQuad.h"

class DriverServices;

class D3DScreenQuad : public ScreenQuad {
public:
    static constexpr int kVertexCount = 4;

    // The driver draws the quad; the quad itself needs nothing of it.
    explicit D3DScreenQuad(DriverServices* driver);
    ~D3DScreenQuad() override;
    D3DScreenQuad(const D3DScreenQuad&) = delete;
    D3DScreenQuad& operator=(const D3DScreenQuad&) = delete;

    ScreenVertex* GetVertices() override { return m_pVertices; }
    void SetRect(RECT rect) override;
    void SetColor(uint32_t colour) override;
    void SetTexCoords(float u0, float v0, float u1, float v1, float u2, float v2, float u3,
                      float v3) override;
    void GetTexCoords(float* u0, float* v0, float* u1, float* v1, float* u2, float* v2, float* u3,
                      float* v3) override;
    RECT GetRect() override;
    uint32_t GetColor() override;

    // The four vertices spanning rect once with the texture, in one colour;
    // false when they cannot be allocated.
    bool Create(RECT rect, uint32_t colour);
    bool ReleaseResources();

private:
    ScreenVertex* m_pVertices;
};

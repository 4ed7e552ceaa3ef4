// Records a screen quad's calls; the vertices the host wrote reach the
// capture before the quad's own calls and before the device draws it.
#pragma once

#include "capture/SessionRecorder.h"
#include "host/ScreenQuad.h"

namespace orvcapture {

class RecordingQuad : public ScreenQuad, public Recorded {
public:
    static constexpr Interface kKind = Interface::Quad;
    // The four corners.
    static constexpr size_t kVertexBytes = 4 * sizeof(ScreenVertex);

    RecordingQuad(SessionRecorder& recorder, ScreenQuad* inner)
        : Recorded(recorder, kKind, inner), m_pInner(inner) {}
    const void* HostPointer() const override { return static_cast<const ScreenQuad*>(this); }
    void RecordMemory() override;

    ScreenVertex* GetVertices() override;
    void SetRect(RECT rect) override;
    void SetColor(uint32_t colour) override;
    void SetTexCoords(float u0, float v0, float u1, float v1, float u2, float v2, float u3,
                      float v3) override;
    void GetTexCoords(float* u0, float* v0, float* u1, float* v1, float* u2, float* v2, float* u3,
                      float* v3) override;
    RECT GetRect() override;
    uint32_t GetColor() override;

private:
    // After a call that changed the vertices itself.
    void Resync();

    ScreenQuad* m_pInner;
    Shadow m_Shadow;
};

}  // namespace orvcapture

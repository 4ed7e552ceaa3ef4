// Records a vertex buffer's calls; the vertices the host wrote reach the
// capture when it uploads or resizes.
#pragma once

#include "capture/SessionRecorder.h"
#include "host/VertexBuffer.h"

namespace orvcapture {

class RecordingVertexBuffer : public VertexBuffer, public Recorded {
public:
    static constexpr Interface kKind = Interface::VertexBuffer;
    RecordingVertexBuffer(SessionRecorder& recorder, VertexBuffer* inner)
        : Recorded(recorder, kKind, inner), m_pInner(inner) {}
    const void* HostPointer() const override { return static_cast<const VertexBuffer*>(this); }
    void RecordMemory() override;

    unsigned GetVertexCount() override;
    bool Resize(unsigned count) override;
    Vertex* GetVertices() override;
    bool Upload() override;

private:
    VertexBuffer* m_pInner;
    Shadow m_Shadow;
};

}  // namespace orvcapture

// Records a index buffer's calls; the indices the host wrote reach the
// capture when it uploads or resizes.
#pragma once

#include "capture/SessionRecorder.h"
#include "host/IndexBuffer.h"

namespace orvcapture {

class RecordingIndexBuffer : public IndexBuffer, public Recorded {
public:
    static constexpr Interface kKind = Interface::IndexBuffer;
    RecordingIndexBuffer(SessionRecorder& recorder, IndexBuffer* inner)
        : Recorded(recorder, kKind, inner), m_pInner(inner) {}
    const void* HostPointer() const override { return static_cast<const IndexBuffer*>(this); }
    void RecordMemory() override;

    unsigned GetIndexCount() override;
    bool Resize(unsigned count) override;
    unsigned short* GetIndices() override;
    bool Upload() override;

private:
    IndexBuffer* m_pInner;
    Shadow m_Shadow;
};

}  // namespace orvcapture

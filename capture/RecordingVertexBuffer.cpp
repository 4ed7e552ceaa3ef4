#include "capture/RecordingVertexBuffer.h"

namespace orvcapture {

void RecordingVertexBuffer::RecordMemory() {
    if (!m_Shadow.memory || m_bGone) return;
    m_Recorder.RecordChanges(m_Number, MemoryRegion::Vertices, 0, m_pInner->GetVertices(),
                             size_t(m_pInner->GetVertexCount()) * sizeof(Vertex), &m_Shadow);
}

unsigned RecordingVertexBuffer::GetVertexCount() {
    return Rec(Operation::VertexBuffer_GetVertexCount, [&] { return m_pInner->GetVertexCount(); });
}

bool RecordingVertexBuffer::Resize(unsigned count) {
    RecordMemory();
    const bool resized = Rec(Operation::VertexBuffer_Resize, [&] { return m_pInner->Resize(count); }, count);
    if (m_Shadow.memory)
        SessionRecorder::Resync(m_pInner->GetVertices(), size_t(m_pInner->GetVertexCount()) * sizeof(Vertex),
                                &m_Shadow);
    return resized;
}

Vertex* RecordingVertexBuffer::GetVertices() {
    CallRecord record(m_Recorder, Operation::VertexBuffer_GetVertices, m_Number);
    Vertex* vertices = m_pInner->GetVertices();
    record.ResultValues(1).PutPointer(vertices);
    if (vertices && vertices != static_cast<const void*>(m_Shadow.memory))
        SessionRecorder::Resync(vertices, size_t(m_pInner->GetVertexCount()) * sizeof(Vertex), &m_Shadow);
    return vertices;
}

bool RecordingVertexBuffer::Upload() {
    RecordMemory();
    return Rec(Operation::VertexBuffer_Upload, [&] { return m_pInner->Upload(); });
}

}  // namespace orvcapture

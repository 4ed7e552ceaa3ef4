#include "capture/RecordingIndexBuffer.h"

namespace orvcapture {

void RecordingIndexBuffer::RecordMemory() {
    if (!m_Shadow.memory || m_bGone) return;
    m_Recorder.RecordChanges(m_Number, MemoryRegion::Indices, 0, m_pInner->GetIndices(),
                             size_t(m_pInner->GetIndexCount()) * sizeof(unsigned short), &m_Shadow);
}

unsigned RecordingIndexBuffer::GetIndexCount() {
    return Rec(Operation::IndexBuffer_GetIndexCount, [&] { return m_pInner->GetIndexCount(); });
}

bool RecordingIndexBuffer::Resize(unsigned count) {
    RecordMemory();
    const bool resized = Rec(Operation::IndexBuffer_Resize, [&] { return m_pInner->Resize(count); }, count);
    if (m_Shadow.memory)
        SessionRecorder::Resync(m_pInner->GetIndices(), size_t(m_pInner->GetIndexCount()) * sizeof(unsigned short),
                                &m_Shadow);
    return resized;
}

unsigned short* RecordingIndexBuffer::GetIndices() {
    CallRecord record(m_Recorder, Operation::IndexBuffer_GetIndices, m_Number);
    unsigned short* indices = m_pInner->GetIndices();
    record.ResultValues(1).PutPointer(indices);
    if (indices && indices != static_cast<const void*>(m_Shadow.memory))
        SessionRecorder::Resync(indices, size_t(m_pInner->GetIndexCount()) * sizeof(unsigned short), &m_Shadow);
    return indices;
}

bool RecordingIndexBuffer::Upload() {
    RecordMemory();
    return Rec(Operation::IndexBuffer_Upload, [&] { return m_pInner->Upload(); });
}

}  // namespace orvcapture

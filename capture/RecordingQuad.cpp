#include "capture/RecordingQuad.h"

namespace orvcapture {

void RecordingQuad::RecordMemory() {
    if (m_Shadow.memory && !m_bGone)
        m_Recorder.RecordChanges(m_Number, MemoryRegion::QuadVertices, 0, m_pInner->GetVertices(),
                                 kVertexBytes, &m_Shadow);
}

void RecordingQuad::Resync() {
    if (m_Shadow.memory) SessionRecorder::Resync(m_pInner->GetVertices(), kVertexBytes, &m_Shadow);
}

ScreenVertex* RecordingQuad::GetVertices() {
    CallRecord record(m_Recorder, Operation::Quad_GetVertices, m_Number);
    ScreenVertex* vertices = m_pInner->GetVertices();
    record.ResultValues(1).PutPointer(vertices);
    if (vertices && vertices != static_cast<const void*>(m_Shadow.memory))
        SessionRecorder::Resync(vertices, kVertexBytes, &m_Shadow);
    return vertices;
}

void RecordingQuad::SetRect(RECT rect) {
    RecordMemory();
    Rec(Operation::Quad_SetRect, [&] { m_pInner->SetRect(rect); }, rect);
    Resync();
}

void RecordingQuad::SetColor(uint32_t colour) {
    RecordMemory();
    Rec(Operation::Quad_SetColor, [&] { m_pInner->SetColor(colour); }, colour);
    Resync();
}

void RecordingQuad::SetTexCoords(float u0, float v0, float u1, float v1, float u2, float v2,
                                 float u3, float v3) {
    RecordMemory();
    Rec(Operation::Quad_SetTexCoords, [&] { m_pInner->SetTexCoords(u0, v0, u1, v1, u2, v2, u3, v3); },
        u0, v0, u1, v1, u2, v2, u3, v3);
    Resync();
}

void RecordingQuad::GetTexCoords(float* u0, float* v0, float* u1, float* v1, float* u2, float* v2,
                                 float* u3, float* v3) {
    RecordMemory();
    CallRecord record(m_Recorder, Operation::Quad_GetTexCoords, m_Number);
    float* out[8] = {u0, v0, u1, v1, u2, v2, u3, v3};
    ValueWriter& arguments = record.Arguments(8);
    for (float* pointer : out) arguments.PutPointer(pointer);
    m_pInner->GetTexCoords(u0, v0, u1, v1, u2, v2, u3, v3);
    ValueWriter& results = record.ResultValues(8);
    for (float* pointer : out) results.Put(pointer ? *pointer : 0.0f);
}

RECT RecordingQuad::GetRect() {
    RecordMemory();
    return Rec(Operation::Quad_GetRect, [&] { return m_pInner->GetRect(); });
}

uint32_t RecordingQuad::GetColor() {
    RecordMemory();
    return Rec(Operation::Quad_GetColor, [&] { return m_pInner->GetColor(); });
}

}  // namespace orvcapture

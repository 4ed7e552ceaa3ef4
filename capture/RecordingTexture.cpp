#include "capture/RecordingTexture.h"

namespace orvcapture {

namespace {

constexpr unsigned kAllFrames = ~0u;

}  // namespace

void RecordingTexture::RecordMemory() {
    for (size_t frame = 0; frame < m_Frames.size(); ++frame) {
        Shadow& shadow = m_Frames[frame];
        if (shadow.memory)
            m_Recorder.RecordChanges(m_Number, MemoryRegion::TextureFrame, static_cast<uint32_t>(frame),
                                     shadow.memory, shadow.bytes.size(), &shadow);
    }
}

void RecordingTexture::HandedOut(unsigned frame, void* memory) {
    if (!memory) return;
    if (frame >= m_Frames.size()) m_Frames.resize(size_t(frame) + 1);
    if (m_Frames[frame].memory != memory) SessionRecorder::Resync(memory, FrameBytes(), &m_Frames[frame]);
}

void RecordingTexture::Updated(unsigned frame, bool keepCopy) {
    if (keepCopy) return;
    for (size_t index = 0; index < m_Frames.size(); ++index)
        if (frame == kAllFrames || index == frame) m_Frames[index] = Shadow();
}

template <typename Call, typename... A>
int RecordingTexture::Update(Operation op, unsigned frame, bool keepCopy, Call&& call, const A&... args) {
    RecordMemory();
    const int result = Rec(op, call, args...);
    Updated(frame, keepCopy);
    return result;
}

int RecordingTexture::UpdateRect(unsigned frame, int left, int top, int right, int bottom, bool keepCopy) {
    return Update(Operation::Texture_UpdateRect, frame, keepCopy,
                  [&] { return m_pInner->UpdateRect(frame, left, top, right, bottom, keepCopy); }, frame,
                  left, top, right, bottom, keepCopy);
}

int RecordingTexture::UpdateRectAllFrames(int left, int top, int right, int bottom, bool keepCopy) {
    return Update(Operation::Texture_UpdateRectAllFrames, kAllFrames, keepCopy,
                  [&] { return m_pInner->UpdateRectAllFrames(left, top, right, bottom, keepCopy); }, left,
                  top, right, bottom, keepCopy);
}

int RecordingTexture::UpdateFrame(unsigned frame, bool keepCopy) {
    return Update(Operation::Texture_UpdateFrame, frame, keepCopy,
                  [&] { return m_pInner->UpdateFrame(frame, keepCopy); }, frame, keepCopy);
}

int RecordingTexture::UpdateAllFrames(bool keepCopy) {
    return Update(Operation::Texture_UpdateAllFrames, kAllFrames, keepCopy,
                  [&] { return m_pInner->UpdateAllFrames(keepCopy); }, keepCopy);
}

int RecordingTexture::UpdateRect(unsigned frame, int left, int top, int right, int bottom) {
    return Update(Operation::Texture_UpdateRect2, frame, false,
                  [&] { return m_pInner->UpdateRect(frame, left, top, right, bottom); }, frame, left, top,
                  right, bottom);
}

int RecordingTexture::UpdateRectAllFrames(int left, int top, int right, int bottom) {
    return Update(Operation::Texture_UpdateRectAllFrames2, kAllFrames, false,
                  [&] { return m_pInner->UpdateRectAllFrames(left, top, right, bottom); }, left, top, right,
                  bottom);
}

int RecordingTexture::UpdateFrame(unsigned frame) {
    return Update(Operation::Texture_UpdateFrame2, frame, false, [&] { return m_pInner->UpdateFrame(frame); },
                  frame);
}

int RecordingTexture::UpdateAllFrames() {
    return Update(Operation::Texture_UpdateAllFrames2, kAllFrames, false,
                  [&] { return m_pInner->UpdateAllFrames(); });
}

void* RecordingTexture::GetFrameData(unsigned frame) {
    CallRecord record(m_Recorder, Operation::Texture_GetFrameData, m_Number);
    record.Args(frame);
    void* data = m_pInner->GetFrameData(frame);
    record.ResultValues(1).PutPointer(data);
    HandedOut(frame, data);
    return data;
}

void* RecordingTexture::GetData() {
    CallRecord record(m_Recorder, Operation::Texture_GetData, m_Number);
    void* data = m_pInner->GetData();
    record.ResultValues(1).PutPointer(data);
    HandedOut(0, data);
    return data;
}

unsigned RecordingTexture::GetCurrentFrame() {
    return Rec(Operation::Texture_GetCurrentFrame, [&] { return m_pInner->GetCurrentFrame(); });
}
bool RecordingTexture::IsPlaying() {
    return Rec(Operation::Texture_IsPlaying, [&] { return m_pInner->IsPlaying(); });
}
void RecordingTexture::SetPlaying(bool playing) {
    Rec(Operation::Texture_SetPlaying, [&] { m_pInner->SetPlaying(playing); }, playing);
}
void RecordingTexture::SetFrame(unsigned frame) {
    Rec(Operation::Texture_SetFrame, [&] { m_pInner->SetFrame(frame); }, frame);
}
void RecordingTexture::SetLooping(bool looping) {
    Rec(Operation::Texture_SetLooping, [&] { m_pInner->SetLooping(looping); }, looping);
}
bool RecordingTexture::IsLooping() {
    return Rec(Operation::Texture_IsLooping, [&] { return m_pInner->IsLooping(); });
}
unsigned RecordingTexture::GetWidth() {
    return Rec(Operation::Texture_GetWidth, [&] { return m_pInner->GetWidth(); });
}
unsigned RecordingTexture::GetHeight() {
    return Rec(Operation::Texture_GetHeight, [&] { return m_pInner->GetHeight(); });
}
unsigned RecordingTexture::GetPitch() {
    return Rec(Operation::Texture_GetPitch, [&] { return m_pInner->GetPitch(); });
}
unsigned RecordingTexture::GetBytesPerPixel() {
    return Rec(Operation::Texture_GetBytesPerPixel, [&] { return m_pInner->GetBytesPerPixel(); });
}
D3DFORMAT RecordingTexture::GetFormat() {
    return Rec(Operation::Texture_GetFormat, [&] { return m_pInner->GetFormat(); });
}
unsigned RecordingTexture::GetFrameCount() {
    return Rec(Operation::Texture_GetFrameCount, [&] { return m_pInner->GetFrameCount(); });
}
bool RecordingTexture::HasMipmaps() {
    return Rec(Operation::Texture_HasMipmaps, [&] { return m_pInner->HasMipmaps(); });
}

const unsigned short* RecordingTexture::GetFrameDurations() {
    CallRecord record(m_Recorder, Operation::Texture_GetFrameDurations, m_Number);
    const unsigned short* durations = m_pInner->GetFrameDurations();
    if (durations)
        record.ResultValues(1).PutBytes(durations, size_t(m_pInner->GetFrameCount()) * sizeof *durations);
    else
        record.ResultValues(1).PutPointer(nullptr);
    return durations;
}

unsigned RecordingTexture::GetRowCount() {
    return Rec(Operation::Texture_GetRowCount, [&] { return m_pInner->GetRowCount(); });
}
unsigned RecordingTexture::GetRowLength() {
    return Rec(Operation::Texture_GetRowLength, [&] { return m_pInner->GetRowLength(); });
}
unsigned RecordingTexture::GetBlockWidth() {
    return Rec(Operation::Texture_GetBlockWidth, [&] { return m_pInner->GetBlockWidth(); });
}
unsigned RecordingTexture::GetBlockHeight() {
    return Rec(Operation::Texture_GetBlockHeight, [&] { return m_pInner->GetBlockHeight(); });
}

String RecordingTexture::GetFileName() {
    CallRecord record(m_Recorder, Operation::Texture_GetFileName, m_Number);
    String name = m_pInner->GetFileName();
    record.Results(name.c_str());
    return name;
}

unsigned RecordingTexture::AddRef() {
    return Rec(Operation::Texture_AddRef, [&] { return m_pInner->AddRef(); });
}

unsigned RecordingTexture::Release() {
    const unsigned count = Rec(Operation::Texture_Release, [&] { return m_pInner->Release(); });
    if (count == 0) m_Recorder.Forget(this);
    return count;
}

unsigned RecordingTexture::GetRefCount() {
    return Rec(Operation::Texture_GetRefCount, [&] { return m_pInner->GetRefCount(); });
}

void RecordingTexture::SetPixel(unsigned x, unsigned y, unsigned argb, unsigned frame) {
    RecordMemory();
    Rec(Operation::Texture_SetPixel, [&] { m_pInner->SetPixel(x, y, argb, frame); }, x, y, argb, frame);
    if (frame < m_Frames.size() && m_Frames[frame].memory)
        SessionRecorder::Resync(m_Frames[frame].memory, m_Frames[frame].bytes.size(), &m_Frames[frame]);
}

unsigned RecordingTexture::GetPixel(unsigned x, unsigned y, unsigned frame) {
    RecordMemory();
    return Rec(Operation::Texture_GetPixel, [&] { return m_pInner->GetPixel(x, y, frame); }, x, y, frame);
}

}  // namespace orvcapture

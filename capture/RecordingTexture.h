// Records a texture's calls; the frame data the host wrote reaches the
// capture before the texture's updates and pixel calls.
#pragma once

#include <vector>

#include "capture/SessionRecorder.h"
#include "host/Texture.h"

namespace orvcapture {

class RecordingTexture : public Texture, public Recorded {
public:
    static constexpr Interface kKind = Interface::Texture;
    RecordingTexture(SessionRecorder& recorder, Texture* inner)
        : Recorded(recorder, kKind, inner), m_pInner(inner) {}
    const void* HostPointer() const override { return static_cast<const Texture*>(this); }
    void RecordMemory() override;
    void Drop() override {
        m_Frames.clear();
        Recorded::Drop();
    }

    int UpdateRect(unsigned frame, int left, int top, int right, int bottom, bool keepCopy) override;
    int UpdateRectAllFrames(int left, int top, int right, int bottom, bool keepCopy) override;
    int UpdateFrame(unsigned frame, bool keepCopy) override;
    int UpdateAllFrames(bool keepCopy) override;
    int UpdateRect(unsigned frame, int left, int top, int right, int bottom) override;
    int UpdateRectAllFrames(int left, int top, int right, int bottom) override;
    int UpdateFrame(unsigned frame) override;
    int UpdateAllFrames() override;
    void* GetFrameData(unsigned frame) override;
    void* GetData() override;
    unsigned GetCurrentFrame() override;
    bool IsPlaying() override;
    void SetPlaying(bool playing) override;
    void SetFrame(unsigned frame) override;
    void SetLooping(bool looping) override;
    bool IsLooping() override;
    unsigned GetWidth() override;
    unsigned GetHeight() override;
    unsigned GetPitch() override;
    unsigned GetBytesPerPixel() override;
    D3DFORMAT GetFormat() override;
    unsigned GetFrameCount() override;
    bool HasMipmaps() override;
    const unsigned short* GetFrameDurations() override;
    unsigned GetRowCount() override;
    unsigned GetRowLength() override;
    unsigned GetBlockWidth() override;
    unsigned GetBlockHeight() override;
    String GetFileName() override;
    unsigned AddRef() override;
    unsigned Release() override;
    unsigned GetRefCount() override;
    void SetPixel(unsigned x, unsigned y, unsigned argb, unsigned frame) override;
    unsigned GetPixel(unsigned x, unsigned y, unsigned frame) override;

private:
    size_t FrameBytes() { return size_t(m_pInner->GetPitch()) * m_pInner->GetRowCount(); }
    // A frame's memory handed to the host: its shadow starts as it is now.
    void HandedOut(unsigned frame, void* memory);
    // An update without keeping the copy frees the frames it covers (all
    // when `frame` is past the end).
    void Updated(unsigned frame, bool keepCopy);
    template <typename Call, typename... A>
    int Update(Operation op, unsigned frame, bool keepCopy, Call&& call, const A&... args);

    Texture* m_pInner;
    std::vector<Shadow> m_Frames;  // by frame: memory the host was given
};

}  // namespace orvcapture

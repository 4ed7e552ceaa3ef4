// Frame animation: the frame due by the millisecond clock, pausing, looping
// and binding the current frame to a texture stage.
#include "hostinput/HostInput.h"
#include "plugin/state/StateTables.h"
#include "texture/D3DTexture.h"

unsigned D3DTexture::FrameAt(unsigned elapsed) const {
    // A frame's slot ends where the next one's starts; a moment exactly at a
    // frame's start belongs to that frame, and a frame of 0 ms is passed over.
    const unsigned t = elapsed % m_TotalDuration;
    const unsigned last = static_cast<unsigned>(m_FrameDurations.size()) - 1;
    unsigned end = 0;
    for (unsigned i = 0; i < last; ++i) {
        end += m_FrameDurations[i];
        if (t < end) return i;
    }
    return last;
}

unsigned D3DTexture::ComputeFrame() {
    if (!IsAnimated() || m_Frames.empty()) return 0;
    // Frames that all last 0 ms have no cycle to walk: the first one shows.
    if (m_TotalDuration == 0) return 0;
    const unsigned elapsed = HostInput::Current().TickCount() - m_Animation.startTick;  // a wrap of the clock is harmless
    if (!m_Animation.looping && elapsed >= m_TotalDuration) {
        m_Animation.playing = false;
        m_Animation.pausedFrame = FrameCount() - 1;
        return m_Animation.pausedFrame;
    }
    return FrameAt(elapsed);
}

unsigned D3DTexture::GetCurrentFrame() {
    return m_Animation.playing ? ComputeFrame() : m_Animation.pausedFrame;
}

bool D3DTexture::IsPlaying() { return m_Animation.playing; }

void D3DTexture::SetPlaying(bool playing) {
    if (playing == m_Animation.playing) return;
    m_Animation.playing = playing;
    if (playing)
        m_Animation.startTick = HostInput::Current().TickCount();  // resuming starts the cycle again at frame 0
    else
        m_Animation.pausedFrame = ComputeFrame();
}

void D3DTexture::SetFrame(unsigned frame) {
    if (!m_Animation.playing && frame < FrameCount()) m_Animation.pausedFrame = frame;
}

void D3DTexture::SetLooping(bool looping) { m_Animation.looping = looping; }

bool D3DTexture::IsLooping() { return m_Animation.looping; }

bool D3DTexture::Bind(unsigned stage) {
    if (stage >= state::kStageCount) return false;
    IDirect3DDevice8* device = Device();
    if (!device || !HasD3DFrames()) return false;
    unsigned frame = m_Animation.playing ? ComputeFrame() : m_Animation.pausedFrame;
    if (frame >= FrameCount()) frame = 0;
    return device->SetTexture(stage, m_Frames[frame].texture.get()) == D3D_OK;
}

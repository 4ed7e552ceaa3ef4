// Frame animation: the frame due by the millisecond clock, pausing, looping
// and binding the current frame to a texture stage.
#include <windows.h>

#include "plugin/state/StateTables.h"
#include "texture/D3DTexture.h"

unsigned D3DTexture::FrameAt(unsigned elapsed) const {
    const unsigned t = elapsed % m_TotalDuration;
    unsigned i = 1;
    while (i < m_FrameCount && t >= m_FrameStartTimes[i]) ++i;
    return i - 1;
}

unsigned D3DTexture::ComputeFrame() {
    if (!m_bAnimated || m_FrameCount == 0 || !m_FrameStartTimes) return 0;
    // Frames that all last 0 ms have no cycle to walk: the first one shows.
    if (m_TotalDuration == 0) return 0;
    const unsigned elapsed = GetTickCount() - m_StartTick;  // a wrap of the clock is harmless
    if (!m_bLooping && elapsed >= m_TotalDuration) {
        m_bPlaying = false;
        m_PausedFrame = m_FrameCount - 1;
        return m_PausedFrame;
    }
    return FrameAt(elapsed);
}

unsigned D3DTexture::GetCurrentFrame() { return m_bPlaying ? ComputeFrame() : m_PausedFrame; }

bool D3DTexture::IsPlaying() { return m_bPlaying; }

void D3DTexture::SetPlaying(bool playing) {
    if (playing == m_bPlaying) return;
    m_bPlaying = playing;
    if (playing)
        m_StartTick = GetTickCount();  // resuming starts the cycle again at frame 0
    else
        m_PausedFrame = ComputeFrame();
}

void D3DTexture::SetFrame(unsigned frame) {
    if (!m_bPlaying && frame < m_FrameCount) m_PausedFrame = frame;
}

void D3DTexture::SetLooping(bool looping) { m_bLooping = looping; }

bool D3DTexture::IsLooping() { return m_bLooping; }

bool D3DTexture::Bind(unsigned stage) {
    if (stage >= state::kStageCount) return false;
    IDirect3DDevice8* device = Device();
    if (!device || !m_Frames || m_FrameCount == 0) return false;
    unsigned frame = m_bPlaying ? ComputeFrame() : m_PausedFrame;
    if (frame >= m_FrameCount) frame = 0;
    return device->SetTexture(stage, m_Frames[frame]) == D3D_OK;
}

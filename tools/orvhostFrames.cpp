#include "orvhostFrames.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "orvhostImage.h"
#include "orvhostPlatform.h"

namespace orvhost {
namespace {

// A whole non-negative number of at most nine digits, and nothing else.
bool ParseFrameNumber(const std::string& text, int* number) {
    constexpr size_t kMostDigits = 9;
    if (text.empty() || text.size() > kMostDigits) return false;
    for (char digit : text)
        if (digit < '0' || digit > '9') return false;
    *number = std::atoi(text.c_str());
    return true;
}

}  // namespace

bool FrameRange::Parse(const std::string& text) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return ParseFrameNumber(text, &first) && ParseFrameNumber(text, &last);
    return ParseFrameNumber(text.substr(0, dash), &first) &&
           ParseFrameNumber(text.substr(dash + 1), &last) && last >= first;
}

std::string FramePictureName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.png", frame);
    return name;
}

void PresentedFrames::Start(int frame) {
    m_FirstFrame = frame;
    Image screen;
    if (!CaptureClientArea(m_Window, &screen)) return;
    m_Before = std::move(screen.argb);
    m_BeforeFrame = frame - 1;
}

bool PresentedFrames::Save(int frame) {
    const bool follows = m_BeforeFrame == frame - 1 && !m_Before.empty();
    const unsigned mostWait = frame == m_FirstFrame ? kMostFirstWaitMilliseconds : kMostWaitMilliseconds;
    Image image, again;
    if (!CaptureClientArea(m_Window, &image)) return false;
    for (unsigned waited = 0; waited < mostWait; waited += kSettleMilliseconds) {
        PauseMilliseconds(kSettleMilliseconds);
        if (!CaptureClientArea(m_Window, &again)) return false;
        const bool settled = again.argb == image.argb && !(follows && again.argb == m_Before);
        image = std::move(again);
        if (settled) break;
    }
    if (!WritePng(JoinPath(m_Directory, FramePictureName(frame)), image)) return false;
    m_Before = std::move(image.argb);
    m_BeforeFrame = frame;
    return true;
}

}  // namespace orvhost

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

// Under Wine, Present hands the frame to OpenGL, whose software renderer may
// still be drawing it when Present returns: a read right away can show the
// frame before. The screen is read again after a short pause until two reads
// agree.
bool SavePresentedFrame(HWND window, const std::string& directory, int frame) {
    constexpr unsigned kSettleMilliseconds = 25;
    constexpr int kMostReads = 8;
    Image image, again;
    if (!CaptureClientArea(window, &image)) return false;
    for (int read = 1; read < kMostReads; ++read) {
        PauseMilliseconds(kSettleMilliseconds);
        if (!CaptureClientArea(window, &again)) return false;
        if (again.argb == image.argb) break;
        image = std::move(again);
    }
    return WritePng(JoinPath(directory, FramePictureName(frame)), image);
}

}  // namespace orvhost

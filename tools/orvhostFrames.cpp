#include "orvhostFrames.h"

#include <cstdio>
#include <cstdlib>

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

bool SavePresentedFrame(HWND window, const std::string& directory, int frame) {
    Image image;
    return CaptureClientArea(window, &image) &&
           WritePng(JoinPath(directory, FramePictureName(frame)), image);
}

}  // namespace orvhost

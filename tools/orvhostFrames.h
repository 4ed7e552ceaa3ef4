// The frames a host program saves as pictures: a range of frame numbers
// (from 0, in the order the frames end), the pictures' names, and saving what
// the window presented.
#pragma once

#include <windows.h>

#include <string>

namespace orvhost {

struct FrameRange {
    int first = 0;
    int last = -1;  // empty when below first

    // "A-B" or "A"; false for anything else, negative numbers or B below A.
    bool Parse(const std::string& text);
    bool Contains(int frame) const { return frame >= first && frame <= last; }
    bool Empty() const { return last < first; }
};

// "frame-0007.png": the picture of frame 7, under the same name whichever
// program saved it, so that two directories of pictures compare by name.
std::string FramePictureName(int frame);

// Saves the window's client area as the screen shows it now (what the frame
// that just ended presented) as DIRECTORY/FramePictureName(frame).
bool SavePresentedFrame(HWND window, const std::string& directory, int frame);

}  // namespace orvhost

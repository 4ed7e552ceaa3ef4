// The frames a host program saves as pictures: a range of frame numbers
// (from 0, in the order the frames end), the pictures' names, and saving what
// the window presented.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

// Saves what a window presented, frame after frame, as
// DIRECTORY/FramePictureName(frame).
//
// Under Wine, Present hands the frame to OpenGL, whose software renderer may
// still be drawing it when Present returns, and on a busy machine for a good
// while: a read of the screen can show the frame before, or for the first
// frame the empty window, however long it stays unchanged. So the screen is
// read every kSettleMilliseconds until two reads agree and the picture is no
// longer the one the screen showed before this frame (the frame before's, when
// it was saved, or the one read by Start); after kMostWaitMilliseconds the
// settled picture is taken as it is, since two frames may look alike. The
// frame Start names may wait longer: a device's first present, on a busy
// machine, has been seen to take over a quarter of a second to show.
class PresentedFrames {
public:
    static constexpr unsigned kSettleMilliseconds = 25;
    static constexpr unsigned kMostWaitMilliseconds = 1000;
    static constexpr unsigned kMostFirstWaitMilliseconds = 5000;

    PresentedFrames(HWND window, std::string directory)
        : m_Window(window), m_Directory(std::move(directory)) {}

    // The screen before `frame`, the first to be saved, is drawn.
    void Start(int frame);
    // The frame that just ended; false when the screen could not be read or
    // the picture not written.
    bool Save(int frame);

private:
    HWND m_Window;
    std::string m_Directory;
    int m_BeforeFrame = -1;  // the frame whose picture m_Before holds
    int m_FirstFrame = -1;   // the frame Start named
    std::vector<uint32_t> m_Before;
};

}  // namespace orvhost

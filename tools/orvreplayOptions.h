// orvreplay's command line.
#pragma once

#include <string>

#include "orvhostFrames.h"

namespace orvreplay {

struct Options {
    std::string capturePath;
    std::string outDirectory = "out/replay";
    // Every frame unless --frames says otherwise.
    orvhost::FrameRange frames{0, 1 << 30};
    std::string againstDirectory;
    int tolerance = 4;
    bool stopAtFirstDifference = false;
    std::string pluginPath;  // "" the plug-in beside the program
    std::string journalPath;
    std::string againstJournalPath;

    // False, with the reason in `error`, for a command line it does not take.
    bool Parse(int argc, char** argv, std::string* error);
};

extern const char kUsage[];

}  // namespace orvreplay

#include "orvreplayOptions.h"

#include <cstdlib>

namespace orvreplay {

const char kUsage[] =
    "usage: orvreplay CAPTURE [--out DIRECTORY] [--frames A-B] [--against DIRECTORY]\n"
    "                 [--tolerance N] [--stop-at-first] [--plugin LIBRARY]\n"
    "                 [--journal FILE] [--against-journal FILE]\n";

namespace {

constexpr int kMostTolerance = 255;

}  // namespace

bool Options::Parse(int argc, char** argv, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--out" && hasValue) {
            outDirectory = argv[++i];
        } else if (argument == "--frames" && hasValue) {
            if (!frames.Parse(argv[++i])) return *error = "--frames takes A-B or A", false;
        } else if (argument == "--against" && hasValue) {
            againstDirectory = argv[++i];
        } else if (argument == "--tolerance" && hasValue) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > kMostTolerance)
                return *error = "--tolerance takes 0 to 255", false;
            tolerance = static_cast<int>(value);
        } else if (argument == "--stop-at-first") {
            stopAtFirstDifference = true;
        } else if (argument == "--plugin" && hasValue) {
            pluginPath = argv[++i];
        } else if (argument == "--journal" && hasValue) {
            journalPath = argv[++i];
        } else if (argument == "--against-journal" && hasValue) {
            againstJournalPath = argv[++i];
        } else if (argument[0] != '-' && capturePath.empty()) {
            capturePath = argument;
        } else {
            return *error = "unknown or incomplete option " + argument, false;
        }
    }
    if (capturePath.empty()) return *error = "no capture named", false;
    return true;
}

}  // namespace orvreplay

// Replays a captured session (a capture the plug-in recorded with
// ORVD3D_CAPTURE=PATH in the host's environment) through the plug-in beside
// this program, or another build of it, the way a host drives it:
//
//   orvreplay CAPTURE [--out DIRECTORY] [--frames A-B] [--against DIRECTORY]
//             [--tolerance N] [--stop-at-first] [--plugin LIBRARY]
//             [--journal FILE] [--against-journal FILE]
//
// The plug-in reads the captured files and clock, not the machine's. Every
// call is made again in order, and every result compared with the recorded
// one; a difference is reported with its call number, frame and operation,
// and the replay goes on unless --stop-at-first. Writes into DIRECTORY
// (out/replay unless given):
// - frames/frame-NNNN.png: what the window presented at the end of each of
//   frames A to B (every frame unless --frames), read from the screen as
//   orvhost reads presented.png (on Linux, what the stand-in runtime drew);
// - stats.csv: per frame, draws, passes, switches, state changes and how
//   many were redundant, uploads, loads, text lines and the plug-in's
//   processor time (orvreplayStatistics.h), with a summary printed;
// - differences.txt: where the replay stopped, the differences found, and
//   with --against, each frame against the picture of the same name in that
//   directory (largest channel difference, share of pixels over the
//   tolerance, 4 unless --tolerance), with a difference picture in
//   differences/ for each frame that differs;
// - orvreplay.log: the kernel's log.
// On the stand-in runtime (Linux), --journal writes the Direct3D calls each
// replayed call made, and --against-journal checks them against such a
// journal (orvreplay's or orvhost's) and names the call where they first part.
// Exit status: 0 when everything replayed equal, 1 otherwise, 2 for a
// command line it does not take.
#include <cstdio>
#include <string>

#include "capture/Player.h"
#include "host/Kernel.h"
#include "orvhostPlatform.h"
#include "orvhostRenderer.h"
#include "orvreplayOptions.h"
#include "orvreplaySession.h"

namespace {

// Makes `path` and the directories above it.
bool MakeDirectories(const std::string& path) {
    for (size_t at = path.find_first_of("/\\", 1); at != std::string::npos;
         at = path.find_first_of("/\\", at + 1))
        orvhost::MakeDirectory(path.substr(0, at));
    return orvhost::MakeDirectory(path);
}

}  // namespace

int main(int argc, char** argv) {
    orvreplay::Options options;
    std::string error;
    if (!options.Parse(argc, argv, &error)) {
        std::fprintf(stderr, "orvreplay: %s\n%s", error.c_str(), orvreplay::kUsage);
        return 2;
    }
    if (!MakeDirectories(options.outDirectory)) {
        std::fprintf(stderr, "orvreplay: cannot make %s\n", options.outDirectory.c_str());
        return 1;
    }
    orvcapture::Player player;
    if (!player.Open(options.capturePath)) {
        std::fprintf(stderr, "orvreplay: %s\n", player.Error().c_str());
        return 1;
    }
    const orvcapture::MachineInfo& machine = player.Machine();
    std::printf("Capture %s: format %u, renderer %u, %u-bit, recorded by %s\n",
                options.capturePath.c_str(), machine.formatVersion, machine.rendererVersion,
                machine.pointerBits, machine.build.c_str());

    // The kernel as a host makes it: the plug-in logs through it and draws
    // into its window.
    const std::string logPath = orvhost::JoinPath(options.outDirectory, "orvreplay.log");
    Kernel kernel(logPath.c_str(), false);
    orvhost::Renderer renderer(&kernel);
    const std::string plugin = options.pluginPath.empty() ? orvhost::PluginPath() : options.pluginPath;
    if (!renderer.Open(plugin)) return 1;
    orvcapture::PluginEntry entry;
    entry.createPlugin = reinterpret_cast<CreatePluginFunction>(renderer.Symbol("CreatePlugin"));
    entry.setHostInput = reinterpret_cast<SetHostInputFunction>(renderer.Symbol("SetHostInput"));
    if (!entry.setHostInput) {
        std::fprintf(stderr, "orvreplay: %s cannot be given the captured files and clock\n", plugin.c_str());
        return 1;
    }

    orvreplay::ReplaySession session(options, kernel.m_pWindow);
    if (!session.Prepare(&error)) {
        std::fprintf(stderr, "orvreplay: %s\n", error.c_str());
        return error.find("journal") != std::string::npos ? 2 : 1;
    }
    orvcapture::ReplayOptions replay;
    replay.stopAtFirstDifference = options.stopAtFirstDifference;
    replay.outputDirectory = options.outDirectory;
    replay.onCall = [&session](const orvcapture::CallEvent& event) { session.OnCall(event); };
    replay.onDifference = [&session](const orvcapture::Difference& difference) {
        session.OnDifference(difference);
    };
    session.Start();
    const orvcapture::ReplayOutcome outcome = player.Run(entry, &kernel, replay);
    return session.Finish(outcome, machine);
}

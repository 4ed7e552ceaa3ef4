// What orvreplay does around the player's replay of a capture: after each
// replayed call it counts the call into the frame statistics, takes the
// Direct3D calls it made from the stand-in runtime's journal (written to a
// file, checked against a journal of another run), and at the end of each
// chosen frame saves the presented picture; afterwards it writes the
// statistics and the report of differences, and compares the saved pictures
// with those of another run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "capture/Player.h"
#include "host/Window.h"
#include "orvhostCallJournal.h"
#include "orvhostFrames.h"
#include "orvreplayOptions.h"
#include "orvreplayStatistics.h"

namespace orvreplay {

class ReplaySession {
public:
    ReplaySession(const Options& options, Window* window);

    // Makes the output directories, opens the journal file and reads the
    // journal to check against; false with the reason in `error`.
    bool Prepare(std::string* error);
    // Called by the player after each call, and at each result difference.
    void OnCall(const orvcapture::CallEvent& event);
    void OnDifference(const orvcapture::Difference& difference);
    // Just before the replay starts: the processor clock starts here.
    void Start();
    // Writes DIRECTORY/stats.csv and DIRECTORY/differences.txt, compares the
    // pictures, and prints the summary. The program's exit status: 0 when
    // the whole session replayed with every result, Direct3D call and
    // compared picture equal, 1 otherwise.
    int Finish(const orvcapture::ReplayOutcome& outcome, const orvcapture::MachineInfo& machine);

private:
    void CheckJournal(const orvcapture::CallEvent& event, const std::vector<std::string>& calls);
    // Compares the saved pictures with the reference directory's; adds to
    // the report, writes difference pictures; false when any differs.
    bool CompareFrames();
    std::string Output(const std::string& name) const;

    const Options& m_Options;
    Window* m_pWindow;
    FrameStatistics m_Statistics;
    orvhost::CallJournalFile m_Journal;
    bool m_Journalled = false;
    // The journal checked against: per replayed call where it is a replay's
    // journal (steps "call N ..."), else one run of calls (orvhost's).
    bool m_ReferencePerCall = false;
    std::map<uint64_t, std::vector<std::string>> m_ReferenceByCall;
    std::vector<std::string> m_ReferenceCalls;
    size_t m_ReferenceAt = 0;
    std::string m_JournalDifference;
    orvhost::PresentedFrames m_Pictures;
    std::vector<int> m_SavedFrames;
    std::vector<std::string> m_Report;  // the lines of differences.txt after its header
    std::vector<std::string> m_ResultDifferences;
    double m_ClockAt = 0.0;
};

}  // namespace orvreplay

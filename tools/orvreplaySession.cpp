#include "orvreplaySession.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "orvhostFrames.h"
#include "orvhostImage.h"
#include "orvhostPlatform.h"
#include "orvreplayFrameComparison.h"

namespace orvreplay {
namespace {

// The report lists this many differing results; the rest are counted.
constexpr size_t kMostListedDifferences = 100;

const char* const kFramesDirectory = "frames";
const char* const kDifferencesDirectory = "differences";

}  // namespace

ReplaySession::ReplaySession(const Options& options, Window* window)
    : m_Options(options), m_pWindow(window), m_Pictures(window->GetHWND(), Output(kFramesDirectory)) {}

std::string ReplaySession::Output(const std::string& name) const {
    return orvhost::JoinPath(m_Options.outDirectory, name);
}

bool ReplaySession::Prepare(std::string* error) {
    for (const std::string& directory : {Output(kFramesDirectory), Output(kDifferencesDirectory)})
        if (!orvhost::MakeDirectory(directory)) return *error = "cannot make " + directory, false;
    std::vector<std::string> unused;
    const bool hasJournal = orvhost::TakeDirect3DCalls(&unused);
    if ((!m_Options.journalPath.empty() || !m_Options.againstJournalPath.empty()) && !hasJournal)
        return *error = "this runtime keeps no journal of its Direct3D calls", false;
    if (!m_Options.journalPath.empty() && !m_Journal.Open(m_Options.journalPath))
        return *error = "cannot write " + m_Options.journalPath, false;
    m_Journalled = !m_Options.journalPath.empty();
    std::vector<orvhost::JournalStep> steps;
    if (!m_Options.againstJournalPath.empty() &&
        !orvhost::ReadCallJournal(m_Options.againstJournalPath, &steps))
        return *error = "cannot read " + m_Options.againstJournalPath, false;
    m_ReferencePerCall = !steps.empty();
    for (const orvhost::JournalStep& step : steps) {
        m_ReferencePerCall &= step.step.compare(0, 5, "call ") == 0;
        m_ReferenceCalls.insert(m_ReferenceCalls.end(), step.calls.begin(), step.calls.end());
    }
    if (m_ReferencePerCall)
        for (orvhost::JournalStep& step : steps)
            m_ReferenceByCall[std::strtoull(step.step.c_str() + 5, nullptr, 10)] = std::move(step.calls);
    return true;
}

void ReplaySession::Start() { m_ClockAt = orvhost::ThreadSeconds(); }

void ReplaySession::CheckJournal(const orvcapture::CallEvent& event,
                                 const std::vector<std::string>& calls) {
    if (m_Options.againstJournalPath.empty() || !m_JournalDifference.empty()) return;
    const std::string where = "call " + std::to_string(event.call) + " (frame " +
                              std::to_string(event.frame) + ") " + event.name + ": ";
    const auto describe = [](const std::vector<std::string>& lines, size_t n) {
        return n < lines.size() ? lines[n] : std::string("none");
    };
    if (m_ReferencePerCall) {
        // The same Direct3D calls within this very call, no more and no fewer.
        static const std::vector<std::string> kNone;
        const auto found = m_ReferenceByCall.find(event.call);
        const std::vector<std::string>& expected = found != m_ReferenceByCall.end() ? found->second : kNone;
        m_ReferenceAt += expected.size();
        for (size_t n = 0; n < std::max(expected.size(), calls.size()); ++n)
            if (n >= expected.size() || n >= calls.size() || expected[n] != calls[n]) {
                m_JournalDifference = where + "its Direct3D call " + std::to_string(n + 1) + " was " +
                                      describe(expected, n) + ", replayed " + describe(calls, n);
                return;
            }
        return;
    }
    for (size_t n = 0; n < calls.size(); ++n, ++m_ReferenceAt)
        if (m_ReferenceAt >= m_ReferenceCalls.size() || m_ReferenceCalls[m_ReferenceAt] != calls[n]) {
            m_JournalDifference = where + "Direct3D call " + std::to_string(m_ReferenceAt + 1) +
                                  " of the session was " + describe(m_ReferenceCalls, m_ReferenceAt) +
                                  ", replayed " + calls[n];
            return;
        }
}

void ReplaySession::OnCall(const orvcapture::CallEvent& event) {
    const double now = orvhost::ThreadSeconds();
    std::vector<std::string> calls;
    CallFacts facts;
    facts.journal = orvhost::TakeDirect3DCalls(&calls);
    facts.direct3dCalls = &calls;
    facts.operation = static_cast<uint16_t>(event.operation);
    facts.object = event.object;
    facts.cpuSeconds = now - m_ClockAt;
    facts.differs = !event.matched;
    if (event.arguments)
        for (const orvcapture::Value& value : *event.arguments)
            facts.arguments.push_back(value.kind == orvcapture::Value::Kind::I32
                                          ? static_cast<uint64_t>(static_cast<int64_t>(value.i))
                                          : value.u);
    if (event.results)
        for (const orvcapture::Value& value : *event.results)
            if (value.kind == orvcapture::Value::Kind::Object && facts.newObject == 0) facts.newObject = value.u;
    m_Statistics.Count(static_cast<int>(event.frame), event.endsFrame, facts);

    if (m_Journalled)
        m_Journal.Append("call " + std::to_string(event.call) + " (frame " + std::to_string(event.frame) +
                             ") " + event.name,
                         calls);
    CheckJournal(event, calls);

    const int frame = static_cast<int>(event.frame);
    // The screen before the first saved frame is drawn: that frame's picture
    // is waited for until the screen shows something else.
    if (event.operation == orvcapture::Operation::Device_BeginScene && frame == m_Options.frames.first)
        m_Pictures.Start(frame);
    if (event.endsFrame && m_Options.frames.Contains(frame)) {
        m_pWindow->PumpMessages();
        if (m_Pictures.Save(frame))
            m_SavedFrames.push_back(frame);
        else
            m_Report.push_back("frame " + std::to_string(frame) + ": the screen could not be read");
    }
    // What this program did with the call is not the plug-in's time.
    m_ClockAt = orvhost::ThreadSeconds();
}

void ReplaySession::OnDifference(const orvcapture::Difference& difference) {
    m_ResultDifferences.push_back(difference.Describe());
}

bool ReplaySession::CompareFrames() {
    FrameComparison comparison(m_Options.tolerance);
    bool equal = true;
    for (int frame : m_SavedFrames) {
        const std::string name = orvhost::FramePictureName(frame);
        orvhost::Image replayed, reference;
        if (!orvhost::ReadPng(orvhost::JoinPath(Output(kFramesDirectory), name), &replayed) ||
            !orvhost::ReadPng(orvhost::JoinPath(m_Options.againstDirectory, name), &reference)) {
            m_Report.push_back(name + ": no picture to compare with");
            equal = false;
            continue;
        }
        comparison.Compare(replayed, reference);
        std::string line = name + ": " + comparison.Describe();
        if (comparison.Differs()) {
            equal = false;
            const std::string picture = orvhost::JoinPath(Output(kDifferencesDirectory), name);
            line += orvhost::WritePng(picture, comparison.Picture()) ? ", difference picture " + picture
                                                                    : ", no difference picture (sizes differ)";
        }
        m_Report.push_back(line);
    }
    return equal;
}

int ReplaySession::Finish(const orvcapture::ReplayOutcome& outcome,
                          const orvcapture::MachineInfo& machine) {
    std::vector<std::string> header = {
        "Capture: " + m_Options.capturePath + " (format " + std::to_string(machine.formatVersion) +
            ", renderer " + std::to_string(machine.rendererVersion) + ", " +
            std::to_string(machine.pointerBits) + "-bit, recorded by " + machine.build + ")",
        std::string("Replay: ") + orvcapture::StopReasonName(outcome.reason) + ", " + outcome.message +
            "; " + std::to_string(outcome.calls) + " calls, " + std::to_string(outcome.frames) +
            " whole frames",
    };
    bool equal = outcome.reason == orvcapture::StopReason::End;
    if (m_ResultDifferences.empty()) {
        header.push_back("Results: every result equal to the recorded one");
    } else {
        equal = false;
        header.push_back("Results: " + std::to_string(outcome.differences) + " calls differ; first: " +
                         m_ResultDifferences.front());
        for (size_t n = 1; n < m_ResultDifferences.size() && n < kMostListedDifferences; ++n)
            header.push_back("  " + m_ResultDifferences[n]);
    }
    if (!m_Options.againstJournalPath.empty()) {
        if (m_JournalDifference.empty() && m_ReferenceAt != m_ReferenceCalls.size())
            m_JournalDifference = "the replay made " + std::to_string(m_ReferenceAt) +
                                  " Direct3D calls, the journal holds " +
                                  std::to_string(m_ReferenceCalls.size());
        header.push_back("Direct3D calls against " + m_Options.againstJournalPath + ": " +
                         (m_JournalDifference.empty() ? "every call equal"
                                                      : "first difference at " + m_JournalDifference));
        equal &= m_JournalDifference.empty();
    }
    if (m_Journalled && !m_Journal.Close()) header.push_back("Journal: " + m_Options.journalPath + " not all written");
    if (!m_Options.againstDirectory.empty()) {
        const bool framesEqual = CompareFrames();
        header.push_back("Frames against " + m_Options.againstDirectory + " (tolerance " +
                         std::to_string(m_Options.tolerance) + "): " +
                         (framesEqual ? "all within" : "some differ") + ", " +
                         std::to_string(m_SavedFrames.size()) + " compared");
        equal &= framesEqual;
    }

    std::ofstream report(Output("differences.txt"));
    for (const std::string& line : header) {
        report << line << '\n';
        std::printf("%s\n", line.c_str());
    }
    for (const std::string& line : m_Report) report << line << '\n';
    report.close();
    const bool written = !report.fail() && m_Statistics.WriteCsv(Output("stats.csv"));
    std::printf("%s", m_Statistics.Summary().c_str());
    std::printf("Frames: %zu saved in %s; statistics %s; report %s\n", m_SavedFrames.size(),
                Output(kFramesDirectory).c_str(), Output("stats.csv").c_str(),
                Output("differences.txt").c_str());
    return equal && written ? 0 : 1;
}

}  // namespace orvreplay

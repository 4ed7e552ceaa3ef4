#include "FaultSweep.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "FaultPolicy.h"
#include "support/Sanitizers.h"

#if ORV_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
#endif

namespace orvsweep {

namespace {

// The last line a child writes: what comes before it is its whole report.
constexpr char kReportEnd[] = "#end";
// A child that runs longer is stopped (SIGALRM) and counted as crashed: a
// run takes well under a second, sanitized.
constexpr unsigned kChildSeconds = 120;

// What a child process reported, or that it did not.
struct ChildReport {
    bool finished = false;  // wrote its whole report and exited normally
    std::string text;
    std::string ending;     // how it ended when it did not finish
};

// Runs `body` in a child process; its result is the child's report.
ChildReport RunInChild(const std::function<std::string()>& body) {
    ChildReport report;
    int channel[2];
    if (pipe(channel) != 0) {
        report.ending = "no pipe";
        return report;
    }
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        alarm(kChildSeconds);
        const std::string text = body() + kReportEnd + "\n";
        for (size_t written = 0; written < text.size();) {
            const ssize_t n = write(channel[1], text.data() + written, text.size() - written);
            if (n <= 0) break;
            written += static_cast<size_t>(n);
        }
        close(channel[1]);
        // No destructors, exit handlers or leak report of the parent's objects.
        _exit(0);
    }
    close(channel[1]);
    if (child < 0) {
        close(channel[0]);
        report.ending = "no child process";
        return report;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.text.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const std::string end = std::string(kReportEnd) + "\n";
    const bool complete = report.text.size() >= end.size() &&
                          report.text.compare(report.text.size() - end.size(), end.size(), end) == 0;
    report.finished = complete && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (complete) report.text.resize(report.text.size() - end.size());
    if (WIFSIGNALED(status))
        report.ending = "signal " + std::to_string(WTERMSIG(status));
    else if (WIFEXITED(status))
        report.ending = "exit status " + std::to_string(WEXITSTATUS(status));
    return report;
}

// Lines of `lines` from `from` on containing `text`.
bool LoggedSince(const std::vector<std::string>& lines, size_t from, const std::string& text) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return true;
    return false;
}

std::string Listed(const char* heading, const std::vector<std::string>& items) {
    std::string text = heading;
    for (const std::string& item : items) text += "\n    " + item;
    return text + "\n";
}

// What is wrong at the end of a session: objects alive after the driver went,
// lines missing from the log since line `from`.
unsigned CheckEnd(const HostScenario& scenario, size_t gdiBaseline, size_t from,
                  const std::vector<std::string>& expectedLines, std::string* details) {
    unsigned findings = 0;
    if (orvd3d8::LiveObjectCount() != 0) {
        findings |= kDirect3DAlive;
        *details += Listed("Direct3D objects alive:", orvd3d8::LiveObjectDescriptions());
    }
    if (orvplatform::LiveGdiObjectCount() != gdiBaseline) {
        findings |= kGdiAlive;
        *details += Listed("GDI objects alive:", orvplatform::LiveGdiObjectDescriptions());
    }
    for (const std::string& line : expectedLines)
        if (!LoggedSince(scenario.Lines(), from, line)) {
            findings |= kLineMissing;
            *details += "line missing from the log: \"" + line + "\"\n";
        }
    return findings;
}

constexpr bool kCanCheckLeaks = ORV_ADDRESS_SANITIZER;

// True when the leak checker of a sanitized build finds memory that nothing
// refers to any more (it prints what and where); false elsewhere. Run in the
// middle of the program, it must not count what fontconfig caches for as
// long as it is loaded: see the suppression below.
bool HeapLeaked() {
#if ORV_ADDRESS_SANITIZER
    return __lsan_do_recoverable_leak_check() != 0;
#else
    return false;
#endif
}

// Lines of a failure, which a session without failures must not log.
std::string FailureLines(const std::vector<std::string>& lines) {
    constexpr const char* kFailureWords[] = {"fail", "Fail", "error", "Error"};
    std::string found;
    for (const std::string& line : lines)
        for (const char* word : kFailureWords)
            if (line.find(word) != std::string::npos) {
                found += "logged: " + line + "\n";
                break;
            }
    return found;
}

}  // namespace

#if ORV_ADDRESS_SANITIZER
// fontconfig refers to its caches by offsets the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

Recording RecordSession(const ScenarioFiles& files) {
    const auto& session = HostScenario::Session();
    const ChildReport child = RunInChild([&files, &session] {
        const size_t gdiBaseline = orvplatform::LiveGdiObjectCount();
        std::string text;
        {
            HostScenario scenario(files);
            orvplatform::EnableJournal(true);
            orvplatform::ClearJournal();
            for (size_t step = 0; step < session.size(); ++step) {
                scenario.Run(session[step]);
                for (const orvplatform::Call& call : orvplatform::Journal())
                    text += std::to_string(step) + "\t" + call.api + "\n";
                orvplatform::ClearJournal();
            }
            std::string details;
            CheckEnd(scenario, gdiBaseline, 0, {}, &details);
            details += FailureLines(scenario.Lines());
            if (HeapLeaked()) details += "memory leaked\n";
            std::istringstream lines(details);
            for (std::string line; std::getline(lines, line);) text += "!\t" + line + "\n";
        }
        return text;
    });
    Recording recording;
    recording.stepCalls.resize(session.size());
    if (!child.finished) {
        recording.problems = "the session without failures did not finish (" + child.ending + ")\n";
        return recording;
    }
    std::map<std::pair<size_t, std::string>, unsigned> occurrences;
    std::istringstream lines(child.text);
    for (std::string line; std::getline(lines, line);) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        if (line.compare(0, tab, "!") == 0) {
            recording.problems += line.substr(tab + 1) + "\n";
            continue;
        }
        RecordedCall call;
        call.step = std::strtoul(line.c_str(), nullptr, 10);
        call.api = line.substr(tab + 1);
        if (call.step >= session.size()) continue;
        call.occurrence = ++occurrences[{call.step, call.api}];
        recording.stepCalls[call.step].push_back(call.api);
        recording.calls.push_back(call);
    }
    return recording;
}

bool Swept(const RecordedCall& call, Coverage coverage) {
    return coverage == Coverage::kEveryCall || FirstOfItsKind(call.api, call.occurrence);
}

SweepResult SweepSession(const ScenarioFiles& files, const Recording& recording, Coverage coverage,
                         unsigned shard, unsigned shards) {
    const auto& session = HostScenario::Session();
    SweepResult result;
    result.recorded = recording.calls.size();
    const size_t gdiBaseline = orvplatform::LiveGdiObjectCount();
    HostScenario scenario(files);
    orvplatform::EnableJournal(true);
    orvplatform::ClearJournal();
    size_t next = 0;  // the first recorded call of the current step
    size_t taken = 0;  // the calls failed so far in any shard: they are dealt out in turn
    for (size_t step = 0; step < session.size(); ++step) {
        for (; next < recording.calls.size() && recording.calls[next].step == step; ++next) {
            const RecordedCall& call = recording.calls[next];
            if (!Swept(call, coverage)) {
                ++result.repeatsLeft;
                continue;
            }
            const InjectedFailure failure = FailureOf(call.api);
            if (!failure.possible) {
                ++result.notFailable;
                continue;
            }
            if (taken++ % shards != shard) continue;
            const std::vector<std::string> expected =
                ExpectedLines(session[step].name, call.api, call.occurrence);
            const bool leakCheck = kCanCheckLeaks && FirstOfItsKind(call.api, call.occurrence);
            result.leakChecked += leakCheck;
            const ChildReport child = RunInChild([&] {
                orvplatform::EnableJournal(false);
                orvplatform::ClearJournal();
                orvplatform::ClearFailures();
                orvplatform::FailNthCall(call.api, call.occurrence, failure.result);
                const size_t from = scenario.Lines().size();
                for (size_t rest = step; rest < session.size(); ++rest) scenario.Run(session[rest]);
                std::string details;
                unsigned findings = CheckEnd(scenario, gdiBaseline, from, expected, &details);
                if (orvplatform::InjectedCallCount() != 1) findings |= kNotInjected;
                if (leakCheck && HeapLeaked()) findings |= kHeapLeaked;
                return std::to_string(findings) + "\n" + details;
            });
            unsigned findings = kCrashed;
            std::string details = child.ending;
            if (child.finished) {
                const size_t newline = child.text.find('\n');
                findings = static_cast<unsigned>(std::strtoul(child.text.c_str(), nullptr, 10));
                details = newline == std::string::npos ? "" : child.text.substr(newline + 1);
            }
            SweepCounts& counts = result.byApi[call.api];
            ++result.swept, ++counts.swept;
            ++(findings ? counts.faulty : counts.clean);
            if (findings) result.faulty.push_back({call, findings, details});
        }
        scenario.Run(session[step]);
        std::vector<std::string> made;
        for (const orvplatform::Call& call : orvplatform::Journal()) made.push_back(call.api);
        orvplatform::ClearJournal();
        if (made != recording.stepCalls[step] && result.divergence.empty())
            result.divergence = std::string("step \"") + session[step].name + "\" (" +
                                std::to_string(step) + ") made " + std::to_string(made.size()) +
                                " calls where the recording has " +
                                std::to_string(recording.stepCalls[step].size());
    }
    return result;
}

std::string DescribeFindings(unsigned findings) {
    const std::pair<unsigned, const char*> names[] = {
        {kCrashed, "crashed"},
        {kDirect3DAlive, "Direct3D objects alive"},
        {kGdiAlive, "GDI objects alive"},
        {kLineMissing, "log line missing"},
        {kNotInjected, "call not reached"},
        {kHeapLeaked, "memory leaked"},
    };
    std::string text;
    for (const auto& [bit, name] : names)
        if (findings & bit) text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

}  // namespace orvsweep

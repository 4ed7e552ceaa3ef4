// Platform calls of a full host session failed in turn: no crash, nothing
// alive once the driver is destroyed, and the log line the operation's
// contract gives for the failure. The tests fail every creation and the first
// call of each kind in each step; with ORV_SWEEP_EVERY_CALL=1 in the
// environment (`make sweep`) every call. The calls are split into shards, one
// test each, so that ctest runs them side by side.
//
// The stand-in is deterministic, so a failing run starts from the step that
// makes its call: the session runs step by step in this process, and before
// each step a child process records the calls the step makes, then one child
// per call of the step fails that call, runs the rest of the session,
// destroys the driver and reports what it finds. A child that crashes takes
// only itself down.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "FaultPolicy.h"
#include "HostScenario.h"
#include "support/Sanitizers.h"
#include "support/TestFiles.h"

#if ORV_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
// fontconfig refers to its caches by offsets the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace {

using orvsweep::HostScenario;

constexpr unsigned kShards = 4;
// Faulty runs whose details are printed in full; the rest in one line.
constexpr size_t kDetailedRuns = 12;
// A child that runs longer is stopped (SIGALRM) and counted as crashed: a
// run takes well under a second, sanitized.
constexpr unsigned kChildSeconds = 120;
// The exit status of a child that wrote its whole report.
constexpr int kReported = 42;
constexpr bool kCanCheckLeaks = ORV_ADDRESS_SANITIZER;

struct ChildReport {
    bool finished = false;  // wrote its whole report and exited
    std::string text;       // the report, or how the child ended without one
};

ChildReport RunInChild(const std::function<std::string()>& body) {
    int channel[2];
    if (pipe(channel) != 0) return {false, "no pipe"};
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        alarm(kChildSeconds);
        const std::string text = body();
        std::FILE* out = fdopen(channel[1], "w");
        const bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
        // No destructors, exit handlers or leak report of the parent's objects.
        _exit(out && std::fclose(out) == 0 && written ? kReported : EXIT_FAILURE);
    }
    close(channel[1]);
    ChildReport report;
    char buffer[4096];
    for (ssize_t n; child > 0 && (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.text.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return {false, "no child process"};
    report.finished = WIFEXITED(status) && WEXITSTATUS(status) == kReported;
    if (WIFSIGNALED(status))
        report.text = "signal " + std::to_string(WTERMSIG(status));
    else if (!report.finished)
        report.text = "exit status " + std::to_string(WEXITSTATUS(status));
    return report;
}

// What is wrong at the end of a session: objects alive after the driver went,
// lines of `expected` missing from the log since line `from`.
std::string EndProblems(const HostScenario& scenario, size_t gdiBaseline, size_t from,
                        const std::vector<std::string>& expected) {
    std::string problems;
    const auto list = [&problems](const char* heading, const std::vector<std::string>& items) {
        problems += heading;
        for (const std::string& item : items) problems += "\n    " + item;
        problems += "\n";
    };
    if (orvd3d8::LiveObjectCount() != 0) list("Direct3D objects alive:", orvd3d8::LiveObjectDescriptions());
    if (orvplatform::LiveGdiObjectCount() != gdiBaseline)
        list("GDI objects alive:", orvplatform::LiveGdiObjectDescriptions());
    const std::vector<std::string>& lines = scenario.Lines();
    for (const std::string& line : expected)
        if (std::none_of(lines.begin() + from, lines.end(),
                         [&line](const std::string& logged) { return logged.find(line) != std::string::npos; }))
            problems += "line missing from the log: \"" + line + "\"\n";
    return problems;
}

// True when the leak checker of a sanitized build finds memory that nothing
// refers to any more (it prints what and where); false elsewhere.
bool HeapLeaked() {
#if ORV_ADDRESS_SANITIZER
    return __lsan_do_recoverable_leak_check() != 0;
#else
    return false;
#endif
}

// Lines of a failure, which a session without failures must not log.
std::string FailureLines(const std::vector<std::string>& lines) {
    std::string found;
    for (const std::string& line : lines)
        for (const char* word : {"fail", "Fail", "error", "Error"})
            if (line.find(word) != std::string::npos) {
                found += "logged: " + line + "\n";
                break;
            }
    return found;
}

class FaultSweep : public ::testing::TestWithParam<unsigned> {};

TEST_P(FaultSweep, EveryFailingCallLeavesNothingAliveAndLogsItsLine) {
    const char* every = std::getenv("ORV_SWEEP_EVERY_CALL");
    const bool everyCall = every && std::strcmp(every, "1") == 0;
    const auto start = std::chrono::steady_clock::now();
    orvplatform::ResetAll();
    // What is drawn is not what this is about; the draws are checked and
    // recorded all the same.
    orvd3d8::EnableRasterizer(false);
    const size_t gdiBaseline = orvplatform::LiveGdiObjectCount();
    const std::vector<HostScenario::Step>& session = HostScenario::Session();
    // Calls recorded, those that cannot fail and those the coverage leaves
    // alone (in every shard alike), calls failed here, and runs that also
    // looked for leaked memory.
    size_t recorded = 0, notFailable = 0, repeatsLeft = 0, swept = 0, leakChecked = 0, faulty = 0;
    size_t dealt = 0;  // the calls failed so far in any shard: they are dealt out in turn
    std::vector<bool> asked;  // the rows of the log-line table some failed call asks for
    HostScenario scenario(orvtest::TempDir() + "/screenshot.bmp");
    orvplatform::EnableJournal(false);
    for (size_t step = 0; step < session.size(); ++step) {
        const ChildReport calls = RunInChild([&scenario, &session, step] {
            orvplatform::EnableJournal(true);
            orvplatform::ClearJournal();
            scenario.Run(session[step]);
            std::string apis;
            for (const orvplatform::Call& call : orvplatform::Journal()) apis += call.api + "\n";
            return apis;
        });
        ASSERT_TRUE(calls.finished) << "step \"" << session[step].name << "\" without failures: " << calls.text;
        std::map<std::string, unsigned> occurrences;
        std::istringstream apis(calls.text);
        for (std::string api; std::getline(apis, api); ++recorded) {
            const unsigned occurrence = ++occurrences[api];
            const bool first = orvsweep::FirstOfItsKind(api, occurrence);
            if (!everyCall && !first) {
                ++repeatsLeft;
                continue;
            }
            const std::vector<std::string> expected =
                orvsweep::ExpectedLines(session[step].name, api, occurrence, asked);
            const HRESULT failure = orvsweep::FailureOf(api);
            if (failure == S_OK) {
                ++notFailable;
                continue;
            }
            if (dealt++ % kShards != GetParam()) continue;
            const bool leakCheck = kCanCheckLeaks && first;
            ++swept, leakChecked += leakCheck;
            const ChildReport run = RunInChild([&] {
                orvplatform::ClearFailures();
                orvplatform::FailNthCall(api, occurrence, failure);
                const size_t from = scenario.Lines().size();
                for (size_t rest = step; rest < session.size(); ++rest) scenario.Run(session[rest]);
                std::string problems = EndProblems(scenario, gdiBaseline, from, expected);
                if (orvplatform::InjectedCallCount() != 1) problems += "call not reached: the run took another path\n";
                if (leakCheck && HeapLeaked()) problems += "memory leaked\n";
                return problems;
            });
            if (run.finished && run.text.empty()) continue;
            const std::string report = run.finished ? run.text : "crashed (" + run.text + ")";
            ADD_FAILURE() << "\"" << api << "\" call " << occurrence << " of step \"" << session[step].name
                          << "\": " << (faulty++ < kDetailedRuns ? report : report.substr(0, report.find('\n')));
        }
        scenario.Run(session[step]);
    }
    EXPECT_EQ(EndProblems(scenario, gdiBaseline, 0, {}) + FailureLines(scenario.Lines()) +
                  (HeapLeaked() ? "memory leaked\n" : ""),
              "")
        << "the session without failures";
    EXPECT_EQ(orvsweep::RowsNeverAsked(asked), std::vector<std::string>{})
        << "rows of the log-line table that check nothing";
    EXPECT_GT(swept, 0u);
    std::printf("Shard %u of %u (%s): %zu platform calls recorded, %zu that cannot fail and %zu "
                "later calls of a kind in their step left alone; %zu failed here in turn (%zu of "
                "those runs also checked for leaked memory), in %.1f s\n",
                GetParam() + 1, kShards, everyCall ? "every call" : "first call of each kind", recorded,
                notFailable, repeatsLeft, swept, leakChecked,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

INSTANTIATE_TEST_SUITE_P(Shard, FaultSweep, ::testing::Range(0u, kShards));

}  // namespace

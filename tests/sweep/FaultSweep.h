// The fault sweep: the host session runs once to record its platform calls,
// then once for every recorded call with that call failing as a real runtime
// fails it. The stand-in is deterministic, so a failing run starts from the
// step that makes its call: the session runs step by step in this process,
// and before each step a child process is forked per call of that step; the
// child fails the call, runs the rest of the session, destroys the driver
// and reports what it finds (see Finding). A child that crashes takes only
// itself down.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "HostScenario.h"

namespace orvsweep {

struct RecordedCall {
    std::string api;
    size_t step = 0;          // in HostScenario::Session()
    unsigned occurrence = 0;  // among the calls of `api` within the step, from 1
};

struct Recording {
    std::vector<RecordedCall> calls;
    std::vector<std::vector<std::string>> stepCalls;  // the apis each step called, in order
    std::string problems;  // what was wrong with the run without failures
};

// The session without failures, in a child process.
Recording RecordSession(const ScenarioFiles& files);

struct SweepCounts {
    size_t swept = 0, clean = 0, faulty = 0;
};

struct FaultyRun {
    RecordedCall call;
    unsigned findings = 0;
    std::string details;
};

struct SweepResult {
    // Recorded calls, those that cannot fail and those the coverage leaves
    // alone, in every shard alike.
    size_t recorded = 0, notFailable = 0, repeatsLeft = 0;
    size_t leakChecked = 0;  // runs that also looked for leaked memory
    size_t swept = 0;
    std::map<std::string, SweepCounts> byApi;
    std::vector<FaultyRun> faulty;
    std::string divergence;  // where this process's run left the recording
};

// Which calls a sweep fails: every one, or the first of each kind in each
// step and every creation (FirstOfItsKind).
enum class Coverage { kEveryCall, kFirstOfEachKind };

// Whether the sweep fails `call` at all.
bool Swept(const RecordedCall& call, Coverage coverage);

// Fails the recorded calls `coverage` takes, those of them whose index
// modulo `shards` is `shard`.
SweepResult SweepSession(const ScenarioFiles& files, const Recording& recording, Coverage coverage,
                         unsigned shard, unsigned shards);

// Findings as words ("crashed, GDI objects alive").
std::string DescribeFindings(unsigned findings);

}  // namespace orvsweep

// What the fault sweep makes each platform call return, and what it expects
// of the plug-in afterwards: the log lines the operations' contracts give
// for the failure.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orvsweep {

// The failure a real runtime gives for a call of this kind: creations run out
// of memory, Present and Reset find the device lost, other Direct3D calls are
// invalid; Win32 and GDI calls return their null handle or FALSE with the
// last error set (out of memory for creations, a bad parameter otherwise).
// Calls that have no way to fail (counts, pure arithmetic, the message queue
// of the headless desktop, releases of handles the caller owns) are not
// failed.
struct InjectedFailure {
    bool possible = false;
    HRESULT result = 0;
};
InjectedFailure FailureOf(const std::string& api);

// Whether the `occurrence`-th call of `api` in its step stands for every call
// of its kind there: the first call of each operation in a step, and every
// creation. Later calls of one operation in a step (a loop over glyphs,
// states or texture levels) take the same path, so the sweep of the tests
// fails only these; the sweep of every call still looks for leaked memory
// only in these runs (the check costs more than the run).
bool FirstOfItsKind(const std::string& api, unsigned occurrence);

// Lines that must be logged when the `occurrence`-th call (from 1) of `api`
// within `step` fails: all of them, each as a substring of some line.
std::vector<std::string> ExpectedLines(const std::string& step, const std::string& api,
                                       unsigned occurrence);

// One call as ExpectedLines sees it.
struct CallSite {
    std::string step, api;
    unsigned occurrence = 0;
};
// The expected lines no call of `calls` asks for: a row of the table that
// names a step or a call the session does not make, and so checks nothing.
std::vector<std::string> LinesNeverExpected(const std::vector<CallSite>& calls);

// What a run found wrong.
enum Finding : unsigned {
    kCrashed = 1,         // the run ended by a signal or without reporting
    kDirect3DAlive = 2,   // Direct3D objects alive after the driver was destroyed
    kGdiAlive = 4,        // GDI objects alive after the driver was destroyed
    kLineMissing = 8,     // a log line the failure calls for is missing
    kNotInjected = 16,    // the call did not happen: the run took another path
    kHeapLeaked = 32,     // memory no longer referenced (leak check of sanitized builds)
};

}  // namespace orvsweep

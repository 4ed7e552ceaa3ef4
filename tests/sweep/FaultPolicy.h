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
// S_OK for calls that have no way to fail (counts, pure arithmetic, the
// message queue of the headless desktop, releases of handles the caller
// owns): they are not failed.
HRESULT FailureOf(const std::string& api);

// Whether the `occurrence`-th call of `api` in its step stands for every call
// of its kind there: the first call of each operation in a step, and every
// creation. Later calls of one operation in a step (a loop over glyphs,
// states or texture levels) take the same path, so the sweep of the tests
// fails only these; the sweep of every call still looks for leaked memory
// only in these runs (the check costs more than the run).
bool FirstOfItsKind(const std::string& api, unsigned occurrence);

// Lines that must be logged when the `occurrence`-th call (from 1) of `api`
// within `step` fails: all of them, each as a substring of some line. The
// rows of the table that gave them are marked in `asked`.
std::vector<std::string> ExpectedLines(const std::string& step, const std::string& api, unsigned occurrence,
                                       std::vector<bool>& asked);
// The rows `asked` does not mark: rows that name a step or a call the
// session does not make, and so check nothing.
std::vector<std::string> RowsNeverAsked(const std::vector<bool>& asked);

}  // namespace orvsweep

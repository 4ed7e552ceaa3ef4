// Journal, failure injection, clock and reset hooks shared by every stand-in.
#include <orv/PlatformControl.h>

#include <chrono>
#include <map>

namespace orvplatform {
namespace {

struct Failure {
    unsigned remaining;  // calls to let through before failing; ignored when `always`
    bool always;
    HRESULT result;
};

struct CoreState {
    std::vector<Call> journal;
    bool journalEnabled = true;
    std::multimap<std::string, Failure> failures;
    size_t injectedCalls = 0;
    bool realClock = true;
    uint32_t fixedTicks = 0;
    std::vector<void (*)()> resetHooks;
    std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
};

CoreState& State() {
    static CoreState state;
    return state;
}

}  // namespace

const std::vector<Call>& Journal() { return State().journal; }
void ClearJournal() { State().journal.clear(); }
void EnableJournal(bool enable) { State().journalEnabled = enable; }

std::vector<Call> CallsOf(const std::string& api) {
    std::vector<Call> calls;
    for (const Call& call : State().journal)
        if (call.api == api) calls.push_back(call);
    return calls;
}

size_t CountOf(const std::string& api) {
    size_t count = 0;
    for (const Call& call : State().journal) count += call.api == api;
    return count;
}

std::vector<Call> CallsOfAny(const std::vector<std::string>& apis) {
    std::vector<Call> calls;
    for (const Call& call : State().journal)
        for (const std::string& api : apis)
            if (call.api == api) {
                calls.push_back(call);
                break;
            }
    return calls;
}

void FailNthCall(const std::string& api, unsigned n, HRESULT result) {
    State().failures.insert({api, Failure{n == 0 ? 0 : n - 1, false, result}});
}

void FailEveryCall(const std::string& api, HRESULT result) {
    State().failures.insert({api, Failure{0, true, result}});
}

void ClearFailures() {
    State().failures.clear();
    State().injectedCalls = 0;
}

size_t InjectedCallCount() { return State().injectedCalls; }

void SetTickCount(uint32_t ticks) {
    State().realClock = false;
    State().fixedTicks = ticks;
}

void AdvanceTickCount(uint32_t milliseconds) {
    CoreState& state = State();
    if (state.realClock) {
        state.fixedTicks = ::GetTickCount();
        state.realClock = false;
    }
    state.fixedTicks += milliseconds;
}

void UseRealClock() { State().realClock = true; }

void RegisterResetHook(void (*hook)()) { State().resetHooks.push_back(hook); }

void ResetAll() {
    CoreState& state = State();
    state.journal.clear();
    state.journalEnabled = true;
    state.failures.clear();
    state.injectedCalls = 0;
    state.realClock = true;
    for (auto hook : state.resetHooks) hook();
    // The hooks may have made calls of their own; start from an empty journal.
    state.journal.clear();
}

CallScope::CallScope(const char* api, std::initializer_list<uint64_t> args)
    : m_Index(static_cast<size_t>(-1)), m_Injected(false), m_InjectedResult(0) {
    CoreState& state = State();
    // Every pending failure of this operation counts the call; the first one
    // that is due (or fails every call) decides the result.
    auto range = state.failures.equal_range(api);
    for (auto it = range.first; it != range.second;) {
        Failure& failure = it->second;
        bool due = failure.always || failure.remaining == 0;
        if (due && !m_Injected) {
            m_Injected = true;
            m_InjectedResult = failure.result;
        }
        if (!failure.always && failure.remaining == 0) {
            it = state.failures.erase(it);
            continue;
        }
        if (!failure.always) --failure.remaining;
        ++it;
    }
    state.injectedCalls += m_Injected;
    if (state.journalEnabled) {
        m_Index = state.journal.size();
        state.journal.push_back(Call{api, std::vector<uint64_t>(args), m_InjectedResult, m_Injected});
    }
}

HRESULT CallScope::Finish(HRESULT result) {
    CoreState& state = State();
    if (m_Index < state.journal.size()) state.journal[m_Index].result = result;
    return result;
}

}  // namespace orvplatform

extern "C" DWORD WINAPI GetTickCount(void) {
    auto& state = orvplatform::State();
    if (!state.realClock) return state.fixedTicks;
    auto elapsed = std::chrono::steady_clock::now() - state.origin;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

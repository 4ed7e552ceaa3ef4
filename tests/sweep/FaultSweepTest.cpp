// Platform calls of a full host session failed in turn: no crash, nothing
// alive once the driver is destroyed, and the log line the operation's
// contract gives for the failure. The tests fail every creation and the first
// call of each kind in each step; with ORV_SWEEP_EVERY_CALL=1 in the
// environment (`make sweep`) every call. The calls are split into shards, one
// test each, so that ctest runs them side by side.
//
// The stand-in is deterministic, so a failing run starts from the step that
// makes its call: a child process records the calls each step of the session
// makes, then the session runs step by step in this process, and before each
// step one child per call of the step fails that call, runs the rest of the
// session, destroys the driver and reports what it finds. A child that
// crashes takes only itself down.
#include <gtest/gtest.h>

#include <d3d8.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "HostScenario.h"
#include "support/Sanitizers.h"
#include "support/TestFiles.h"

// True when the leak checker of a sanitized build finds memory that nothing
// refers to any more (it prints what and where); false elsewhere.
#if ORV_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
// fontconfig refers to its caches by offsets the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
static bool HeapLeaked() { return __lsan_do_recoverable_leak_check() != 0; }
// Runs `load` with the leak checker taking what it allocates as referred to.
static void LoadUnchecked(void (*load)()) {
    __lsan_disable();
    load();
    __lsan_enable();
}
#else
static bool HeapLeaked() { return false; }
static void LoadUnchecked(void (*load)()) { load(); }
#endif

namespace {

using orvsweep::HostScenario;

// The runs are dealt out to this many shards, which ctest runs side by side
// with the rest of the suite: each takes about ten seconds, sanitized.
constexpr unsigned kShards = 6;
// Faulty runs whose details are printed in full; the rest in one line.
constexpr size_t kDetailedRuns = 12;
// A child that runs longer is stopped (SIGALRM) and counted as crashed: a
// run takes well under a second, sanitized.
constexpr unsigned kChildSeconds = 120;
// The exit status of a child that wrote its whole report.
constexpr int kReported = 42;
constexpr bool kCanCheckLeaks = ORV_ADDRESS_SANITIZER;
constexpr HRESULT kWin32OutOfMemory = 8;        // ERROR_NOT_ENOUGH_MEMORY
constexpr HRESULT kWin32InvalidParameter = 87;  // ERROR_INVALID_PARAMETER

// Calls with no failure of their own, which the sweep does not fail: counts
// the adapter always knows, pure arithmetic, the desktop window, the empty
// message queue, window tests, and the releases of GDI and USER objects,
// which fail only for a handle that is not the caller's to release (the
// stand-in refuses those by itself, a selected bitmap for one).
constexpr const char* kCannotFail =
    "IDirect3D8::GetAdapterCount|IDirect3D8::GetAdapterModeCount|IDirect3DTexture8::GetLevelCount|MulDiv|"
    "GetDesktopWindow|PeekMessageA|IsWindow|IsWindowVisible|DeleteDC|DeleteObject|DestroyWindow|UnregisterClassA";

#define DEVICE "IDirect3DDevice8::"
// Steps that set a display: the debug font is made there, and a reset
// reloads the textures after it.
#define DISPLAY_STEPS "windowed SetDisplayMode|ResetDevice|full-screen SetDisplayMode"
// Steps whose operations load a texture file through the driver.
#define FILE_TEXTURE_STEPS "image file textures|ZAR texture|DXT ZAR texture|material file A|material from code"
#define VERTEX_BUFFER_DRAWS "draw material A|draw material B indexed|draw dynamic buffer"

// One log line a failing call must leave, as a substring of some line.
// `steps` and `apis` list names separated by '|'; `occurrence` 0 matches
// every call of an api in the step, n > 0 only its n-th, and a row for the
// very occurrence overrides the general ones of its step.
struct LineRule {
    const char *steps, *apis;
    unsigned occurrence;
    const char* line;
};
constexpr LineRule kLineRules[] = {
    {"CreatePlugin", "Direct3DCreate8", 0, "D3DDriver::Initialize: Failed to create a Direct3D object."},
    {"adapters and modes", "IDirect3D8::GetAdapterIdentifier", 0,
     "D3DDriver::Initialize: m_pDirect3D->GetAdapterIdentifier failed for adapter 0. (HR:D3DERR_INVALIDCALL)"},
    {DISPLAY_STEPS, "IDirect3D8::GetAdapterDisplayMode", 0,
     "D3DDriver::SetDisplayMode: m_pDirect3D->GetAdapterDisplayMode failed for adapter 0. (HR:D3DERR_INVALIDCALL)"},
    {DISPLAY_STEPS "|Clear", DEVICE "Clear", 0, "D3DDriver: Clear failed. (HR:D3DERR_INVALIDCALL)"},
    // The debug font's texture is the first texture a display makes; a
    // reset's later ones are the reloads.
    {DISPLAY_STEPS, DEVICE "CreateTexture", 1,
     "D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned E_OUTOFMEMORY"},
    {DISPLAY_STEPS, DEVICE "CreateTexture", 1, "Failed to create debug font."},
    {"ResetDevice", DEVICE "CreateTexture", 0, "D3DDriver::ResetDevice - Failed to reload texture."},
    {DISPLAY_STEPS "|make device objects", "CreateFontA", 0,
     "D3DFont::Initialize: CreateFont failed. GetLastError returned 8"},
    {DISPLAY_STEPS "|make device objects", "GetTextMetricsA", 0, "D3DFont::Create - GetTextMetrics failed. Code: 87"},
    {DISPLAY_STEPS, DEVICE "CreateVertexBuffer", 0,
     "D3DFont::CreateTheVertexBuffer: m_pd3dDevice->CreateVertexBuffer failed Returned E_OUTOFMEMORY"},
    {DISPLAY_STEPS, "CreateFontA|GetTextMetricsA|CreateCompatibleDC|CreateDIBSection|" DEVICE "CreateVertexBuffer", 0,
     "Failed to create debug font."},
    // The host's objects for a device: its font first, then a static and a
    // dynamic vertex buffer, then an index buffer.
    {"make device objects", DEVICE "CreateTexture", 0,
     "D3DFont::Initialize: m_pd3dDevice->CreateTexture failed Returned E_OUTOFMEMORY"},
    {"make device objects", DEVICE "CreateVertexBuffer", 1,
     "D3DFont::CreateTheVertexBuffer: m_pd3dDevice->CreateVertexBuffer failed Returned E_OUTOFMEMORY"},
    {"make device objects", DEVICE "CreateVertexBuffer", 0, "Failed to create D3D vertex buffer. (HR:E_OUTOFMEMORY)"},
    {"make device objects|draw dynamic buffer", "IDirect3DVertexBuffer8::Lock", 0,
     "Failed to lock vertex buffer (D3DERR_INVALIDCALL)"},
    {"make device objects", DEVICE "CreateIndexBuffer", 0, "Failed to create D3D index buffer. (HR:E_OUTOFMEMORY)"},
    {"make device objects", "IDirect3DIndexBuffer8::Lock", 0,
     "Failed to lock D3D index buffer. (HR:D3DERR_INVALIDCALL)"},
    // Textures.
    {FILE_TEXTURE_STEPS, DEVICE "CreateTexture", 0, "D3DDriver::CreateTextureFromFile: Failed to load "},
    {"material file A", DEVICE "CreateTexture", 0, "Failed to read material "},
    {"sequence texture", DEVICE "CreateTexture", 0, "Failed to load from "},
    {"sequence texture", DEVICE "CreateTexture", 0, "D3DDriver::CreateTextureFromFileSequence: Failed to load "},
    {"filled texture", DEVICE "CreateTexture", 0, "D3DDriver failed to create new 32x32 texture."},
    // Frames.
    {"BeginScene", DEVICE "BeginScene", 0, "D3DDriver: BeginScene failed (HR:D3DERR_INVALIDCALL)."},
    {VERTEX_BUFFER_DRAWS, DEVICE "DrawPrimitive", 0, "Failed to render D3D vertex buffer. (HR:D3DERR_INVALIDCALL)"},
    {"draw vertices|draw quads", DEVICE "DrawPrimitiveUP", 0,
     "Failed to render D3D verts using DrawPrimitiveUP. (HR:D3DERR_INVALIDCALL)"},
    {"EndScene", DEVICE "EndScene", 0, "D3DDriver: EndScene failed (HR:D3DERR_INVALIDCALL)."},
    {"EndScene", DEVICE "Present", 0, "D3DDriver: Present failed (HR:D3DERR_DEVICELOST)."},
    {"SaveScreenShot", DEVICE "GetFrontBuffer", 0, "SaveScreenShot: Failed to get front buffer (HR:D3DERR_INVALIDCALL)"},
};
#undef DEVICE
#undef DISPLAY_STEPS
#undef FILE_TEXTURE_STEPS
#undef VERTEX_BUFFER_DRAWS

// Whether `name` is one of the '|'-separated `names`.
bool Lists(const char* names, const std::string& name) {
    return ("|" + std::string(names) + "|").find("|" + name + "|") != std::string::npos;
}

// The operation's name without its interface.
std::string Operation(const std::string& api) { return api.substr(api.find_last_of(':') + 1); }

bool IsCreation(const std::string& api) {
    const std::string operation = Operation(api);
    return operation.rfind("Create", 0) == 0 || operation.rfind("Direct3DCreate", 0) == 0 ||
           operation == "RegisterClassExA";
}

// The failure a real runtime gives for a call of this kind: creations run out
// of memory, Present and Reset find the device lost, other Direct3D calls are
// invalid; Win32 and GDI calls return their null handle or FALSE with the
// last error set (out of memory for creations, a bad parameter otherwise).
// S_OK for the calls that cannot fail.
HRESULT FailureOf(const std::string& api) {
    if (Lists(kCannotFail, api)) return S_OK;
    if (api.rfind("IDirect3D", 0) != 0 && api.rfind("Direct3DCreate", 0) != 0)
        return IsCreation(api) ? kWin32OutOfMemory : kWin32InvalidParameter;
    if (IsCreation(api)) return E_OUTOFMEMORY;
    return Operation(api) == "Present" || Operation(api) == "Reset" ? D3DERR_DEVICELOST : D3DERR_INVALIDCALL;
}

// The lines that must be logged when the `occurrence`-th call (from 1) of
// `api` within `step` fails; the rows that gave them are marked in `asked`.
std::vector<std::string> ExpectedLines(const std::string& step, const std::string& api, unsigned occurrence,
                                       std::vector<bool>& asked) {
    const auto applies = [&](const LineRule& rule, unsigned n) {
        return rule.occurrence == n && Lists(rule.apis, api) && Lists(rule.steps, step);
    };
    const bool specific = std::any_of(std::begin(kLineRules), std::end(kLineRules),
                                      [&](const LineRule& rule) { return applies(rule, occurrence); });
    std::vector<std::string> lines;
    for (size_t row = 0; row < std::size(kLineRules); ++row)
        if (applies(kLineRules[row], specific ? occurrence : 0)) {
            lines.push_back(kLineRules[row].line);
            asked[row] = true;
        }
    return lines;
}

// `finished`: the child wrote its whole report and exited; `text`: the
// report, or how the child ended without one.
struct ChildReport { bool finished; std::string text; };

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
    ChildReport report{false, ""};
    char buffer[4096];
    for (ssize_t n; child > 0 && (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.text.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return {false, "no child process"};
    report.finished = WIFEXITED(status) && WEXITSTATUS(status) == kReported;
    if (!report.finished)
        report.text = WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                          : "exit status " + std::to_string(WEXITSTATUS(status));
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

// Lines of a failure, which a session without failures must not log.
std::string FailureLines(const std::vector<std::string>& lines) {
    std::string found;
    for (const std::string& line : lines)
        if (std::regex_search(line, std::regex("[Ff]ail|[Ee]rror"))) found += "logged: " + line + "\n";
    return found;
}

// The operations of the calls, in order.
std::vector<std::string> Apis(const std::vector<orvplatform::Call>& calls) {
    std::vector<std::string> apis;
    for (const orvplatform::Call& call : calls) apis.push_back(call.api);
    return apis;
}

// The operations each step of the session calls: a child runs the whole
// session from its start with the journal on. None, and in `problem` how the
// child ended, when it did not finish.
std::vector<std::vector<std::string>> RecordedCalls(HostScenario& scenario,
                                                    const std::vector<HostScenario::Step>& session,
                                                    std::string& problem) {
    const ChildReport recording = RunInChild([&scenario, &session] {
        orvplatform::EnableJournal(true);
        std::string apis;  // one a line, an empty line after each step
        for (const HostScenario::Step& step : session) {
            orvplatform::ClearJournal();
            scenario.Run(step);
            for (const std::string& api : Apis(orvplatform::Journal())) apis += api + "\n";
            apis += "\n";
        }
        return apis;
    });
    if (!recording.finished) {
        problem = recording.text;
        return {};
    }
    std::vector<std::vector<std::string>> calls(1);
    std::istringstream lines(recording.text);
    for (std::string api; std::getline(lines, api);) {
        if (api.empty())
            calls.emplace_back();
        else
            calls.back().push_back(api);
    }
    calls.pop_back();  // after the last step's empty line
    return calls;
}

class FaultSweep : public ::testing::TestWithParam<unsigned> {};

TEST_P(FaultSweep, EveryFailingCallLeavesNothingAliveAndLogsItsLine) {
    const char* every = std::getenv("ORV_SWEEP_EVERY_CALL");
    const bool everyCall = every && std::strcmp(every, "1") == 0;
    const auto start = std::chrono::steady_clock::now();
    // fontconfig's configuration and caches, which the stand-in's first font
    // loads, stay for the whole process: loaded here, they are neither found
    // by every run's leak check again nor suppressed there one by one (which
    // symbolizes their stacks, in an external process each time).
    LoadUnchecked([] { DeleteObject(CreateFontA(0, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial")); });
    // Nothing leaked before the runs; and the pages the leak checker reads
    // are mapped here once, not in every run's process.
    ASSERT_FALSE(HeapLeaked()) << "before the session";
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
    std::vector<bool> asked(std::size(kLineRules));  // the rows of the table some failed call asks for
    HostScenario scenario(orvtest::TempDir() + "/screenshot.bmp");
    orvplatform::EnableJournal(false);
    std::string problem;
    const std::vector<std::vector<std::string>> calls = RecordedCalls(scenario, session, problem);
    ASSERT_EQ(calls.size(), session.size()) << "the session without failures: " << problem;
    for (size_t step = 0; step < session.size(); ++step) {
        std::map<std::string, unsigned> occurrences;
        recorded += calls[step].size();
        for (const std::string& api : calls[step]) {
            const unsigned occurrence = ++occurrences[api];
            // The first call of each operation in a step, and every creation,
            // stand for every call of their kind there: later calls of one
            // operation in a step (a loop over glyphs, states or texture
            // levels) take the same path, so the tests fail only these, and
            // the sweep of every call looks for leaked memory only in these
            // runs (the check costs more than the run).
            const bool first = occurrence == 1 || IsCreation(api);
            if (!everyCall && !first) {
                ++repeatsLeft;
                continue;
            }
            const std::vector<std::string> expected = ExpectedLines(session[step].name, api, occurrence, asked);
            const HRESULT failure = FailureOf(api);
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
        // The runs started from where this step starts only if the step makes
        // the calls recorded.
        orvplatform::ClearJournal();
        orvplatform::EnableJournal(true);
        scenario.Run(session[step]);
        orvplatform::EnableJournal(false);
        ASSERT_EQ(Apis(orvplatform::Journal()), calls[step]) << "step \"" << session[step].name << "\"";
        orvplatform::ClearJournal();
    }
    EXPECT_EQ(EndProblems(scenario, gdiBaseline, 0, {}) + FailureLines(scenario.Lines()) +
                  (HeapLeaked() ? "memory leaked\n" : ""),
              "")
        << "the session without failures";
    // Rows that name a step or a call the session does not make check nothing.
    for (size_t row = 0; row < std::size(kLineRules); ++row)
        EXPECT_TRUE(asked[row]) << "the row for " << kLineRules[row].apis << " in " << kLineRules[row].steps
                                << " checks nothing: " << kLineRules[row].line;
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

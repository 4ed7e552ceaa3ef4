// Capture and replay of the demo host's scene (tools/orvhostScene) on the
// stand-in runtime, journal and rasteriser off:
// - recording overhead: a frame drawn through a recording driver against the
//   same frame through the plain driver, both live side by side;
// - replay speed: replaying the demo's 72-frame session from its capture
//   against drawing the same session live (its frames per second as a
//   counter);
// - size: the bytes of that capture against the bytes of the files the
//   session read plus 64 KiB (measured once; the goal is 1).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "capture/Player.h"
#include "capture/Recorder.h"
#include "host/File.h"
#include "host/FileSystem.h"
#include "host/Kernel.h"
#include "hostinput/HostInput.h"
#include "orvhostScene.h"
#include "support/InterleavedRatio.h"

extern "C" RenderDevice* CreatePlugin(Kernel* kernel);
extern "C" void SetHostInput(HostInput* input);

namespace {

constexpr int kDemoFrames = 72;
constexpr double kSizeAllowance = 64 * 1024;

std::string CapturePath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

// The files the session reads, counted once each by path, as they are
// opened through whichever input was in place before.
class CountingInput : public HostInput {
public:
    explicit CountingInput(HostInput& next) : m_Next(next) {}
    uint32_t TickCount() override { return m_Next.TickCount(); }
    File* OpenReading(Kernel* kernel, const char* path) override {
        File* file = m_Next.OpenReading(kernel, path);
        if (file && m_Paths.insert(path).second) m_Bytes += file->GetSize();
        return file;
    }
    double Bytes() const { return static_cast<double>(m_Bytes); }

private:
    HostInput& m_Next;
    std::set<std::string> m_Paths;
    uint64_t m_Bytes = 0;
};

// A driver on the demo's 640 x 480 window with the demo scene loaded from
// the example materials; recorded into `capturePath` unless it is empty.
class DemoSession {
public:
    explicit DemoSession(const std::string& capturePath) : m_Kernel(nullptr, false) {
        m_Kernel.m_pFileSystem->SetBaseDirectory(ORV_EXAMPLES_DIR);
        m_pDevice.reset(capturePath.empty()
                            ? CreatePlugin(&m_Kernel)
                            : orvcapture::CreateRecorded(&m_Kernel, capturePath.c_str(), &CreatePlugin));
        if (!m_pDevice || !m_pDevice->SetDisplayMode(640, 480, 32, 60, 0, true)) return;
        m_pScene = std::make_unique<orvhost::Scene>(m_pDevice.get(), kRendererVersion);
        if (!m_pScene->Load()) m_pScene.reset();
    }
    ~DemoSession() {
        m_pScene.reset();
        m_pDevice.reset();
    }
    explicit operator bool() const { return m_pScene != nullptr; }
    void DrawFrame() {
        m_pScene->DrawFrame(m_Frame, kDemoFrames);
        m_Frame = (m_Frame + 1) % kDemoFrames;
    }
    Kernel& GetKernel() { return m_Kernel; }

private:
    Kernel m_Kernel;
    std::unique_ptr<RenderDevice> m_pDevice;
    std::unique_ptr<orvhost::Scene> m_pScene;
    int m_Frame = 0;
};

void QuietStandIn() {
    orvplatform::ResetAll();
    orvplatform::EnableJournal(false);
    orvd3d8::EnableRasterizer(false);
}

// The whole demo session, from creating the driver to deleting it.
bool RunDemoSession(const std::string& capturePath) {
    DemoSession session(capturePath);
    if (!session) return false;
    for (int frame = 0; frame < kDemoFrames; ++frame) session.DrawFrame();
    return true;
}

void RecordingOverhead(benchmark::State& state) {
    QuietStandIn();
    const std::string path = CapturePath("orv-bench-overhead.orvcap");
    {
        DemoSession recorded(path), plain("");
        if (!recorded || !plain) {
            state.SkipWithError("the demo scene could not be loaded");
        } else {
            orvbench::MeasureRatio(state, [&] { recorded.DrawFrame(); }, [&] { plain.DrawFrame(); });
        }
    }
    std::remove(path.c_str());
    orvplatform::ResetAll();
}
BENCHMARK(RecordingOverhead);

void ReplayAgainstLive(benchmark::State& state) {
    QuietStandIn();
    const std::string path = CapturePath("orv-bench-replay.orvcap");
    if (!RunDemoSession(path)) {
        state.SkipWithError("the demo session could not be recorded");
        return;
    }
    Kernel kernel(nullptr, false);
    const orvcapture::PluginEntry entry{&CreatePlugin, &SetHostInput};
    const orvcapture::ReplayOptions options;
    std::string stopped;
    orvbench::MeasureRatio(
        state,
        [&] {
            // A player replays what it opened once: each replay opens the file again.
            orvcapture::Player player;
            const orvcapture::ReplayOutcome outcome =
                player.Open(path) ? player.Run(entry, &kernel, options) : orvcapture::ReplayOutcome{};
            if (outcome.reason != orvcapture::StopReason::End)
                stopped = outcome.message.empty() ? player.Error() : outcome.message;
        },
        [&] { RunDemoSession(""); });
    if (!stopped.empty()) state.SkipWithError(("the replay stopped early: " + stopped).c_str());
    const auto subject = state.counters.find("subject_ns");
    if (subject != state.counters.end() && subject->second.value > 0)
        state.counters["replay_fps"] = kDemoFrames * 1e9 / subject->second.value;
    std::remove(path.c_str());
    orvplatform::ResetAll();
}
BENCHMARK(ReplayAgainstLive)->MinTime(3.0);

void CaptureSizeAgainstFiles(benchmark::State& state) {
    QuietStandIn();
    const std::string path = CapturePath("orv-bench-size.orvcap");
    CountingInput counting(HostInput::Current());
    HostInput* previous = HostInput::Install(&counting);
    const bool recorded = RunDemoSession(path);
    HostInput::Install(previous);
    std::error_code error;
    const double captureBytes = static_cast<double>(std::filesystem::file_size(path, error));
    std::remove(path.c_str());
    orvplatform::ResetAll();
    if (!recorded || error || counting.Bytes() <= 0) {
        state.SkipWithError("the demo session could not be recorded, or read no file");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(captureBytes);
    const double ratio = captureBytes / (counting.Bytes() + kSizeAllowance);
    state.counters["ratio"] = ratio;
    state.counters["ratio_p25"] = ratio;
    state.counters["ratio_p75"] = ratio;
    state.counters["capture_bytes"] = captureBytes;
    state.counters["file_bytes"] = counting.Bytes();
}
BENCHMARK(CaptureSizeAgainstFiles)->Iterations(1);

}  // namespace

// Platform calls of a full host session failed in turn: no crash, nothing
// alive once the driver is destroyed, and the log line the operation's
// contract gives for the failure. The tests fail every creation and the first
// call of each kind in each step; with ORV_SWEEP_EVERY_CALL=1 in the
// environment (`make sweep`) every call. The calls are split into shards, one
// test each, so that ctest runs them side by side.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <orv/D3D8Control.h>
#include <orv/PlatformControl.h>

#include "FaultPolicy.h"
#include "FaultSweep.h"

namespace {

constexpr unsigned kShards = 4;
// Faulty runs whose details are printed in full; the rest are counted.
constexpr size_t kDetailedRuns = 12;

orvsweep::Coverage CoverageAsked() {
    const char* every = std::getenv("ORV_SWEEP_EVERY_CALL");
    return every && std::strcmp(every, "1") == 0 ? orvsweep::Coverage::kEveryCall
                                                 : orvsweep::Coverage::kFirstOfEachKind;
}

class FaultSweep : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override {
        orvplatform::ResetAll();
        // What is drawn is not what this is about; the draws are checked and
        // recorded all the same.
        orvd3d8::EnableRasterizer(false);
        m_Directory = std::string(ORV_TEST_OUTPUT_DIR) + "/p" + std::to_string(getpid());
        std::filesystem::create_directories(m_Directory);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_Directory, ignored);
    }
    std::string m_Directory;
};

TEST_P(FaultSweep, EveryFailingCallLeavesNothingAliveAndLogsItsLine) {
    const unsigned shard = GetParam();
    const orvsweep::Coverage coverage = CoverageAsked();
    const auto start = std::chrono::steady_clock::now();
    const orvsweep::ScenarioFiles files = orvsweep::WriteScenarioFiles(m_Directory);
    const orvsweep::Recording recording = orvsweep::RecordSession(files);
    ASSERT_EQ(recording.problems, "") << "the session without failures";
    ASSERT_FALSE(recording.calls.empty());
    // Each row of the table must be asked for by a call this sweep fails.
    std::vector<orvsweep::CallSite> sites;
    for (const orvsweep::RecordedCall& call : recording.calls)
        if (orvsweep::Swept(call, coverage))
            sites.push_back({orvsweep::HostScenario::Session()[call.step].name, call.api, call.occurrence});
    EXPECT_EQ(orvsweep::LinesNeverExpected(sites), std::vector<std::string>{})
        << "rows of the log-line table that check nothing";

    const orvsweep::SweepResult result =
        orvsweep::SweepSession(files, recording, coverage, shard, kShards);
    EXPECT_EQ(result.divergence, "") << "the session is not deterministic";

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Shard %u of %u (%s): %zu platform calls recorded, %zu that cannot fail and %zu "
                "later calls of a kind in their step left alone; %zu failed here in turn (%zu of "
                "those runs also checked for leaked memory), in %.1f s\n",
                shard + 1, kShards,
                coverage == orvsweep::Coverage::kEveryCall ? "every call" : "first call of each kind",
                result.recorded, result.notFailable, result.repeatsLeft, result.swept,
                result.leakChecked, seconds);
    std::printf("%-44s %7s %7s %7s\n", "by call", "swept", "clean", "faulty");
    for (const auto& [name, count] : result.byApi)
        std::printf("  %-42s %7zu %7zu %7zu\n", name.c_str(), count.swept, count.clean, count.faulty);

    for (size_t i = 0; i < result.faulty.size(); ++i) {
        const orvsweep::FaultyRun& run = result.faulty[i];
        const std::string where = "\"" + run.call.api + "\" call " +
                                  std::to_string(run.call.occurrence) + " of step \"" +
                                  orvsweep::HostScenario::Session()[run.call.step].name + "\"";
        if (i < kDetailedRuns)
            ADD_FAILURE() << where << ": " << orvsweep::DescribeFindings(run.findings) << "\n"
                          << run.details;
        else
            ADD_FAILURE() << where << ": " << orvsweep::DescribeFindings(run.findings);
    }
}

INSTANTIATE_TEST_SUITE_P(Shard, FaultSweep, ::testing::Range(0u, kShards));

}  // namespace

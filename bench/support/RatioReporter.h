// The console report of a benchmark program whose driver operations are each
// measured beside a reference in the same run: every Driver_<name> benchmark
// is paired with Bare_<name>, and their time ratios are printed at the end.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace orvbench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // Times only: the spread of repeated runs has no ratio.
        for (const Run& run : runs) {
            const std::string& aggregate = run.aggregate_name;
            if (!run.error_occurred &&
                (aggregate.empty() || aggregate == "mean" || aggregate == "median"))
                m_Times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, time] : m_Times) {
            if (name.rfind("Driver_", 0) != 0) continue;
            const auto bare = m_Times.find("Bare_" + name.substr(7));
            if (bare == m_Times.end() || bare->second <= 0.0) continue;
            std::printf("%-36s driver / reference = %.2fx\n", name.substr(7).c_str(),
                        time / bare->second);
        }
    }

private:
    std::map<std::string, double> m_Times;
};

// The body of such a program's main.
inline int RunWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace orvbench

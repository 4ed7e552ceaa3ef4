// The main of every benchmark program: Google Benchmark's console report,
// and each benchmark's "ratio" counter (see InterleavedRatio.h) appended to
// the file named by ORV_BENCH_RATIOS, one "name median p25 p75" line per
// ratio, for the summary `make bench` prints at its end (RatioSummary.cpp).
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class RatioCollector : public benchmark::ConsoleReporter {
public:
    explicit RatioCollector(const char* path) : m_pPath(path) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        if (!m_pPath || !*m_pPath) return;
        for (const Run& run : runs) {
            // Repeated benchmarks count by their median.
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred || !(single || run.aggregate_name == "median")) continue;
            const auto ratio = run.counters.find("ratio");
            if (ratio == run.counters.end()) continue;
            auto counter = [&](const char* name) {
                const auto found = run.counters.find(name);
                return found == run.counters.end() ? ratio->second.value : found->second.value;
            };
            FILE* file = std::fopen(m_pPath, "a");
            if (!file) continue;
            // Named by function and arguments, without the run's options.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            std::fprintf(file, "%s %.4f %.4f %.4f\n", name.c_str(), ratio->second.value,
                         counter("ratio_p25"), counter("ratio_p75"));
            std::fclose(file);
        }
    }

private:
    const char* m_pPath;
};

// Both sides of a ratio work on the calling thread, whose clock is what is
// measured. A reference library built with OpenMP (libsquish is) would spread
// its work over threads that clock does not see: it is kept to one.
void RunOpenMpOnOneThread() {
    using SetThreads = void (*)(int);
    if (void* symbol = dlsym(RTLD_DEFAULT, "omp_set_num_threads"))
        reinterpret_cast<SetThreads>(symbol)(1);
}

}  // namespace

int main(int argc, char** argv) {
    RunOpenMpOnOneThread();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioCollector reporter(std::getenv("ORV_BENCH_RATIOS"));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

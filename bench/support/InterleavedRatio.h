// The one way a benchmark here states a speed: the time of the work measured
// (the subject) over the time of the bare work it stands for (the
// reference), taken in the same loop on the same data. Each iteration of the
// benchmark's loop runs a short batch of subject calls and an equal batch of
// reference calls, in turns, each timed on the calling thread's processor
// clock. Which side goes first alternates, and each sample joins two
// consecutive iterations, one of each order: what the first batch leaves in
// the caches then helps both sides alike. The ratio reported is the median of
// the samples' ratios, with their quartiles as its spread. Whatever else the
// machine runs slows both sides of a sample alike, and the samples it slows
// unevenly fall outside the median.
//
// Counters: ratio, ratio_p25, ratio_p75, subject_ns and reference_ns (medians
// per call), batch (calls per batch). The program's reporter (BenchMain.cpp)
// collects every "ratio" for the summary of `make bench`.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orvbench {

// Processor seconds of the calling thread (user and kernel time): time the
// thread waits for a processor does not count.
inline double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The value below which `share` of the sorted values lie.
inline double Quantile(const std::vector<double>& sorted, double share) {
    if (sorted.empty()) return 0.0;
    const double at = share * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(at);
    const size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - static_cast<double>(below));
}

// A batch lasts about this long: long enough that reading the clock costs
// nothing, short enough that few batches share a time slice with another
// program.
constexpr double kBatchSeconds = 0.5e-3;

// Runs the benchmark's loop as described above. subject() and reference()
// each do one unit of work; they are called equally often.
template <typename Subject, typename Reference>
void MeasureRatio(benchmark::State& state, Subject&& subject, Reference&& reference) {
    auto timed = [](auto& work, size_t calls) {
        const double start = ThreadSeconds();
        for (size_t call = 0; call < calls; ++call) work();
        return ThreadSeconds() - start;
    };
    // Warm both sides alike, then size the batch by the slower side.
    timed(subject, 1);
    timed(reference, 1);
    size_t batch = 1;
    while (batch < (size_t{1} << 24)) {
        const double seconds = std::max(timed(subject, batch), timed(reference, batch));
        if (seconds >= kBatchSeconds) break;
        batch = seconds <= 0.0 ? batch * 8
                               : std::max(batch + 1, static_cast<size_t>(static_cast<double>(batch) *
                                                                        kBatchSeconds / seconds));
    }

    std::vector<double> ratios, subjectTimes, referenceTimes;
    bool subjectFirst = true;
    double subjectTime = 0, referenceTime = 0;  // of the sample being taken
    for (auto _ : state) {
        double subjectBatch = 0, referenceBatch = 0;
        if (subjectFirst) subjectBatch = timed(subject, batch);
        referenceBatch = timed(reference, batch);
        if (!subjectFirst) subjectBatch = timed(subject, batch);
        state.SetIterationTime(subjectBatch + referenceBatch);  // for benchmarks on manual time
        subjectTime += subjectBatch;
        referenceTime += referenceBatch;
        subjectFirst = !subjectFirst;
        if (!subjectFirst) continue;  // the sample's second order comes next
        if (referenceTime > 0.0) {
            ratios.push_back(subjectTime / referenceTime);
            subjectTimes.push_back(subjectTime / 2);
            referenceTimes.push_back(referenceTime / 2);
        }
        subjectTime = referenceTime = 0;
    }
    if (ratios.empty()) return;
    for (std::vector<double>* values : {&ratios, &subjectTimes, &referenceTimes})
        std::sort(values->begin(), values->end());
    const double perCall = 1e9 / static_cast<double>(batch);
    state.counters["ratio"] = Quantile(ratios, 0.5);
    state.counters["ratio_p25"] = Quantile(ratios, 0.25);
    state.counters["ratio_p75"] = Quantile(ratios, 0.75);
    state.counters["subject_ns"] = Quantile(subjectTimes, 0.5) * perCall;
    state.counters["reference_ns"] = Quantile(referenceTimes, 0.5) * perCall;
    state.counters["batch"] = static_cast<double>(batch);
}

}  // namespace orvbench

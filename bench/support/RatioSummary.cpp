// The table `make bench` ends with: every ratio the benchmark programs
// collected (the file named on the command line, lines "name median p25
// p75"), its goal from RatioGoals.h and whether its median meets it; goals
// no program measured are listed as such. A ratio the programs measured in
// several runs (`make bench` runs each program BENCH_RUNS times) is shown as
// the median of the runs' medians and quartiles: a run whose process drew an
// unlucky memory layout or a busy moment counts for no more than one. Exits
// with 0 whatever the figures.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/RatioGoals.h"

namespace {

struct Measured {
    std::string name;
    double median, low, high;
};

// The middle value (the mean of the two middle ones for an even count).
double Middle(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// One entry per ratio, in the order first measured, over all of its runs.
std::vector<Measured> AcrossRuns(const std::vector<Measured>& runs) {
    std::vector<Measured> ratios;
    for (const Measured& run : runs) {
        if (std::any_of(ratios.begin(), ratios.end(), [&](const Measured& m) { return m.name == run.name; }))
            continue;
        std::vector<double> medians, lows, highs;
        for (const Measured& same : runs)
            if (same.name == run.name) {
                medians.push_back(same.median);
                lows.push_back(same.low);
                highs.push_back(same.high);
            }
        ratios.push_back({run.name, Middle(medians), Middle(lows), Middle(highs)});
    }
    return ratios;
}

const orvbench::RatioGoal* GoalOf(const std::string& name) {
    for (const orvbench::RatioGoal& goal : orvbench::kRatioGoals)
        if (goal.name == name) return &goal;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Measured> runs;
    if (argc > 1) {
        std::ifstream file(argv[1]);
        std::string line;
        while (std::getline(file, line)) {
            std::istringstream fields(line);
            Measured ratio;
            if (fields >> ratio.name >> ratio.median >> ratio.low >> ratio.high) runs.push_back(ratio);
        }
    }
    const std::vector<Measured> ratios = AcrossRuns(runs);
    std::printf("\n%-36s %8s %17s %6s  %s\n", "ratio (subject / reference)", "median",
                "quartiles", "goal", "meets");
    unsigned met = 0, missed = 0;
    for (const Measured& ratio : ratios) {
        const orvbench::RatioGoal* goal = GoalOf(ratio.name);
        char bound[16] = "-";
        if (goal) std::snprintf(bound, sizeof bound, "%.2f", goal->most);
        const bool meets = goal && ratio.median <= goal->most;
        if (goal) ++(meets ? met : missed);
        std::printf("%-36s %8.3f   %6.3f - %6.3f %6s  %s\n", ratio.name.c_str(), ratio.median,
                    ratio.low, ratio.high, bound, !goal ? "" : meets ? "yes" : "NO");
    }
    for (const orvbench::RatioGoal& goal : orvbench::kRatioGoals) {
        bool measured = false;
        for (const Measured& ratio : ratios) measured = measured || ratio.name == goal.name;
        if (!measured)
            std::printf("%-36s %8s   %15s %6.2f  not measured\n", std::string(goal.name).c_str(),
                        "-", "", goal.most);
    }
    std::printf("%u of %u goals met\n", met, met + missed);
    return 0;
}

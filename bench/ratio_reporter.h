#pragma once
// Prints Google Benchmark's usual table, then each measured figure as a ratio against the
// baseline measured beside it in the same run (the medians, when run with repetitions).

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace lp::bench {

struct RatioLine {
    std::string label;    // what the ratio says
    std::string measured; // benchmark names as Google Benchmark prints them
    std::string baseline;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<RatioLine> lines);
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    std::vector<RatioLine> lines_;
    std::map<std::string, double> seconds_;
};

// Runs every registered benchmark with the reporter; the program's main.
int RunWithRatios(int argc, char** argv, std::vector<RatioLine> lines);

} // namespace lp::bench

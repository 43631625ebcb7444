#include "ratio_reporter.h"

#include <cstdio>

namespace lp::bench {

RatioReporter::RatioReporter(std::vector<RatioLine> lines) : lines_(std::move(lines)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    // With repetitions the median stands for the benchmark: a shared machine's hiccups fall out.
    for (const Run& run : runs) {
        if (run.error_occurred)
            continue;
        if (run.run_type == Run::RT_Iteration && run.repetitions <= 1)
            seconds_[run.run_name.str()] = run.GetAdjustedRealTime();
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            seconds_[run.run_name.str()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\nRatios (same run):\n");
    for (const RatioLine& line : lines_) {
        const auto measured = seconds_.find(line.measured);
        const auto baseline = seconds_.find(line.baseline);
        if (measured == seconds_.end() || baseline == seconds_.end() || baseline->second <= 0)
            continue;
        std::printf("  %-76s %7.3f x\n", line.label.c_str(), measured->second / baseline->second);
    }
}

int RunWithRatios(int argc, char** argv, std::vector<RatioLine> lines) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter(std::move(lines));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace lp::bench

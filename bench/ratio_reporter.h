// Console output of a benchmark run that also keeps each benchmark's real time per iteration,
// so a program can print its ratios against the peer measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace spx::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) nsPerOp_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // Nanoseconds per iteration of a benchmark (its full name), or 0 when it did not run.
    double ns(const std::string& name) const {
        auto it = nsPerOp_.find(name);
        return it == nsPerOp_.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> nsPerOp_;
};

}  // namespace spx::bench

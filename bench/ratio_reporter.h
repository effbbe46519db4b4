// A console reporter that, after the usual table, prints each goal as the ratio of two
// benchmarks' real times measured in the same run; with --benchmark_repetitions, of their medians.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

struct RatioGoal {
    const char *label;
    const char *ours;       // benchmark name measured
    const char *reference;  // benchmark name it is compared with
    double goal;            // ours / reference must stay at or below this
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<RatioGoal> goals) : goals_(std::move(goals)) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            double seconds = run.GetAdjustedRealTime() * Seconds(run.time_unit);
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") medians_[run.run_name.str()] = seconds;
            else if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto &median : medians_) times_[median.first] = median.second;
        for (const RatioGoal &g : goals_) {
            if (!times_.count(g.ours) || !times_.count(g.reference) || times_[g.reference] <= 0) continue;
            double ratio = times_[g.ours] / times_[g.reference];
            std::printf("%-44s %6.3f (goal <= %.3g) %s\n", g.label, ratio, g.goal, ratio <= g.goal ? "met" : "MISSED");
        }
    }

private:
    std::vector<RatioGoal> goals_;
    std::map<std::string, double> times_;
    std::map<std::string, double> medians_;

    static double Seconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kNanosecond: return 1e-9;
            case benchmark::kMicrosecond: return 1e-6;
            case benchmark::kMillisecond: return 1e-3;
            default: return 1.0;
        }
    }
};

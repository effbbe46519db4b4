// A console reporter that, after the usual table, prints each goal as the ratio of two
// benchmarks' real times measured in the same run.
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
        for (const Run &run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime() * Seconds(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const RatioGoal &g : goals_) {
            if (!times_.count(g.ours) || !times_.count(g.reference) || times_[g.reference] <= 0) continue;
            double ratio = times_[g.ours] / times_[g.reference];
            std::printf("%-44s %6.3f (goal <= %.3g) %s\n", g.label, ratio, g.goal, ratio <= g.goal ? "met" : "MISSED");
        }
    }

private:
    std::vector<RatioGoal> goals_;
    std::map<std::string, double> times_;

    static double Seconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kNanosecond: return 1e-9;
            case benchmark::kMicrosecond: return 1e-6;
            case benchmark::kMillisecond: return 1e-3;
            default: return 1.0;
        }
    }
};

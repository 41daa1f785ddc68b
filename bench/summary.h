// What a benchmark run measured, kept for the ratios printed after it: the best CPU time per
// iteration of each benchmark (over its repetitions), by name.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::bench {

// The console report as usual, and a record of each benchmark's best time.
class Summary : public benchmark::ConsoleReporter {
public:
    Summary() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override;
    // Seconds per iteration of the named benchmark; nothing if it did not run.
    std::optional<double> Seconds(const std::string& name) const;
    // A user counter of the named benchmark (of its best run); nothing if it did not run.
    std::optional<double> Counter(const std::string& name, const std::string& counter) const;

private:
    struct Best {
        double seconds;
        benchmark::UserCounters counters;
    };
    std::map<std::string, Best> best_;
};

// One line of the ratio table: what is compared, the ratio, and the most it may be.
struct Ratio {
    std::string what;
    std::optional<double> value;
    std::optional<double> target;  // the ratio must stay at or below this
};

// A ratio of two measurements, or nothing if either is missing.
std::optional<double> Divide(std::optional<double> numerator, std::optional<double> denominator);

// Prints the table; returns how many targets were missed.
int PrintRatios(const std::string& title, const std::vector<Ratio>& ratios);

// Milliseconds for the table, "-" for a missing figure.
std::string Ms(std::optional<double> seconds);

}  // namespace tarvik::bench

#include "bench/summary.h"

#include <cstdio>

namespace tarvik::bench {

// Keeps the fastest repetition (or the "min" aggregate): on a shared machine the least
// disturbed run is the best estimate of what the code itself costs.
void Summary::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "min") continue;
        const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        const std::string& name = run.run_name.function_name;
        const auto it = best_.find(name);
        if (it == best_.end() || seconds < it->second.seconds) best_[name] = {seconds, run.counters};
    }
}

std::optional<double> Summary::Seconds(const std::string& name) const {
    const auto it = best_.find(name);
    if (it == best_.end()) return std::nullopt;
    return it->second.seconds;
}

std::optional<double> Summary::Counter(const std::string& name, const std::string& counter) const {
    const auto it = best_.find(name);
    if (it == best_.end()) return std::nullopt;
    const auto c = it->second.counters.find(counter);
    if (c == it->second.counters.end()) return std::nullopt;
    return c->second.value;
}

std::optional<double> Divide(std::optional<double> numerator, std::optional<double> denominator) {
    if (!numerator || !denominator || *denominator <= 0) return std::nullopt;
    return *numerator / *denominator;
}

int PrintRatios(const std::string& title, const std::vector<Ratio>& ratios) {
    int missed = 0;
    std::printf("\n%s\n", title.c_str());
    std::printf("  %-58s %10s %10s  %s\n", "", "ratio", "target", "");
    for (const Ratio& r : ratios) {
        char value[32] = "-", target[32] = "";
        if (r.value) std::snprintf(value, sizeof value, "%.3fx", *r.value);
        if (r.target) std::snprintf(target, sizeof target, "<= %.2fx", *r.target);
        const char* verdict = "";
        if (r.target && r.value) verdict = *r.value <= *r.target ? "met" : "MISSED";
        if (r.target && !r.value) verdict = "not measured";
        if (r.target && (!r.value || *r.value > *r.target)) ++missed;
        std::printf("  %-58s %10s %10s  %s\n", r.what.c_str(), value, target, verdict);
    }
    return missed;
}

std::string Ms(std::optional<double> seconds) {
    if (!seconds) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.4f ms", *seconds * 1000);
    return text;
}

}  // namespace tarvik::bench

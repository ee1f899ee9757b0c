#include "bench/CRatioReporter.h"

#include <algorithm>
#include <cstdio>
#include <utility>

CRatioReporter::CRatioReporter(std::vector<Pair> pairs) : m_pairs(std::move(pairs)) {}

void CRatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        // With repetitions the median stands for the case; otherwise the one run does.
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (!median && (run.run_type != Run::RT_Iteration || run.iterations == 0)) {
            continue;
        }
        const std::string name = run.run_name.str();
        const std::size_t slash = name.find('/');
        const std::string family = name.substr(0, slash);
        const std::string args = slash == std::string::npos ? "" : name.substr(slash);
        const double nsPerIteration = run.GetAdjustedCPUTime() *
                                      benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                                      benchmark::GetTimeUnitMultiplier(run.time_unit);
        m_cpuNs[family][args] = nsPerIteration;
        if (std::find(m_order.begin(), m_order.end(), args) == m_order.end()) {
            m_order.push_back(args);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

void CRatioReporter::PrintRatios() const {
    for (const Pair& pair : m_pairs) {
        const auto slow = m_cpuNs.find(pair.slow);
        const auto fast = m_cpuNs.find(pair.fast);
        if (slow == m_cpuNs.end() || fast == m_cpuNs.end()) {
            continue;
        }
        std::printf("\n%s: %s against %s, CPU time per iteration\n", pair.what.c_str(),
                    pair.fast.c_str(), pair.slow.c_str());
        for (const std::string& args : m_order) {
            const auto s = slow->second.find(args);
            const auto f = fast->second.find(args);
            if (s == slow->second.end() || f == fast->second.end() || f->second <= 0.0) {
                continue;
            }
            std::printf("  %-40s %12.1f us %12.1f us %8.1fx\n", args.c_str(), s->second / 1000.0,
                        f->second / 1000.0, s->second / f->second);
        }
    }
    std::fflush(stdout);
}

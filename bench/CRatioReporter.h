#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// The console report, followed by a table that sets each slow case beside its fast twin (the
// same arguments under the other benchmark's name) with the ratio of their CPU times, so that a
// run of the benchmarks says at once how much faster the fast path is on this machine.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    struct Pair {
        std::string slow; // benchmark name of the baseline
        std::string fast; // benchmark name of the contender
        std::string what; // how the table calls the pair
    };

    explicit CRatioReporter(std::vector<Pair> pairs);

    void ReportRuns(const std::vector<Run>& runs) override;
    // Prints one line per case that ran under both names.
    void PrintRatios() const;

private:
    std::vector<Pair> m_pairs;
    // Benchmark name -> arguments ("/grid:200/...") -> CPU nanoseconds per iteration.
    std::map<std::string, std::map<std::string, double>> m_cpuNs;
    std::vector<std::string> m_order; // arguments in the order they first ran
};

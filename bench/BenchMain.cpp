// client_bench's main: Google Benchmark's console output, then a summary
// that sets the engines of each "<job>/<engine>/<case>" side by side.
#include "bench/BenchSupport.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Rate {
    std::string engine;
    double itemsPerSecond;
};

struct Comparison {
    std::string job;
    std::string caseName;
    std::vector<Rate> rates;
};

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal: logs and CTest output stay plain.
    SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) Record(run);
    }

    void PrintSummary() const
    {
        if (comparisons.empty()) return;
        std::printf("\nSummary: million items per second; (x1.50) = the first engine is 1.5 times as fast as this one\n");
        for (const Comparison& c : comparisons) {
            std::printf("%-10s %-22s", c.job.c_str(), c.caseName.c_str());
            const double first = c.rates.front().itemsPerSecond;
            for (const Rate& rate : c.rates) {
                std::printf("  %s %.1f", rate.engine.c_str(), rate.itemsPerSecond / 1e6);
                if (&rate != &c.rates.front()) std::printf(" (x%.2f)", first / rate.itemsPerSecond);
            }
            std::printf("\n");
        }
    }

private:
    void Record(const Run& run)
    {
        if (run.error_occurred || run.run_type != Run::RT_Iteration) return;
        const auto rate = run.counters.find("items_per_second");
        if (rate == run.counters.end() || rate->second.value <= 0) return;
        const std::string name = run.benchmark_name();
        const size_t jobEnd = name.find('/');
        const size_t engineEnd = jobEnd == std::string::npos ? jobEnd : name.find('/', jobEnd + 1);
        if (engineEnd == std::string::npos) return;
        const std::string key = name.substr(0, jobEnd) + name.substr(engineEnd);
        auto found = index.find(key);
        if (found == index.end()) {
            found = index.emplace(key, comparisons.size()).first;
            comparisons.push_back({name.substr(0, jobEnd), name.substr(engineEnd + 1), {}});
        }
        // Repetitions of one benchmark replace each other: the last one stands.
        std::vector<Rate>& rates = comparisons[found->second].rates;
        const std::string engine = name.substr(jobEnd + 1, engineEnd - jobEnd - 1);
        for (Rate& r : rates) {
            if (r.engine == engine) {
                r.itemsPerSecond = rate->second.value;
                return;
            }
        }
        rates.push_back({engine, rate->second.value});
    }

    std::map<std::string, size_t> index;
    std::vector<Comparison> comparisons;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}

// client_bench's main: Google Benchmark's console output, then a summary
// that sets the engines of each "<job>/<engine>/<case>" side by side, and
// the rows of engines that took turns ("<job>/<ours>~<yardstick>/<case>").
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

// Two engines that took turns in one benchmark: their rates, the ratio and
// its goal, as the benchmark's counters report them.
struct Turns {
    std::string name, job, caseName;
    Rate ours, yardstick;
    double ratio, goal;
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
        PrintComparisons();
        PrintTurns();
    }

private:
    void PrintComparisons() const
    {
        if (comparisons.empty()) return;
        std::printf(
            "\nSummary: million items per second; (x1.50) = the first engine is 1.5 times as fast as this one\n");
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

    void PrintTurns() const
    {
        if (turns.empty()) return;
        std::printf("\nTaking turns: million items per second of each engine's median pass; (x1.50) = the median of\n"
                    "the passes' ratios: the first engine is 1.5 times as fast as the second\n");
        for (const Turns& t : turns) {
            std::printf("%-10s %-22s  %s %.1f  %s %.1f (x%.2f)  goal x%.2f%s\n", t.job.c_str(), t.caseName.c_str(),
                        t.ours.engine.c_str(), t.ours.itemsPerSecond / 1e6, t.yardstick.engine.c_str(),
                        t.yardstick.itemsPerSecond / 1e6, t.ratio, t.goal, t.ratio < t.goal ? ", missed" : "");
        }
    }

    // A run with a ratio took turns: its engine field names both engines.
    bool RecordTurns(const Run& run)
    {
        const auto ratio = run.counters.find("ratio");
        if (ratio == run.counters.end()) return false;
        const std::string name = run.benchmark_name();
        const size_t jobEnd = name.find('/');
        const size_t engineEnd = jobEnd == std::string::npos ? jobEnd : name.find('/', jobEnd + 1);
        const size_t tilde = name.find('~');
        if (engineEnd == std::string::npos || tilde == std::string::npos || tilde > engineEnd) return true;
        const std::string ours = name.substr(jobEnd + 1, tilde - jobEnd - 1);
        const std::string yardstick = name.substr(tilde + 1, engineEnd - tilde - 1);
        const auto counter = [&run](const char* counterName) {
            const auto found = run.counters.find(counterName);
            return found == run.counters.end() ? 0.0 : found->second.value;
        };
        Turns row{name,
                  name.substr(0, jobEnd),
                  name.substr(engineEnd + 1),
                  {ours, counter("ours")},
                  {yardstick, counter("yardstick")},
                  ratio->second.value,
                  counter("goal")};
        for (Turns& t : turns) {
            if (t.name == name) {
                t = row;  // repetitions replace each other, as below
                return true;
            }
        }
        turns.push_back(row);
        return true;
    }

    void Record(const Run& run)
    {
        if (run.error_occurred || run.run_type != Run::RT_Iteration) return;
        if (RecordTurns(run)) return;
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
    std::vector<Turns> turns;
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

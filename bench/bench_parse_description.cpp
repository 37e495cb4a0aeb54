// Parsing the generated description the entry window parses every time it opens: time per line
// for 1,000, 10,000 and 100,000 field lines, and how the per-line cost grows with size (the
// parser must stay linear, so the 100,000-line cost per line should stay within 1.5x of the
// 1,000-line one).

#include "description/ParseDescription.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <cstdio>
#include <map>
#include <memory>

namespace {

constexpr double kTargetRatio = 1.5;

QStringList GeneratedDescription(int fields) {
    QStringList lines{QStringLiteral("<!!Данные обследования>"),
                      QStringLiteral("<Ф.И.О. db=main field=fio type=char input=edit>")};
    lines.reserve(fields + 2);
    for (int n = 1; n <= fields; ++n)
        lines << QStringLiteral(
                     "<Поле %1 db=main field=f%1 type=float input=edit minvalue=1 "
                     "maxvalue=300>")
                     .arg(n);
    return lines;
}

void BM_ParseDescription(benchmark::State& state) {
    const QStringList lines = GeneratedDescription(int(state.range(0)));
    for (auto _ : state) {
        auto root = std::make_unique<TNvDescriptor>();
        ParseDescription(*root, lines);
        benchmark::DoNotOptimize(root->Count());
        state.PauseTiming();  // the user waits for the parse; releasing the tree is not measured
        root.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(lines.size());
    state.SetItemsProcessed(state.iterations() * lines.size());
}

BENCHMARK(BM_ParseDescription)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Keeps the median nanoseconds of CPU time per line of each size while printing as usual. CPU
// time, because the machines are shared: waiting for a core is not the parser's cost.
class PerLineReporter : public benchmark::ConsoleReporter {
  public:
    PerLineReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes in logs

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name != "median") continue;
            const double lines = run.counters.at("lines");
            const double seconds =
                run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            perLineNs[int(lines) - 2] = seconds * 1e9 / lines;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<int, double> perLineNs;  // by number of field lines
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PerLineReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto& ns = reporter.perLineNs;
    if (!ns.count(1000) || !ns.count(10000) || !ns.count(100000)) return 0;  // filtered run
    const double ratio = ns[100000] / ns[1000];
    std::printf(
        "per-line ns (CPU): 1000=%.0f, 10000=%.0f, 100000=%.0f; ratio 100k/1k = %.2f "
        "(target <= %.1f) %s\n",
        ns[1000], ns[10000], ns[100000], ratio, kTargetRatio,
        ratio <= kTargetRatio ? "ok" : "MISSED");
    return 0;
}

/* What the benchmark programs share: a millisecond clock, the statistics of
   repeated runs, and the one row format that scripts/bench.sh gathers into
   its table and its results file (docs/benchmarks.md explains the columns).

   A row is one line on standard output:
     ROW <tab> key <tab> what <tab> parameter <tab> unit <tab> measured
         <tab> baseline <tab> ratio <tab> low <tab> high <tab> goal <tab> met <tab> runs
   Everything else a benchmark prints is commentary for a person. */
#ifndef QUORVEX_BENCH_COMMON_H
#define QUORVEX_BENCH_COMMON_H

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <vector>

/* No goal: the row is shown for information and "met" says "-". */
#define BENCH_NO_GOAL 0.0

static inline double BenchNow()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

/* Median and interquartile range of a sample, by nearest rank: with fewer
   than five values the quartiles are the smallest and the largest. */
struct BenchSpread {
    double median;
    double low;
    double high;
    int runs;
};

static inline BenchSpread Summarise(std::vector<double> values)
{
    BenchSpread spread = { 0.0, 0.0, 0.0, (int)values.size() };
    if (values.empty())
        return spread;
    std::sort(values.begin(), values.end());
    size_t last = values.size() - 1;
    size_t middle = values.size() / 2;
    spread.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
    spread.low = values[last / 4];
    spread.high = values[(last * 3 + 3) / 4];
    return spread;
}

/* Per-run ratios of two paired samples (a[i] against b[i]). */
static inline std::vector<double> PairRatios(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        ratios.push_back(b[i] > 0.0 ? a[i] / b[i] : 0.0);
    return ratios;
}

/* Every value of a sample divided by one fixed figure (a budget or a reference). */
static inline std::vector<double> ScaleSample(const std::vector<double> &values, double divisor)
{
    std::vector<double> scaled;
    for (double value : values)
        scaled.push_back(divisor > 0.0 ? value / divisor : 0.0);
    return scaled;
}

/* One row; met is "yes", "no" or "-" (no goal). */
static inline void PrintRowVerdict(const char *key, const char *what, const char *parameter, const char *unit,
                                   double measured, double baseline, const BenchSpread &ratio, double goal,
                                   const char *met)
{
    char goalText[32];
    if (goal == BENCH_NO_GOAL)
        lstrcpyA(goalText, "-");
    else
        snprintf(goalText, sizeof(goalText), "<=%.2f", goal);
    printf("ROW\t%s\t%s\t%s\t%s\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%s\t%s\t%d\n", key, what, parameter, unit, measured,
           baseline, ratio.median, ratio.low, ratio.high, goalText, met, ratio.runs);
    fflush(stdout);
}

static inline void PrintBenchRow(const char *key, const char *what, const char *parameter, const char *unit,
                                 double measured, double baseline, const BenchSpread &ratio, double goal)
{
    const char *met = goal == BENCH_NO_GOAL ? "-" : ratio.median <= goal ? "yes" : "no";
    PrintRowVerdict(key, what, parameter, unit, measured, baseline, ratio, goal, met);
}

/* The single runs behind a row, for a person judging the noise; the
   table leaves these lines out. */
static inline void PrintRawRuns(const char *key, const char *side, const std::vector<double> &values)
{
    printf("#raw %s %s:", key, side);
    for (double value : values)
        printf(" %.3f", value);
    printf("\n");
}

/* A product figure against a bare baseline measured in the same runs. */
static inline void PrintPairedRow(const char *key, const char *what, const char *parameter,
                                  const std::vector<double> &product, const std::vector<double> &bare, double goal)
{
    PrintRawRuns(key, "product", product);
    PrintRawRuns(key, "baseline", bare);
    PrintBenchRow(key, what, parameter, "ms", Summarise(product).median, Summarise(bare).median,
                  Summarise(PairRatios(product, bare)), goal);
}

/* Growth of the cost per item from one size to the next: the ratio of the
   medians, with the widest range the two interquartile ranges allow. */
static inline void PrintGrowthRow(const char *key, const char *what, const char *parameter,
                                  const std::vector<double> &perItem, const std::vector<double> &previousPerItem,
                                  double goal)
{
    BenchSpread now = Summarise(perItem), before = Summarise(previousPerItem);
    BenchSpread growth = { 0.0, 0.0, 0.0, now.runs < before.runs ? now.runs : before.runs };
    if (before.low <= 0.0 || now.low <= 0.0) {
        /* A figure lost in the noise: no ratio can be trusted, so the goal is not met. */
        printf("# %s: per-item figures not above the noise (%.3f and %.3f us)\n", key, before.median, now.median);
        PrintRowVerdict(key, what, parameter, "us", now.median, before.median, growth, goal, "no");
        return;
    }
    growth.median = now.median / before.median;
    growth.low = now.low / before.high;
    growth.high = now.high / before.low;
    PrintBenchRow(key, what, parameter, "us", now.median, before.median, growth, goal);
}

/* RUNS from the first argument, else the default; never fewer than one. */
static inline int RunsArgument(int argc, char **argv, int index, int fallback)
{
    int runs = argc > index ? atoi(argv[index]) : fallback;
    return runs < 1 ? 1 : runs;
}

#endif

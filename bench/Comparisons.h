#pragma once

#include <string>

// Pairs of benchmarks whose figures the bench program prints side by side at
// the end of a run (ours, the peer's, the ratio), and absolute budgets for
// single benchmarks. Names are Google Benchmark run names ("LevelReport/Dispatch").
namespace BenchComparisons
{
    // maxRatio <= 0: the ratio is printed without a limit.
    bool addPair (const std::string& title, const std::string& ours, const std::string& peer, double maxRatio);

    // A budget in nanoseconds of CPU time per iteration; the peer, if not
    // empty, is printed beside it with the ratio.
    bool addBudget (const std::string& title, const std::string& ours, double budgetNs, const std::string& peer = {});
}

#define VELD72_BENCH_CONCAT_INNER(a, b) a##b
#define VELD72_BENCH_CONCAT(a, b) VELD72_BENCH_CONCAT_INNER (a, b)

#define VELD72_COMPARE(title, ours, peer, maxRatio) \
    static const bool VELD72_BENCH_CONCAT (veld72Comparison, __LINE__) = BenchComparisons::addPair (title, ours, peer, maxRatio)

#define VELD72_BUDGET(title, ours, budgetNs) \
    static const bool VELD72_BENCH_CONCAT (veld72Budget, __LINE__) = BenchComparisons::addBudget (title, ours, budgetNs)

#define VELD72_BUDGET_WITH_PEER(title, ours, budgetNs, peer) \
    static const bool VELD72_BENCH_CONCAT (veld72Budget, __LINE__) = BenchComparisons::addBudget (title, ours, budgetNs, peer)

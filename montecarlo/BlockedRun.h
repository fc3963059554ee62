#pragma once

#include "montecarlo/Engine.h"

#include <atomic>
#include <functional>

// The histories of a job cut into fixed blocks, each with its own stream
// (LaggedGenerator::forStream of the block number), run on any number of
// threads and added in block order: the factors are the same bit for bit on
// 1, 2 or 64 threads, and a run stops at a block boundary when asked.
namespace velnor::mc {

inline constexpr long long kBlockHistories = 100000; // about 30 ms of one core

// Runs the histories [first, last) with `random`, adding into the tallies.
using RangeRunner = std::function<void(long long first, long long last, LaggedGenerator& random, Tallies& tallies)>;

struct BlockedRunOptions {
    int threads = 1;
    // Set (from a signal handler too) to stop at the next block boundary.
    const std::atomic<bool>* stop = nullptr;
    // Called on the calling thread about every `progressSeconds` with the
    // histories done so far.
    std::function<void(long long done)> progress;
    double progressSeconds = 1.0;
};

struct BlockedRunResult {
    Tallies tallies;
    bool stopped = false; // asked to stop before every block ran: no factors
};

// Runs `planned` histories in blocks of kBlockHistories.
BlockedRunResult runBlocked(long long planned, const RangeRunner& run, const BlockedRunOptions& options);

// Adds the tallies of a block to those of the blocks before it.
void addTallies(Tallies& sum, const Tallies& block);

} // namespace velnor::mc

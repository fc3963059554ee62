#pragma once

#include "tools/mcgen/Random.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace velnor::mcgen {

// Runs `histories` histories in fixed blocks of `blockSize`, each block with
// its own random stream and tally, on `threads` threads; the block tallies are
// then added in block order. The result is therefore the same for any number
// of threads. `simulate(random, count, tally)` runs `count` histories into a
// fresh tally; Tally needs a default constructor and `add(const Tally&)`.
template <typename Tally, typename Simulate>
Tally runBlocks(long long histories, long long blockSize, std::uint64_t seed, unsigned threads, Simulate simulate,
                const Tally& empty = Tally())
{
    const long long blocks = (histories + blockSize - 1) / blockSize;
    std::vector<Tally> tallies(static_cast<std::size_t>(blocks), empty);
    std::atomic<long long> nextBlock{0};
    auto worker = [&] {
        for (long long b = nextBlock++; b < blocks; b = nextBlock++) {
            Random random(seed, static_cast<std::uint64_t>(b));
            const long long count = std::min(blockSize, histories - b * blockSize);
            simulate(random, count, tallies[static_cast<std::size_t>(b)]);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < std::max(1u, threads); ++t)
        pool.emplace_back(worker);
    worker();
    for (auto& thread : pool)
        thread.join();
    Tally total = empty;
    for (const Tally& t : tallies)
        total.add(t);
    return total;
}

} // namespace velnor::mcgen

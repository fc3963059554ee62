#include "montecarlo/BlockedRun.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace velnor::mc {

void addTallies(Tallies& sum, const Tallies& b)
{
    for (std::size_t m = 0; m < 3; ++m) {
        sum.primary[m] += b.primary[m];
        sum.backscatter[m] += b.backscatter[m];
        sum.sumP[m] += b.sumP[m];
        sum.sumPP[m] += b.sumPP[m];
        sum.sumS[m] += b.sumS[m];
        sum.sumSS[m] += b.sumSS[m];
        sum.sumSP[m] += b.sumSP[m];
    }
    sum.histories += b.histories;
    sum.scoringHistories += b.scoringHistories;
}

BlockedRunResult runBlocked(long long planned, const RangeRunner& run, const BlockedRunOptions& options)
{
    const long long blocks = (std::max(0LL, planned) + kBlockHistories - 1) / kBlockHistories;
    std::vector<Tallies> results(static_cast<std::size_t>(blocks));
    std::atomic<long long> nextBlock{0}, done{0};
    std::atomic<int> running{0};
    std::mutex mutex;
    std::condition_variable finished;
    auto stopRequested = [&] { return options.stop && options.stop->load(); };

    auto worker = [&] {
        for (;;) {
            if (stopRequested())
                break;
            const long long b = nextBlock.fetch_add(1);
            if (b >= blocks)
                break;
            const long long first = b * kBlockHistories, last = std::min(planned, first + kBlockHistories);
            LaggedGenerator random = LaggedGenerator::forStream(static_cast<std::uint64_t>(b));
            run(first, last, random, results[static_cast<std::size_t>(b)]);
            done += last - first;
        }
        std::lock_guard<std::mutex> lock(mutex);
        --running;
        finished.notify_all();
    };
    const int threads = static_cast<int>(std::clamp<long long>(options.threads, 1, std::max(1LL, blocks)));
    // The run goes on with the threads the system gives (a memory limit may
    // refuse some); with none at all, on this thread alone.
    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++running;
        }
        try {
            pool.emplace_back(worker);
        } catch (const std::system_error&) {
            std::lock_guard<std::mutex> lock(mutex);
            --running;
            break;
        }
    }
    if (pool.empty()) {
        running = 1;
        worker();
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        const auto period = std::chrono::duration<double>(options.progressSeconds);
        while (!finished.wait_for(lock, std::chrono::duration_cast<std::chrono::milliseconds>(period), [&] { return running == 0; })) {
            if (options.progress) {
                lock.unlock();
                options.progress(done.load());
                lock.lock();
            }
        }
    }
    for (std::thread& t : pool)
        t.join();

    BlockedRunResult result;
    result.stopped = done.load() < std::max(0LL, planned);
    for (const Tallies& block : results) // in block order, whatever thread ran it
        addTallies(result.tallies, block);
    return result;
}

} // namespace velnor::mc

#include "survey/SurveyRun.h"

#include "survey/SurveyInputs.h"

#include <thread>

namespace velnor::survey {
namespace {

// Exposures read before they are computed together: enough to keep every
// thread busy, few enough that a stop is quick and memory stays flat.
constexpr std::size_t kBatch = 512;

} // namespace

SurveyOutcome runSurvey(const std::vector<std::filesystem::path>& inputs, const std::filesystem::path& folder, const SurveyOptions& options,
                        const SurveyProgress& progress)
{
    const unsigned threads = options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    std::vector<Calculator> calculators;
    calculators.reserve(threads);
    calculators.emplace_back(folder);
    for (unsigned t = 1; t < threads; ++t)
        calculators.push_back(calculators.front());

    SurveyOutcome outcome;
    const ReferenceLevels& levels = calculators.front().referenceLevels();
    outcome.dose = levels.table ? levels.table->dose : DrlDose::Air;
    Statistics statistics(outcome.dose, options.byRoom, options.band ? readThicknessBands(folder) : ThicknessBands{});

    std::vector<InputItem> batch;
    std::vector<ExposureResult> results;
    std::size_t done = 0;
    auto computeBatch = [&] {
        results.assign(batch.size(), {});
        std::atomic<std::size_t> next{0};
        auto work = [&](Calculator& calculator) {
            for (std::size_t i; (i = next++) < batch.size();) {
                const InputItem& item = batch[i];
                ExposureResult& r = results[i];
                if (!item.error.empty()) {
                    r.source = item.exposure.source;
                    r.error = item.error;
                    r.errorJapanese = item.errorJapanese;
                    continue;
                }
                try {
                    r = calculator.compute(item.exposure);
                } catch (const std::exception& e) { // out of memory, say: this exposure fails, the survey goes on
                    r.source = item.exposure.source;
                    r.error = e.what();
                    r.errorJapanese = japaneseOf(e);
                }
            }
        };
        const std::size_t helpers = std::min<std::size_t>(calculators.size(), batch.size()) - 1;
        std::vector<std::thread> pool;
        for (std::size_t t = 1; t <= helpers; ++t)
            pool.emplace_back(work, std::ref(calculators[t]));
        work(calculators.front());
        for (std::thread& t : pool)
            t.join();
        for (const ExposureResult& r : results) {
            statistics.add(r);
            if (r.error.empty())
                ++outcome.computed;
            else
                outcome.failures.push_back({r.source, r.error, r.errorJapanese});
            if (progress.exposure)
                progress.exposure(r);
        }
        done += batch.size();
        batch.clear();
        if (progress.progress)
            progress.progress(done);
    };
    auto stopping = [&] { return progress.stop && progress.stop->load(); };
    readInputs(inputs, folder, [&](InputItem&& item) {
        batch.push_back(std::move(item));
        if (batch.size() == kBatch)
            computeBatch();
        return !stopping();
    });
    if (stopping()) {
        outcome.stopped = true;
        batch.clear();
    } else if (!batch.empty()) {
        computeBatch();
    }
    outcome.examinations = statistics.summaries();
    return outcome;
}

} // namespace velnor::survey

#pragma once

#include "survey/Survey.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velnor::survey {

struct SurveyOptions {
    bool byRoom = false;  // examinations per room too
    bool band = false;    // summarise only the exposures within the thickness bands of the folder
    unsigned threads = 0; // 0: one per core
};

struct SurveyFailure {
    std::string source, error, errorJapanese;
};

struct SurveyOutcome {
    std::size_t computed = 0;
    std::vector<SurveyFailure> failures;
    std::vector<ExaminationSummary> examinations;
    DrlDose dose = DrlDose::Air; // the entrance dose the levels name
    bool stopped = false;        // asked to stop before the inputs were read through
};

// What a running survey reports, in input order, on the thread that runs it.
struct SurveyProgress {
    std::function<void(const ExposureResult&)> exposure; // each exposure, computed or failed
    std::function<void(std::size_t done)> progress;      // after each batch of exposures
    const std::atomic<bool>* stop = nullptr;             // set to stop after the current batch
};

// Reads the inputs (see readInputs) and computes their exposures with the
// reference data of `folder`, in batches shared among threads: each thread
// has its own Calculator, and the results, handed on in input order, do not
// depend on the number of threads. Nothing is kept per exposure but what the
// statistics need. Throws DataFileError when the reference data (or, with
// `band`, the thickness bands) cannot be read.
SurveyOutcome runSurvey(const std::vector<std::filesystem::path>& inputs, const std::filesystem::path& folder, const SurveyOptions& options,
                        const SurveyProgress& progress = {});

} // namespace velnor::survey

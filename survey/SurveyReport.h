#pragma once

#include "main/results/ReportLayout.h"
#include "survey/Survey.h"

#include <string>
#include <vector>

namespace velnor::survey {

// What the report says about the survey besides its examinations.
struct SurveyReportInfo {
    std::string date;   // "2026-12-07"
    std::string inputs; // the files or folders surveyed, as the user named them
    std::size_t computed = 0, failed = 0;
    DrlDose dose = DrlDose::Air;
    bool band = false; // the statistics are of the thickness bands
};

// The survey report, landscape pages of the printed report's size: the
// summary table (as many pages as it needs), then a box plot of the entrance
// doses of each examination (four to a page) with its level drawn across.
std::vector<ReportPage> surveyReportPages(const std::vector<ExaminationSummary>& summaries, const SurveyReportInfo& info);

} // namespace velnor::survey

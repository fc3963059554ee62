#pragma once

#include "main/results/ReportLayout.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velnor::cli {

// Writes the pages as a PDF file through the report plug-in beside the
// running program (lib/velnor when installed), so that only a run that
// prints loads Qt's GUI libraries. Throws WordedError when the plug-in is
// missing and std::runtime_error with the plug-in's reason when the file
// cannot be written.
void writePdfWithPlugIn(const std::vector<ReportPage>& pages, const std::string& title, const std::filesystem::path& path);

} // namespace velnor::cli

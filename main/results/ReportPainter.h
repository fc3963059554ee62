#pragma once

#include "main/results/ReportLayout.h"

#include <filesystem>
#include <string>
#include <vector>

class QPainter;
class QPaintDevice;

namespace velnor {

// Paints the report page on a device (a printer or a PDF writer set to
// landscape, or an image for review), in millimetres from the device's
// origin, in the report font (Noto Serif CJK JP, the Mincho face).
void paintReport(const ReportPage& page, QPaintDevice& device, QPainter& painter);

// The pages as a PDF file, A4 landscape, with `title` in its properties.
// Throws DataFileError when the file cannot be written (then no file is
// made and an old one stands).
void writeReportPdf(const std::vector<ReportPage>& pages, const std::string& title, const std::filesystem::path& path);
void writeReportPdf(const ReportPage& page, const std::filesystem::path& path); // the results table's page

} // namespace velnor

#pragma once

#include "main/results/ReportLayout.h"

#include <filesystem>

class QPainter;
class QPaintDevice;

namespace velnor {

// Paints the report page on a device (a printer or a PDF writer set to
// landscape, or an image for review), in millimetres from the device's
// origin, in the report font (Noto Serif CJK JP, the Mincho face).
void paintReport(const ReportPage& page, QPaintDevice& device, QPainter& painter);

// The page as a PDF file, A4 landscape. Throws DataFileError when the file
// cannot be written.
void writeReportPdf(const ReportPage& page, const std::filesystem::path& path);

} // namespace velnor

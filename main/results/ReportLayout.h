#pragma once

#include "main/records/ReferenceLevels.h"
#include "main/results/ResultsTable.h"

#include <string>
#include <vector>

namespace velnor {

// The printed report of the results table: one landscape page, millimetres
// from the top-left corner of the printable area, x to the right, y down.
// A text's position is its top-left corner.
struct ReportText {
    double xMm, yMm;
    std::string text;
    double pointSize = 9;
    double maxWidthMm = 0; // > 0: cut to this width, so it stays in its column
    unsigned rgb = 0x000000;
};
struct ReportLine {
    double x1Mm, y1Mm, x2Mm, y2Mm;
    double widthMm = 0.2;
    unsigned rgb = 0x000000;
};
struct ReportPage {
    std::vector<ReportText> texts; // in printing order: header, rows, title line
    std::vector<ReportLine> lines; // the frame and its rules
};

inline constexpr double kReportWidthMm = 285;
inline constexpr double kReportHeightMm = 190;

// Base line of row r (1..15).
constexpr double reportRowY(int r) { return 33 + 10.0 * r; }

// The page for the rows of `table`, with the program-wide air conversion
// factor and the user name of the title line. With `levels`, each row whose
// body part has a diagnostic reference level shows it and its percentage in
// small print under the doses, and a line under the frame names the table
// (or why it cannot be used) and what a level is compared with.
ReportPage reportPage(const ResultsTable& table, double cfAir, const std::string& userName,
                      const ReferenceLevels* levels = nullptr);

} // namespace velnor

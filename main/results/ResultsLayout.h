#pragma once

#include "main/records/ReferenceLevels.h"
#include "main/results/ResultsTable.h"

#include <string>
#include <vector>

namespace velnor {

// What the results window draws, in its logical coordinates (x to the right,
// y down; a text's x is its left edge, its y its vertical centre). The
// window scales these to its size; the printed report uses the same rows.
struct TableText {
    double x, y;
    std::string text;
    bool heading = false; // heading font ("メイリオ") rather than the row font
    double maxWidth = 0;  // > 0: the text is cut to this width, so it stays in its cell
    bool alert = false;   // drawn in red: a dose above its reference level
};

// The body part's cell ends where the exposure column begins.
inline constexpr double kBodyPartCellWidth = 82;

inline constexpr double kTableWidth = 1160;
inline constexpr double kTableHeight = 920;

// Ordinate of row k's centre line.
constexpr double rowCentreY(int k) { return 63 + 50.0 * k; }

std::vector<TableText> headingTexts();
std::vector<TableText> rowTexts(const ResultRow& row, int k);
// Row k's dose as a percentage of its reference level, under the dose the
// level is compared with ("DRL 28 %"); red above the level. Nothing where
// the body part has no level or the table cannot be used.
std::vector<TableText> drlTexts(const DrlComparison& comparison, int k);
std::vector<TableText> totalsTexts(const ResultsTable::Totals& totals);

// The first n characters of UTF-8 text (a cell shows a name's beginning).
std::string firstCharacters(const std::string& text, int n);

// The surface description of the row's lower line: "平面", "頭平面",
// "円柱" + radius, "楕円" + radii, "Racetrack".
std::string surfaceText(const ResultRow& row);
// The same description with the gap after the shape's name and the separator
// of the two radii (the printed page spaces them: "円柱 20", "楕円 30, 20").
std::string surfaceDescription(const ExposureConditions& conditions, const std::string& gap, const std::string& separator);

} // namespace velnor

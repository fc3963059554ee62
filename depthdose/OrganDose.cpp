#include "depthdose/OrganDose.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/FreeFormatReader.h"
#include "common/NumberReading.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velnor::pdd {
namespace {

double convertDepth(double mode, double value, double thickness)
{
    if (mode == 1)
        return value * thickness; // a fraction of the body thickness
    if (mode == 2)
        return thickness - value; // measured from the exit surface
    return value;                 // cm (mode 0, and any other value)
}

// A typed entry is a number as a whole (blanks around it allowed; a blank
// entry is 0): "x6.7" or "6,7" is not a depth of 0 or 6 but an entry to
// correct, as its row's message says (NaN refuses the row).
double number(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return 0;
    const std::string trimmed = text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    return parseNumber(trimmed).value_or(std::numeric_limits<double>::quiet_NaN());
}

} // namespace

std::optional<std::array<OrganRow, kTissueRows>> readOrganDefaults(const std::filesystem::path& folder, const std::string& bodyPart,
                                                                   double thickness)
{
    // The body part becomes a file name: never a path outside "Organ-data/".
    if (plainFileNameFault(bodyPart))
        return std::nullopt;
    const std::filesystem::path dataFolder = findFileIgnoringCase(folder, "Organ-data");
    const std::filesystem::path path = findFileIgnoringCase(dataFolder, bodyPart + ".csv");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return std::nullopt;
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    std::array<OrganRow, kTissueRows> rows;
    for (OrganRow& row : rows) {
        reader.readField(); // tissue name
        const bool inField = reader.readNumber() == 1;
        const double fromMode = reader.readNumber();
        const double from = reader.readNumber();
        const double toMode = reader.readNumber();
        const double to = reader.readNumber();
        const std::string percent = reader.readField();
        if (!inField)
            continue;
        row.checked = true;
        row.fromText = formatNumber(convertDepth(fromMode, from, thickness), "#0.0");
        row.toText = formatNumber(convertDepth(toMode, to, thickness), "#0.0");
        row.percentText = percent;
    }
    return rows;
}

double depthThroughLung(double d, double lungFrom, double lungTo)
{
    if (!(lungTo > lungFrom) || d <= lungFrom)
        return d;
    if (d <= lungTo)
        return lungFrom + kLungDensity * (d - lungFrom);
    return d - (1 - kLungDensity) * (lungTo - lungFrom);
}

EffectiveDose computeEffectiveDose(const std::array<OrganRow, kTissueRows>& rows, const std::string& bodyPart, double thickness,
                                   const std::vector<DepthDosePoint>& table, double surfaceDose)
{
    EffectiveDose result;
    const double lungFrom = number(rows[kLungRow].fromText), lungTo = number(rows[kLungRow].toText);
    const bool chestFrontal = bodyPart == "胸部正面", chestLateral = bodyPart == "胸部側面";
    // Other rows' depths are mapped through the lung: its entries are checked first.
    if (rows[kLungRow].checked && !std::isfinite(lungFrom + lungTo)) {
        result.refusedRow = kLungRow;
        return result;
    }
    for (int t = 0; t < kTissueRows; ++t) {
        const OrganRow& row = rows[static_cast<std::size_t>(t)];
        if (!row.checked)
            continue;
        double from = number(row.fromText), to = number(row.toText);
        const double share = number(row.percentText) * 0.01;
        // Tissues behind the lung lie shallower in water-equivalent depth.
        // The breasts of a PA chest lie beyond the exit surface; through the
        // lung they come within the table, and where the lung is too thin for
        // that (a small child), beyond its end they take the exit point.
        if ((t == kBreastRow && chestFrontal) || (t == kExitSkinRow && (chestFrontal || chestLateral))) {
            from = std::min(depthThroughLung(from, lungFrom, lungTo), thickness);
            to = std::min(depthThroughLung(to, lungFrom, lungTo), thickness);
        }
        if (to < from || from < 0 || to > thickness || share < 0 || share > 1 || !std::isfinite(from + to + share)) {
            result.refusedRow = t;
            return result;
        }
        if (t == kLungRow)
            to = from + kLungDensity * (to - from);
        // Points beyond the table count for nothing; bounding keeps the
        // conversion to an index defined for any typed depth.
        const double limit = 2.0 * kMaxPoints + 2;
        int first = static_cast<int>(std::floor(std::min(2 * from, limit))) + (t == kExitSkinRow ? 0 : 1);
        int last = static_cast<int>(std::floor(std::min(2 * to, limit)));
        first = std::max(first, 1);
        last = std::max(last, 1);
        // A row at the far surface (from = to = T) counts from the point after
        // the last one: it takes the last point, as the points are counted.
        const int n = static_cast<int>(table.size());
        if (n == depthPoints(thickness)) {
            first = std::min(first, n);
            last = std::min(last, n);
        }
        last = std::max(last, first);
        double sum = 0;
        int count = 0;
        for (int i = first; i <= last && i <= kMaxPoints && i <= static_cast<int>(table.size()); ++i) {
            sum += table[static_cast<std::size_t>(i - 1)].totalPercent;
            ++count;
        }
        if (count == 0) {
            result.notComputable = true;
            return result;
        }
        const double contribution = kTissueWeights[static_cast<std::size_t>(t)] * share * (sum / count / 100) * surfaceDose;
        result.contributionMsv[static_cast<std::size_t>(t)] = contribution;
        result.totalMsv += contribution;
    }
    return result;
}

std::vector<std::string> effectiveDoseFileLines(double effectiveDoseMsv)
{
    return {"実効線量 (mSv)", formatNumber(effectiveDoseMsv, "##0.000")};
}

} // namespace velnor::pdd

#include "main/records/OutputDataTable.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FreeFormatReader.h"
#include "common/TextFile.h"

#include <vector>

namespace velnor {

namespace {
constexpr double kMmToCm = 0.1;
constexpr double kCmToMm = 10.0;
// Bounds of a plausible table: the strongest diagnostic tubes give about
// 1e-5 C/kg per mAs at 1 m, so 1e-3 is far beyond any real unit.
constexpr double kMaxExposurePerMas = 1e-3;
constexpr double kMaxTableKv = 1000;
constexpr double kMaxFiltrationMm = 100;

double readBounded(FreeFormatReader& reader, double low, double high, const char* what)
{
    const int line = reader.lineNumber();
    const double v = reader.readNumber();
    if (!(v >= low && v <= high))
        throw DataFileError(reader.sourceName(), line,
                            std::string(what) + " " + formatAsIs(v) + " lies outside " + formatAsIs(low) + " to " + formatAsIs(high));
    return v;
}
} // namespace

OutputDataTable loadOutputDataTable(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    OutputDataTable table;
    table.comment = reader.readLine();
    for (int row = 1; row <= kOutputRows; ++row)
        table.kvGrid[row] = readBounded(reader, 1, kMaxTableKv, "tube voltage (kV)");
    for (int code = 1; code <= 3; ++code) {
        for (int row = 1; row <= kOutputRows; ++row)
            table.exposurePerMas[code][row] = readBounded(reader, 0, kMaxExposurePerMas, "exposure per mAs (C/kg)");
        table.filtrationAl[code] = readBounded(reader, 0, kMaxFiltrationMm, "aluminium filtration (mm)") * kMmToCm;
        table.filtrationCu[code] = readBounded(reader, 0, kMaxFiltrationMm, "copper filtration (mm)") * kMmToCm;
    }
    for (int row = 2; row <= kOutputRows; ++row)
        if (!(table.kvGrid[row] > table.kvGrid[row - 1]))
            throw DataFileError(path.filename().string(), 2,
                                "the tube voltages do not ascend (" + formatAsIs(table.kvGrid[row - 1]) + " then "
                                    + formatAsIs(table.kvGrid[row]) + " kV)");
    table.fileName = path.filename().string();
    return table;
}

void saveOutputDataTable(const OutputDataTable& table, const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    lines.push_back(table.comment);
    std::string voltages;
    for (int row = 1; row <= kOutputRows; ++row)
        voltages += formatNumber(table.kvGrid[row], "###.# ");
    lines.push_back(voltages);
    for (int code = 1; code <= 3; ++code) {
        std::string line;
        for (int row = 1; row <= kOutputRows; ++row)
            line += formatNumber(table.exposurePerMas[code][row], "0.00E+00 ");
        line += formatNumber(table.filtrationAl[code] * kCmToMm, "#0.00 ");
        line += formatNumber(table.filtrationCu[code] * kCmToMm, "#0.00");
        lines.push_back(line);
    }
    writeTextLines(path, lines);
}

bool isReservedOutputName(const std::string& name) { return name == "DEFAULT-OUTPUT" || name == "default-output"; }

std::string outputDataDisplayName(const OutputDataTable& table)
{
    const std::string& name = table.fileName;
    return name.size() >= 3 ? name.substr(0, name.size() - 3) : std::string();
}

} // namespace velnor

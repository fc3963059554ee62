#include "main/records/OutputDataTable.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FreeFormatReader.h"
#include "common/TextFile.h"

#include "common/NumberReading.h"
#include "common/TextEncoding.h"

#include <cctype>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace velnor {

namespace {
constexpr double kMmToCm = 0.1;
constexpr double kCmToMm = 10.0;
constexpr double kMaxExposurePerMas = 1e-3;
constexpr double kMaxTableKv = 1000;
constexpr double kMaxFiltrationMm = 100;
const char* const kWaveformFields[4] = {"", "constantPotential", "threePhase12Peak", "singlePhaseFullWave"};

std::optional<OutputDataFault> fault(const OutputDataCell& cell, const OutputDataTable& t, const Reason& predicate)
{
    const Wording w = phrased(outputDataCellReason(cell, t), predicate);
    return OutputDataFault{cell, w.english, w.japanese};
}

std::optional<OutputDataFault> outside(const OutputDataTable& t, OutputDataCell cell, double v, double low, double high, const char* unit)
{
    if (v >= low && v <= high)
        return std::nullopt;
    return fault(cell, t, Reason{ReasonCode::ValueOutOfRange, {}, v, low, high, unit});
}

// The voltage as "###.#" when that reads back as the same number, else with
// every digit it needs (40.04 must not become "40.").
std::string voltageText(double kv)
{
    const std::string pattern = formatNumber(kv, "###.# ");
    const std::optional<double> back = parseNumber(pattern.substr(0, pattern.size() - 1));
    return back && *back == kv ? pattern : formatAsIs(kv) + " ";
}
} // namespace

Reason outputDataCellReason(const OutputDataCell& c, const OutputDataTable& t)
{
    const std::string waveform = c.code >= 1 && c.code <= 3 ? kWaveformFields[c.code] : "";
    switch (c.kind) {
    case OutputDataCell::Kind::Voltage:
        return Reason{ReasonCode::OpVoltageCell, {}, static_cast<double>(c.row)};
    case OutputDataCell::Kind::Exposure:
        return Reason{ReasonCode::OpExposureCell, waveform, 0, static_cast<double>(c.row), t.kvGrid[static_cast<std::size_t>(c.row)]};
    case OutputDataCell::Kind::Aluminium:
        return Reason{ReasonCode::OpAluminiumCell, waveform};
    case OutputDataCell::Kind::Copper:
        return Reason{ReasonCode::OpCopperCell, waveform};
    case OutputDataCell::Kind::Comment:
        break;
    }
    return Reason{ReasonCode::OpCommentCell};
}

std::optional<OutputDataFault> outputDataTableFault(const OutputDataTable& t)
{
    using Kind = OutputDataCell::Kind;
    if (holdsControlCharacter(t.comment))
    {
        const Wording w = worded(Reason{ReasonCode::ControlCharacter, "comment"});
        return OutputDataFault{{Kind::Comment, 0, 0}, w.english, w.japanese};
    }
    for (int row = 1; row <= kOutputRows; ++row) {
        const double kv = t.kvGrid[static_cast<std::size_t>(row)];
        if (auto f = outside(t, {Kind::Voltage, 0, row}, kv, 1, kMaxTableKv, "kV"))
            return f;
        if (row > 1 && !(kv > t.kvGrid[static_cast<std::size_t>(row - 1)]))
            return fault({Kind::Voltage, 0, row}, t,
                         Reason{ReasonCode::VoltagesNotAscending, {}, t.kvGrid[static_cast<std::size_t>(row - 1)], kv});
    }
    for (int code = 1; code <= 3; ++code) {
        const auto k = static_cast<std::size_t>(code);
        for (int row = 1; row <= kOutputRows; ++row)
            if (auto f = outside(t, {Kind::Exposure, code, row}, t.exposurePerMas[k][static_cast<std::size_t>(row)], 0, kMaxExposurePerMas, "C/kg"))
                return f;
        if (auto f = outside(t, {Kind::Aluminium, code, 0}, t.filtrationAl[k] * kCmToMm, 0, kMaxFiltrationMm, "mm"))
            return f;
        if (auto f = outside(t, {Kind::Copper, code, 0}, t.filtrationCu[k] * kCmToMm, 0, kMaxFiltrationMm, "mm"))
            return f;
    }
    return std::nullopt;
}

namespace {

// The line each value stood on, to name it when the check fails.
struct ValueLines {
    std::array<int, kOutputRows + 1> kv{};
    std::array<std::array<int, kOutputRows + 1>, 4> exposure{};
    std::array<int, 4> al{}, cu{};
};

// Reads the comment and the values in file order, filtrations in cm.
OutputDataTable readValues(FreeFormatReader& reader, ValueLines& at)
{
    OutputDataTable table;
    auto read = [&reader](int& line) {
        const double v = reader.readNumber();
        line = reader.lastValueLine();
        return v;
    };
    table.comment = reader.readLine();
    for (std::size_t row = 1; row <= kOutputRows; ++row)
        table.kvGrid[row] = read(at.kv[row]);
    for (std::size_t code = 1; code <= 3; ++code) {
        for (std::size_t row = 1; row <= kOutputRows; ++row)
            table.exposurePerMas[code][row] = read(at.exposure[code][row]);
        table.filtrationAl[code] = read(at.al[code]) * kMmToCm;
        table.filtrationCu[code] = read(at.cu[code]) * kMmToCm;
    }
    return table;
}

} // namespace

OutputDataTable loadOutputDataTable(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    ValueLines at;
    OutputDataTable table = readValues(reader, at);
    if (const std::optional<OutputDataFault> fault = outputDataTableFault(table)) {
        const OutputDataCell& c = fault->cell;
        const auto code = static_cast<std::size_t>(c.code), row = static_cast<std::size_t>(c.row);
        int line = 1;
        switch (c.kind) {
        case OutputDataCell::Kind::Voltage:
            line = at.kv[row];
            break;
        case OutputDataCell::Kind::Exposure:
            line = at.exposure[code][row];
            break;
        case OutputDataCell::Kind::Aluminium:
            line = at.al[code];
            break;
        case OutputDataCell::Kind::Copper:
            line = at.cu[code];
            break;
        case OutputDataCell::Kind::Comment:
            break;
        }
        throw DataFileError(path.filename().string(), line, fault->wording());
    }
    table.fileName = path.filename().string();
    return table;
}

void saveOutputDataTable(const OutputDataTable& table, const std::filesystem::path& path)
{
    if (const std::optional<OutputDataFault> fault = outputDataTableFault(table))
        throw RefusedValue(fault->wording());
    std::vector<std::string> lines;
    lines.push_back(table.comment);
    std::string voltages;
    for (int row = 1; row <= kOutputRows; ++row)
        voltages += voltageText(table.kvGrid[static_cast<std::size_t>(row)]);
    lines.push_back(voltages);
    for (std::size_t code = 1; code <= 3; ++code) {
        std::string line;
        for (std::size_t row = 1; row <= kOutputRows; ++row)
            line += formatNumber(table.exposurePerMas[code][row], "0.00E+00 ");
        line += formatNumber(table.filtrationAl[code] * kCmToMm, "#0.00 ");
        line += formatNumber(table.filtrationCu[code] * kCmToMm, "#0.00");
        lines.push_back(line);
    }
    // What is written must read back: the patterns round, and a value at a
    // limit could round beyond it.
    FreeFormatReader back(lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3] + "\n" + lines[4] + "\n", path.filename().string());
    ValueLines unused;
    const OutputDataTable rounded = readValues(back, unused);
    if (const std::optional<OutputDataFault> fault = outputDataTableFault(rounded))
        throw RefusedValue(worded(Reason{ReasonCode::AsWritten}, fault->wording()));
    writeTextLines(path, lines);
}

bool isReservedOutputName(const std::string& name)
{
    constexpr std::string_view kReserved = "default-output";
    if (name.size() != kReserved.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != kReserved[i])
            return false;
    return true;
}

std::string outputDataDisplayName(const OutputDataTable& table)
{
    const std::string& name = table.fileName;
    return name.size() >= 3 ? name.substr(0, name.size() - 3) : std::string();
}

} // namespace velnor

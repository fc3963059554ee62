#include "main/records/ReferenceLevels.h"

#include "common/CsvFields.h"
#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/NumberReading.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace velnor {
namespace {

constexpr const char* kEditionKey = "版";
constexpr const char* kDoseKey = "線量";
constexpr const char* kHeaderKey = "区分";
constexpr const char* kHeader = "区分,DRL(mGy),撮影部位,管電圧下限(kV),管電圧上限(kV)";
constexpr int kEditionLine = 1;
constexpr int kFirstLevelLine = 4; // as the writer places them
constexpr int kLevelCells = 5;

struct DoseName {
    DrlDose dose;
    const char* file;
    const char* key;
};
constexpr DoseName kDoseNames[] = {
    {DrlDose::SoftTissue, "軟部組織", "esdSoftTissue"},
    {DrlDose::Skin, "皮膚", "esdSkin"},
    {DrlDose::Air, "空気カーマ", "esdAir"},
};

std::string trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> splitAt(const std::string& s, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(separator, start);
        parts.push_back(trimmed(s.substr(start, end == std::string::npos ? std::string::npos : end - start)));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::optional<Reason> textFault(const std::string& text, const char* field)
{
    if (text.empty())
        return Reason{ReasonCode::TextEmpty, field};
    if (holdsControlCharacter(text))
        return Reason{ReasonCode::ControlCharacter, field};
    if (!isValidUtf8(text))
        return Reason{ReasonCode::NotValidText, field};
    return std::nullopt;
}

std::optional<Reason> voltageFault(const std::optional<double>& kv, const char* field)
{
    if (!kv)
        return std::nullopt;
    if (!std::isfinite(*kv))
        return Reason{ReasonCode::NotFinite, field};
    if (*kv <= 0)
        return Reason{ReasonCode::NotPositive, field, *kv, 0, 0, "kV"};
    return std::nullopt;
}

std::optional<Reason> levelFault(const ReferenceLevel& level)
{
    if (std::optional<Reason> fault = textFault(level.name, "drlName"))
        return fault;
    if (!std::isfinite(level.valueMgy))
        return Reason{ReasonCode::NotFinite, "drlValueMgy"};
    if (level.valueMgy <= 0)
        return Reason{ReasonCode::NotPositive, "drlValueMgy", level.valueMgy, 0, 0, "mGy"};
    if (level.valueMgy > kMaxEntranceDoseMgy)
        return Reason{ReasonCode::AtMost, "drlValueMgy", level.valueMgy, 0, kMaxEntranceDoseMgy, "mGy"};
    if (level.bodyParts.empty())
        return Reason{ReasonCode::TextEmpty, "drlBodyParts"};
    for (const std::string& part : level.bodyParts) {
        if (std::optional<Reason> fault = textFault(part, "drlBodyParts"))
            return fault;
        if (part.find('/') != std::string::npos)
            return Reason{ReasonCode::DrlSlash, "drlBodyParts"};
    }
    if (std::optional<Reason> fault = voltageFault(level.lowKv, "drlLowKv"))
        return fault;
    if (std::optional<Reason> fault = voltageFault(level.highKv, "drlHighKv"))
        return fault;
    if (level.lowKv && level.highKv && *level.lowKv >= *level.highKv)
        return Reason{ReasonCode::DrlRangeEmpty, {}, 0, *level.lowKv, *level.highKv};
    return std::nullopt;
}

bool holds(const ReferenceLevel& level, const std::string& bodyPart)
{
    for (const std::string& part : level.bodyParts)
        if (part == bodyPart)
            return true;
    return false;
}

bool rangesOverlap(const ReferenceLevel& a, const ReferenceLevel& b)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    return a.lowKv.value_or(-inf) < b.highKv.value_or(inf) && b.lowKv.value_or(-inf) < a.highKv.value_or(inf);
}

std::optional<double> numberCell(const std::string& cell, const std::string& fileName, int line, const char* field)
{
    if (cell.empty())
        return std::nullopt;
    bool overflow = false;
    const std::optional<double> v = parseNumber(cell, &overflow);
    if (!v)
        throw DataFileError(fileName, line,
                            worded(Reason{ReasonCode::InField, field},
                                   worded(Reason{overflow ? ReasonCode::NumberOverflow : ReasonCode::NotANumberInFile, {}, 0, 0, 0, {}, cell})));
    return v;
}

std::vector<std::string> cellsOf(const std::string& line, const std::string& fileName, int lineNumber)
{
    try {
        return csvCells(line);
    } catch (const RefusedValue& e) {
        throw DataFileError(fileName, lineNumber, e.wording());
    }
}

} // namespace

const char* drlDoseFileName(DrlDose dose) { return kDoseNames[static_cast<int>(dose)].file; }
const char* drlDoseKey(DrlDose dose) { return kDoseNames[static_cast<int>(dose)].key; }

std::optional<DrlDose> drlDoseFromFileName(const std::string& name)
{
    for (const DoseName& d : kDoseNames)
        if (name == d.file)
            return d.dose;
    return std::nullopt;
}

double doseCompared(DrlDose dose, const DoseResults& results)
{
    switch (dose) {
    case DrlDose::SoftTissue:
        return results.esdSoftTissue;
    case DrlDose::Skin:
        return results.esdSkin;
    case DrlDose::Air:
        break;
    }
    return results.esdAir;
}

std::optional<ReferenceLevelFault> referenceLevelTableFault(const ReferenceLevelTable& table)
{
    if (std::optional<Reason> fault = textFault(table.edition, "drlEdition"))
        return ReferenceLevelFault{-1, *fault};
    const int n = static_cast<int>(table.levels.size());
    for (int k = 0; k < n; ++k) {
        const ReferenceLevel& level = table.levels[static_cast<std::size_t>(k)];
        if (std::optional<Reason> fault = levelFault(level))
            return ReferenceLevelFault{k, *fault};
        for (int j = 0; j < k; ++j) {
            const ReferenceLevel& earlier = table.levels[static_cast<std::size_t>(j)];
            if (!rangesOverlap(earlier, level))
                continue;
            for (const std::string& part : level.bodyParts)
                if (holds(earlier, part))
                    return ReferenceLevelFault{k, Reason{ReasonCode::DrlRangesOverlap, {}, static_cast<double>(earlier.line), 0, 0, {}, part}};
        }
    }
    return std::nullopt;
}

ReferenceLevelTable parseReferenceLevels(const std::vector<std::string>& lines, const std::string& fileName)
{
    ReferenceLevelTable table;
    const char* const keys[] = {kEditionKey, kDoseKey, kHeaderKey};
    int keysSeen = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        const std::vector<std::string> cells = cellsOf(lines[i], fileName, lineNumber);
        if (cells.empty())
            continue;
        if (keysSeen < 3) {
            if (cells[0] != keys[keysSeen])
                throw DataFileError(fileName, lineNumber, Reason{ReasonCode::DrlLineKey, {}, 0, 0, 0, {}, keys[keysSeen]});
            const std::string value = cells.size() > 1 ? cells[1] : std::string();
            if (keysSeen == 0) {
                table.edition = value;
            } else if (keysSeen == 1) {
                const std::optional<DrlDose> dose = drlDoseFromFileName(value);
                if (!dose)
                    throw DataFileError(fileName, lineNumber, Reason{ReasonCode::DrlUnknownDose, {}, 0, 0, 0, {}, value});
                table.dose = *dose;
            }
            ++keysSeen;
            continue;
        }
        if (cells.size() > static_cast<std::size_t>(kLevelCells))
            throw DataFileError(fileName, lineNumber, Reason{ReasonCode::TooManyValues});
        auto cell = [&](int k) { return k < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(k)] : std::string(); };
        ReferenceLevel level;
        level.line = lineNumber;
        level.name = cell(0);
        if (cell(1).empty())
            throw DataFileError(fileName, lineNumber, Reason{ReasonCode::TextEmpty, "drlValueMgy"});
        level.valueMgy = numberCell(cell(1), fileName, lineNumber, "drlValueMgy").value_or(0);
        if (!cell(2).empty())
            level.bodyParts = splitAt(cell(2), '/');
        level.lowKv = numberCell(cell(3), fileName, lineNumber, "drlLowKv");
        level.highKv = numberCell(cell(4), fileName, lineNumber, "drlHighKv");
        table.levels.push_back(std::move(level));
    }
    if (keysSeen < 3)
        throw DataFileError(fileName, Reason{ReasonCode::DrlLineKey, {}, 0, 0, 0, {}, keys[keysSeen]});
    if (const std::optional<ReferenceLevelFault> fault = referenceLevelTableFault(table)) {
        const int line = fault->level < 0 ? kEditionLine : table.levels[static_cast<std::size_t>(fault->level)].line;
        throw DataFileError(fileName, line, fault->reason);
    }
    return table;
}

ReferenceLevelTable readReferenceLevels(const std::filesystem::path& path)
{
    return parseReferenceLevels(readTextLines(path), path.filename().string());
}

std::vector<std::string> referenceLevelLines(const ReferenceLevelTable& table)
{
    std::vector<std::string> lines = {std::string(kEditionKey) + "," + csvField(table.edition),
                                      std::string(kDoseKey) + "," + drlDoseFileName(table.dose), kHeader};
    auto kv = [](const std::optional<double>& v) { return v ? formatAsIs(*v) : std::string(); };
    for (const ReferenceLevel& level : table.levels) {
        std::string parts;
        for (const std::string& part : level.bodyParts)
            parts += (parts.empty() ? "" : "/") + part;
        lines.push_back(csvField(level.name) + "," + formatAsIs(level.valueMgy) + "," + csvField(parts) + "," + kv(level.lowKv) + "," +
                        kv(level.highKv));
    }
    return lines;
}

void writeReferenceLevels(const std::filesystem::path& path, const ReferenceLevelTable& table)
{
    // The check sees the levels where the writer puts them.
    ReferenceLevelTable placed = table;
    for (std::size_t k = 0; k < placed.levels.size(); ++k)
        placed.levels[k].line = kFirstLevelLine + static_cast<int>(k);
    if (const std::optional<ReferenceLevelFault> fault = referenceLevelTableFault(placed)) {
        const int line = fault->level < 0 ? kEditionLine : placed.levels[static_cast<std::size_t>(fault->level)].line;
        throw DataFileError(path.filename().string(), line, fault->reason);
    }
    writeTextLines(path, referenceLevelLines(placed));
}

const ReferenceLevel* findReferenceLevel(const ReferenceLevelTable& table, const std::string& bodyPart, double tubeVoltageKv)
{
    for (const ReferenceLevel& level : table.levels) {
        if (!holds(level, bodyPart))
            continue;
        if (level.lowKv && tubeVoltageKv < *level.lowKv)
            continue;
        if (level.highKv && tubeVoltageKv >= *level.highKv)
            continue;
        return &level;
    }
    return nullptr;
}

ReferenceLevels loadReferenceLevels(const std::filesystem::path& folder)
{
    ReferenceLevels levels;
    try {
        levels.table = readReferenceLevels(findFileIgnoringCase(folder, kReferenceLevelsFile));
    } catch (const std::exception& e) {
        levels.fault = wordingOf(e);
    }
    return levels;
}

std::string percentText(double ratio)
{
    const double percent = 100 * ratio;
    char text[64];
    std::snprintf(text, sizeof text, percent >= 9.95 ? "%.0f %%" : "%.2g %%", percent);
    return text;
}

DrlComparison compareWithReferenceLevel(const ReferenceLevels& levels, const std::string& bodyPart, double tubeVoltageKv,
                                        const DoseResults& results)
{
    DrlComparison comparison;
    if (!levels.table) {
        comparison.kind = DrlComparison::Kind::Unavailable;
        comparison.why = levels.fault;
        return comparison;
    }
    const ReferenceLevel* level = findReferenceLevel(*levels.table, bodyPart, tubeVoltageKv);
    if (!level)
        return comparison;
    comparison.kind = DrlComparison::Kind::Compared;
    comparison.edition = levels.table->edition;
    comparison.name = level->name;
    comparison.levelMgy = level->valueMgy;
    comparison.dose = levels.table->dose;
    comparison.doseMgy = doseCompared(levels.table->dose, results);
    comparison.ratio = comparison.doseMgy / level->valueMgy;
    return comparison;
}

} // namespace velnor

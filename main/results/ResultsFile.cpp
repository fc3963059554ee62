#include "main/results/ResultsFile.h"

#include "common/CsvFields.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/NumberReading.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"

#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>

namespace velnor {
namespace {

constexpr const char* kDash = "―";

// A value of the file that cannot be read, in English and Japanese.
constexpr const char* kCircularPreset = "円形照射野";

// A value that reads "as is": the shortest decimal text.
std::string asIs(double v) { return formatAsIs(v); }
std::string asIsOrDash(double v) { return v == 0 ? std::string(kDash) : formatAsIs(v); }

// A comma inside a text would shift every later column: it is kept as a
// full-width comma. A text that a spreadsheet would run as a formula (=, +,
// -, @ first) gets a leading apostrophe, which the reader takes off again
// (one that begins with an apostrophe gets one more); a text holding a
// double quote is quoted as RFC 4180 says.
std::string textField(const std::string& s)
{
    std::string out;
    if (!s.empty() && std::string_view("=+-@'").find(s.front()) != std::string_view::npos)
        out += '\'';
    for (char c : s)
        out += c == ',' ? std::string("，") : std::string(1, c);
    return csvField(out);
}

// A text as textField wrote it.
std::string readText(const std::string& s) { return !s.empty() && s.front() == '\'' ? s.substr(1) : s; }

std::string surfaceName(SurfaceCode s)
{
    switch (s) {
    case SurfaceCode::FlatBody:
        return "平面";
    case SurfaceCode::Cylinder:
        return "円柱面";
    case SurfaceCode::EllipticCylinder:
        return "楕円柱面";
    case SurfaceCode::FlatHead:
        return "頭平面";
    case SurfaceCode::Racetrack:
        break;
    }
    return "Racetrack";
}

SurfaceCode surfaceFromName(const std::string& s)
{
    for (SurfaceCode c : {SurfaceCode::FlatBody, SurfaceCode::FlatHead, SurfaceCode::Cylinder, SurfaceCode::EllipticCylinder,
                          SurfaceCode::Racetrack})
        if (s == surfaceName(c))
            return c;
    throw RefusedValue(Reason{ReasonCode::NotASurfaceText, {}, 0, 0, 0, {}, s});
}

std::string rectificationName(Rectification r)
{
    switch (r) {
    case Rectification::ConstantPotential:
        return "定電圧";
    case Rectification::ThreePhase12Peak:
        return "三相12";
    case Rectification::SinglePhaseFullWave:
        break;
    }
    return "単相全波";
}

Rectification rectificationFromName(const std::string& s)
{
    for (Rectification r : {Rectification::ConstantPotential, Rectification::ThreePhase12Peak, Rectification::SinglePhaseFullWave})
        if (s == rectificationName(r))
            return r;
    throw RefusedValue(Reason{ReasonCode::NotAWaveformText, {}, 0, 0, 0, {}, s});
}

// One quantity line: its caption, how a row's value is written and how a
// value read back is stored. `read` gets the field text and the line number
// for its error messages.
struct Quantity {
    const char* caption;
    const char* field; // the record field it holds, as its check names it
    std::function<std::string(const ResultRow&, double cfAir)> write;
    std::function<void(const std::string&, ResultRow&, double& cfAir, const std::function<double(const std::string&)>& number)> read;
};

using Number = std::function<double(const std::string&)>;

// The number in a field of the radius lines: "―" and any other text read as 0.
double lenientNumber(const std::string& s) { return parseNumber(s).value_or(0.0); }

#define FIELD(expr) [](const ResultRow& r, double) { return (expr); }
#define STORE(target) [](const std::string& s, ResultRow& r, double&, const Number& number) { target = number(s); }
// Millimetres held in cm: divided, so that "0.1" becomes 0.01 as written (0.1 x 0.1 would not).
#define STORE_MM(target) [](const std::string& s, ResultRow& r, double&, const Number& number) { target = number(s) / 10; }

const std::vector<Quantity>& quantities()
{
    static const std::vector<Quantity> q = {
        {"照射部位", "bodyPart", FIELD(textField(r.conditions.bodyPart)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.bodyPart = readText(s); }},
        {"入射面", "surfaceCode", FIELD(surfaceName(r.conditions.surfaceCode)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.surfaceCode = surfaceFromName(s); }},
        {"円柱半径", "cylinderRadiusCm", FIELD(asIsOrDash(r.conditions.cylinderRadiusCm)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.cylinderRadiusCm = lenientNumber(s); }},
        {"楕円水平半径", "ellipseHorizontalCm", FIELD(asIsOrDash(r.conditions.ellipseHorizontalCm)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.ellipseHorizontalCm = lenientNumber(s); }},
        {"楕円垂直半径", "ellipseVerticalCm", FIELD(asIsOrDash(r.conditions.ellipseVerticalCm)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.ellipseVerticalCm = lenientNumber(s); }},
        {"Racetrack a", "racetrackACm", FIELD(asIs(r.conditions.racetrackACm)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.racetrackACm = lenientNumber(s); }},
        {"Racetrack b", "racetrackBCm", FIELD(asIs(r.conditions.racetrackBCm)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.racetrackBCm = lenientNumber(s); }},
        {"Racetrack L", "racetrackLengthCm", FIELD(asIs(r.conditions.racetrackLengthCm)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.racetrackLengthCm = lenientNumber(s); }},
        {"整流方式", "rectification", FIELD(rectificationName(r.conditions.rectification)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.rectification = rectificationFromName(s); }},
        {"照射線量 at 1m (C/kg)", "exposureAt1m", FIELD(formatNumber(r.conditions.exposureAt1m, "0.00E+00")), STORE(r.conditions.exposureAt1m)},
        {"管電圧 (kV)", "tubeVoltageKv", FIELD(asIs(r.conditions.tubeVoltageKv)), STORE(r.conditions.tubeVoltageKv)},
        {"管電流 (mA)", "tubeCurrentMa", FIELD(asIs(r.conditions.tubeCurrentMa)), STORE(r.conditions.tubeCurrentMa)},
        {"時間 (sec)", "exposureTimeS", FIELD(asIs(r.conditions.exposureTimeS)), STORE(r.conditions.exposureTimeS)},
        {"ﾀｰｹﾞｯﾄ角度(度)", "targetAngleDeg", FIELD(asIs(r.conditions.targetAngleDeg)), STORE(r.conditions.targetAngleDeg)},
        {"固有濾過(mmAL)", "inherentFiltrationCm", FIELD(asIs(10 * r.conditions.inherentFiltrationCm)), STORE_MM(r.conditions.inherentFiltrationCm)},
        {"ｱﾙﾐ付加 (mm)", "addedAlCm", FIELD(asIs(10 * r.conditions.addedAlCm)), STORE_MM(r.conditions.addedAlCm)},
        {"銅付加 (mm)", "addedCuCm", FIELD(asIs(10 * r.conditions.addedCuCm)), STORE_MM(r.conditions.addedCuCm)},
        {"その他フィルタ", "otherFilterName", FIELD(r.conditions.otherFilterName.empty() ? std::string(kDash) : textField(r.conditions.otherFilterName)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.otherFilterName = s == kDash ? "" : readText(s); }},
        {"　上記厚(mm)", "otherFilterCm", FIELD(asIs(10 * r.conditions.otherFilterCm)), STORE_MM(r.conditions.otherFilterCm)},
        {"FFD (cm)", "focusReceptorDistanceCm", FIELD(asIs(r.conditions.focusReceptorDistanceCm)), STORE(r.conditions.focusReceptorDistanceCm)},
        {"FSD (cm)", "focusSurfaceDistanceCm", FIELD(asIs(r.conditions.focusSurfaceDistanceCm)), STORE(r.conditions.focusSurfaceDistanceCm)},
        {"体厚 (cm)", "bodyThicknessCm", FIELD(asIs(r.conditions.bodyThicknessCm)), STORE(r.conditions.bodyThicknessCm)},
        {"照射野 at FFD", "fieldPresetName", FIELD(textField(r.conditions.fieldPresetName)),
         [](const std::string& s, ResultRow& r, double&, const Number&) { r.conditions.fieldPresetName = readText(s); }},
        {"長軸 (cm)", "fieldLongCm", FIELD(asIs(r.conditions.fieldLongCm.value_or(0.0))), STORE(r.conditions.fieldLongCm)},
        {"短軸 (cm)", "fieldShortCm", FIELD(asIs(r.conditions.fieldShortCm.value_or(0.0))), STORE(r.conditions.fieldShortCm)},
        {"第１半価層 (mmAL)", "hvl1Cm", FIELD(formatNumber(10 * r.beamQuality.hvl1Cm, "#0.000")), STORE_MM(r.beamQuality.hvl1Cm)},
        // Empty until a file supplies one: written as 0, and 0 (no layer) reads back as empty.
        {"第２半価層 (mmAL)", "hvl2Cm", FIELD(formatNumber(10 * r.beamQuality.hvl2Cm.value_or(0.0), "#0.000")),
         [](const std::string& s, ResultRow& r, double&, const Number& number) {
             const double mm = number(s);
             r.beamQuality.hvl2Cm = mm > 0 ? std::optional<double>(mm / 10) : std::nullopt;
         }},
        {"実効エネルギー (keV)", "effectiveEnergyKev", FIELD(formatNumber(r.beamQuality.effectiveEnergyKev, "#00.00")), STORE(r.beamQuality.effectiveEnergyKev)},
        {"線質指標 QI", "qualityIndex", FIELD(formatNumber(r.beamQuality.qualityIndex.value_or(0.0), "0.000")),
         [](const std::string& s, ResultRow& r, double&, const Number& number) {
             const double qi = number(s);
             r.beamQuality.qualityIndex = qi > 0 ? std::optional<double>(qi) : std::nullopt;
         }},
        {"後方散乱係数 Soft", "bsfSoftTissue", FIELD(formatNumber(r.dose.bsfSoftTissue, "0.000")), STORE(r.dose.bsfSoftTissue)},
        {"後方散乱係数 Skin", "bsfSkin", FIELD(formatNumber(r.dose.bsfSkin, "0.000")), STORE(r.dose.bsfSkin)},
        {"後方散乱係数 Air", "bsfAir", FIELD(formatNumber(r.dose.bsfAir, "0.000")), STORE(r.dose.bsfAir)},
        {"吸収線量変換係数(Soft) (Gy/C/kg)", "cfSoftTissue", FIELD(formatNumber(r.dose.cfSoftTissue, "00.00")), STORE(r.dose.cfSoftTissue)},
        {"吸収線量変換係数(skin) (Gy/C/kg)", "cfSkin", FIELD(formatNumber(r.dose.cfSkin, "00.00")), STORE(r.dose.cfSkin)},
        {"吸収線量変換係数(Air) (Gy/C/kg)", "cfAir", [](const ResultRow&, double cfAir) { return formatNumber(cfAir, "00.00"); },
         [](const std::string& s, ResultRow& r, double& cfAir, const Number& number) {
             cfAir = number(s);
             r.dose.cfAir = cfAir;
         }},
        {"入射表面線量 (Soft) (mGy)", "esdSoftTissue", FIELD(formatKeepingDigits(r.dose.esdSoftTissue, "##0.00")), STORE(r.dose.esdSoftTissue)},
        {"入射表面線量 (skin) (mGy)", "esdSkin", FIELD(formatKeepingDigits(r.dose.esdSkin, "##0.00")), STORE(r.dose.esdSkin)},
        {"入射表面線量 (air) (mGy)", "esdAir", FIELD(formatKeepingDigits(r.dose.esdAir, "##0.00")), STORE(r.dose.esdAir)},
        {"実効線量概算値 (mSv)", "effectiveDoseMsv", FIELD(r.effectiveDoseMsv ? formatKeepingDigits(*r.effectiveDoseMsv, "##0.000") : std::string(kDash)),
         [](const std::string& s, ResultRow& r, double&, const Number& number) {
             if (s == kDash)
                 r.effectiveDoseMsv.reset();
             else
                 r.effectiveDoseMsv = number(s);
         }},
    };
    return q;
}

#undef FIELD
#undef STORE
#undef STORE_MM

// The spreadsheet column of row k (from 0): the captions fill column 1.
// The value of row k (from 0) stands in column k + 2, after the caption.
Wording inColumn(int k, const Wording& inner)
{
    return worded(Reason{ReasonCode::InColumn, {}, static_cast<double>(k + 2), static_cast<double>(k + 1)}, inner);
}

// Line 1 is the comment as written; a spreadsheet that quotes every cell
// quotes it too (and so does the writer, for a comment that begins with a quote).
std::string commentOf(const std::string& line)
{
    if (line.empty() || line.front() != '"')
        return line;
    try {
        return splitCsvFields(line)[0];
    } catch (const RefusedValue&) {
        return line; // an older file's comment that merely begins with a quote
    }
}

std::string trimmed(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

} // namespace

std::vector<std::string> resultsFileLines(const std::string& comment, const ResultsTable& table, double cfAir)
{
    std::string first = comment;
    if (!comment.empty() && comment.front() == '"') { // quoted, so that it reads back as typed
        first = "\"";
        for (char c : comment)
            first += c == '"' ? std::string("\"\"") : std::string(1, c);
        first += "\"";
    }
    std::vector<std::string> lines = {first, std::to_string(table.nextFreeRow() - 1)};
    for (const Quantity& q : quantities()) {
        std::string line = q.caption;
        for (int k = 1; k < table.nextFreeRow(); ++k)
            line += "," + q.write(table.row(k), cfAir);
        lines.push_back(line);
    }
    return lines;
}

void writeResultsFile(const std::filesystem::path& path, const std::string& comment, const ResultsTable& table, double cfAir)
{
    // Only what the reader takes back is written.
    if (holdsControlCharacter(comment))
        throw RefusedValue(Reason{ReasonCode::ControlCharacter, "comment"});
    for (int k = 1; k < table.nextFreeRow(); ++k)
        if (const std::optional<RecordFault> fault = resultRowFault(table.row(k)))
            throw RefusedValue(worded(Reason{ReasonCode::InRow, {}, static_cast<double>(k)}, fault->wording()));
    // What is written must read back: checked through the reader itself, so
    // a value no row holds (the table-wide air conversion factor) is checked too.
    const std::vector<std::string> lines = resultsFileLines(comment, table, cfAir);
    try {
        parseResultsFileLines(lines, path.filename().string());
    } catch (const DataFileError& e) {
        throw RefusedValue(worded(Reason{ReasonCode::AsWritten}, e.reason()));
    }
    writeTextLines(path, lines, TextWriteOptions{true});
}

ResultsFileContent parseResultsFileLines(const std::vector<std::string>& lines, const std::string& file)
{
    if (lines.size() < 2 + kResultsQuantityLines)
        throw DataFileError(file, static_cast<int>(lines.size()),
                            Reason{ReasonCode::FileEndsEarly, {}, static_cast<double>(lines.size()), 0, 2 + kResultsQuantityLines});
    // A spreadsheet set to semicolons as separators saves every line without a comma.
    if (lines[2].find(',') == std::string::npos && lines[2].find(';') != std::string::npos)
        throw DataFileError(file, 3, Reason{ReasonCode::SemicolonSeparated});
    auto fieldsOf = [&](int lineNumber) {
        try {
            return splitCsvFields(lines[static_cast<std::size_t>(lineNumber - 1)]);
        } catch (const RefusedValue& e) {
            throw DataFileError(file, lineNumber, e.wording());
        }
    };
    const std::optional<double> count = parseNumber(trimmed(fieldsOf(2)[0]));
    // The range first: a count like 1e99 has no int to compare with.
    if (!count || !(*count >= 1 && *count <= kMaxResultRows) || *count != std::floor(*count))
        throw DataFileError(file, 2, Reason{ReasonCode::RowCountText, {}, 0, 1, kMaxResultRows, {}, lines[1]});
    const int n = static_cast<int>(*count);

    ResultsFileContent content;
    content.comment = commentOf(lines[0]);
    content.rows.resize(static_cast<std::size_t>(n));
    for (int q = 0; q < kResultsQuantityLines; ++q) {
        const int lineNumber = 3 + q;
        const std::vector<std::string> fields = fieldsOf(lineNumber);
        if (static_cast<int>(fields.size()) < n + 1)
            throw DataFileError(file, lineNumber,
                                Reason{ReasonCode::ValuesForRows, {}, static_cast<double>(fields.size() - 1), static_cast<double>(n)});
        const Number number = [](const std::string& text) {
            bool overflow = false;
            const std::optional<double> v = parseNumber(trimmed(text), &overflow);
            if (!v)
                throw RefusedValue(Reason{overflow ? ReasonCode::NumberOverflow : ReasonCode::NotANumberInFile, {}, 0, 0, 0, {}, text});
            return *v;
        };
        for (int k = 0; k < n; ++k) {
            try {
                quantities()[static_cast<std::size_t>(q)].read(fields[static_cast<std::size_t>(k + 1)],
                                                               content.rows[static_cast<std::size_t>(k)], content.cfAir, number);
            } catch (const RefusedValue& e) {
                throw DataFileError(file, lineNumber, inColumn(k, e.wording()));
            }
        }
    }
    for (ResultRow& r : content.rows) {
        r.fromFile = true;
        ExposureConditions& c = r.conditions;
        c.exposureAt1mSet = true;
        c.headPhantom = c.surfaceCode == SurfaceCode::FlatHead ? 1 : 0;
        const bool curved = c.surfaceCode != SurfaceCode::FlatBody && c.surfaceCode != SurfaceCode::FlatHead;
        c.incidenceMode = curved ? IncidenceMode::NonPlanar : IncidenceMode::Planar;
        c.fieldShape = c.fieldPresetName == kCircularPreset ? FieldShape::Circular : FieldShape::Rectangular;
    }
    // Every row must hold a case that could have been computed; the line and
    // column of the first value that could not be are named.
    for (int k = 0; k < n; ++k) {
        const std::optional<RecordFault> fault = resultRowFault(content.rows[static_cast<std::size_t>(k)]);
        if (!fault)
            continue;
        int lineNumber = 0;
        for (int q = 0; q < kResultsQuantityLines; ++q)
            if (fault->field == quantities()[static_cast<std::size_t>(q)].field)
                lineNumber = 3 + q;
        throw DataFileError(file, lineNumber, inColumn(k, fault->wording()));
    }
    return content;
}


ResultsFileContent readResultsFile(const std::filesystem::path& path)
{
    return parseResultsFileLines(readTextLines(path), path.filename().string());
}

std::string readResultsFileComment(const std::filesystem::path& path)
{
    try {
        const std::vector<std::string> lines = readTextLines(path);
        return lines.empty() ? std::string() : commentOf(lines[0]);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace velnor

#include "survey/SurveyFiles.h"

#include "common/CsvFields.h"
#include "common/DataFileError.h"

#include <xlsxwriter.h>

#include <charconv>

namespace velnor::survey {
namespace {

Cell number(const std::optional<double>& v) { return Cell{v, {}}; }
Cell text(const std::string& t) { return Cell{std::nullopt, t}; }

std::string csvLine(const std::vector<Cell>& cells)
{
    std::string line;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k)
            line += ',';
        if (cells[k].number) {
            char digits[32];
            line.append(digits, std::to_chars(digits, digits + sizeof digits, *cells[k].number).ptr);
        } else {
            line += csvField(cells[k].text);
        }
    }
    return line;
}

std::vector<Cell> headerCells(const std::vector<std::string>& columns)
{
    std::vector<Cell> cells;
    for (const std::string& c : columns)
        cells.push_back(text(c));
    return cells;
}

} // namespace

std::vector<std::string> exposureColumns()
{
    return {"source", "room", "bodyPart", "tubeVoltageKv", "tubeCurrentMa", "exposureTimeS", "focusReceptorDistanceCm",
            "focusSurfaceDistanceCm", "bodyThicknessCm", "fieldLongCm", "fieldShortCm", "esdSoftTissue (mGy)", "esdSkin (mGy)",
            "esdAir (mGy)", "effectiveDose (mSv)", "drlName", "drl (mGy)", "drlRatio", "assumed", "error"};
}

std::vector<Cell> exposureCells(const ExposureResult& r)
{
    const ExposureConditions& c = r.conditions;
    std::string assumed;
    for (const std::string& key : r.assumed)
        assumed += (assumed.empty() ? "" : " ") + key;
    std::vector<Cell> cells = {text(r.source), text(r.room)};
    if (r.error.empty()) {
        const bool level = r.drl.kind == DrlComparison::Kind::Compared;
        cells.insert(cells.end(), {text(c.bodyPart), number(c.tubeVoltageKv), number(c.tubeCurrentMa), number(c.exposureTimeS),
                                   number(c.focusReceptorDistanceCm), number(c.focusSurfaceDistanceCm), number(c.bodyThicknessCm),
                                   number(c.fieldLongCm), number(c.fieldShortCm), number(r.dose.esdSoftTissue), number(r.dose.esdSkin),
                                   number(r.dose.esdAir), number(r.effectiveDoseMsv), text(level ? r.drl.name : ""),
                                   number(level ? std::optional<double>(r.drl.levelMgy) : std::nullopt),
                                   number(level ? std::optional<double>(r.drl.ratio) : std::nullopt)});
    } else {
        cells.resize(cells.size() + 16);
    }
    cells.push_back(text(assumed));
    cells.push_back(text(r.error));
    return cells;
}

std::vector<std::string> summaryColumns()
{
    return {"examination", "room", "count", "outsideBand", "dose", "median (mGy)", "q1 (mGy)", "q3 (mGy)", "min (mGy)", "max (mGy)",
            "medianThicknessCm", "medianEffectiveDose (mSv)", "drl (mGy)", "ratio", "edition"};
}

std::vector<Cell> summaryCells(const ExaminationSummary& s)
{
    auto stat = [&](double v) { return number(s.count ? std::optional<double>(v) : std::nullopt); };
    return {text(s.name), text(s.room), number(s.count), number(s.outsideBand), text(drlDoseKey(s.dose)), stat(s.median), stat(s.q1),
            stat(s.q3), stat(s.min), stat(s.max), number(s.medianThicknessCm), number(s.medianEffectiveDoseMsv), number(s.levelMgy),
            number(s.ratio), text(s.edition)};
}

std::filesystem::path summaryPathFor(const std::filesystem::path& exposuresCsv)
{
    std::filesystem::path summary = exposuresCsv;
    summary.replace_filename(exposuresCsv.stem().string() + "-summary" + exposuresCsv.extension().string());
    return summary;
}

SurveyCsv::SurveyCsv(const std::filesystem::path& path) : m_path(path), m_file(path)
{
    m_file.write("\xEF\xBB\xBF" + csvLine(headerCells(exposureColumns())) + "\r\n");
}

void SurveyCsv::add(const ExposureResult& result) { m_file.write(csvLine(exposureCells(result)) + "\r\n"); }

void SurveyCsv::commit(const std::vector<ExaminationSummary>& summaries)
{
    std::vector<std::string> lines = {csvLine(headerCells(summaryColumns()))};
    for (const ExaminationSummary& s : summaries)
        lines.push_back(csvLine(summaryCells(s)));
    // The summary first: a failure then leaves neither file new.
    writeTextLines(summaryPathFor(m_path), lines, {true});
    m_file.commit();
}

struct SurveyWorkbook::Book {
    lxw_workbook* workbook = nullptr;
    lxw_worksheet *summary = nullptr, *exposures = nullptr;
    lxw_format* header = nullptr;
    lxw_row_t row = 0;
};

namespace {

void writeRow(lxw_worksheet* sheet, lxw_row_t row, const std::vector<Cell>& cells, lxw_format* format = nullptr)
{
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const auto col = static_cast<lxw_col_t>(k);
        if (cells[k].number)
            worksheet_write_number(sheet, row, col, *cells[k].number, format);
        else if (!cells[k].text.empty())
            worksheet_write_string(sheet, row, col, cells[k].text.c_str(), format);
    }
}

} // namespace

SurveyWorkbook::SurveyWorkbook(const std::filesystem::path& path) : m_path(path), m_file(path), m_book(std::make_unique<Book>())
{
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    m_book->workbook = workbook_new_opt(m_file.temporaryPath().c_str(), &options);
    if (!m_book->workbook)
        throw DataFileError(path.string(), Reason{ReasonCode::FileCannotWrite, {}, 0, 0, 0, {}, {}, "libxlsxwriter"});
    m_book->summary = workbook_add_worksheet(m_book->workbook, "summary");
    m_book->exposures = workbook_add_worksheet(m_book->workbook, "exposures");
    m_book->header = workbook_add_format(m_book->workbook);
    format_set_bold(m_book->header);
    worksheet_freeze_panes(m_book->exposures, 1, 0);
    worksheet_freeze_panes(m_book->summary, 1, 1);
    worksheet_set_column(m_book->exposures, 0, 0, 36, nullptr);
    worksheet_set_column(m_book->summary, 0, 0, 24, nullptr);
    writeRow(m_book->exposures, 0, headerCells(exposureColumns()), m_book->header);
}

SurveyWorkbook::~SurveyWorkbook()
{
    if (m_book->workbook) // not committed: its temporaries go, the file is never made
        workbook_close(m_book->workbook);
}

void SurveyWorkbook::add(const ExposureResult& result)
{
    if (m_book->row >= LXW_ROW_MAX - 1)
        throw DataFileError(m_path.string(), Reason{ReasonCode::FileCannotWrite, {}, 0, 0, 0, {}, {}, "more rows than a sheet holds"});
    writeRow(m_book->exposures, ++m_book->row, exposureCells(result));
}

void SurveyWorkbook::commit(const std::vector<ExaminationSummary>& summaries)
{
    writeRow(m_book->summary, 0, headerCells(summaryColumns()), m_book->header);
    lxw_row_t row = 0;
    for (const ExaminationSummary& s : summaries)
        writeRow(m_book->summary, ++row, summaryCells(s));
    const lxw_error error = workbook_close(m_book->workbook);
    m_book->workbook = nullptr;
    if (error != LXW_NO_ERROR)
        throw DataFileError(m_path.string(), Reason{ReasonCode::FileCannotWrite, {}, 0, 0, 0, {}, {}, lxw_strerror(error)});
    m_file.commit();
}

} // namespace velnor::survey

#pragma once

#include "common/TextFile.h"
#include "survey/Survey.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velnor::survey {

// The files of a survey: one row per exposure (full precision, units in the
// column names, the source file or row, what was assumed; no patient
// identifiers) and one row per examination, as CSV files or as the two sheets
// of a workbook. Each is written whole or not at all: the exposures go into a
// temporary as they are computed, renamed into place by commit().

// A cell: a number (shortest text that reads back the same) or a text.
struct Cell {
    std::optional<double> number;
    std::string text;
};
std::vector<std::string> exposureColumns();
std::vector<Cell> exposureCells(const ExposureResult& result);
std::vector<std::string> summaryColumns();
std::vector<Cell> summaryCells(const ExaminationSummary& summary);

// The summary beside a per-exposure file: "-summary" before the extension.
std::filesystem::path summaryPathFor(const std::filesystem::path& exposuresCsv);

// The per-exposure CSV (UTF-8 with a byte-order mark, CR LF), written as the
// survey goes, and its summary beside it at commit().
class SurveyCsv {
public:
    explicit SurveyCsv(const std::filesystem::path& path);
    void add(const ExposureResult& result);
    void commit(const std::vector<ExaminationSummary>& summaries);

private:
    std::filesystem::path m_path;
    AtomicFile m_file;
};

// The workbook: a sheet "summary" and a sheet "exposures", written in
// libxlsxwriter's constant-memory mode (rows leave memory as they are added).
class SurveyWorkbook {
public:
    explicit SurveyWorkbook(const std::filesystem::path& path);
    ~SurveyWorkbook();
    void add(const ExposureResult& result);
    void commit(const std::vector<ExaminationSummary>& summaries);

private:
    struct Book;
    std::filesystem::path m_path;
    AtomicFile m_file;
    std::unique_ptr<Book> m_book;
};

} // namespace velnor::survey

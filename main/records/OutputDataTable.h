#pragma once

#include "common/Reasons.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace velnor {

inline constexpr int kOutputRows = 12;

// A tube output table: the exposure per mAs at 1 m from the focus for each
// rectification code and tube voltage, and the filtration it was measured with.
// Filtrations are held in cm here and kept in mm in ".op" files.
struct OutputDataTable {
    std::array<double, kOutputRows + 1> kvGrid{};                 // [1..12], kV, ascending
    std::array<std::array<double, kOutputRows + 1>, 4> exposurePerMas{}; // [code 1..3][row 1..12], C/kg per mAs
    std::array<double, 4> filtrationAl{};                         // [code 1..3], cm (inherent included)
    std::array<double, 4> filtrationCu{};                         // [code 1..3], cm
    std::string comment;                                          // one line of free text
    std::string fileName;                                         // with its ".op" extension
};

// A cell of the table, as the editor shows it: a voltage (row), an exposure per
// mAs (code, row), a filtration (code), or the comment.
struct OutputDataCell {
    enum class Kind { Voltage, Exposure, Aluminium, Copper, Comment };
    Kind kind = Kind::Comment;
    int code = 0; // 1..3 for exposures and filtrations
    int row = 0;  // 1..12 for voltages and exposures
};
struct OutputDataFault {
    OutputDataCell cell;
    std::string reason;   // names the cell and its value, in English
    std::string reasonJa; // the same in Japanese, for the windows
    Wording wording() const { return {reason, reasonJa}; }
};
// A cell named as the subject of a reason (its row, waveform and voltage).
Reason outputDataCellReason(const OutputDataCell& cell, const OutputDataTable& table);

// The table's one check: voltages from 1 to 1000 kV in ascending order,
// exposures per mAs from 0 to 1e-3 C/kg (the strongest tubes give about
// 1e-5), filtrations from 0 to 100 mm, every number finite, and a comment of
// one line. The reader and the writer of ".op" files both ask it.
std::optional<OutputDataFault> outputDataTableFault(const OutputDataTable& table);

// Reads a ".op" file: line 1 is the comment, verbatim; then 51 numbers
// separated by blanks, commas or line ends: 12 voltages, then for codes 1, 2, 3
// twelve exposures per mAs, the aluminium and the copper filtration in mm.
// `fileName` becomes the file's name. Throws DataFileError naming the file and
// line when it is missing, short, holds a value that is not a number, or the
// table fails its check.
OutputDataTable loadOutputDataTable(const std::filesystem::path& path);

// Writes the five lines of a ".op" file (comment; voltages "###.# ", or
// more digits where one decimal would not read back the same; per code
// exposures "0.00E+00 ", Al "#0.00 ", Cu "#0.00", in mm), replacing the file
// whole. Throws std::invalid_argument with the check's reason, writing
// nothing, when the table fails its check or would not read back as it is
// (an exposure or filtration that its pattern rounds out of range).
void saveOutputDataTable(const OutputDataTable& table, const std::filesystem::path& path);

// The table's file name without its three-character extension, as the main
// window shows it ("default-output.op" -> "default-output").
std::string outputDataDisplayName(const OutputDataTable& table);

// "default-output" is kept for the shipped table, in any letter case (file
// names are matched without regard to case, so "Default-Output" would
// replace it).
bool isReservedOutputName(const std::string& name);

} // namespace velnor

#pragma once

#include "common/Reasons.h"
#include "main/records/DoseResults.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Diagnostic reference levels (DRLs): the national levels of entrance dose per
// examination, against which a facility compares the median dose of its
// standard-size patients. The table is a user file of the working folder,
// editable in a spreadsheet or a text editor:
//
//   版,Japan DRLs 2020
//   線量,空気カーマ
//   区分,DRL(mGy),撮影部位,管電圧下限(kV),管電圧上限(kV)
//   胸部正面（100kV未満）,0.4,胸部正面,,100
//   胸部正面（100kV以上）,0.3,胸部正面,100,
//
// Each level applies to the body parts it names (separated by "/") and,
// when given, to tube voltages from its lower bound (included) to its upper
// bound (excluded).
namespace velnor {

inline constexpr const char* kReferenceLevelsFile = "診断参考レベル.txt";

// Which entrance dose the levels are compared with.
enum class DrlDose { SoftTissue, Skin, Air };
// As the file names it (軟部組織, 皮膚, 空気カーマ) and as velnor-calc does
// (esdSoftTissue, esdSkin, esdAir).
const char* drlDoseFileName(DrlDose dose);
const char* drlDoseKey(DrlDose dose);
std::optional<DrlDose> drlDoseFromFileName(const std::string& name);
double doseCompared(DrlDose dose, const DoseResults& results);

struct ReferenceLevel {
    std::string name;
    double valueMgy = 0;
    std::vector<std::string> bodyParts;
    std::optional<double> lowKv;  // included
    std::optional<double> highKv; // excluded
    int line = 0;                 // of the file it was read from, or as the writer places it
};

struct ReferenceLevelTable {
    std::string edition;
    DrlDose dose = DrlDose::Air;
    std::vector<ReferenceLevel> levels;
};

// What is wrong with a table: the level (index into levels, or -1 for the
// edition and dose lines) and why.
struct ReferenceLevelFault {
    int level = -1;
    Reason reason;
};

// The table's one check: an edition of one line; every level named, its value
// above 0 and finite (at most kMaxEntranceDoseMgy), at least one body part,
// voltage bounds above 0 with the lower below the upper, and no two levels
// for one body part whose voltage ranges overlap; no control characters and
// no comma in the names (they are cells of the file), no "/" in a body part.
// The reader and the writer both ask it.
std::optional<ReferenceLevelFault> referenceLevelTableFault(const ReferenceLevelTable& table);

// The table of the lines of a file (UTF-8, line ends removed); cells follow
// RFC 4180, and empty lines are skipped. Throws DataFileError naming `fileName`
// and the line.
ReferenceLevelTable parseReferenceLevels(const std::vector<std::string>& lines, const std::string& fileName = kReferenceLevelsFile);
ReferenceLevelTable readReferenceLevels(const std::filesystem::path& path);
// The lines of the file for `table`, levels from line 4 on.
std::vector<std::string> referenceLevelLines(const ReferenceLevelTable& table);
// Writes the file whole after the check; on a refusal (DataFileError naming
// the line) nothing is written.
void writeReferenceLevels(const std::filesystem::path& path, const ReferenceLevelTable& table);

// The level for a body part at a tube voltage, or none.
const ReferenceLevel* findReferenceLevel(const ReferenceLevelTable& table, const std::string& bodyPart, double tubeVoltageKv);

// The table of a working folder as the programs hold it: read, or why not.
// A faulty table never stops a calculation; the comparison says why it is
// missing.
struct ReferenceLevels {
    std::optional<ReferenceLevelTable> table;
    Wording fault; // when there is no table
};
ReferenceLevels loadReferenceLevels(const std::filesystem::path& folder);

// A case held against its level.
struct DrlComparison {
    enum class Kind { NoLevel, Compared, Unavailable };
    Kind kind = Kind::NoLevel;
    std::string edition, name;
    double levelMgy = 0;
    DrlDose dose = DrlDose::Air;
    double doseMgy = 0;
    double ratio = 0; // the case's dose over the level
    Wording why;      // Unavailable: why the table cannot be used
    bool above() const { return kind == Kind::Compared && ratio > 1; }
};
// The dose as a percentage of its level: "28 %", "128 %", "4.5 %", "0.31 %"
// (whole numbers from 10 %, else two significant figures).
std::string percentText(double ratio);

DrlComparison compareWithReferenceLevel(const ReferenceLevels& levels, const std::string& bodyPart, double tubeVoltageKv,
                                        const DoseResults& results);

} // namespace velnor

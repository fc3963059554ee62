#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

// Why a value is refused, a file cannot be used or a calculation fails, as a
// code and its values, worded from one table: in English for the command-line
// tools, the engine's console and the logs, in Japanese for the windows. A
// test checks that every code and every field has both wordings.
namespace velnor {

enum class ReasonCode {
    // Refused values of the records.
    OutOfRange,          // value outside [low, high] unit
    AtLeast,             // value below low
    AtMost,              // value above high
    NotNegative,         // value below 0 where 0 is allowed
    NotPositive,         // value not above 0
    NegativeFilter,      // a filter thinner than nothing
    NotFinite,           // infinite or not a number
    WholeNumberRange,    // not a whole number from low to high
    ThicknessExceedsGap, // thickness value above FFD low - FSD high
    MeasuredExposure,    // not in (0, high] C/kg
    ControlCharacter,    // a line break or tab in a text that is one line of a file
    NotACurvedSurface,   // no curved surface chosen (code value)
    PhantomCode,         // phantom code value not 0 or 1
    PulsesTooLong,       // width value ms at low pulses/s exceed a second
    BackscatterFactor,   // not in [1, 3)
    StandardDeviation,   // negative or not finite
    NotFiniteOrNegative, // a dose or share that is negative or not finite
    NotANumberTyped,     // letters typed into a number field (text)
    HistoriesTooFewForField, // value histories, low the fewest that reach the scoring disc's photons
    // Files: reaching them (detail: the system's words).
    FileCannotOpen,
    FileNotInFolder,     // not in the working folder
    FileCannotExamine,
    FileIsFolder,
    FileNotRegular,
    FileTooLarge,        // value bytes, high the most a file of its kind holds (0: unknown)
    FileCannotRead,
    FileUndecodable,
    FileCannotWrite,
    FileWriteIncomplete,
    FileCannotReplace,
    FolderCannotCreate,
    FolderDanglingLink,  // text: where the link points
    FolderMissing,
    // Files: their content.
    FileEndsEarly,       // after line value; it needs high lines (0: not known)
    ValuesEndEarly,      // after value values
    NotANumberInFile,    // text
    NumberOverflow,      // text
    EmptyValue,
    UnclosedQuote,
    SemicolonSeparated,  // a CSV file whose values are separated by semicolons
    TooManyValues,       // more than the layout holds
    LineNotANumber,      // the line text does not begin with a number
    ColumnsNotANumber,   // columns low-high hold text
    ColumnsOverflow,     // columns low-high hold text, beyond the range of numbers
    NotIncreasing,       // field: each row must be above the one before
    Decreasing,          // field: a row below the one before
    RowEnergyMismatch,   // row high is for value keV instead of low keV
    TooManyRows,         // more than value rows before 10 MeV
    RowsEndBefore10MeV,
    LineMissing,         // field (line value) is missing
    NameNotEncodable,    // the file's encoding cannot hold the name text
    RowCountText,        // text is not a row count from 1 to high
    ValuesForRows,       // value values for low rows
    NotASurfaceText,     // text
    NotAWaveformText,    // text
    WeightsSum,          // the spectrum weights sum to zero or beyond 32 bits
    NoOrganData,         // no organ rows for the body part text
    InColumn,            // column value, row low (worded before an inner reason)
    InRow,               // the row value
    InField,             // the field (worded before an inner reason)
    AsWritten,           // worded before a fault of the values as a writer rounds them
    // Calculations.
    BsfVoltageOutside,   // value kV outside the tables low-high kV
    BsfNoWeight,
    BsfAboveLastEnergy,  // value kV above high keV
    BsfPhotonsAbove,     // photons of value keV
    CfVoltageOutside,    // value kV outside low-high kV
    CfNoAirKerma,
    OutputAboveLastVoltage, // value kV above high kV
    OutputNoExposure,    // value kV, below the first voltage low kV
    EsdNotFinite,
    NoExposureAt1m,
    FiltersAbsorbAll,
    AtrNoResponse,
    HvlEmpty,
    HvlAbove30mm,
    HvlNoInterpolation,
    EffectiveEnergyAbove150, // HVL value mm Al
    EffectiveEnergyNoInterpolation,
    CurvedUnavailable,
    CurvedNeedsFiles,
    EngineResultUnreadable, // worded before the file's fault
    EngineMissing,       // program text
    EngineStillRunning,
    EngineStopped,
    ProgramCannotStart,  // program text
    ProgramEnded,        // program text, status value
    ProgramKilled,       // program text, detail: the signal's name
    ProgramFailed,       // text: the program's own reason
    AnswerBeforeHandOff, // the effective dose was written before the hand-off of row value
    FitNoChange,
    FitFailed,           // worded before the fit's reason
    FitVoltageAbove,     // the fitted voltage would exceed value kV (text: "+10 %" for the limit)
    FitVoltageBelow,     // ... fall below value kV
    FitHvlBelowNoFiltration, // measured HVL value mm Al below low mm Al without filtration
    FitHvlNotReached,    // no filtration up to 10 cm Al reaches value mm Al (0: not named)
    FitAtrOutOfRange,    // measured ATR value outside low .. high
    FitAtrBelowNoFiltration, // measured ATR value
    FitAtrNotReached,
    FitAtrUnchanged,
    NoLogarithm,         // field value
    NoDepthPoint,        // thickness value cm
    FocusNotPositive,
    FieldNoSize,
    KernelsStartAt10,    // tube voltage value kV
    KernelsEnd,          // half-diagonal value cm at depth low cm
    FirstDoseNotPositive,
    RowOutsideTable,     // an organ row with no depth point in the table
    ReportPlugInMissing, // text: the plug-in, detail: the loader's words
    // Names typed by a user.
    FileNameEmpty,
    FileNameSeparator,
    FileNameDot,
    NotValidText,        // field is not valid UTF-8 text
    HoldsComma,          // field holds a comma
    TooManyBodyParts,    // the list already holds value names
    // The table of diagnostic reference levels.
    DrlLineKey,          // the line should begin with text
    DrlUnknownDose,      // text is not a dose the levels can refer to
    TextEmpty,        // field is empty
    DrlSlash,            // field holds "/", the separator of body parts
    DrlRangeEmpty,       // tube voltages from low to high kV: none
    DrlRangesOverlap,    // overlaps line value for the body part text
    // DICOM files.
    DicomUnreadable,     // not DICOM or damaged (detail: the library's words)
    DicomNotAProjection, // modality text: not a projection radiograph or a dose report
    DicomNoEvents,       // a dose report without irradiation events
    DicomNotANumber,     // attribute text holds detail, not a number
    DicomUnknownUnit,    // concept text in the unit detail
    DicomNoVoltage,      // the exposure gives no tube voltage
    DicomNoMas,          // the exposure gives neither mAs nor current and time
    DicomAnode,          // anode material text: the spectrum model is for tungsten
    DicomNoRoom,         // no line of the rooms file for the unit text, and no "*"
    DicomNoRule,         // no line of the DICOM body-part file matches text
    SurveyCurved,        // a survey computes flat surfaces only
    SurveyBandTwice,     // the body part text has a band in line value already
    SurveyColumns,       // the columns text are no inputs of a case
    // The cells of a tube output table, as subjects of the predicates below.
    OpVoltageCell,       // row value
    OpExposureCell,      // waveform field, row low, voltage high kV
    OpAluminiumCell,     // waveform field
    OpCopperCell,        // waveform field
    OpCommentCell,
    // Predicates, worded after a subject.
    ValueOutOfRange,     // value unit outside low .. high unit
    CellNotANumber,      // holds text, not a number
    VoltagesNotAscending, // value kV, then low kV
    Last_ = VoltagesNotAscending,
};
inline constexpr int kReasonCodeCount = static_cast<int>(ReasonCode::Last_) + 1;

struct Reason {
    // In the order of the members; those left out are empty.
    Reason(ReasonCode code_ = ReasonCode::OutOfRange, std::string field_ = {}, double value_ = 0, double low_ = 0, double high_ = 0,
           std::string unit_ = {}, std::string text_ = {}, std::string detail_ = {})
        : code(code_), field(std::move(field_)), value(value_), low(low_), high(high_), unit(std::move(unit_)), text(std::move(text_)),
          detail(std::move(detail_))
    {
    }
    ReasonCode code = ReasonCode::OutOfRange;
    std::string field; // the record field (velnor-calc's key) or file quantity, named from the table
    double value = 0, low = 0, high = 0;
    std::string unit;   // as shown after a value ("cm", "mA")
    std::string text;   // a typed text, a program or a column, where the code names one
    std::string detail; // the system's own words (errno, a library), added as they are
};

std::string inEnglish(const Reason& reason);
std::string inJapanese(const Reason& reason);

// A reason worded both ways, and a reason worded before another ("column
// "x": ..."), so the inner one keeps its own wording in each language.
struct Wording {
    std::string english, japanese;
};
Wording worded(const Reason& reason);
Wording worded(const Reason& head, const Wording& inner);
// A subject (a cell of a table) and what is wrong with it, as one sentence.
Wording phrased(const Reason& subject, const Reason& predicate);

// The table lists the codes in their order (checked by a test).
bool patternsInCodeOrder();

// A field's name in each language (the key itself when the table lacks it).
std::string fieldNameEnglish(std::string_view field);
std::string fieldNameJapanese(std::string_view field);
// Every field the table names, for the test that each has both names.
const char* const* namedFields(std::size_t& count);

// An error that carries its Japanese wording beside what(), for the windows.
class JapaneseWording {
public:
    virtual ~JapaneseWording() = default;
    virtual std::string japanese() const = 0;
};

// A failure worded from the table: what() in English, japanese() for the windows.
class WordedError : public std::runtime_error, public JapaneseWording {
public:
    explicit WordedError(const Reason& reason) : WordedError(worded(reason)) {}
    explicit WordedError(const Wording& w) : std::runtime_error(w.english), m_japanese(w.japanese) {}
    std::string japanese() const override { return m_japanese; }

private:
    std::string m_japanese;
};

// A value a writer or a parser refuses, worded from the table.
class RefusedValue : public std::invalid_argument, public JapaneseWording {
public:
    explicit RefusedValue(const Reason& reason) : RefusedValue(worded(reason)) {}
    explicit RefusedValue(const Wording& w) : std::invalid_argument(w.english), m_japanese(w.japanese) {}
    std::string japanese() const override { return m_japanese; }
    Wording wording() const { return {what(), m_japanese}; }

private:
    std::string m_japanese;
};

// The Japanese wording of any error: its own, or what() where it has none.
std::string japaneseOf(const std::exception& error);
// Both wordings of any error (English twice where it has no Japanese).
Wording wordingOf(const std::exception& error);

} // namespace velnor

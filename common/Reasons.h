#pragma once

#include <string>
#include <string_view>

// Why a value is refused, as a code and its values, worded from one table:
// in English for the command-line tools and the records' checks, in Japanese
// for the windows. A test checks that every code and every field has both.
namespace velnor {

enum class ReasonCode {
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
};
inline constexpr ReasonCode kAllReasonCodes[] = {
    ReasonCode::OutOfRange,     ReasonCode::AtLeast,         ReasonCode::AtMost,            ReasonCode::NotNegative,
    ReasonCode::NotPositive,    ReasonCode::NegativeFilter,  ReasonCode::NotFinite,         ReasonCode::WholeNumberRange,
    ReasonCode::ThicknessExceedsGap, ReasonCode::MeasuredExposure, ReasonCode::ControlCharacter, ReasonCode::NotACurvedSurface,
    ReasonCode::PhantomCode,    ReasonCode::PulsesTooLong,   ReasonCode::BackscatterFactor, ReasonCode::StandardDeviation,
    ReasonCode::NotFiniteOrNegative, ReasonCode::NotANumberTyped};

struct Reason {
    ReasonCode code = ReasonCode::OutOfRange;
    std::string field; // the record field (velnor-calc's key), named from the table
    double value = 0, low = 0, high = 0;
    std::string unit;  // as shown after a value ("cm", "mA")
    std::string text;  // a typed text, where the code names one
};

std::string inEnglish(const Reason& reason);
std::string inJapanese(const Reason& reason);

// A field's name in each language (the key itself when the table lacks it).
std::string fieldNameEnglish(std::string_view field);
std::string fieldNameJapanese(std::string_view field);
// Every field the table names, for the test that each has both names.
const char* const* namedFields(std::size_t& count);

} // namespace velnor

#pragma once

#include "main/records/ExposureConditions.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The rules of the main window's form, without widgets: which text box holds
// which record field and in which unit, the field-size presets, the option
// rules, the surface dialog's values, and the checks before a calculation.
// The window and velnor-calc both go through these, so they accept and refuse
// the same cases for the same reasons.
namespace velnor::form {

// A text box that holds a record field.
struct InputField {
    const char* name;        // object name of the text box
    const char* caption;
    const char* unit;        // as shown beside the box
    const char* startUpText;
};
// Text1..Text4, Text5..Text9 and Text23 in the window's order (the field
// sizes Text10 and Text11 belong to the preset group).
const std::vector<InputField>& inputFields();

// Reads a text box into its record field: the number the text begins with
// (0 when it begins with none); the filtrations are typed in mm and held in
// cm. False when `name` is not a text box of the form.
bool readField(std::string_view name, std::string_view text, ExposureConditions& conditions);

// Every text box a calculation reads again, in order.
inline constexpr const char* kCalculationFields[] = {"Text1", "Text2", "Text3", "Text4",  "Text5",  "Text6",
                                                     "Text7", "Text8", "Text9", "Text23", "Text10", "Text11"};

// The other filter's thickness as its label shows it (mm), held in cm.
void readOtherFilterLabel(std::string_view text, ExposureConditions& conditions);

struct FieldPreset {
    const char* name;
    const char* longText;  // cm at the image receptor, as written into Text10
    const char* shortText; // into Text11
};
const std::array<FieldPreset, 11>& fieldPresets();
inline constexpr const char* kOtherPreset = "その他";
inline constexpr const char* kCircularPreset = "円形照射野";
inline constexpr const char* kSquarePreset = "大角サイズ";
inline constexpr const char* kStartUpPreset = "半切サイズ 縦";

// Chooses a preset: stores its name, shape and sizes ("その他": no size yet),
// and for the circular field planar incidence. Returns the preset, or empty
// for a name that is not in the list (nothing changes then).
std::optional<FieldPreset> choosePreset(std::string_view name, ExposureConditions& conditions);

// Planar incidence: the flat body phantom.
void choosePlanar(ExposureConditions& conditions);
// The phantom of planar incidence: head (surface code 3) or body (0).
void choosePhantom(ExposureConditions& conditions, bool head);
// Non-planar incidence. A circular field is always planar: the conditions
// then stay planar with the square preset instead, and the result is false.
bool chooseNonPlanar(ExposureConditions& conditions);

// What the surface dialog's OK stores.
struct SurfaceChoice {
    SurfaceCode surface = SurfaceCode::Cylinder; // 1, 2 or 4
    std::array<double, 3> dimensionsCm{};        // radius; horizontal, vertical; a, b, length
    double histories = 0;
};
// Why the choice cannot be run, or empty: the conditions' own check of a
// curved surface (curvedSurfaceFault).
struct Check;
Check surfaceChoiceFault(const SurfaceChoice& choice);
// Stores the choice: surface code, its dimensions, the history count.
void applySurfaceChoice(const SurfaceChoice& choice, ExposureConditions& conditions);

// The measured-exposure dialog: a measured exposure in C/kg or R, or an air
// kerma in Gy, at 1 m from the focus, as an exposure in C/kg.
enum class MeasuredUnit { CoulombPerKg, Roentgen, Gray };
inline constexpr double kCoulombPerKgPerRoentgen = 0.000258;
inline constexpr double kAirWOverE = 33.97; // Gy per C/kg
double exposureFromMeasurement(double value, MeasuredUnit unit);
// Stores a measured exposure (C/kg) as the exposure source; a value that is
// not positive switches back to the tube output table. Returns whether the
// measurement was taken.
bool setMeasuredExposure(ExposureConditions& conditions, double exposureCkg);

// The fluoroscopy dialog: the average tube current of pulsed fluoroscopy.
double pulsedAverageCurrentMa(double pulseCurrentMa, double pulseWidthMs, double pulsesPerSecond);
// Why the pulse settings are not physical, or empty: current, width and rate
// positive, and the pulses no longer than the second they fill (width x rate
// at most 1).
Check pulsedFluoroscopyFault(double pulseCurrentMa, double pulseWidthMs, double pulsesPerSecond);

enum class Refusal {
    None,
    ThicknessExceedsGap, // body thickness larger than FFD - FSD
    NotPhysical,         // a value without physical meaning
};
struct Check {
    Refusal refusal = Refusal::None;
    std::string reason;   // names the value, in English
    std::string reasonJa; // the same in Japanese, for the windows
    explicit operator bool() const { return refusal != Refusal::None; }
};
// Letters typed where a number belongs are read as 0 and then refused as a
// value; they are named as what they are instead: `field` names the record
// field (or "measuredHvl", "measuredAtr"). Refused when the text is not
// blank and is not a number as a whole (blanks around it allowed): "2OO"
// with the letter O is not 2.
Check typedNumberFault(std::string_view field, std::string_view text);
// The record field a text box of the form fills ("Text5" -> "tubeVoltageKv").
std::string_view fieldOfTextBox(std::string_view name);

// The checks before a calculation of the conditions as they were read: the
// conditions' own check (exposureConditionsFault), with its two refusals that
// the window words differently.
Check checkBeforeCalculation(const ExposureConditions& conditions);

} // namespace velnor::form

#include "common/Reasons.h"

#include "common/DisplayFormat.h"

#include <array>

namespace velnor {
namespace {

struct FieldName {
    const char* field;
    const char* english;
    const char* japanese;
};

// The fields of the records, as the windows and the command-line tools name them.
constexpr std::array<FieldName, 48> kFields = {{
    {"targetAngleDeg", "target angle", "Ｘ線管ターゲット角度"},
    {"inherentFiltrationCm", "inherent filtration", "固有フィルタ"},
    {"addedAlCm", "added aluminium", "付加フィルタ (アルミ)"},
    {"addedCuCm", "added copper", "付加フィルタ (銅)"},
    {"otherFilterCm", "other filter thickness", "任意フィルタの厚さ"},
    {"otherFilterName", "otherFilterName", "任意フィルタの名前"},
    {"tubeVoltageKv", "tube voltage", "Ｘ線管電圧"},
    {"tubeCurrentMa", "tube current", "Ｘ線管電流"},
    {"exposureTimeS", "exposure time", "照射時間"},
    {"focusReceptorDistanceCm", "focus-receptor distance", "焦点-受像器間距離"},
    {"focusSurfaceDistanceCm", "focus-surface distance", "焦点-入射表面間距離"},
    {"bodyThicknessCm", "body thickness", "被写体厚"},
    {"fieldLongCm", "long-axis field size", "長軸方向サイズ"},
    {"fieldShortCm", "short-axis field size", "単軸方向サイズ"},
    {"fieldDiameterCm", "field diameter", "照射野の直径"},
    {"fieldPresetName", "fieldPresetName", "照射野の名前"},
    {"exposureAt1m", "measured exposure", "実測照射線量"},
    {"bodyPart", "bodyPart", "照射部位"},
    {"headPhantom", "phantom code", "ファントム"},
    {"surfaceCode", "surface code", "入射面"},
    {"cylinderRadiusCm", "cylinder radius", "円柱の半径"},
    {"ellipseHorizontalCm", "horizontal semi-axis", "楕円の水平半径"},
    {"ellipseVerticalCm", "vertical semi-axis", "楕円の垂直半径"},
    {"racetrackACm", "racetrack width a", "Racetrack の a"},
    {"racetrackBCm", "racetrack height b", "Racetrack の b"},
    {"racetrackLengthCm", "racetrack length", "Racetrack の長さ"},
    {"mcHistories", "history count", "ヒストリー数"},
    {"pulseCurrentMa", "pulse current", "パルス管電流"},
    {"pulseWidthMs", "pulse width", "パルス幅"},
    {"pulsesPerSecond", "pulse rate", "パルスレート"},
    {"bsfSoftTissue", "backscatter factor bsfSoftTissue", "後方散乱係数 (軟部組織)"},
    {"bsfSkin", "backscatter factor bsfSkin", "後方散乱係数 (皮膚)"},
    {"bsfAir", "backscatter factor bsfAir", "後方散乱係数 (空気)"},
    {"cfSoftTissue", "conversion factor cfSoftTissue", "変換係数 (軟部組織)"},
    {"cfSkin", "conversion factor cfSkin", "変換係数 (皮膚)"},
    {"cfAir", "conversion factor cfAir", "変換係数 (空気)"},
    {"esdSoftTissue", "entrance surface dose esdSoftTissue", "入射表面線量 (軟部組織)"},
    {"esdSkin", "entrance surface dose esdSkin", "入射表面線量 (皮膚)"},
    {"esdAir", "entrance surface dose esdAir", "入射表面線量 (空気)"},
    {"hvl1Cm", "first half-value layer", "第1半価層"},
    {"hvl2Cm", "second half-value layer", "第2半価層"},
    {"effectiveEnergyKev", "effective energy", "実効エネルギー"},
    {"qualityIndex", "quality index", "線質指標"},
    {"atrIndex", "ATR index", "ATR 指数"},
    {"effectiveDoseMsv", "effective dose", "実効線量"},
    {"measuredHvl", "measured HVL", "実測 HVL"},
    {"measuredAtr", "measured ATR index", "実測 ATR Index"},
    {"spectrumWeight", "spectrum weight", "スペクトルの重み"},
}};

const FieldName* find(std::string_view field)
{
    for (const FieldName& f : kFields)
        if (field == f.field)
            return &f;
    return nullptr;
}

std::string number(double v) { return formatAsIs(v); }
// "12 cm", or "12" without a unit.
std::string withUnit(double v, const std::string& unit) { return unit.empty() ? number(v) : number(v) + " " + unit; }

} // namespace

std::string fieldNameEnglish(std::string_view field)
{
    const FieldName* f = find(field);
    return f ? f->english : std::string(field);
}

std::string fieldNameJapanese(std::string_view field)
{
    const FieldName* f = find(field);
    return f ? f->japanese : std::string(field);
}

const char* const* namedFields(std::size_t& count)
{
    static const std::array<const char*, kFields.size()> names = [] {
        std::array<const char*, kFields.size()> n{};
        for (std::size_t i = 0; i < kFields.size(); ++i)
            n[i] = kFields[i].field;
        return n;
    }();
    count = names.size();
    return names.data();
}

std::string inEnglish(const Reason& r)
{
    const std::string name = fieldNameEnglish(r.field);
    const std::string v = withUnit(r.value, r.unit);
    switch (r.code) {
    case ReasonCode::OutOfRange:
        return name + " " + v + ": it must lie between " + number(r.low) + " and " + withUnit(r.high, r.unit);
    case ReasonCode::AtLeast:
        return name + " " + v + ": it must be at least " + withUnit(r.low, r.unit);
    case ReasonCode::AtMost:
        return name + " " + v + ": it must be at most " + withUnit(r.high, r.unit);
    case ReasonCode::NotNegative:
        return name + " " + v + ": it must be 0 or more";
    case ReasonCode::NotPositive:
        return name + " " + v + ": it must be positive";
    case ReasonCode::NegativeFilter:
        return name + " " + v + ": a filter cannot be thinner than nothing";
    case ReasonCode::NotFinite:
        return name + " is not a finite number";
    case ReasonCode::WholeNumberRange:
        return name + " " + v + ": it must be a whole number from " + number(r.low) + " to " + number(r.high);
    case ReasonCode::ThicknessExceedsGap:
        return "the body thickness " + v + " is larger than FFD - FSD (" + number(r.low) + " - " + withUnit(r.high, r.unit) + ")";
    case ReasonCode::MeasuredExposure:
        return name + " " + v + ": it must be positive and at most " + withUnit(r.high, r.unit);
    case ReasonCode::ControlCharacter:
        return r.field + " holds a line break or another control character; it is one field of the results file";
    case ReasonCode::NotACurvedSurface:
        return "no curved surface has been chosen (surface code " + number(r.value) + ")";
    case ReasonCode::PhantomCode:
        return "phantom code " + number(r.value) + ": it must be 0 (body) or 1 (head)";
    case ReasonCode::PulsesTooLong:
        return "pulses of " + number(r.value) + " ms at " + number(r.low) + " pulses/s would last longer than the second that holds them";
    case ReasonCode::BackscatterFactor:
        return name + " " + v + ": it must be at least " + number(r.low) + " and below " + number(r.high);
    case ReasonCode::StandardDeviation:
        return "standard deviation of " + r.field + " " + v + ": it must be a finite number of 0 or more";
    case ReasonCode::NotFiniteOrNegative:
        return name + " " + v + ": it must be a finite number of 0 or more";
    case ReasonCode::NotANumberTyped:
        return "the " + name + " field holds no number (\"" + r.text + "\")";
    }
    return name;
}

std::string inJapanese(const Reason& r)
{
    const std::string name = fieldNameJapanese(r.field);
    const std::string v = withUnit(r.value, r.unit);
    switch (r.code) {
    case ReasonCode::OutOfRange:
        return name + "が " + v + " です。" + number(r.low) + " 〜 " + withUnit(r.high, r.unit) + " の範囲で入力して下さい";
    case ReasonCode::AtLeast:
        return name + "が " + v + " です。" + withUnit(r.low, r.unit) + " 以上にして下さい";
    case ReasonCode::AtMost:
        return name + "が " + v + " です。" + withUnit(r.high, r.unit) + " 以下にして下さい";
    case ReasonCode::NotNegative:
        return name + "が " + v + " です。0 以上にして下さい";
    case ReasonCode::NotPositive:
        return name + "が " + v + " です。0 より大きい値を入力して下さい";
    case ReasonCode::NegativeFilter:
        return name + "が " + v + " です。フィルタの厚さは 0 以上です";
    case ReasonCode::NotFinite:
        return name + "が数値として扱えない値です";
    case ReasonCode::WholeNumberRange:
        return name + "が " + v + " です。" + number(r.low) + " 〜 " + number(r.high) + " の整数を入力して下さい";
    case ReasonCode::ThicknessExceedsGap:
        return "被写体厚 " + v + " が FFD − FSD (" + number(r.low) + " − " + withUnit(r.high, r.unit) + ") より大きくなっています";
    case ReasonCode::MeasuredExposure:
        return name + "が " + v + " です。0 より大きく " + withUnit(r.high, r.unit) + " 以下にして下さい";
    case ReasonCode::ControlCharacter:
        return name + "に改行やタブが含まれています";
    case ReasonCode::NotACurvedSurface:
        return "曲面の形状が選択されていません";
    case ReasonCode::PhantomCode:
        return "ファントムの指定 " + number(r.value) + " が正しくありません (0: 頭部以外, 1: 頭部)";
    case ReasonCode::PulsesTooLong:
        return "パルス幅 " + number(r.value) + " ms × " + number(r.low) + " パルス/秒 では 1 秒を超えてしまいます";
    case ReasonCode::BackscatterFactor:
        return name + "が " + v + " です。" + number(r.low) + " 以上 " + number(r.high) + " 未満でなければなりません";
    case ReasonCode::StandardDeviation:
        return name + "の標準偏差 " + v + " が正しくありません";
    case ReasonCode::NotFiniteOrNegative:
        return name + "が " + v + " です。0 以上の値でなければなりません";
    case ReasonCode::NotANumberTyped:
        return name + "の欄が数値ではありません";
    }
    return name;
}

} // namespace velnor

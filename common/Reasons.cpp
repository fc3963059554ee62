#include "common/Reasons.h"

#include "common/DisplayFormat.h"

#include <array>
#include <iterator>

namespace velnor {
namespace {

struct FieldName {
    const char* field;
    const char* english;
    const char* japanese;
};

// The fields of the records, as the windows and the command-line tools name them.
constexpr std::array<FieldName, 84> kFields = {{
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
    {"bandFromCm", "lower bound of the thickness band", "体厚範囲の下限"},
    {"bandToCm", "upper bound of the thickness band", "体厚範囲の上限"},
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
    {"rowCount", "row count", "行数"},
    {"energies", "energies", "エネルギー"},
    {"momentumTransfers", "momentum transfers", "運動量移行"},
    {"lastMomentumTransfer", "last momentum transfer", "最後の運動量移行"},
    {"cumulativeCoherent", "cumulative coherent distribution", "コヒーレント散乱の累積分布"},
    {"scatteringFunction", "last scattering-function row", "散乱関数の最後の行"},
    {"coefficient", "coefficient", "係数"},
    {"attenuationCoefficient", "attenuation coefficient", "減弱係数"},
    {"absorptionCoefficient", "energy-absorption coefficient", "エネルギー吸収係数"},
    {"primaryCoefficient", "primary coefficient", "一次線の係数"},
    {"scatter", "scatter", "散乱線"},
    {"density", "density", "密度"},
    {"differentialBsf", "differential backscatter factor", "微分後方散乱係数"},
    {"detectorResponse", "detector response", "検出器の応答"},
    {"relativePhotonNumber", "relative photon number", "相対光子数"},
    {"firstRowEnergy", "first row's energy", "最初の行のエネルギー"},
    {"filterThicknessMm", "filter thickness", "フィルタの厚さ"},
    {"handOffValue", "a value of the hand-off", "受け渡しの値"},
    {"userName", "user name", "ユーザ名"},
    {"comment", "comment", "コメント"},
    {"constantPotential", "constant potential", "定電圧"},
    {"threePhase12Peak", "three-phase 12-peak", "三相12ﾋﾟｰｸ"},
    {"singlePhaseFullWave", "single-phase full-wave", "単相全波"},
    {"drlEdition", "edition", "版"},
    {"drlName", "level's name", "区分"},
    {"drlValueMgy", "reference level", "DRL値"},
    {"drlBodyParts", "body parts", "撮影部位"},
    {"drlLowKv", "lower tube voltage", "管電圧下限"},
    {"drlHighKv", "upper tube voltage", "管電圧上限"},
    {"room", "X-ray unit", "装置"},
    {"outputTable", "tube output table", "出力データ"},
    {"rectification", "waveform", "整流方式"},
    {"exitToReceptorCm", "exit surface to receptor distance", "射出面から受像面までの距離"},
    {"settingsCell", "a cell of the line", "行の欄"},
}};

// The system's words for the failures a user meets most, in Japanese with
// what to do where it is plain; other words stay as the system gave them.
std::string systemWordsInJapanese(const std::string& words)
{
    static const std::pair<const char*, const char*> kKnown[] = {
        {"No such file or directory", "ファイルまたはフォルダがありません"},
        {"Permission denied", "アクセスが許可されていません。ファイルやフォルダの権限を確認して下さい"},
        {"Operation not permitted", "操作が許可されていません"},
        {"No space left on device", "ディスクがいっぱいです。空きを作ってから保存し直して下さい"},
        {"Disk quota exceeded", "ディスクの使用量の上限を超えています"},
        {"Read-only file system", "読み取り専用の場所です。別のフォルダに保存して下さい"},
        {"Is a directory", "フォルダです"},
        {"Not a directory", "フォルダではありません"},
        {"File name too long", "ファイル名が長すぎます"},
        {"Too many levels of symbolic links", "リンクが多重になりすぎています"},
        {"Input/output error", "入出力エラーです。ディスクや接続を確認して下さい"},
        {"Text file busy", "実行中のファイルです"},
    };
    for (const auto& [english, japanese] : kKnown)
        if (words == english)
            return japanese;
    return words;
}

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

struct Pattern {
    ReasonCode code;
    const char* english;
    const char* japanese;
};

// Every reason in both languages, in the order of the codes. {name} is the
// field's name in the language, {key} the field as written, {v} the value
// with its unit, {lowu} and {highu} the limits with the unit, {value}, {low},
// {high} the bare numbers and {text} the text. Parts that appear only when
// their number is given: {needs} (high lines), {nth} (the low-th value of a
// file), {mmAl} (value mm Al). The system's own words (detail) follow in
// parentheses.
constexpr Pattern kPatterns[] = {
    {ReasonCode::OutOfRange, "{name} {v}: it must lie between {low} and {highu}", "{name}が {v} です。{low} 〜 {highu} の範囲で入力して下さい"},
    {ReasonCode::AtLeast, "{name} {v}: it must be at least {lowu}", "{name}が {v} です。{lowu} 以上にして下さい"},
    {ReasonCode::AtMost, "{name} {v}: it must be at most {highu}", "{name}が {v} です。{highu} 以下にして下さい"},
    {ReasonCode::NotNegative, "{name} {v}: it must be 0 or more", "{name}が {v} です。0 以上にして下さい"},
    {ReasonCode::NotPositive, "{name} {v}: it must be positive", "{name}が {v} です。0 より大きい値を入力して下さい"},
    {ReasonCode::NegativeFilter, "{name} {v}: a filter cannot be thinner than nothing", "{name}が {v} です。フィルタの厚さは 0 以上です"},
    {ReasonCode::NotFinite, "{name} is not a finite number", "{name}が数値として扱えない値です"},
    {ReasonCode::WholeNumberRange, "{name} {v}: it must be a whole number from {low} to {high}", "{name}が {v} です。{low} 〜 {high} の整数を入力して下さい"},
    {ReasonCode::ThicknessExceedsGap, "the body thickness {v} is larger than FFD - FSD ({low} - {highu})",
     "被写体厚 {v} が FFD − FSD ({low} − {highu}) より大きくなっています"},
    {ReasonCode::MeasuredExposure, "{name} {v}: it must be positive and at most {highu}", "{name}が {v} です。0 より大きく {highu} 以下にして下さい"},
    {ReasonCode::ControlCharacter, "{key} holds a line break or another control character; it is one line or field of its file",
     "{name}に改行やタブが含まれています"},
    {ReasonCode::NotACurvedSurface, "no curved surface has been chosen (surface code {value})", "曲面の形状が選択されていません"},
    {ReasonCode::PhantomCode, "phantom code {value}: it must be 0 (body) or 1 (head)", "ファントムの指定 {value} が正しくありません (0: 頭部以外, 1: 頭部)"},
    {ReasonCode::PulsesTooLong, "pulses of {value} ms at {low} pulses/s would last longer than the second that holds them",
     "パルス幅 {value} ms × {low} パルス/秒 では 1 秒を超えてしまいます"},
    {ReasonCode::BackscatterFactor, "{name} {v}: it must be at least {low} and below {high}", "{name}が {v} です。{low} 以上 {high} 未満でなければなりません"},
    {ReasonCode::StandardDeviation, "standard deviation of {key} {v}: it must be a finite number of 0 or more", "{name}の標準偏差 {v} が正しくありません"},
    {ReasonCode::NotFiniteOrNegative, "{name} {v}: it must be a finite number of 0 or more", "{name}が {v} です。0 以上の値でなければなりません"},
    {ReasonCode::NotANumberTyped, "the {name} field holds no number (\"{text}\")", "{name}の欄が数値ではありません"},
    {ReasonCode::HistoriesTooFewForField,
     "{v} histories cannot bring 100 primary photons through the engine's scoring disc with this field and these distances: "
     "give at least {low}",
     "ヒストリー数 {v} では、この照射野と距離で散乱線の評価に必要な光子数（100 個）に届きません。{low} 以上にして下さい"},

    {ReasonCode::FileCannotOpen, "cannot be opened for reading", "開けません"},
    {ReasonCode::FileNotInFolder, "cannot be opened: there is no such file in the working folder", "作業フォルダにありません"},
    {ReasonCode::FileCannotExamine, "cannot be examined", "調べられません"},
    {ReasonCode::FileIsFolder, "is a folder, not a file", "ファイルではなくフォルダです"},
    {ReasonCode::FileNotRegular, "is not a regular file (a device, pipe or socket is never read)", "通常のファイルではありません（装置やパイプは読みません）"},
    {ReasonCode::FileTooLarge, "holds {value} bytes, more than the {high} any file of this kind can hold", "大きすぎます（{value} バイト、上限は {high} バイト）"},
    {ReasonCode::FileCannotRead, "could not be read", "読み込めません"},
    {ReasonCode::FileUndecodable, "cannot be read as text", "文字コード (UTF-8 または Shift_JIS) を読み取れません"},
    {ReasonCode::FileCannotWrite, "cannot be written", "書き込めません"},
    {ReasonCode::FileWriteIncomplete, "could not be written completely", "書き込みを完了できません"},
    {ReasonCode::FileCannotReplace, "could not be replaced", "置き換えられません"},
    {ReasonCode::FolderCannotCreate, "cannot be created", "フォルダを作成できません"},
    {ReasonCode::FolderDanglingLink, "is a link to {text}, which does not exist", "は存在しない {text} へのリンクです"},
    {ReasonCode::FolderMissing, "is not a folder that exists", "は存在するフォルダではありません"},

    {ReasonCode::FileEndsEarly, "the file ends after line {value}{needs}", "ファイルが {value} 行目で終わっています{needsJa}"},
    {ReasonCode::ValuesEndEarly, "too few values: the file ends after {value} values", "値が足りません（{value} 個で終わっています）"},
    {ReasonCode::NotANumberInFile, "\"{text}\" is not a number{nth}", "「{text}」は数値ではありません{nthJa}"},
    {ReasonCode::NumberOverflow, "\"{text}\" lies beyond the range of numbers{nth}", "「{text}」は扱える数値の範囲を超えています{nthJa}"},
    {ReasonCode::EmptyValue, "empty value where a number was expected{nth}", "数値があるべき所が空です{nthJa}"},
    {ReasonCode::UnclosedQuote, "a quoted text has no closing quote", "引用符で始まる文字列が閉じられていません"},
    {ReasonCode::SemicolonSeparated, "the values are separated by semicolons; save the file with commas as separators",
     "値がセミコロンで区切られています。カンマ区切りで保存して下さい"},
    {ReasonCode::TooManyValues, "more values than the layout holds; the file does not have the expected layout",
     "値が多すぎます。ファイルの形式が違います"},
    {ReasonCode::LineNotANumber, "\"{text}\" does not begin with a number", "「{text}」が数値で始まっていません"},
    {ReasonCode::ColumnsNotANumber, "columns {low}-{high} hold \"{text}\", which is not a number", "{low}〜{high} 桁目の「{text}」は数値ではありません"},
    {ReasonCode::ColumnsOverflow, "columns {low}-{high} hold \"{text}\", which lies beyond the range of numbers",
     "{low}〜{high} 桁目の「{text}」は扱える数値の範囲を超えています"},
    {ReasonCode::NotIncreasing, "the {name} do not increase", "{name}が増加していません"},
    {ReasonCode::Decreasing, "the {name} decreases", "{name}が減少しています"},
    {ReasonCode::RowEnergyMismatch, "row {high} is for {value} keV instead of {low} keV", "{high} 行目が {low} keV ではなく {value} keV の値です"},
    {ReasonCode::TooManyRows, "more than {value} rows before 10 MeV", "10 MeV までの行が {value} 行を超えています"},
    {ReasonCode::RowsEndBefore10MeV, "the rows end before 10 MeV", "行が 10 MeV の前で終わっています"},
    {ReasonCode::LineMissing, "the {name} (line {value}) is missing", "{name}の行 ({value} 行目) がありません"},
    {ReasonCode::NameNotEncodable, "cannot hold the name \"{text}\" in a way that reads back as written", "名前「{text}」を読み戻せる形で書き込めません"},
    {ReasonCode::RowCountText, "\"{text}\" is not a row count from 1 to {high}", "「{text}」は 1 〜 {high} の件数ではありません"},
    {ReasonCode::ValuesForRows, "the line holds {value} values for {low} rows", "値が {value} 個しかありません（{low} 件分必要です）"},
    {ReasonCode::NotASurfaceText, "\"{text}\" is not a surface (平面, 頭平面, 円柱面, 楕円柱面 or Racetrack)",
     "「{text}」は入射面の名前 (平面, 頭平面, 円柱面, 楕円柱面, Racetrack) ではありません"},
    {ReasonCode::NotAWaveformText, "\"{text}\" is not a waveform (定電圧, 三相12 or 単相全波)", "「{text}」は波形の名前 (定電圧, 三相12, 単相全波) ではありません"},
    {ReasonCode::WeightsSum, "the spectrum weights sum to zero or beyond the 32-bit range", "スペクトルの重みの合計が 0 か大きすぎます"},
    {ReasonCode::NoOrganData, "there are no organ data for \"{text}\"", "「{text}」の臓器データがありません"},
    {ReasonCode::InColumn, "column {value} (row {low})", "{value} 列目（{low} 件目）"},
    {ReasonCode::InRow, "row {value}", "{value} 件目"},
    {ReasonCode::InField, "{name}", "{name}"},
    {ReasonCode::AsWritten, "as written", "書き込む桁数に丸めると"},

    {ReasonCode::BsfVoltageOutside, "backscatter: tube voltage {value} kV lies outside the tables ({low} to {high} kV)",
     "後方散乱係数：管電圧 {value} kV は表の範囲 ({low} 〜 {high} kV) の外です"},
    {ReasonCode::BsfNoWeight, "backscatter: the spectrum has no weight up to the tube voltage", "後方散乱係数：管電圧までのスペクトルがありません"},
    {ReasonCode::BsfAboveLastEnergy, "backscatter: tube voltage {value} kV is above the last table energy ({high} keV)",
     "後方散乱係数：管電圧 {value} kV が表の最後のエネルギー ({high} keV) を超えています"},
    {ReasonCode::BsfPhotonsAbove, "backscatter: photons of {value} keV lie above the last table energy used",
     "後方散乱係数：{value} keV の光子が表の範囲を超えています"},
    {ReasonCode::CfVoltageOutside, "conversion factors: tube voltage {value} kV lies outside the coefficient table ({low} to {high} kV)",
     "変換係数：管電圧 {value} kV は係数表の範囲 ({low} 〜 {high} kV) の外です"},
    {ReasonCode::CfNoAirKerma, "conversion factors: the spectrum has no air kerma at 2.5 keV and above", "変換係数：2.5 keV 以上の空気カーマがありません"},
    {ReasonCode::OutputAboveLastVoltage, "tube voltage {value} kV is above the last voltage of the tube output table ({high} kV)",
     "管電圧 {value} kV が出力データの最後の電圧 ({high} kV) を超えています"},
    {ReasonCode::OutputNoExposure, "the tube output table gives no positive exposure at {value} kV (extrapolated below its first voltage, {low} kV)",
     "出力データから {value} kV の照射線量が得られません（最初の電圧 {low} kV より下です）"},
    {ReasonCode::EsdNotFinite, "the entrance surface dose is not a finite number", "入射表面線量が数値として扱えない値になりました"},
    {ReasonCode::NoExposureAt1m, "the exposure at 1 m has not been given", "1 m での照射線量がありません"},
    {ReasonCode::FiltersAbsorbAll, "the filters absorb the whole spectrum (or the spectrum is empty)", "フィルタがスペクトルをすべて吸収しています"},
    {ReasonCode::AtrNoResponse, "ATR index: the free-in-air response of the spectrum is zero", "ATR 指数：空中での応答が 0 です"},
    {ReasonCode::HvlEmpty, "the half-value layer: the air-kerma spectrum is empty or overflows", "半価層：空気カーマのスペクトルが空か大きすぎます"},
    {ReasonCode::HvlAbove30mm, "the half-value layer exceeds 30 mm Al", "半価層が 30 mm Al を超えています"},
    {ReasonCode::HvlNoInterpolation, "the half-value layer cannot be interpolated", "半価層を補間できません"},
    {ReasonCode::EffectiveEnergyAbove150, "the effective energy lies above 150 keV (HVL {value} mm Al)", "実効エネルギーが 150 keV を超えています（半価層 {value} mm Al）"},
    {ReasonCode::EffectiveEnergyNoInterpolation, "the effective energy cannot be interpolated", "実効エネルギーを補間できません"},
    {ReasonCode::CurvedUnavailable, "curved-surface backscatter factors are not available", "曲面の後方散乱係数を計算できません"},
    {ReasonCode::CurvedNeedsFiles, "a curved surface needs the spectrum file for its Monte Carlo program: run without --no-files",
     "曲面の計算にはモンテカルロ計算用のスペクトルファイルが必要です"},
    {ReasonCode::EngineResultUnreadable, "no backscatter factors from the Monte Carlo program", "モンテカルロ計算の結果を読めません"},
    {ReasonCode::EngineMissing, "the Monte Carlo program {text} is not in the working folder nor beside this program",
     "モンテカルロ計算プログラム {text} が作業フォルダにもこのプログラムの横にもありません"},
    {ReasonCode::EngineStillRunning, "the Monte Carlo program is still running; wait until it has finished", "モンテカルロ計算はまだ実行中です。終了するまでお待ち下さい"},
    {ReasonCode::EngineStopped, "the Monte Carlo program was stopped", "モンテカルロ計算を中止しました"},
    {ReasonCode::ProgramCannotStart, "the program {text} cannot be started", "プログラム {text} を起動できません"},
    {ReasonCode::ProgramEnded, "{text} ended with status {value}", "{text} が終了コード {value} で終わりました"},
    {ReasonCode::ProgramKilled, "{text} was ended by a signal", "{text} がシグナルで終了させられました"},
    {ReasonCode::ProgramFailed, "the Monte Carlo program failed: {text}", "モンテカルロ計算ができませんでした：{text}"},
    {ReasonCode::AnswerBeforeHandOff, "the effective dose in the answer file was written before row {value} was handed over: it belongs to another case",
     "実効線量のファイルは {value} 件目を渡す前に書かれたもので、別の症例のものです。実効線量概算で計算し直して下さい"},
    {ReasonCode::FitNoChange, "fit: the measured value equals the computed one", "合わせ込み：実測値が計算値と同じです"},
    {ReasonCode::FitFailed, "the fit failed", "合わせ込みができません"},
    {ReasonCode::FitVoltageAbove, "the voltage would exceed {value} kV{text}", "管電圧が {value} kV{text} を超えてしまいます"},
    {ReasonCode::FitVoltageBelow, "the voltage would fall below {value} kV{text}", "管電圧が {value} kV{text} を下回ってしまいます"},
    {ReasonCode::FitHvlBelowNoFiltration, "the measured HVL {value} mm Al is below the HVL of the beam without inherent filtration, {low} mm Al",
     "実測 HVL {value} mm Al は固有ろ過のないＸ線の HVL ({low} mm Al) より小さくなっています"},
    {ReasonCode::FitHvlNotReached, "no inherent filtration up to 10 cm Al reaches the measured HVL{mmAl}",
     "10 cm Al までの固有ろ過では実測 HVL{mmAl} に届きません"},
    {ReasonCode::FitAtrOutOfRange, "the measured ATR index {value} lies outside {low} .. {high}", "実測 ATR Index {value} が {low} 〜 {high} の範囲の外です"},
    {ReasonCode::FitAtrBelowNoFiltration, "the measured ATR index {value} is below that of the beam without inherent filtration",
     "実測 ATR Index {value} は固有ろ過のないＸ線の値より小さくなっています"},
    {ReasonCode::FitAtrNotReached, "no inherent filtration up to 10 cm Al reaches the measured ATR index",
     "10 cm Al までの固有ろ過では実測 ATR Index に届きません"},
    {ReasonCode::FitAtrUnchanged, "the ATR index does not change with the filtration", "ATR Index が固有ろ過で変わりません"},
    {ReasonCode::NoLogarithm, "{name} {v} has no logarithm", "{name} {v} の対数をとれません"},
    {ReasonCode::NoDepthPoint, "body thickness {v} gives no depth point", "被写体厚 {v} では深さの点がありません"},
    {ReasonCode::FocusNotPositive, "the focus distances must be positive", "焦点からの距離は 0 より大きくなければなりません"},
    {ReasonCode::FieldNoSize, "the field has no size", "照射野の大きさがありません"},
    {ReasonCode::KernelsStartAt10, "tube voltage {v}: the kernels start at 10 keV", "管電圧 {v} です。カーネルは 10 keV からです"},
    {ReasonCode::KernelsEnd, "the field's half-diagonal reaches {value} cm at {low} cm; the kernels' 80 rings end at 40 cm",
     "深さ {low} cm で照射野の対角線の半分が {value} cm になり、カーネルの 80 リング (40 cm) を超えます"},
    {ReasonCode::FirstDoseNotPositive, "the dose at the first depth point is not positive", "最初の深さの線量が 0 より大きくなりません"},
    {ReasonCode::RowOutsideTable, "a row has no depth point within the table", "深さの表の範囲に点がない行があります"},
    {ReasonCode::ReportPlugInMissing, "the printed page needs {text} beside velnor-calc", "印刷には velnor-calc の横に {text} が必要です"},

    {ReasonCode::FileNameEmpty, "the file name is empty", "ファイル名が空です"},
    {ReasonCode::FileNameSeparator, "a file name cannot hold a folder separator", "ファイル名にフォルダの区切り (/ や \\) は使えません"},
    {ReasonCode::FileNameDot, "a file name cannot start with \".\"", "ファイル名を「.」で始めることはできません"},
    {ReasonCode::NotValidText, "the {name} is not valid text", "{name}が正しい文字列ではありません"},
    {ReasonCode::HoldsComma, "a {name} cannot hold a comma: it is a field of the results file", "{name}にコンマ (,) は使えません（結果ファイルの区切りです）"},
    {ReasonCode::TooManyBodyParts, "the list already holds {value} body parts", "照射部位はすでに {value} 件あります"},

    {ReasonCode::DrlLineKey, "the line should begin with \"{text}\"", "「{text}」で始まる行がありません"},
    {ReasonCode::DrlUnknownDose, "the dose \"{text}\" is none of 軟部組織, 皮膚 and 空気カーマ",
     "線量「{text}」は 軟部組織・皮膚・空気カーマ のどれでもありません"},
    {ReasonCode::TextEmpty, "the {name} is empty", "{name}が空です"},
    {ReasonCode::DrlSlash, "a name among the {name} holds \"/\", which separates them", "{name}の名前に区切りの「/」があります"},
    {ReasonCode::DrlRangeEmpty, "the tube voltages from {low} to {high} kV hold none (the lower bound must be below the upper)",
     "管電圧の範囲 {low} 〜 {high} kV に入る電圧がありません（下限は上限より小さくして下さい）"},
    {ReasonCode::DrlRangesOverlap, "for the body part {text} its tube voltages overlap those of the level in line {value}",
     "{text} の管電圧の範囲が {value} 行目の区分と重なっています"},

    {ReasonCode::DicomUnreadable, "not a DICOM file that can be read", "読み込める DICOM ファイルではありません"},
    {ReasonCode::DicomNotAProjection, "modality {text}: neither a projection radiograph (DX, CR, RF, XA, MG) nor an X-ray dose report",
     "モダリティ {text} は単純撮影の画像（DX, CR, RF, XA, MG）でも線量レポートでもありません"},
    {ReasonCode::DicomNoEvents, "the dose report holds no irradiation event", "線量レポートに照射イベントがありません"},
    {ReasonCode::DicomNotANumber, "{text} is not a number", "{text} が数値ではありません"},
    {ReasonCode::DicomUnknownUnit, "{text} is in a unit this program does not know", "{text} の単位がこのプログラムでは扱えません"},
    {ReasonCode::DicomNoVoltage, "the exposure gives no tube voltage", "管電圧が記録されていません"},
    {ReasonCode::DicomNoMas, "the exposure gives neither mAs nor tube current and time", "mAs 値も管電流と照射時間も記録されていません"},
    {ReasonCode::DicomAnode, "anode {text}: the spectrum model is for tungsten anodes", "陽極 {text}：スペクトルはタングステン陽極のものしか計算できません"},
    {ReasonCode::DicomNoRoom, "no line of 撮影装置.txt names the unit ({text}), and there is no line \"*\"",
     "撮影装置.txt にこの装置（{text}）の行も「*」の行もありません"},
    {ReasonCode::DicomNoRule, "no line of DICOM撮影部位.txt matches the body part, view and protocol ({text})",
     "DICOM撮影部位.txt に部位・方向・プロトコル名（{text}）に合う行がありません"},
    {ReasonCode::SurveyCurved, "a survey computes flat surfaces only; compute a curved one in the main window",
     "線量調査は平面だけを計算します。曲面はメイン画面で計算して下さい"},
    {ReasonCode::SurveyBandTwice, "the body part {text} has its band in line {value} already", "撮影部位「{text}」の範囲は {value} 行目にあります"},
    {ReasonCode::SurveyColumns, "the columns {text} of the header are no inputs of a case (velnor-calc's keys: tubeVoltageKv, bodyPart, ...)",
     "見出しの列 {text} は計算の条件ではありません（tubeVoltageKv、bodyPart など velnor-calc のキー名で書いて下さい）"},

    {ReasonCode::OpVoltageCell, "tube voltage of row {value}", "管電圧（{value} 行目）"},
    {ReasonCode::OpExposureCell, "exposure per mAs, {name}, row {low} ({high} kV)", "単位mAs当たりの照射線量（{name}、{high} kV）"},
    {ReasonCode::OpAluminiumCell, "aluminium filtration, {name}", "アルミ濾過（{name}）"},
    {ReasonCode::OpCopperCell, "copper filtration, {name}", "銅濾過（{name}）"},
    {ReasonCode::OpCommentCell, "the comment", "コメント"},
    {ReasonCode::ValueOutOfRange, "{v}: it must lie between {low} and {highu}", "が {v} です。{low} 〜 {highu} の範囲にして下さい"},
    {ReasonCode::CellNotANumber, "holds no number (\"{text}\")", "の欄が数値ではありません"},
    {ReasonCode::VoltagesNotAscending, "does not ascend ({value} then {low} kV)", "が昇順になっていません（{value} の次が {low} kV）"},
};
static_assert(std::size(kPatterns) == kReasonCodeCount, "every reason code has its pattern");

const Pattern& patternOf(ReasonCode code)
{
    const Pattern& p = kPatterns[static_cast<int>(code)];
    return p.code == code ? p : kPatterns[0]; // the order is checked by a test
}

std::string fill(const char* pattern, const Reason& r, bool japanese)
{
    std::string out;
    for (const char* c = pattern; *c;) {
        if (*c != '{') {
            out += *c++;
            continue;
        }
        const char* close = c;
        while (*close && *close != '}')
            ++close;
        const std::string_view key(c + 1, static_cast<std::size_t>(close - c - 1));
        c = *close ? close + 1 : close;
        if (key == "name")
            out += japanese ? fieldNameJapanese(r.field) : fieldNameEnglish(r.field);
        else if (key == "key")
            out += r.field;
        else if (key == "v")
            out += withUnit(r.value, r.unit);
        else if (key == "value")
            out += number(r.value);
        else if (key == "low")
            out += number(r.low);
        else if (key == "high")
            out += number(r.high);
        else if (key == "lowu")
            out += withUnit(r.low, r.unit);
        else if (key == "highu")
            out += withUnit(r.high, r.unit);
        else if (key == "text")
            out += r.text;
        else if (key == "needs" && r.high > 0)
            out += "; it needs " + number(r.high) + " lines";
        else if (key == "needsJa" && r.high > 0)
            out += "（" + number(r.high) + " 行必要です）";
        else if (key == "mmAl" && r.value > 0)
            out += " " + number(r.value) + " mm Al";
        else if (key == "nth" && r.low > 0)
            out += " (value " + number(r.low) + ")";
        else if (key == "nthJa" && r.low > 0)
            out += "（" + number(r.low) + " 番目の値）";
    }
    if (!r.detail.empty())
        out += japanese ? "（" + systemWordsInJapanese(r.detail) + "）" : " (" + r.detail + ")";
    return out;
}

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

std::string inEnglish(const Reason& r) { return fill(patternOf(r.code).english, r, false); }
std::string inJapanese(const Reason& r) { return fill(patternOf(r.code).japanese, r, true); }

bool patternsInCodeOrder()
{
    for (int i = 0; i < kReasonCodeCount; ++i)
        if (static_cast<int>(kPatterns[i].code) != i)
            return false;
    return true;
}

Wording worded(const Reason& reason) { return {inEnglish(reason), inJapanese(reason)}; }

Wording worded(const Reason& head, const Wording& inner)
{
    return {inEnglish(head) + ": " + inner.english, inJapanese(head) + "：" + inner.japanese};
}

Wording phrased(const Reason& subject, const Reason& predicate)
{
    return {inEnglish(subject) + " " + inEnglish(predicate), inJapanese(subject) + inJapanese(predicate)};
}

std::string japaneseOf(const std::exception& error)
{
    if (const auto* worded = dynamic_cast<const JapaneseWording*>(&error))
        return worded->japanese();
    return error.what();
}

Wording wordingOf(const std::exception& error) { return {error.what(), japaneseOf(error)}; }

} // namespace velnor

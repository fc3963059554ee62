#include "main/results/ReportLayout.h"

#include "common/DisplayFormat.h"
#include "main/results/ResultsLayout.h"

namespace velnor {
namespace {

// Column groups, between which the vertical rules run: body part, waveform,
// exposure with the tube settings (its text reaches the voltage column),
// filtration, distances, thickness, field,
// backscatter, conversion factors, doses, effective dose.
constexpr double kRules[] = {21, 32, 85.5, 129, 139.5, 148.5, 179.5, 209.5, 240.5, 273.5};
constexpr double kHeaderBottom = 39.5;

std::string rectificationText(Rectification r)
{
    switch (r) {
    case Rectification::ConstantPotential:
        return "定電圧";
    case Rectification::SinglePhaseFullWave:
        return "単相全";
    case Rectification::ThreePhase12Peak:
        break;
    }
    return "三相12";
}

void addHeader(ReportPage& page)
{
    const ReportText header[] = {
        {5, 25, "照射部位"},  {6, 29, "入射面"},   {24, 25, "整流"},      {24, 29, "方式"},   {35, 23, "照射"},
        {35, 27, "線量"},     {35, 31, "at 1m"},   {35, 35, "C/kg"},      {45, 27, "管電圧"}, {49, 35, "kV"},
        {55, 27, "管電流"},   {58, 35, "mA"},      {67, 27, "時間"},      {67, 35, "sec"},    {75, 25, "ﾀｰｹﾞｯﾄ"},
        {77, 29, "角度"},     {79, 35, "度"},      {100, 22, "総濾過"},   {87, 30, "固有"},   {87, 35, "mmAl"},
        {97, 28, "ｱﾙﾐ"},      {97, 31, "付加"},    {98, 35, "mm"},        {108, 28, "銅"},    {107, 31, "付加"},
        {108, 35, "mm"},      {117, 28, "その他"}, {118, 31, "付加"},     {119, 35, "mm"},    {131, 24, "FFD"},
        {131, 28, "FSD"},     {132, 35, "cm"},     {140, 24, "被写"},     {140, 28, "体厚"},  {141, 35, "cm"},
        {153, 22, "照射野 at FFD"}, {149, 33, "サイズ"}, {160, 30, "長軸"}, {162, 35, "cm"}, {170, 30, "短軸"},
        {172, 35, "cm"},      {185, 25, "後方散乱係数"}, {181, 35, "Soft"}, {191, 35, "Skin"}, {201, 35, "Air"},
        {217, 21, "吸収線量"}, {217, 25, "変換係数"}, {218, 29, "Gy/C/kg"}, {210, 35, "Soft"}, {220, 35, "Skin"},
        {230, 35, "Air"},     {249, 21, "入射表面"}, {254, 25, "線量"},   {255, 29, "mGy"},   {241, 35, "Soft"},
        {253, 35, "Skin"},    {266, 35, "Air"},    {277, 21, "実効"},     {277, 24, "線量"},  {275, 29, "概算値"},
        {277, 35, "mSv"},
    };
    page.texts.insert(page.texts.end(), std::begin(header), std::end(header));

    // Frame, the rule under the header, rules under the group titles, and
    // the rules between the column groups.
    page.lines = {
        {0, 20, kReportWidthMm, 20},
        {0, kReportHeightMm, kReportWidthMm, kReportHeightMm},
        {0, 20, 0, kReportHeightMm},
        {kReportWidthMm, 20, kReportWidthMm, kReportHeightMm},
        {0, kHeaderBottom, kReportWidthMm, kHeaderBottom},
        {85.5, 26.5, 129, 26.5},     // 総濾過
        {148.5, 26.5, 179.5, 26.5},  // 照射野 at FFD
        {179.5, 33.5, 209.5, 33.5},  // 後方散乱係数
        {209.5, 33.5, 240.5, 33.5},  // 吸収線量変換係数
        {240.5, 33.5, 273.5, 33.5},  // 入射表面線量
    };
    for (double x : kRules)
        page.lines.push_back({x, 20, x, kReportHeightMm});
}

void addRow(ReportPage& page, const ResultRow& row, int r, double cfAir)
{
    const ExposureConditions& c = row.conditions;
    const DoseResults& d = row.dose;
    const double y = reportRowY(r);
    auto add = [&](double x, double yy, const std::string& text, double maxWidth = 0) {
        page.texts.push_back({x, yy, text, 9, maxWidth});
    };
    add(3, y - 2, c.bodyPart, 17.5);
    add(3, y + 2, surfaceDescription(c, " ", ", "), 17.5);
    add(22, y, rectificationText(c.rectification));
    add(33, y, formatNumber(c.exposureAt1m, "0.00E+0"));
    add(47, y, formatNumber(c.tubeVoltageKv, "#00"));
    add(56, y, formatAsIs(c.tubeCurrentMa));
    add(65.5, y, formatAsIs(c.exposureTimeS));
    add(77, y, formatAsIs(c.targetAngleDeg));
    add(87, y, formatNumber(10 * c.inherentFiltrationCm, "0.00"));
    add(97, y, formatNumber(10 * c.addedAlCm, "0.00"));
    add(107, y, formatNumber(10 * c.addedCuCm, "0.00"));
    if (c.otherFilterCm > 0) {
        add(116, y - 2, c.otherFilterName, 12.5);
        add(118, y + 2, formatNumber(10 * c.otherFilterCm, "0.00"));
    } else {
        add(120, y, "―");
    }
    add(130, y - 2, formatAsIs(c.focusReceptorDistanceCm));
    add(130, y + 2, formatAsIs(c.focusSurfaceDistanceCm));
    add(140, y, formatAsIs(c.bodyThicknessCm));
    if (c.fieldPresetName == "その他")
        add(149, y, "その他");
    else
        add(151, y, firstCharacters(c.fieldPresetName, 2));
    add(161, y, formatNumber(c.fieldLongCm.value_or(0.0), "00.0"));
    add(171, y, formatNumber(c.fieldShortCm.value_or(0.0), "00.0"));
    add(180, y, formatNumber(d.bsfSoftTissue, "0.000"));
    add(190, y, formatNumber(d.bsfSkin, "0.000"));
    add(200, y, formatNumber(d.bsfAir, "0.000"));
    add(210, y, formatNumber(d.cfSoftTissue, "0.00"));
    add(220, y, formatNumber(d.cfSkin, "0.00"));
    add(230, y, formatNumber(cfAir, "00.00"));
    add(241, y, formatKeepingDigits(d.esdSoftTissue, "#0.00"));
    add(252, y, formatKeepingDigits(d.esdSkin, "#0.00"));
    add(264, y, formatKeepingDigits(d.esdAir, "#0.00"));
    if (row.effectiveDoseMsv)
        add(274, y, formatKeepingDigits(*row.effectiveDoseMsv, "#0.000"));
    else
        add(278, y, "―");
}

// Under the row's doses, in small print: the level and the percentage.
void addReferenceLevel(ReportPage& page, const ResultRow& row, int r, const ReferenceLevels& levels)
{
    const DrlComparison c = compareWithReferenceLevel(levels, row.conditions.bodyPart, row.conditions.tubeVoltageKv, row.dose);
    if (c.kind != DrlComparison::Kind::Compared)
        return;
    // After Japanese words: after Latin letters the font would print its
    // proportional digits, which PDF readers cannot copy.
    const std::string text = "参考レベル " + formatAsIs(c.levelMgy) + " mGy の " + percentText(c.ratio) + (c.above() ? "  超過" : "");
    page.texts.push_back({241, reportRowY(r) + 4.6, text, 6, 43});
}

// Under the frame: the table the levels come from, the dose compared, and
// what a level is for.
void addReferenceLevelNote(ReportPage& page, const ReferenceLevels& levels)
{
    std::string text;
    if (levels.table)
        text = "DRL：" + levels.table->edition + "（入射表面線量の" + drlDoseFileName(levels.table->dose) +
               "と比較）。DRLは標準体格の患者群の中央値と比べる目安で、一人の患者の線量の限度ではありません。";
    else
        text = "診断参考レベルの表を使えません：" + levels.fault.japanese;
    page.texts.push_back({0, kReportHeightMm + 1.5, text, 7, kReportWidthMm});
}

} // namespace

ReportPage reportPage(const ResultsTable& table, double cfAir, const std::string& userName, const ReferenceLevels* levels)
{
    ReportPage page;
    addHeader(page);
    for (int r = 1; r < table.nextFreeRow(); ++r) {
        addRow(page, table.row(r), r, cfAir);
        if (levels)
            addReferenceLevel(page, table.row(r), r, *levels);
    }
    if (levels)
        addReferenceLevelNote(page, *levels);
    page.texts.push_back({50, 12, "診断Ｘ線の入射表面線量", 12});
    page.texts.push_back({200, 12, userName + "  with  Ostrel", 12});
    return page;
}

} // namespace velnor

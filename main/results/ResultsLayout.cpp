#include "main/results/ResultsLayout.h"

#include "common/DisplayFormat.h"

namespace velnor {

std::string firstCharacters(const std::string& text, int n)
{
    std::size_t i = 0;
    int count = 0;
    while (i < text.size() && count < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        ++count;
    }
    return text.substr(0, std::min(i, text.size()));
}

std::string surfaceDescription(const ExposureConditions& c, const std::string& gap, const std::string& separator)
{
    switch (c.surfaceCode) {
    case SurfaceCode::FlatBody:
        return "平面";
    case SurfaceCode::FlatHead:
        return "頭平面";
    case SurfaceCode::Cylinder:
        return "円柱" + gap + formatAsIs(c.cylinderRadiusCm);
    case SurfaceCode::EllipticCylinder:
        return "楕円" + gap + formatAsIs(c.ellipseHorizontalCm) + separator + formatAsIs(c.ellipseVerticalCm);
    case SurfaceCode::Racetrack:
        break;
    }
    return "Racetrack";
}

std::string surfaceText(const ResultRow& row) { return surfaceDescription(row.conditions, "", ","); }

std::vector<TableText> headingTexts()
{
    return {
        {10, 45, "照射部位", true},
        {95, 30, "照射線量", true},    {110, 50, "at 1m", true},   {110, 70, "C/kg", true},
        {165, 45, "管電圧", true},     {180, 70, "kV", true},
        {230, 45, "管電流", true},     {245, 70, "mA", true},
        {300, 45, "時間", true},       {303, 70, "sec", true},
        {355, 18, "総濾過", true},     {345, 45, "アルミ", true},  {355, 70, "mm", true},
        {405, 45, "銅", true},         {400, 70, "mm", true},
        {450, 45, "材質", true},       {455, 70, "mm", true},
        {515, 30, "FFD", true},        {515, 50, "FSD", true},     {520, 70, "cm", true},
        {545, 45, "被射体厚", true},   {560, 70, "cm", true},
        {610, 18, "照射野 at FFD", true}, {615, 45, "長軸", true}, {620, 70, "cm", true},
        {670, 45, "短軸", true},       {675, 70, "cm", true},
        {720, 30, "B.S.F.", true},     {730, 50, "Soft", true},    {730, 70, "air", true},
        {770, 18, "吸収線量変換係数", true}, {775, 45, "Gy/(C/kg)", true},
        {785, 70, "Soft", true},       {840, 70, "skin", true},
        {895, 18, "入射表面線量", true}, {930, 45, "mGy", true},
        {905, 70, "Soft", true},       {965, 70, "skin", true},    {1030, 70, "air", true},
        {1090, 18, "実効線量", true},  {1090, 45, "(概算値)", true}, {1100, 70, "mSv", true},
    };
}

std::vector<TableText> rowTexts(const ResultRow& row, int k)
{
    const ExposureConditions& r = row.conditions;
    const DoseResults& d = row.dose;
    const double y = rowCentreY(k);
    const double up = y - 14, low = y + 14;
    std::vector<TableText> t = {
        {10, up, r.bodyPart, false, kBodyPartCellWidth},
        {10, low, surfaceText(row)},
        {95, up, formatNumber(r.exposureAt1m, "0.00E+0")},
        {170, up, formatNumber(r.tubeVoltageKv, "#00.0")},
        {230, up, formatKeepingDigits(r.tubeCurrentMa, "#00.0", 2)},
        {300, up, formatNumber(r.exposureTimeS, "#0.00#")},
        {357, up, formatNumber(10 * (r.inherentFiltrationCm + r.addedAlCm), "0.00")},
        {400, up, formatNumber(10 * r.addedCuCm, "0.00")},
    };
    if (r.otherFilterCm > 0) {
        t.push_back({440, up, firstCharacters(r.otherFilterName, 8)});
        t.push_back({450, low, formatNumber(10 * r.otherFilterCm, "0.00")});
    } else {
        t.push_back({460, up, "―"});
    }
    const std::vector<TableText> rest = {
        {510, up, formatAsIs(r.focusReceptorDistanceCm)},
        {510, low, formatAsIs(r.focusSurfaceDistanceCm)},
        {555, up, formatAsIs(r.bodyThicknessCm)},
        {615, up, formatNumber(r.fieldLongCm.value_or(0.0), "00.0")},
        {668, up, formatNumber(r.fieldShortCm.value_or(0.0), "00.0")},
        {725, up, formatNumber(d.bsfSoftTissue, "0.000")},
        {725, low, formatNumber(d.bsfAir, "0.000")},
        {781, up, formatNumber(d.cfSoftTissue, "00.00")},
        {838, up, formatNumber(d.cfSkin, "00.00")},
        {900, up, formatKeepingDigits(d.esdSoftTissue, "#0.00")},
        {960, up, formatKeepingDigits(d.esdSkin, "#0.00")},
        {1025, up, formatKeepingDigits(d.esdAir, "#0.00")},
    };
    t.insert(t.end(), rest.begin(), rest.end());
    if (row.effectiveDoseMsv)
        t.push_back({1100, y, formatKeepingDigits(*row.effectiveDoseMsv, "#0.000")});
    else if (row.fromFile)
        t.push_back({1110, y, "―"});
    return t;
}

std::vector<TableText> drlTexts(const DrlComparison& comparison, int k)
{
    if (comparison.kind != DrlComparison::Kind::Compared)
        return {};
    const double columns[] = {900, 960, 1025}; // soft tissue, skin, air
    TableText t{columns[static_cast<int>(comparison.dose)], rowCentreY(k) + 14, "DRL " + percentText(comparison.ratio), true, 62};
    t.alert = comparison.above();
    return {t};
}

std::vector<TableText> totalsTexts(const ResultsTable::Totals& totals)
{
    return {
        {900, 860, formatKeepingDigits(totals.esdSoftTissue, "#0.00")},
        {960, 860, formatKeepingDigits(totals.esdSkin, "#0.00")},
        {1025, 860, formatKeepingDigits(totals.esdAir, "#0.00")},
        {1100, 860, formatKeepingDigits(totals.effectiveDoseMsv, "#0.000")},
    };
}

} // namespace velnor

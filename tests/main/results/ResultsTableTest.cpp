#include "main/results/ResultsLayout.h"
#include "main/results/ResultsTable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velnor {
namespace {

struct Case {
    ExposureConditions conditions;
    BeamQuality beamQuality;
    DoseResults dose;
};

Case caseWith(SurfaceCode surfaceCode)
{
    Case s;
    s.conditions.surfaceCode = surfaceCode;
    s.conditions.cylinderRadiusCm = 15;
    s.conditions.ellipseHorizontalCm = 30;
    s.conditions.ellipseVerticalCm = 20;
    s.conditions.racetrackACm = 20;
    s.conditions.racetrackBCm = 80;
    s.conditions.racetrackLengthCm = 40;
    s.conditions.bodyPart = "";
    s.dose.esdSoftTissue = 1.5;
    return s;
}

int add(ResultsTable& table, const Case& c) { return table.addRow(c.conditions, c.beamQuality, c.dose); }

TEST(ResultsTable, RowsKeepTheShapeOfTheirSurfaceOnly)
{
    ResultsTable table;
    add(table, caseWith(velnor::SurfaceCode::Cylinder));
    EXPECT_EQ(table.row(1).conditions.cylinderRadiusCm, 15);
    EXPECT_EQ(table.row(1).conditions.ellipseHorizontalCm, 0);
    EXPECT_EQ(table.row(1).conditions.racetrackBCm, 0);
    EXPECT_EQ(table.row(1).conditions.bodyPart, "　"); // an empty body part is one ideographic space
    add(table, caseWith(velnor::SurfaceCode::FlatHead));
    EXPECT_EQ(table.row(2).conditions.cylinderRadiusCm, 0);
    EXPECT_EQ(surfaceText(table.row(2)), "頭平面");
    add(table, caseWith(velnor::SurfaceCode::EllipticCylinder));
    EXPECT_EQ(surfaceText(table.row(3)), "楕円30,20");
    add(table, caseWith(velnor::SurfaceCode::Racetrack));
    EXPECT_EQ(table.row(4).conditions.racetrackBCm, 80);
    // No values of another surface are kept with a racetrack row.
    EXPECT_EQ(table.row(4).conditions.cylinderRadiusCm, 0);
    EXPECT_EQ(table.row(4).conditions.ellipseVerticalCm, 0);
    EXPECT_EQ(surfaceText(table.row(1)), "円柱15");
}

TEST(ResultsTable, FifteenRowsAndTotals)
{
    ResultsTable table;
    for (int k = 1; k <= 15; ++k)
        EXPECT_EQ(add(table, caseWith(SurfaceCode::FlatBody)), k);
    EXPECT_TRUE(table.full());
    EXPECT_EQ(add(table, caseWith(SurfaceCode::FlatBody)), 0);
    table.setEffectiveDoseOfLastRow(0.25);
    const ResultsTable::Totals t = table.totals();
    EXPECT_DOUBLE_EQ(t.esdSoftTissue, 22.5);
    EXPECT_DOUBLE_EQ(t.effectiveDoseMsv, 0.25);
    table.clear();
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.totals().esdSoftTissue, 0);
}

TEST(ResultsLayout, RowCellsInTheirColumnsAndPatterns)
{
    Case s = caseWith(SurfaceCode::FlatBody);
    s.conditions.bodyPart = "胸部正面";
    s.conditions.exposureAt1m = 2.58e-4;
    s.conditions.tubeVoltageKv = 75;
    s.conditions.otherFilterCm = 0;
    ResultsTable table;
    add(table, s);
    const std::vector<TableText> texts = rowTexts(table.row(1), 1);
    auto at = [&](double x, double y) {
        const auto it = std::find_if(texts.begin(), texts.end(), [&](const TableText& t) { return t.x == x && t.y == y; });
        return it == texts.end() ? std::string("(none)") : it->text;
    };
    EXPECT_EQ(at(10, 99), "胸部正面");  // row 1 centre at y = 113
    EXPECT_EQ(at(10, 127), "平面");
    EXPECT_EQ(at(95, 99), "2.58E-4");
    EXPECT_EQ(at(170, 99), "75.0");
    EXPECT_EQ(at(460, 99), "―");      // no other filter
    EXPECT_EQ(at(357, 99), "3.50");   // inherent + added Al in mm
    EXPECT_EQ(at(1100, 113), "(none)"); // effective dose not yet given
    // A body part is cut to its cell, which ends where the exposure column begins.
    const auto part = std::find_if(texts.begin(), texts.end(), [](const TableText& t) { return t.text == "胸部正面"; });
    ASSERT_NE(part, texts.end());
    EXPECT_GT(part->maxWidth, 0);
    EXPECT_LE(part->x + part->maxWidth, 95);
    EXPECT_EQ(totalsTexts(table.totals())[3].text, "0.000");
    // An effective dose of 0 read from a file is a value, not "―".
    ResultRow read = table.row(1);
    read.fromFile = true;
    read.effectiveDoseMsv = 0.0;
    const std::vector<TableText> fromFile = rowTexts(read, 1);
    EXPECT_TRUE(std::any_of(fromFile.begin(), fromFile.end(), [](const TableText& t) { return t.text == "0.000"; }));
}

} // namespace
} // namespace velnor

#include "main/dose/ConversionFactors.h"
#include "main/dose/PlanarBackscatter.h"

#include "main/records/CalculationError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

ExposureConditions rectangle(double longCm, double shortCm, double fsd = 80, double ffd = 100)
{
    ExposureConditions c;
    c.fieldShape = velnor::FieldShape::Rectangular;
    c.fieldLongCm = longCm;
    c.fieldShortCm = shortCm;
    c.focusSurfaceDistanceCm = fsd;
    c.focusReceptorDistanceCm = ffd;
    return c;
}

double ringWeight(int i, double fsd)
{
    const double r = 0.1 * i - 0.05;
    return fsd * fsd / (fsd * fsd + r * r);
}

// A table whose only non-zero entry is ring `ring` (every node, body phantom).
DifferentialBsfTable singleRing(int ring, double value = 1.0)
{
    DifferentialBsfTable t;
    for (int m = 1; m <= kBsfEnergyColumns; ++m)
        t.at(kPhantomBody, m, ring) = value;
    return t;
}

TEST(SurfaceField, RingCountsOfTheWorkedCases)
{
    // 10 x 10 cm at the receptor, FSD/FFD 0.8: a = b = 4 cm.
    SurfaceField f = surfaceField(rectangle(10, 10));
    EXPECT_DOUBLE_EQ(f.halfLongCm, 4);
    EXPECT_EQ(f.ringsShort, 40);
    EXPECT_EQ(f.ringsLong, 40);
    EXPECT_EQ(f.ringsCorner, 56); // 10 x 5.657
    // 60 x 60 cm is limited to 40 x 40 at the surface.
    f = surfaceField(rectangle(60, 60));
    EXPECT_DOUBLE_EQ(f.halfLongCm, 20);
    EXPECT_EQ(f.ringsCorner, 282);
    // Sizes below 1 cm are raised to 1 cm; the long side is the larger one.
    f = surfaceField(rectangle(0, 30));
    EXPECT_DOUBLE_EQ(f.halfShortCm, 0.5);
    EXPECT_DOUBLE_EQ(f.halfLongCm, 12);
    // A circle of 10 cm diameter at 0.8: rings 1..40.
    ExposureConditions c = rectangle(10, 0);
    c.fieldShape = velnor::FieldShape::Circular;
    EXPECT_EQ(surfaceField(c).rings, 40);
    c.fieldLongCm = 100;
    EXPECT_EQ(surfaceField(c).rings, 200); // 40 cm diameter at most
    c.focusReceptorDistanceCm = 0;
    EXPECT_THROW(surfaceField(c), CalculationError);
}

TEST(PlanarBackscatter, WhichRingsCountAndByHowMuch)
{
    const SurfaceField square = surfaceField(rectangle(10, 10));
    // A whole ring inside the inscribed circle counts with its inverse-square weight.
    EXPECT_NEAR(backscatterByEnergy(singleRing(40), 0, square, 80, 31)[5] - 1, ringWeight(40, 80), 1e-12);
    // Ring 41 crosses both pairs of sides: the quarter turn less both cut-off angles.
    const double r = 4.05, a = 4, b = 4, p = kQuarterTurn;
    const double inside = ((p - std::atan(std::sqrt(r * r - b * b) / b)) - std::atan(std::sqrt(r * r - a * a) / a)) / p;
    EXPECT_NEAR(backscatterByEnergy(singleRing(41), 0, square, 80, 31)[5] - 1, ringWeight(41, 80) * inside, 1e-12);
    EXPECT_GT(backscatterByEnergy(singleRing(56), 0, square, 80, 31)[5], 1.0);
    EXPECT_EQ(backscatterByEnergy(singleRing(57), 0, square, 80, 31)[5], 1.0); // beyond the corner

    // 20 x 8 cm at the surface: ring 60 (r = 5.95) crosses the long sides only.
    const SurfaceField strip = surfaceField(rectangle(20, 8, 100, 100));
    EXPECT_EQ(strip.ringsShort, 40);
    EXPECT_EQ(strip.ringsLong, 100);
    const double r60 = 5.95;
    EXPECT_NEAR(backscatterByEnergy(singleRing(60), 0, strip, 100, 31)[3] - 1,
                ringWeight(60, 100) * (p - std::atan(std::sqrt(r60 * r60 - 16) / 4)) / p, 1e-12);

    // When 10 b has a fractional part above 0.5, the first ring outside the
    // inscribed circle still has its mid radius inside b and adds nothing.
    const SurfaceField narrow = surfaceField(rectangle(20, 8.14, 100, 100)); // b = 4.07
    EXPECT_EQ(narrow.ringsShort, 40);
    EXPECT_EQ(backscatterByEnergy(singleRing(41), 0, narrow, 100, 31)[3], 1.0);
}

// Sizes typed in decimals meet ring edges exactly. Whatever the distances
// that give the ratio, the rings count as exact decimal arithmetic counts them.
TEST(PlanarBackscatter, DecimalTiesAtRingEdgesCountAsExactArithmeticDoes)
{
    // 43.2 x 35.6 cm at FFD 100 / FSD 75: W = 26.7 cm, b = 13.35 cm, the mid
    // radius of ring 134, which crosses the long sides with its whole weight.
    const SurfaceField abdomen = surfaceField(rectangle(43.2, 35.6, 75, 100));
    EXPECT_EQ(abdomen.ringsShort, 133);
    EXPECT_EQ(abdomen.ringsLong, 162);
    EXPECT_NEAR(backscatterByEnergy(singleRing(134), 0, abdomen, 75, 31)[5] - 1, ringWeight(134, 75), 1e-12);
    SurfaceField scaledFirst = abdomen; // b as size x (FSD / FFD) gives it: a hair above 13.35
    scaledFirst.halfShortCm = 35.6 * (75.0 / 100.0) / 2;
    EXPECT_NEAR(backscatterByEnergy(singleRing(134), 0, scaledFirst, 75, 31)[5] - 1, ringWeight(134, 75), 1e-12);

    // FSD/FFD 0.8 from many distances: a 20 x 20 cm field has a = b = 8 cm, 80 whole rings.
    const std::pair<double, double> eightTenths[] = {{80, 100}, {72, 90}, {56, 70}, {64, 80}, {88, 110}, {96, 120}, {104, 130}, {112, 140}};
    for (const auto& [fsd, ffd] : eightTenths) {
        const SurfaceField f = surfaceField(rectangle(20, 20, fsd, ffd));
        EXPECT_EQ(f.ringsShort, 80) << fsd << "/" << ffd;
        EXPECT_EQ(f.ringsCorner, 113) << fsd << "/" << ffd; // 10 x 11.31
    }
    // 0.7: a circle of 30 cm is 21 cm at the surface, rings 1 .. 105.
    const std::pair<double, double> sevenTenths[] = {{70, 100}, {63, 90}, {56, 80}, {77, 110}, {84, 120}, {91, 130}, {105, 150}};
    for (const auto& [fsd, ffd] : sevenTenths) {
        ExposureConditions c = rectangle(30, 0, fsd, ffd);
        c.fieldShape = FieldShape::Circular;
        EXPECT_EQ(surfaceField(c).rings, 105) << fsd << "/" << ffd;
    }
}

class PlanarBackscatterSpectrum : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int m = 1; m <= kBsfEnergyColumns; ++m)
            for (int i = 1; i <= kBsfRings; ++i) {
                // Rising with energy up to 70 keV, falling with radius.
                const double value = 0.002 * std::min(m, 15) / i;
                tables.bsfSoftTissue.at(kPhantomBody, m, i) = value;
                tables.bsfSkin.at(kPhantomBody, m, i) = 0.9 * value;
                tables.bsfAir.at(kPhantomBody, m, i) = 1.1 * value;
                tables.bsfSoftTissue.at(kPhantomHead, m, i) = 0.5 * value;
                tables.bsfSkin.at(kPhantomHead, m, i) = 0.45 * value;
                tables.bsfAir.at(kPhantomHead, m, i) = 0.55 * value;
            }
        for (int j = 1; j <= kBinCount; ++j) {
            tables.attenuation.muenAir[j] = 1;
            tables.attenuation.muenSoftTissue[j] = 1;
            tables.attenuation.muenSkin[j] = 1;
        }
    }

    BinArray spectrumUpTo(double kv) const
    {
        BinArray p{};
        const int top = static_cast<int>(std::floor(2 * kv));
        for (int j = 20; j < top; ++j)
            p[j] = 1.0 / (top - 20);
        return p;
    }

    ReferenceTables tables;
};

TEST_F(PlanarBackscatterSpectrum, SymmetricInTheSidesAndBlindToThickness)
{
    ExposureConditions c = rectangle(30, 20);
    const BinArray p = spectrumUpTo(75);
    const BackscatterFactors f = planarBackscatter(c, tables, p);
    EXPECT_GT(f.softTissue, 1.0);
    EXPECT_NEAR(f.skin - 1, 0.9 * (f.softTissue - 1), 1e-12);
    EXPECT_NEAR(f.air - 1, 1.1 * (f.softTissue - 1), 1e-12);
    const BackscatterFactors swapped = planarBackscatter(rectangle(20, 30), tables, p);
    EXPECT_DOUBLE_EQ(swapped.softTissue, f.softTissue);
    c.bodyThicknessCm = 5;
    EXPECT_DOUBLE_EQ(planarBackscatter(c, tables, p).softTissue, f.softTissue);
    c.headPhantom = 1;
    EXPECT_NEAR(planarBackscatter(c, tables, p).softTissue - 1, 0.5 * (f.softTissue - 1), 1e-12);
}

TEST_F(PlanarBackscatterSpectrum, NodesStopAtTheFirstAtOrAboveTheTubeVoltage)
{
    ExposureConditions c = rectangle(30, 20);
    c.tubeVoltageKv = 73;
    const BinArray p = spectrumUpTo(73);
    const double reference = planarBackscatter(c, tables, p).softTissue;
    // Node 17 (80 keV) is beyond the range at 73 kV (node 16, 75 keV, is the last).
    for (int i = 1; i <= kBsfRings; ++i)
        tables.bsfSoftTissue.at(kPhantomBody, 17, i) = 1.0;
    EXPECT_DOUBLE_EQ(planarBackscatter(c, tables, p).softTissue, reference);
    for (int i = 1; i <= kBsfRings; ++i)
        tables.bsfSoftTissue.at(kPhantomBody, 16, i) = 1.0;
    EXPECT_GT(planarBackscatter(c, tables, p).softTissue, reference + 0.1);
}

TEST_F(PlanarBackscatterSpectrum, OneFiftyKvPassesOnlyWithoutWeightAt150Kev)
{
    ExposureConditions c = rectangle(30, 20);
    c.tubeVoltageKv = 150;
    BinArray p = spectrumUpTo(150); // bin 300 is empty, as the model leaves it
    EXPECT_NO_THROW(planarBackscatter(c, tables, p));
    p[300] = 0.01;
    EXPECT_THROW(planarBackscatter(c, tables, p), CalculationError);
    c.tubeVoltageKv = 150.5;
    EXPECT_THROW(planarBackscatter(c, tables, spectrumUpTo(150)), CalculationError);
    // Far above the tables: refused before any bin beyond 300 is touched
    // (the sanitizers check that no array is read past its end).
    c.tubeVoltageKv = 400;
    EXPECT_THROW(planarBackscatter(c, tables, spectrumUpTo(150)), CalculationError);
    EXPECT_THROW(computeConversionFactors(spectrumUpTo(150), 400, tables.attenuation, 33.97), CalculationError);
}

TEST_F(PlanarBackscatterSpectrum, AFieldOfNoSizeHasNoRings)
{
    ExposureConditions c = rectangle(-1e300, 0);
    c.fieldShape = FieldShape::Circular; // -1e300 is far outside an int
    EXPECT_EQ(surfaceField(c).rings, 0);
    c.fieldLongCm = std::nan("");
    EXPECT_EQ(surfaceField(c).rings, 0);
}

} // namespace
} // namespace velnor

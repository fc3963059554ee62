#include "main/dose/PlanarBackscatter.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <algorithm>
#include <cmath>

namespace velnor {
namespace {

double clampSide(double cm) { return std::min(kMaxSurfaceFieldCm, std::max(1.0, cm)); }

double ringMidRadiusCm(int i) { return 0.1 * i - 0.05; }

// Sizes are typed in decimals and meet ring edges exactly (a surface field
// of 26.7 cm has b = 13.35 cm, the mid radius of ring 134). Binary floating
// point puts such a value a hair to either side, depending on the order of
// the operations; the decisions below are made as exact decimal arithmetic
// makes them, with a tolerance far below any meaningful length.
constexpr double kTieCm = 1e-9;

// The integer part of a count of rings (10 x a length, or 5 x a diameter).
int ringCount(double rings) { return static_cast<int>(std::floor(rings + 10 * kTieCm)); }

// Whether the ring of mid radius r reaches the side at distance `half`.
bool reaches(double r, double half) { return r >= half - kTieCm; }

// sqrt(r^2 - half^2), 0 at a tie.
double beyond(double r, double half) { return std::sqrt(std::max(0.0, r * r - half * half)); }

} // namespace

SurfaceField surfaceField(const ExposureConditions& c)
{
    const double ffd = c.focusReceptorDistanceCm;
    if (!(ffd > 0))
        throw CalculationError(Reason{ReasonCode::NotPositive, "focusReceptorDistanceCm", ffd, 0, 0, "cm"});
    const double fsd = c.focusSurfaceDistanceCm;
    const double longCm = c.fieldLongCm.value_or(0.0);
    const double shortCm = c.fieldShortCm.value_or(0.0);
    SurfaceField f;
    if (c.fieldShape != FieldShape::Rectangular) {
        f.circular = true;
        double d = longCm * fsd / ffd;
        if (d > kMaxSurfaceFieldCm)
            d = kMaxSurfaceFieldCm;
        if (!(d > 0)) // also a NaN: no ring lies in a field without size
            d = 0;
        f.rings = std::max(0, ringCount(5 * d));
        return f;
    }
    const double l = clampSide(std::max(longCm, shortCm) * fsd / ffd);
    const double w = clampSide(std::min(longCm, shortCm) * fsd / ffd);
    f.halfLongCm = l / 2;
    f.halfShortCm = w / 2;
    f.ringsLong = ringCount(10 * f.halfLongCm);
    f.ringsShort = ringCount(10 * f.halfShortCm);
    f.ringsCorner = ringCount(10 * std::sqrt(f.halfLongCm * f.halfLongCm + f.halfShortCm * f.halfShortCm));
    return f;
}

std::array<double, kBsfEnergyColumns + 1> backscatterByEnergy(const DifferentialBsfTable& table, int phantom,
                                                              const SurfaceField& field, double fsdCm, int lastNode)
{
    const double fsd2 = fsdCm * fsdCm;
    auto ringWeight = [fsd2](int i) {
        const double r = ringMidRadiusCm(i);
        return fsd2 / (fsd2 + r * r);
    };
    std::array<double, kBsfEnergyColumns + 1> bsf{};
    for (int m = 1; m <= lastNode; ++m) {
        double s = 0;
        if (field.circular) {
            for (int i = 1; i <= field.rings; ++i)
                s += ringWeight(i) * table.at(phantom, m, i);
        } else {
            const double a = field.halfLongCm;
            const double b = field.halfShortCm;
            for (int i = 1; i <= field.ringsShort; ++i)
                s += ringWeight(i) * table.at(phantom, m, i);
            // Rings that leave the field through the long sides y = +-b only.
            for (int i = field.ringsShort + 1; i <= field.ringsLong; ++i) {
                const double r = ringMidRadiusCm(i);
                if (reaches(r, b)) {
                    const double inside = (kQuarterTurn - std::atan(beyond(r, b) / b)) / kQuarterTurn;
                    s += ringWeight(i) * table.at(phantom, m, i) * inside;
                }
            }
            // Rings that leave through both pairs of sides.
            for (int i = field.ringsLong + 1; i <= field.ringsCorner; ++i) {
                const double r = ringMidRadiusCm(i);
                if (reaches(r, b) && reaches(r, a)) {
                    const double inside = ((kQuarterTurn - std::atan(beyond(r, b) / b)) - std::atan(beyond(r, a) / a))
                        / kQuarterTurn;
                    s += ringWeight(i) * table.at(phantom, m, i) * inside;
                }
            }
        }
        bsf[static_cast<std::size_t>(m)] = 1 + s;
    }
    return bsf;
}

namespace {

double mediumBackscatter(const DifferentialBsfTable& table, const BinArray& muen, const ExposureConditions& c,
                         const ReferenceTables& tables, const BinArray& photons, const SurfaceField& field)
{
    const double kv = c.tubeVoltageKv;
    if (!(kv >= 1.0 && kv <= 150.0))
        throw CalculationError(Reason{ReasonCode::BsfVoltageOutside, {}, kv, 1, 150});
    const int top = static_cast<int>(std::floor(2 * kv));
    const auto& grid = tables.bsfEnergyGridKev;

    BinArray w{};
    double sum = 0;
    for (int j = 2; j <= top; ++j) {
        const auto i = static_cast<std::size_t>(j);
        w[i] = photons[i] * (0.5 * j) * muen[i];
        sum += w[i];
    }
    if (!(sum > 0))
        throw CalculationError(Reason{ReasonCode::BsfNoWeight});

    int k = 2;
    while (k <= kBsfEnergyColumns && grid[static_cast<std::size_t>(k)] < kv)
        ++k;
    if (k > kBsfEnergyColumns)
        throw CalculationError(Reason{ReasonCode::BsfAboveLastEnergy, {}, kv, 0, 150});

    const auto bsf = backscatterByEnergy(table, c.headPhantom, field, c.focusSurfaceDistanceCm, k);
    double b = 0;
    for (int j = 2; j <= top; ++j) {
        const double weight = w[static_cast<std::size_t>(j)] / sum;
        if (!(weight > 0))
            continue;
        const double e = 0.5 * j;
        int u = 2;
        while (u <= kBsfEnergyColumns && !(grid[static_cast<std::size_t>(u)] > e))
            ++u;
        if (u > k)
            throw CalculationError(Reason{ReasonCode::BsfPhotonsAbove, {}, e});
        const double hi = grid[static_cast<std::size_t>(u)];
        const double lo = grid[static_cast<std::size_t>(u - 1)];
        const double bHi = bsf[static_cast<std::size_t>(u)];
        const double bLo = bsf[static_cast<std::size_t>(u - 1)];
        b += weight * (bHi - (hi - e) / (hi - lo) * (bHi - bLo));
    }
    return b;
}

} // namespace

BackscatterFactors planarBackscatter(const ExposureConditions& c, const ReferenceTables& tables, const BinArray& photons)
{
    if (c.headPhantom != kPhantomBody && c.headPhantom != kPhantomHead)
        throw CalculationError(Reason{ReasonCode::PhantomCode, "headPhantom", static_cast<double>(c.headPhantom)});
    const SurfaceField field = surfaceField(c);
    const auto& a = tables.attenuation;
    BackscatterFactors f;
    f.softTissue = mediumBackscatter(tables.bsfSoftTissue, a.muenSoftTissue, c, tables, photons, field);
    f.skin = mediumBackscatter(tables.bsfSkin, a.muenSkin, c, tables, photons, field);
    f.air = mediumBackscatter(tables.bsfAir, a.muenAir, c, tables, photons, field);
    return f;
}

std::optional<RecordFault> backscatterFactorsFault(const BackscatterFactors& f)
{
    if (auto fault = backscatterFactorFault(f.softTissue, f.softTissueSd, "bsfSoftTissue"))
        return fault;
    if (auto fault = backscatterFactorFault(f.skin, f.skinSd, "bsfSkin"))
        return fault;
    return backscatterFactorFault(f.air, f.airSd, "bsfAir");
}

} // namespace velnor

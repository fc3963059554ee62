#include "depthdose/DepthDose.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/FreeFormatReader.h"
#include "common/Reasons.h"

#include <cmath>
#include <stdexcept>

namespace velnor::pdd {
namespace {

// Area of the part of the disc of radius r (centred on the axis) inside the
// quarter x >= 0, y >= 0 of the rectangle [0, a] x [0, b].
double quarterArea(double r, double a, double b)
{
    if (r <= 0)
        return 0;
    if (r * r >= a * a + b * b)
        return a * b;
    // The half segment of the disc beyond the line x = c, in the quarter.
    auto beyond = [r](double c) { return c >= r ? 0.0 : 0.5 * (r * r * std::acos(c / r) - c * std::sqrt(r * r - c * c)); };
    // Inside the corner's distance the two segments do not overlap.
    return kPi * r * r / 4 - beyond(a) - beyond(b);
}

double checkedLog(double v, const char* field)
{
    if (!(v > 0) || !std::isfinite(v))
        throw WordedError(Reason{ReasonCode::NoLogarithm, field, v});
    return std::log(v);
}

} // namespace

std::optional<HandOffFault> handOffFault(const HandOff& h)
{
    auto fault = [](int line, Reason r) { return HandOffFault{line, inEnglish(r), inJapanese(r)}; };
    struct Range {
        int line;
        double value, low, high;
        const char* field;
        const char* unit;
    };
    const Range ranges[] = {
        {1, h.tubeVoltageKv, kMinVoltageKv, kMaxVoltageKv, "tubeVoltageKv", "kV"},
        {2, h.focusReceptorCm, kMinDistanceCm, kMaxDistanceCm, "focusReceptorDistanceCm", "cm"},
        {3, h.focusSurfaceCm, kMinDistanceCm, kMaxDistanceCm, "focusSurfaceDistanceCm", "cm"},
        {4, h.thicknessCm, kMinThicknessCm, kMaxHandOffThicknessCm, "bodyThicknessCm", "cm"},
        {5, h.fieldLongCm, kMinFieldCm, kMaxFieldCm, "fieldLongCm", "cm"},
        {7, h.surfaceDoseMgy, 0, kMaxSurfaceDoseMgy, "esdSoftTissue", "mGy"},
    };
    for (const Range& r : ranges)
        if (!(r.value >= r.low && r.value <= r.high)) // NaN fails too
            return fault(r.line, {ReasonCode::OutOfRange, r.field, r.value, r.low, r.high, r.unit, {}});
    // The short axis is 0 for a circular field (its diameter is the long axis).
    if (h.fieldShortCm != 0 && !(h.fieldShortCm >= kMinFieldCm && h.fieldShortCm <= kMaxFieldCm))
        return fault(6, {ReasonCode::OutOfRange, "fieldShortCm", h.fieldShortCm, kMinFieldCm, kMaxFieldCm, "cm", {}});
    if (!(h.focusSurfaceCm < h.focusReceptorCm))
        return fault(3, {ReasonCode::AtMost, "focusSurfaceDistanceCm", h.focusSurfaceCm, 0, h.focusReceptorCm, "cm", {}});
    for (int e = 1; e <= kBins; ++e) {
        const double w = h.spectrum[static_cast<std::size_t>(e)];
        if (!std::isfinite(w) || w < 0)
            return fault(7 + e, {ReasonCode::NotFiniteOrNegative, "spectrumWeight", w, 0, 0, {}, {}});
    }
    return std::nullopt;
}

HandOff readHandOff(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    HandOff h;
    h.tubeVoltageKv = reader.readNumber();
    h.focusReceptorCm = reader.readNumber();
    h.focusSurfaceCm = reader.readNumber();
    h.thicknessCm = reader.readNumber();
    h.fieldLongCm = reader.readNumber();
    h.fieldShortCm = reader.readNumber();
    h.surfaceDoseMgy = reader.readNumber();
    for (int e = 1; e <= kBins; ++e)
        h.spectrum[static_cast<std::size_t>(e)] = reader.readNumber();
    if (reader.atEnd())
        throw DataFileError(path.filename().string(), kHandOffLines, Reason{ReasonCode::LineMissing, "bodyPart", kHandOffLines});
    h.bodyPart = reader.readField();
    if (const std::optional<HandOffFault> fault = handOffFault(h))
        throw DataFileError(path.filename().string(), fault->line, fault->wording());
    return h;
}

DepthDoseData readDepthDoseData(const std::filesystem::path& folder)
{
    DepthDoseData d;
    {
        FreeFormatReader r = FreeFormatReader::fromFile(findFileIgnoringCase(folder, "ICRUSoft.dat"));
        const double count = r.readNumber();
        if (!(count >= 2 && count <= 37) || count != std::floor(count))
            throw DataFileError("ICRUSoft.dat", 1, Reason{ReasonCode::WholeNumberRange, "rowCount", count, 2, 37});
        r.readNumber(); // header value, not used
        for (int k = 0; k < static_cast<int>(count); ++k) {
            d.energyKev.push_back(1000 * r.readNumber());
            d.coherent.push_back(r.readNumber());
            d.incoherent.push_back(r.readNumber());
            d.photoelectric.push_back(r.readNumber());
        }
    }
    {
        FreeFormatReader r = FreeFormatReader::fromFile(findFileIgnoringCase(folder, "Primary.dat"));
        for (int i = 0; i < kKernelEnergies; ++i) {
            r.readNumber();
            d.primaryCoefficient[static_cast<std::size_t>(i)] = r.readNumber();
        }
    }
    const std::filesystem::path kernels = findFileIgnoringCase(folder, "PDS-data");
    d.kernels.resize(kKernelEnergies);
    for (int i = 0; i < kKernelEnergies; ++i) {
        FreeFormatReader r = FreeFormatReader::fromFile(findFileIgnoringCase(kernels, std::to_string(10 + 5 * i) + ".dat"));
        for (int m = 0; m < kMaxPoints; ++m)
            for (int j = 0; j < kRings; ++j)
                d.kernels[static_cast<std::size_t>(i)][static_cast<std::size_t>(m)][static_cast<std::size_t>(j)] = r.readNumber();
    }
    return d;
}

int depthPoints(double thicknessCm)
{
    if (!(thicknessCm > 0))
        return 0;
    const double n = std::floor(2 * std::min(thicknessCm, 2.0 * kMaxThicknessCm) - 0.1) + 1;
    return std::max(0, std::min(kMaxPoints, static_cast<int>(n)));
}

double ringFractionInRectangle(double r0, double r1, double a, double b)
{
    const double inside = 4 * (quarterArea(r1, a, b) - quarterArea(r0, a, b));
    return inside / (kPi * (r1 * r1 - r0 * r0));
}

std::vector<DepthDosePoint> computeDepthDose(const HandOff& h, double thickness, const DepthDoseData& data)
{
    for (double v : {h.tubeVoltageKv, h.focusReceptorCm, h.focusSurfaceCm, h.fieldLongCm, h.fieldShortCm, thickness})
        if (!std::isfinite(v))
            throw WordedError(Reason{ReasonCode::NotFinite, "handOffValue"});
    for (double w : h.spectrum)
        if (!std::isfinite(w) || w < 0)
            throw WordedError(Reason{ReasonCode::NotFiniteOrNegative, "spectrumWeight", w});
    const int n = depthPoints(thickness);
    if (n < 1)
        throw WordedError(Reason{ReasonCode::NoDepthPoint, {}, thickness, 0, 0, "cm"});
    if (!(h.focusSurfaceCm > 0) || !(h.focusReceptorCm > 0))
        throw WordedError(Reason{ReasonCode::FocusNotPositive});
    if (h.fieldLongCm < 0 || h.fieldShortCm < 0 || (h.fieldLongCm == 0 && h.fieldShortCm == 0))
        throw WordedError(Reason{ReasonCode::FieldNoSize});
    const int top = static_cast<int>(std::min(static_cast<double>(kBins), std::max(0.0, std::floor(2 * h.tubeVoltageKv))));
    if (top < 21)
        throw WordedError(Reason{ReasonCode::KernelsStartAt10, {}, h.tubeVoltageKv, 0, 0, "kV"});

    // P at every bin from 10.5 keV, log-linear between the 5-keV grid values.
    std::array<double, kBins + 1> p{};
    const auto& pt = data.primaryCoefficient;
    for (int e = 21; e < kBins; ++e) {
        const double energy = 0.5 * e;
        const int k = static_cast<int>(energy / 5); // grid energies 5k and 5(k + 1), index k - 2 and k - 1
        const double lo = pt[static_cast<std::size_t>(k - 2)], hi = pt[static_cast<std::size_t>(std::min(k - 1, kKernelEnergies - 1))];
        p[static_cast<std::size_t>(e)] = std::exp(checkedLog(hi, "primaryCoefficient")
                                                  - (5.0 * (k + 1) - energy) * (std::log(hi) - checkedLog(lo, "primaryCoefficient")) / 5);
    }
    p[kBins] = pt[kKernelEnergies - 1];

    double longAxis = h.fieldLongCm, shortAxis = h.fieldShortCm;
    const bool circular = shortAxis == 0;
    if (longAxis < shortAxis)
        std::swap(longAxis, shortAxis);
    const double fsd = h.focusSurfaceCm;
    const double a0 = 0.5 * longAxis * fsd / h.focusReceptorCm, b0 = 0.5 * shortAxis * fsd / h.focusReceptorCm;
    auto depth = [](int m) { return 0.5 * m - 0.25; };
    auto distance = [fsd](double d) { return (fsd / (fsd + d)) * (fsd / (fsd + d)); };

    std::vector<double> primary(static_cast<std::size_t>(n + 1)), scatter(static_cast<std::size_t>(n + 1));
    const auto& en = data.energyKev;
    for (int e = 21; e <= top; ++e) {
        const double energy = 0.5 * e;
        std::size_t k = 1;
        while (k + 1 < en.size() && !(en[k] > energy))
            ++k;
        const double f = (std::log(energy) - std::log(en[k - 1])) / (std::log(en[k]) - std::log(en[k - 1]));
        auto coefficient = [&](const std::vector<double>& c) {
            return std::exp(checkedLog(c[k - 1], "attenuationCoefficient")
                            + (checkedLog(c[k], "attenuationCoefficient") - std::log(c[k - 1])) * f);
        };
        const double mu = coefficient(data.coherent) + coefficient(data.incoherent) + coefficient(data.photoelectric);
        for (int m = 1; m <= n; ++m) {
            const double d = depth(m);
            primary[static_cast<std::size_t>(m)] += h.spectrum[static_cast<std::size_t>(e)] * p[static_cast<std::size_t>(e)] * distance(d)
                * std::exp(-mu * d);
        }
    }

    // Scatter for unit weight at the tabulated energies (bins 20, 30, ... 300).
    std::vector<std::array<double, kBins + 1>> byEnergy(static_cast<std::size_t>(n + 1));
    for (int i = 0; i < kKernelEnergies; ++i) {
        const int e = 20 + 10 * i;
        const auto& kernel = data.kernels[static_cast<std::size_t>(i)];
        for (int m = 1; m <= n; ++m) {
            const double d = depth(m);
            const double a = a0 * (fsd + d) / fsd, b = b0 * (fsd + d) / fsd;
            const double r = circular ? a : std::sqrt(a * a + b * b);
            if (!(2 * r < kRings))
                throw WordedError(Reason{ReasonCode::KernelsEnd, {}, r, d});
            const int rings = static_cast<int>(std::floor(2 * r)) + 1;
            double s = 0;
            for (int j = 1; j <= rings; ++j) {
                const double weight = circular ? 1.0 : ringFractionInRectangle(0.5 * (j - 1), 0.5 * j, a, b);
                s += weight * distance(d) * kernel[static_cast<std::size_t>(m - 1)][static_cast<std::size_t>(j - 1)];
            }
            byEnergy[static_cast<std::size_t>(m)][static_cast<std::size_t>(e)] = s;
        }
    }
    // Between them, log-linear; a zero value at a tabulated energy counts as 1.
    for (int e = 21; e <= top; ++e) {
        if (e % 10 == 0)
            continue;
        const int k = 10 * (e / 10 + 1);
        const double delta = 0.5 * k - 0.5 * e;
        for (int m = 1; m <= n; ++m) {
            auto& s = byEnergy[static_cast<std::size_t>(m)];
            for (int t : {k, k - 10})
                if (s[static_cast<std::size_t>(t)] == 0)
                    s[static_cast<std::size_t>(t)] = 1;
            const double hi = checkedLog(s[static_cast<std::size_t>(k)], "scatter");
            const double lo = checkedLog(s[static_cast<std::size_t>(k - 10)], "scatter");
            s[static_cast<std::size_t>(e)] = std::exp(hi - (hi - lo) * delta / 5);
        }
    }
    for (int e = 21; e <= top; ++e)
        for (int m = 1; m <= n; ++m)
            scatter[static_cast<std::size_t>(m)] += h.spectrum[static_cast<std::size_t>(e)] * byEnergy[static_cast<std::size_t>(m)][static_cast<std::size_t>(e)];

    const double d0 = primary[1] + scatter[1];
    if (!(d0 > 0) || !std::isfinite(d0))
        throw WordedError(Reason{ReasonCode::FirstDoseNotPositive});
    std::vector<DepthDosePoint> table;
    for (int m = 1; m <= n; ++m) {
        const double pr = primary[static_cast<std::size_t>(m)], sc = scatter[static_cast<std::size_t>(m)];
        table.push_back({depth(m), 100 * pr / d0, 100 * sc / d0, 100 * (pr + sc) / d0});
    }
    return table;
}

std::vector<std::string> depthDoseFileLines(const std::vector<DepthDosePoint>& table)
{
    std::vector<std::string> lines;
    for (const DepthDosePoint& p : table)
        lines.push_back(formatNumber(p.depthCm, " 00.00") + "," + formatNumber(p.primaryPercent, "  000.00") + ","
                        + formatNumber(p.scatterPercent, "  000.00") + "," + formatNumber(p.totalPercent, "  000.00"));
    return lines;
}

} // namespace velnor::pdd

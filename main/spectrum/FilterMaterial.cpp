#include "main/spectrum/FilterMaterial.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FreeFormatReader.h"

#include <cmath>
#include <stdexcept>

namespace velnor {

namespace {
constexpr double kLastRowEnergyMev = 10.0;
constexpr double kFirstBinEnergyMev = 0.001;
} // namespace

FilterMaterial readFilterMaterialFile(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    const std::string file = reader.sourceName();
    FilterMaterial m;
    m.name = reader.readLine();
    m.densityGPerCm3 = reader.readNumber();
    reader.readNumber();
    if (!(m.densityGPerCm3 > 0))
        throw DataFileError(file, reader.lineNumber(), Reason{ReasonCode::NotPositive, "density", m.densityGPerCm3, 0, 0, "g/cm³"});
    while (m.rows.empty() || m.rows.back().energyMev < kLastRowEnergyMev) {
        if (static_cast<int>(m.rows.size()) == kMaxFilterMaterialRows)
            throw DataFileError(file, reader.lineNumber(), Reason{ReasonCode::TooManyRows, {}, kMaxFilterMaterialRows});
        if (reader.atEnd())
            throw DataFileError(file, reader.lineNumber(), Reason{ReasonCode::RowsEndBefore10MeV});
        const int line = reader.lineNumber();
        FilterMaterial::Row row{reader.readNumber(), 0.0};
        for (int k = 0; k < 3; ++k)
            row.massAttenuation += reader.readNumber();
        reader.readNumber();
        reader.readNumber();
        if (!(row.massAttenuation > 0))
            throw DataFileError(file, line, Reason{ReasonCode::NotPositive, "attenuationCoefficient", row.massAttenuation});
        if (!m.rows.empty() && !(row.energyMev > m.rows.back().energyMev))
            throw DataFileError(file, line, Reason{ReasonCode::NotIncreasing, "energies"});
        if (m.rows.empty() && row.energyMev > kFirstBinEnergyMev)
            throw DataFileError(file, line, Reason{ReasonCode::AtMost, "firstRowEnergy", row.energyMev * 1000, 0, 1, "keV"});
        m.rows.push_back(row);
    }
    return m;
}

BinArray otherFilterMu(const FilterMaterial& material)
{
    BinArray mu{};
    const auto& rows = material.rows;
    for (int n = 1; n <= 150; ++n) {
        const double e = 0.001 * n;
        std::size_t i = 0;
        while (i < rows.size() && !(rows[i].energyMev > e))
            ++i;
        // The reader guarantees a first row at or below 1 keV and a last row at 10 MeV.
        const auto& lo = rows[i - 1];
        const auto& hi = rows[i];
        const double lnMu = std::log(lo.massAttenuation)
            + (std::log(e) - std::log(lo.energyMev)) / (std::log(hi.energyMev) - std::log(lo.energyMev))
                * (std::log(hi.massAttenuation) - std::log(lo.massAttenuation));
        mu[static_cast<std::size_t>(2 * n)] = material.densityGPerCm3 * std::exp(lnMu);
    }
    for (int j = 3; j <= 299; j += 2)
        mu[static_cast<std::size_t>(j)] = (mu[static_cast<std::size_t>(j - 1)] + mu[static_cast<std::size_t>(j + 1)]) / 2;
    mu[1] = mu[2];
    return mu;
}

void applyOtherFilter(ExposureConditions& c, const FilterMaterial& material, double thicknessMm)
{
    if (!(thicknessMm > 0) || !std::isfinite(thicknessMm))
        throw RefusedValue(Reason{ReasonCode::NotPositive, "filterThicknessMm", thicknessMm, 0, 0, "mm"});
    c.otherFilterMu = otherFilterMu(material);
    c.otherFilterName = material.name;
    c.otherFilterCm = 0.1 * thicknessMm;
    c.otherFilterActive = true;
}

void clearOtherFilter(ExposureConditions& c)
{
    c.otherFilterName.clear();
    c.otherFilterCm = 0;
    c.otherFilterActive = false;
}

} // namespace velnor

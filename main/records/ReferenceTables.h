#pragma once

#include "main/records/EnergyGrid.h"

#include <array>
#include <vector>

namespace velnor {

inline constexpr int kBsfEnergyColumns = 31; // 1, 5, 10, ..., 150 keV
inline constexpr int kBsfRings = 300;        // annuli 0.1 cm wide
inline constexpr int kPhantomBody = 0;
inline constexpr int kPhantomHead = 1;

// Differential backscatter factors: [phantom 0..1][energy column 1..31][ring 1..300].
// Ring i is the annulus of mid radius (i - 0.5) x 0.1 cm around the beam axis;
// an entry is that annulus's contribution to the backscatter factor at the
// photon energy of its column.
class DifferentialBsfTable {
public:
    DifferentialBsfTable() : m_values(2 * (kBsfEnergyColumns + 1) * (kBsfRings + 1), 0.0) {}

    double& at(int phantom, int column, int ring) { return m_values[index(phantom, column, ring)]; }
    double at(int phantom, int column, int ring) const { return m_values[index(phantom, column, ring)]; }

private:
    static std::size_t index(int phantom, int column, int ring)
    {
        return (static_cast<std::size_t>(phantom) * (kBsfEnergyColumns + 1) + static_cast<std::size_t>(column))
            * (kBsfRings + 1) + static_cast<std::size_t>(ring);
    }
    std::vector<double> m_values;
};

// Interaction coefficients per bin j (0.5 x j keV). The mu columns multiply
// thicknesses in cm (1/cm); the muen columns are mass energy-absorption
// coefficients (cm^2/g), used only in products and ratios with each other.
struct AttenuationTable {
    BinArray muTungsten{};
    BinArray muAluminium{};
    BinArray muCopper{};
    BinArray muenAir{};
    BinArray muenSoftTissue{};
    BinArray muenSkin{};
};

// Air-kerma response per bin: free in air at 100 cm (x0) and at the same
// point behind a 2 cm acrylic plate (x1); their spectrum-weighted ratio is the
// ATR index.
struct AtrTable {
    BinArray x0{};
    BinArray x1{};
};

// Energy of backscatter-table column m (1..31): 1 keV, then 5 x (m - 1) keV.
constexpr double bsfColumnEnergyKev(int m) { return m == 1 ? 1.0 : 5.0 * (m - 1); }

// Air kerma per unit exposure, Gy/(C/kg) (mean energy per ion pair in dry air).
inline constexpr double kAirWOverE = 33.97;

// The reference tables loaded once at start-up, read-only afterwards.
struct ReferenceTables {
    DifferentialBsfTable bsfSoftTissue;
    DifferentialBsfTable bsfAir;
    DifferentialBsfTable bsfSkin;
    std::array<double, kBsfEnergyColumns + 1> bsfEnergyGridKev = makeBsfEnergyGrid();
    AttenuationTable attenuation;
    AtrTable atr;
    double airWOverE = kAirWOverE;

    static std::array<double, kBsfEnergyColumns + 1> makeBsfEnergyGrid()
    {
        std::array<double, kBsfEnergyColumns + 1> grid{};
        for (int m = 1; m <= kBsfEnergyColumns; ++m)
            grid[static_cast<std::size_t>(m)] = bsfColumnEnergyKev(m);
        return grid;
    }
};

} // namespace velnor

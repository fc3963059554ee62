#pragma once

#include "montecarlo/AbsorptionTable.h"
#include "montecarlo/LaggedGenerator.h"
#include "montecarlo/Photon.h"
#include "montecarlo/RowSearch.h"
#include "montecarlo/TissueData.h"

#include <array>
#include <vector>

namespace velnor::mc {

// Photon interactions in ICRU soft tissue, in 32-bit arithmetic, and the
// energy-absorption coefficients of the scoring media. The logarithms of the
// table rows are taken once; every draw-dependent function of a draw (-ln r,
// cos and sin of 2 pi r) is tabulated over the generator's 16384 values. Both
// give exactly the numbers a direct evaluation gives.
class Interactions {
public:
    Interactions(const TissueData& tissue, const AbsorptionTable& absorption);

    struct Coefficients {
        float total = 0;               // 1/cm
        float photoelectricShare = 0;  // P1
        float photoOrCoherentShare = 0; // P2
    };
    // Log-log between the first row above E and the row below it.
    Coefficients coefficients(float energyKev) const;

    // mu_en/rho of air, soft tissue and skin at E, log-log from the upper row.
    std::array<float, 3> absorption(float energyKev) const;

    // Kahn's sampling of Klein-Nishina, then rejection by S(x) / S_max.
    // Returns the scattered energy; sets cos and sin of the scattering angle.
    float incoherent(float energyKev, LaggedGenerator& random, float& cosAngle, float& sinAngle) const;
    // Inverse sampling of the form factor distribution, then the Thomson factor.
    void coherent(float energyKev, LaggedGenerator& random, float& cosAngle, float& sinAngle) const;

    float negativeLog(std::int32_t draw) const { return m_negativeLog[static_cast<std::size_t>(draw)]; }
    float cos2Pi(std::int32_t draw) const { return m_cos2Pi[static_cast<std::size_t>(draw)]; }
    float sin2Pi(std::int32_t draw) const { return m_sin2Pi[static_cast<std::size_t>(draw)]; }

private:
    const TissueData& m_tissue;
    RowSearch m_energyRows, m_absorptionRows, m_momentumRows, m_cumulativeRows;
    std::vector<float> m_lnEnergy, m_lnCoherent, m_lnIncoherent, m_lnPhoto;
    std::array<float, kAbsorptionRows> m_absorptionEnergy{};
    std::array<std::array<float, kAbsorptionRows>, 3> m_lnAbsorption{};
    std::array<float, kAbsorptionRows> m_lnAbsorptionEnergy{};
    std::vector<float> m_negativeLog, m_cos2Pi, m_sin2Pi;
};

// Energy after incoherent scattering by an angle of cosine `cosAngle`.
inline float comptonEnergy(float energyKev, float cosAngle)
{
    return energyKev / (1.0f + (energyKev / 511.0f) * (1.0f - cosAngle));
}

// Turns the photon's direction by the scattering angle (cos, sin) and the
// azimuth psi (cos, sin).
void turn(PhotonState& photon, float cosAngle, float sinAngle, float cosPsi, float sinPsi);

inline constexpr float kElectronRestKev = 511.0f;
inline constexpr float kHcKevAngstrom = 12.4f;
inline constexpr float kIncoherentCheckLimit = 10.0f; // 1/angstrom

} // namespace velnor::mc

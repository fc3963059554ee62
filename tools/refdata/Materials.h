#pragma once

#include <string>
#include <vector>

namespace velnor::refdata {

struct Constituent {
    int Z;
    double massFraction;
};

// A material by mass fractions (they sum to 1) and its density.
struct Material {
    std::string name;
    double densityGPerCm3;
    std::vector<Constituent> constituents;
};

// Dry air near sea level (NIST composition).
Material dryAir();
// ICRU Report 44 soft tissue and skin.
Material icruSoftTissue();
Material icruSkin();
// Liquid water and PMMA (C5H8O2), NIST compositions.
Material water();
Material pmma();
// A pure element at its xraylib density.
Material element(int Z, std::string name);

// Partial mass attenuation coefficients of a material [cm^2/g] at E [keV].
struct MassAttenuation {
    double coherent;
    double incoherent;
    double photoelectric;
    double total() const { return coherent + incoherent + photoelectric; }
};
MassAttenuation massAttenuation(const Material& material, double energyKev);

// Mass energy-absorption coefficient [cm^2/g] at E [keV]:
//   sum over elements of w [tau (1 - X/E) + sigma_tr,KN Z N_A / A],
// tau the photoelectric cross-section, X the mean K-fluorescence energy that
// escapes per photoabsorption, sigma_tr,KN the free-electron Klein-Nishina
// energy-transfer cross-section. Radiative losses of the secondary electrons
// (g < 0.1 % below 150 keV in low-Z media) are neglected. This matches NIST's
// tables within about 0.5 % from 10 to 150 keV for air and tissues.
double massEnergyAbsorption(const Material& material, double energyKev);

} // namespace velnor::refdata

#include "tools/refdata/Materials.h"

#include "tools/refdata/Elements.h"

namespace velnor::refdata {

Material dryAir()
{
    return {"dry air", 1.20479e-3, {{6, 0.000124}, {7, 0.755268}, {8, 0.231781}, {18, 0.012827}}};
}

Material icruSoftTissue()
{
    return {"ICRU-44 soft tissue",
            1.06,
            {{1, 0.102}, {6, 0.143}, {7, 0.034}, {8, 0.708}, {11, 0.002}, {15, 0.003}, {16, 0.003}, {17, 0.002}, {19, 0.003}}};
}

Material icruSkin()
{
    return {"ICRU-44 skin",
            1.09,
            {{1, 0.100}, {6, 0.204}, {7, 0.042}, {8, 0.645}, {11, 0.002}, {15, 0.001}, {16, 0.002}, {17, 0.003}, {19, 0.001}}};
}

Material water() { return {"water", 1.0, {{1, 0.111894}, {8, 0.888106}}}; }

Material pmma() { return {"PMMA", 1.19, {{1, 0.080538}, {6, 0.599848}, {8, 0.319614}}}; }

Material element(int Z, std::string name) { return {std::move(name), elementDensity(Z), {{Z, 1.0}}}; }

MassAttenuation massAttenuation(const Material& material, double energyKev)
{
    MassAttenuation sum{0, 0, 0};
    for (const Constituent& c : material.constituents) {
        sum.coherent += c.massFraction * coherentCrossSection(c.Z, energyKev);
        sum.incoherent += c.massFraction * incoherentCrossSection(c.Z, energyKev);
        sum.photoelectric += c.massFraction * photoelectricCrossSection(c.Z, energyKev);
    }
    return sum;
}

double massEnergyAbsorption(const Material& material, double energyKev)
{
    const double transferPerElectron = kleinNishinaEnergyTransferPerElectron(energyKev);
    double sum = 0.0;
    for (const Constituent& c : material.constituents) {
        const double tau = photoelectricCrossSection(c.Z, energyKev);
        const double fluorescence = meanKFluorescenceEnergyKev(c.Z, energyKev);
        const double electronsPerGram = c.Z * kAvogadro / atomicWeight(c.Z);
        sum += c.massFraction * (tau * (1.0 - fluorescence / energyKev) + transferPerElectron * electronsPerGram);
    }
    return sum;
}

} // namespace velnor::refdata

#pragma once

#include "main/records/EnergyGrid.h"
#include "main/records/ExposureConditions.h"
#include "main/records/OutputDataTable.h"
#include "main/records/ReferenceTables.h"

namespace velnor {

// Semi-empirical thick-target bremsstrahlung spectrum of a tungsten anode
// (Tucker, Barnes and Chakraborty, Med. Phys. 18 (1991) 211, in the form used
// here), integrated over the high-voltage waveform, with the tungsten K lines
// above 70 kV and exponential attenuation in the filters.

// The unfiltered spectrum summed over the waveform's phases, on an
// energy-fluence scale (bin / energy = relative photon number), bins 2 ..
// floor(2 V) of each phase. Pure model: no checks of its inputs.
BinArray rawSpectrum(double tubeVoltageKv, double targetAngleDeg, Rectification rectification, const BinArray& muTungsten);

struct SpectrumResult {
    int topBin = 0;           // floor(2 x tube voltage): the last bin up to the tube voltage
    BinArray photonSpectrum{}; // relative photon number per bin, sums to 1; values below 1e-10 are 0
    BinArray airKermaSpectrum{}; // air kerma per bin, sums to 1 over bins 2..topBin
    double kermaRatio = 0;    // air kerma with the actual filters / behind the output table's filtration
};

// The filtered spectra of an exposure. Throws CalculationError for a tube
// voltage below 1 kV or above 150 kV, a target angle outside (0, 90] degrees,
// a negative filtration, or filters that absorb the whole
// beam.
SpectrumResult computeSpectrum(const ExposureConditions& conditions, const AttenuationTable& attenuation,
                               const OutputDataTable& outputData);

// The same from a raw spectrum already computed for the conditions' voltage,
// angle and waveform: the filters only (the fits vary a filtration and keep
// the raw spectrum). The conditions are not checked again.
SpectrumResult filteredSpectrum(const BinArray& raw, const ExposureConditions& conditions, const AttenuationTable& attenuation,
                                const OutputDataTable& outputData);

// Model constants and functions, exposed for tests.
namespace spectrum_model {
inline constexpr double kPi = 3.14159; // as the model was fitted
inline constexpr double kTungstenDensity = 19.3;
inline constexpr double kElectronRestEnergyKev = 511;
inline constexpr double kZeroThreshold = 1e-10;
inline constexpr double kKLineThresholdKv = 70;
// Relative weights of the tungsten K lines (Kalpha1, Kalpha2, Kbeta1, Kbeta2) and their bins.
inline constexpr int kKLineBins[4] = {119, 116, 134, 138};
inline constexpr double kKLineWeights[4] = {0.5048, 0.2908, 0.162, 0.0424};

double energyLossConstant(double kv);
double stoppingTerm(double electronKev);
double shapeFactor(double photonKev, double electronKev);
double kLineFractionPercent(double kv);
// Phases of the waveform in degrees, ascending.
std::vector<double> waveformPhasesDeg(Rectification rectification);
// Tube-current weight of a phase with sin(phase) = s.
double currentWeight(Rectification rectification, double s);
} // namespace spectrum_model

} // namespace velnor

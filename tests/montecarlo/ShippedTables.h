#pragma once

#include "main/records/ReferenceLoader.h"
#include "main/spectrum/SpectrumModel.h"
#include "montecarlo/AbsorptionTable.h"
#include "montecarlo/SpectrumWeights.h"
#include "montecarlo/TissueData.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velnor::testing {

inline const std::filesystem::path kData = VELNOR_DATA_DIR;

// The engine's tables as shipped, read once for a test suite.
class ShippedTables : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tissue = mc::readTissueData(kData / "ICRUSoft.dat");
        s_absorption = mc::readAbsorptionTable(kData / "Att_coeff2020.dat");
    }
    static inline mc::TissueData s_tissue;
    static inline mc::AbsorptionTable s_absorption;
};

// The engine's weights for the main program's spectrum at a tube voltage
// (other conditions at their start-up values).
inline mc::SpectrumWeights spectrumWeightsAt(double kv)
{
    ExposureConditions c;
    c.tubeVoltageKv = kv;
    const SpectrumResult s = computeSpectrum(c, readAttenuationTable(kData / "Att_coeff2020.dat"),
                                             loadOutputDataTable(kData / "default-output.op"));
    return mc::normaliseWeights(s.photonSpectrum);
}

} // namespace velnor::testing

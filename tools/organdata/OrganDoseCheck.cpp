// velnor-organ-check DATA: the organ doses and the effective dose per entrance
// surface air kerma (ESAK) that the programs give for the two reference
// set-ups of an independent photon Monte Carlo in a stylized adult phantom
// (chest PA and abdomen AP), beside that Monte Carlo's values and their
// ratios. The chain is the programs' own: the main program's flat-surface
// calculation, its depth-dose hand-off, the depth dose and the organ rows of
// DATA/Organ-data as the depth-dose program reads them.
//
// The phantom Monte Carlo: a stylized (MIRD-type) adult hermaphrodite, trunk
// an elliptic cylinder 40 x 20 cm, 0.25-cm voxels; ICRU-44 soft tissue at 1.04
// g/cm3, lung 0.296 g/cm3, skeleton a bone-marrow mixture at 1.40 g/cm3;
// photons only (kerma), Woodcock tracking, Compton with the incoherent
// scattering function, Rayleigh with the form factor; a point source, the
// field defined at the receptor; tungsten spectra behind 3 mm Al; ESAK the
// incident air kerma at the entrance point times the backscatter factor of
// the same run; red marrow weighted by the adult active-marrow shares (Cristy
// 1981); E with the ICRP 103 weights, gonads the mean of testes and ovaries.
#include "common/TextFile.h"
#include "depthdose/DepthDose.h"
#include "depthdose/OrganDose.h"
#include "main/dose/CalculationState.h"
#include "main/dose/DepthDoseHandOff.h"
#include "main/records/ReferenceLoader.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace {

using velnor::pdd::kTissueRows;

// A set-up as program inputs: constant potential, 3 mm Al total filtration,
// no copper, a 35 x 43 cm field at the receptor.
struct SetUp {
    const char* name;
    const char* bodyPart;
    double kv, ffdCm, fsdCm, thicknessCm;
    // The phantom's organ dose per ESAK in the program's row order (breast,
    // red marrow, colon, lung, stomach, gonads, thyroid, oesophagus, liver,
    // bladder, bone surface, entrance skin + exit skin as the whole skin,
    // brain, salivary glands, remainder), its share inside the beam (-1: not
    // given), and E per ESAK.
    double reference[kTissueRows];
    double inField[kTissueRows];
    double effective;
};

constexpr int kSkinRows = -2; // the exit-skin row is reported with the entrance row

// From the phantom Monte Carlo (40 million histories a view; organs in the
// beam +-10-15 %, at the field's edge within a factor 1.5-2, red marrow
// +-20 %, E about +-15 %).
constexpr SetUp kSetUps[] = {
    {"chest PA", "胸部正面", 120, 180, 155, 20,
     {0.132, 0.171, 0.0050, 0.462, 0.088, 0.0005, 0.091, 0.256, 0.183, 0.0002, 0.101, 0.101, kSkinRows, 0.0054, 0.028, 0.159},
     {1.00, -1, 0, 1.00, 0.47, 0, 1.00, 0.91, 0.65, 0, -1, 0.21, kSkinRows, 0, 0, -1},
     0.146},
    {"abdomen AP", "腹部正面", 80, 115, 88, 20,
     {0.0039, 0.041, 0.257, 0.0082, 0.352, 0.096, 0.0001, 0.0039, 0.195, 0.346, 0.021, 0.072, kSkinRows, 0, 0, 0.119},
     {0, -1, 0.99, 0, 0.88, -1, 0, 0, 0.64, 1.00, -1, 0.15, kSkinRows, 0, 0, -1},
     0.124},
};

struct Outcome {
    double organ[kTissueRows]{}; // organ dose per ESAK; the skin row holds the whole skin
    double effective = 0;        // E per ESAK
};

Outcome compute(const SetUp& s, const std::filesystem::path& data, const velnor::StartupData& startup,
                const velnor::pdd::DepthDoseData& depthDoseData)
{
    velnor::CalculationState state;
    state.tables = startup.tables;
    state.outputData = startup.outputData;
    velnor::ExposureConditions& c = state.conditions;
    c.bodyPart = s.bodyPart;
    c.tubeVoltageKv = s.kv;
    c.rectification = velnor::Rectification::ConstantPotential;
    c.inherentFiltrationCm = 0.3;
    c.addedAlCm = 0;
    c.addedCuCm = 0;
    c.focusReceptorDistanceCm = s.ffdCm;
    c.focusSurfaceDistanceCm = s.fsdCm;
    c.bodyThicknessCm = s.thicknessCm;
    c.fieldPresetName = "その他";
    c.fieldLongCm = 43;
    c.fieldShortCm = 35;
    c.tubeCurrentMa = 500; // doses of some mGy, so that the hand-off's three decimals do not matter
    c.exposureTimeS = 0.5;
    state.calculate();
    const auto& computed = *state.lastCase;

    // The hand-off as the main program writes it, read as the depth-dose program reads it.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "velnor-organ-check";
    std::filesystem::create_directories(folder);
    velnor::writeTextLines(folder / "Velnor2PDD.dat",
                           velnor::depthDoseHandOffLines(computed.conditions, computed.dose.esdSoftTissue, computed.photonSpectrum));
    const velnor::pdd::HandOff handOff = velnor::pdd::readHandOff(folder / "Velnor2PDD.dat");
    std::filesystem::remove_all(folder);
    const auto table = velnor::pdd::computeDepthDose(handOff, handOff.thicknessCm, depthDoseData);
    const auto rows = velnor::pdd::readOrganDefaults(data, s.bodyPart, handOff.thicknessCm);
    if (!rows)
        throw std::runtime_error(std::string("no organ data for ") + s.bodyPart);
    const velnor::pdd::EffectiveDose e =
        velnor::pdd::computeEffectiveDose(*rows, s.bodyPart, handOff.thicknessCm, table, handOff.surfaceDoseMgy);
    const double esak = computed.dose.esdAir;
    Outcome out;
    for (int t = 0; t < kTissueRows; ++t)
        out.organ[t] = e.contributionMsv[static_cast<std::size_t>(t)].value_or(0.0) / velnor::pdd::kTissueWeights[static_cast<std::size_t>(t)] / esak;
    out.organ[velnor::pdd::kExitSkinRow - 1] += out.organ[velnor::pdd::kExitSkinRow];
    out.effective = e.totalMsv / esak;
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::puts("usage: velnor-organ-check DATA\n"
                  "Prints the organ doses and E per entrance surface air kerma of the chest PA and abdomen AP\n"
                  "reference set-ups, from the reference data and organ rows of DATA, beside a phantom Monte Carlo's.");
        return argc == 2 ? 0 : 2;
    }
    const std::filesystem::path data = argv[1];
    try {
        const velnor::StartupData startup = velnor::loadStartupData(data);
        const velnor::pdd::DepthDoseData depthDoseData = velnor::pdd::readDepthDoseData(data);
        for (const SetUp& s : kSetUps) {
            const Outcome o = compute(s, data, startup, depthDoseData);
            std::printf("%s (%s, %g kV, FFD %g cm, FSD %g cm, %g cm, 35 x 43 cm): dose per ESAK\n", s.name, s.bodyPart, s.kv, s.ffdCm,
                        s.fsdCm, s.thicknessCm);
            std::printf("  %-16s %8s %8s %7s %s\n", "organ", "ours", "phantom", "ratio", "in field (phantom)");
            for (int t = 0; t < kTissueRows; ++t) {
                if (s.reference[t] == kSkinRows)
                    continue;
                const char* name = t == velnor::pdd::kExitSkinRow - 1 ? "skin (whole)" : velnor::pdd::kTissueNames[static_cast<std::size_t>(t)];
                char share[16] = "";
                if (s.inField[t] >= 0)
                    std::snprintf(share, sizeof share, "%.0f %%", 100 * s.inField[t]);
                const bool checked = s.reference[t] >= 0.05 && s.inField[t] >= 0.5; // the aim holds for these
                std::printf("  %-16s %8.4f %8.4f %7.2f %s%s\n", name, o.organ[t], s.reference[t],
                            s.reference[t] > 0 ? o.organ[t] / s.reference[t] : NAN, share, checked ? "  (aim: 0.75-1.25)" : "");
            }
            std::printf("  %-16s %8.4f %8.4f %7.2f  (aim: 0.90-1.10)\n\n", "E (mSv/mGy)", o.effective, s.effective, o.effective / s.effective);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-organ-check: %s\n", e.what());
        return 1;
    }
}

// velnor-organdata DATA [OUT]: writes OUT/Organ-data/<body part>.csv (OUT is
// DATA unless given) for every body part of DATA's list: the default rows of
// the effective dose window (in field, depths, irradiated share) for the usual
// projection of each view; then prints each view's reference technique and its
// effective dose per entrance surface dose.
//
// Depths are fractions of the body thickness (mode 1), so that the defaults
// follow the patient, taken from the adult stylized (MIRD-type) phantom of
// Cristy & Eckerman (ORNL/TM-8381, 1987): a trunk 40 cm wide and 20 cm thick,
// a head 14 cm wide and 20 cm front to back, as in the public Geant4 example
// advanced/human_phantom. A posterior entrance (PA) takes 1 - the anterior
// fractions. Oesophagus, salivary glands, the remainder, the irradiated shares
// and the skin areas are our own estimates; data/README.md says which.
#include "common/TextFile.h"
#include "depthdose/DepthDose.h"
#include "depthdose/OrganDose.h"
#include "main/records/ReferenceLoader.h"
#include "main/spectrum/SpectrumModel.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

// One tissue row: in the field, from/to (mode and value), share in %.
struct Row {
    bool inField = false;
    int fromMode = 1;
    double from = 0;
    int toMode = 1;
    double to = 0;
    double percent = 0;
};

const char* const kTissues[16] = {"乳房", "骨髄(赤色)", "結腸", "肺", "胃", "生殖腺", "甲状腺", "食道",
                                  "肝臓", "膀胱", "骨表面", "入射皮膚面", "射出皮膚面", "脳", "唾液腺", "残りの組織"};
enum Tissue { Breast, Marrow, Colon, Lung, Stomach, Gonads, Thyroid, Oesophagus, Liver, Bladder, BoneSurface, EntranceSkin, ExitSkin, Brain, Salivary, Remainder };

// A tissue between two fractions of the thickness (from the entrance).
Row at(double from, double to, double percent) { return {true, 1, from, 1, to, percent}; }
// The same for a posterior entrance of anterior fractions.
Row behind(double anteriorFrom, double anteriorTo, double percent) { return at(1 - anteriorTo, 1 - anteriorFrom, percent); }

// The skin rows: the field's area at the skin over the whole skin (1.78 m²,
// the mean of the adult man's 1.9 and woman's 1.66 m²), entrance in the
// first 0.2 cm, exit in the last 0.2 cm.
constexpr double kSkinAreaCm2 = 17800;
void skin(std::vector<Row>& rows, double entranceFieldCm2, double exitFieldCm2)
{
    rows[EntranceSkin] = {true, 0, 0, 0, 0.2, 100 * entranceFieldCm2 / kSkinAreaCm2};
    rows[ExitSkin] = {true, 2, 0.2, 1, 1, 100 * exitFieldCm2 / kSkinAreaCm2};
}

// The usual technique of a view: the beam the gonad row is fitted to and the
// effective dose per entrance dose is reported for (FFD 100 cm unless given,
// the receptor 5 cm behind the body).
struct Technique {
    double kv, thicknessCm, longCm, shortCm, ffdCm = 100;
};
std::optional<Technique> techniqueFor(const std::string& part)
{
    if (part == "腹部正面") return Technique{80, 22, 43.2, 35.6};
    if (part == "腹部側面") return Technique{90, 32, 43.2, 35.6};
    if (part == "胸部正面") return Technique{120, 22, 43.2, 35.6, 180};
    if (part == "胸部側面") return Technique{120, 32, 43.2, 35.6, 180};
    if (part == "頭部正面") return Technique{75, 19, 30.5, 25.4};
    if (part == "頭部側面") return Technique{70, 15, 30.5, 25.4};
    if (part == "頸椎正面") return Technique{70, 12, 25.4, 20.3};
    if (part == "頸椎側面") return Technique{70, 12, 25.4, 20.3, 150};
    if (part == "胸椎正面") return Technique{80, 22, 43.2, 20.3};
    if (part == "胸椎側面") return Technique{85, 32, 43.2, 20.3};
    if (part == "腰椎正面") return Technique{80, 22, 43.2, 20.3};
    if (part == "腰椎側面") return Technique{90, 30, 43.2, 20.3};
    if (part == "骨盤正面") return Technique{75, 22, 43.2, 35.6};
    if (part == "股関節正面") return Technique{75, 20, 30.5, 25.4};
    return std::nullopt;
}

// The gonads of ICRP 103 are the mean of the testes and the ovaries. The
// ovaries lie at 0.50-0.55 T from the front (0.33-0.67 from the side); the
// testes, below the symphysis in front of the thighs, 1-3 cm behind the
// entrance plane of a frontal view, and outside lateral trunk fields.
struct GonadPositions {
    double ovaryFrom, ovaryTo, ovaryShare; // fractions of T, in-field share 0..1
    double testisShare;                     // in-field share 0..1 (frontal views)
};
constexpr double kTestisFromCm = 1, kTestisToCm = 3;
std::optional<GonadPositions> gonadsFor(const std::string& part)
{
    if (part == "腹部正面") return GonadPositions{0.50, 0.55, 1.0, 0.10}; // the field ends at the symphysis
    if (part == "腹部側面") return GonadPositions{0.33, 0.67, 1.0, 0.0};
    if (part == "腰椎正面") return GonadPositions{0.50, 0.55, 0.5, 0.2};  // a 43-cm field reaches the symphysis
    if (part == "腰椎側面") return GonadPositions{0.33, 0.67, 0.5, 0.0};
    if (part == "骨盤正面") return GonadPositions{0.50, 0.55, 1.0, 0.6};  // the testes at the field's lower edge
    if (part == "股関節正面") return GonadPositions{0.50, 0.55, 0.3, 0.3}; // one side
    return std::nullopt;
}

std::vector<Row> rowsFor(const std::string& part)
{
    std::vector<Row> r(16);
    // Trunk, anterior entrance (AP): fractions of the MIRD phantom.
    if (part == "腹部正面") { // abdomen AP, 35 x 43 cm
        r[Colon] = at(0.24, 0.51, 95);
        r[Stomach] = at(0.12, 0.45, 90);
        r[Liver] = at(0.14, 0.72, 64);           // its part below the field's top (the phantom's 64 %): lies forward
        r[Bladder] = at(0.10, 0.45, 80);
        r[Marrow] = at(0.65, 0.90, 35);          // lumbar spine and upper pelvis
        r[BoneSurface] = at(0.65, 0.90, 30);
        r[Remainder] = at(0.20, 0.80, 50);       // the lungs' bases stay above the field's top
        skin(r, 950, 1150);
    } else if (part == "腹部側面") { // abdomen lateral, from the left
        r[Colon] = at(0.20, 0.80, 90);
        r[Stomach] = at(0.20, 0.40, 90);
        r[Liver] = at(0.50, 0.95, 70);
        r[Bladder] = at(0.38, 0.62, 80);
        r[Marrow] = at(0.45, 0.55, 35);
        r[BoneSurface] = at(0.45, 0.55, 30);
        r[Lung] = at(0.16, 0.91, 10);
        r[Remainder] = at(0.20, 0.80, 50);
        skin(r, 950, 1200);
    } else if (part == "胸部正面") { // chest PA, 35 x 43 cm at 180 cm, centred mid-lung
        r[Lung] = behind(0.23, 0.77, 100);       // ellipsoids of AP semi-axis 6.98 cm (0.15-0.85), as a range of equal variance
        r[Breast] = {true, 2, 0, 2, -4, 100};    // the first 4 cm in front of the trunk: 0-4 cm beyond the exit surface
        r[Stomach] = behind(0.184, 0.416, 47);   // ellipsoid of AP semi-axis 3 cm at 0.30; its upper half in the field
        r[Liver] = behind(0.106, 0.736, 65);     // its part above the field's bottom edge (65 %): lies forward
        r[Oesophagus] = behind(0.375, 0.475, 91); // in front of the vertebral bodies, 3.5 cm deeper for their shielding: below
        r[Thyroid] = behind(0.00, 0.14, 100);    // 3.9-5.8 cm in front of the axis of a 10.8-cm neck, at the field's top
        r[Marrow] = behind(0.65, 0.90, 20);      // thoracic spine, ribs, sternum, scapulae
        r[BoneSurface] = behind(0.65, 0.90, 20);
        r[Remainder] = behind(0.20, 0.80, 34);   // heart, thymus, and parts of 7 more of the 13 tissues
        skin(r, 1100, 1200);
    } else if (part == "胸部側面") { // chest lateral, from the left
        r[Lung] = at(0.16, 0.91, 95);
        r[Breast] = at(0.10, 0.90, 90);
        r[Marrow] = at(0.45, 0.55, 20);
        r[BoneSurface] = at(0.45, 0.55, 20);
        r[Oesophagus] = at(0.45, 0.55, 80);
        r[Thyroid] = at(0.40, 0.60, 20);
        r[Liver] = at(0.50, 0.95, 30);
        r[Stomach] = at(0.20, 0.40, 20);
        r[Remainder] = at(0.20, 0.80, 30);
        skin(r, 1100, 1300);
    } else if (part == "頭部正面") { // skull PA, 24 x 30 cm
        r[Brain] = at(0.05, 0.95, 95);
        r[Marrow] = at(0.00, 1.00, 8); // the skull's share of red marrow
        r[BoneSurface] = at(0.00, 1.00, 10);
        r[Salivary] = behind(0.10, 0.40, 50);
        r[Thyroid] = behind(0.05, 0.20, 5);
        r[Remainder] = at(0.10, 0.90, 5);
        skin(r, 460, 540);
    } else if (part == "頭部側面") { // skull lateral
        r[Brain] = at(0.07, 0.93, 95);
        r[Marrow] = at(0.00, 1.00, 8);
        r[BoneSurface] = at(0.00, 1.00, 10);
        r[Salivary] = at(0.15, 0.85, 60);
        r[Remainder] = at(0.10, 0.90, 5);
        skin(r, 460, 540);
    } else if (part == "頸椎正面") { // cervical spine AP, neck about 12 cm
        r[Thyroid] = at(0.02, 0.18, 100);
        r[Oesophagus] = at(0.40, 0.55, 20);
        r[Salivary] = at(0.10, 0.50, 30);
        r[Marrow] = at(0.55, 0.85, 3);
        r[BoneSurface] = at(0.55, 0.85, 4);
        r[Remainder] = at(0.20, 0.60, 5); // extrathoracic airways, lymph nodes
        skin(r, 300, 340);
    } else if (part == "頸椎側面") { // cervical spine lateral
        r[Thyroid] = at(0.30, 0.70, 100);
        r[Oesophagus] = at(0.45, 0.55, 20);
        r[Salivary] = at(0.15, 0.85, 40);
        r[Marrow] = at(0.40, 0.60, 3);
        r[BoneSurface] = at(0.40, 0.60, 4);
        r[Remainder] = at(0.20, 0.80, 5);
        skin(r, 300, 340);
    } else if (part == "胸椎正面") { // thoracic spine AP
        r[Lung] = at(0.09, 0.91, 60);
        r[Breast] = {true, 0, 0, 0, 4, 40}; // the first 4 cm
        r[Marrow] = at(0.65, 0.90, 20);
        r[BoneSurface] = at(0.65, 0.90, 20);
        r[Oesophagus] = at(0.55, 0.65, 80);
        r[Thyroid] = at(0.02, 0.20, 10);
        r[Liver] = at(0.12, 0.72, 20);
        r[Stomach] = at(0.12, 0.45, 15);
        r[Remainder] = at(0.20, 0.80, 25);
        skin(r, 650, 760);
    } else if (part == "胸椎側面") { // thoracic spine lateral
        r[Lung] = at(0.16, 0.91, 60);
        r[Breast] = at(0.10, 0.90, 40);
        r[Marrow] = at(0.45, 0.55, 15);
        r[BoneSurface] = at(0.45, 0.55, 15);
        r[Oesophagus] = at(0.45, 0.55, 80);
        r[Liver] = at(0.50, 0.95, 20);
        r[Remainder] = at(0.20, 0.80, 25);
        skin(r, 650, 800);
    } else if (part == "腰椎正面") { // lumbar spine AP
        r[Colon] = at(0.24, 0.51, 60);
        r[Stomach] = at(0.12, 0.45, 40);
        r[Liver] = at(0.12, 0.72, 30);
        r[Bladder] = at(0.10, 0.45, 20);
        r[Marrow] = at(0.65, 0.90, 25);
        r[BoneSurface] = at(0.65, 0.90, 20);
        r[Remainder] = at(0.20, 0.80, 45); // small intestine, kidneys, pancreas
        skin(r, 650, 780);
    } else if (part == "腰椎側面") { // lumbar spine lateral
        r[Colon] = at(0.20, 0.80, 60);
        r[Stomach] = at(0.20, 0.40, 40);
        r[Liver] = at(0.50, 0.95, 30);
        r[Bladder] = at(0.38, 0.62, 20);
        r[Marrow] = at(0.45, 0.55, 25);
        r[BoneSurface] = at(0.45, 0.55, 20);
        r[Remainder] = at(0.20, 0.80, 40);
        skin(r, 650, 820);
    } else if (part == "骨盤正面") { // pelvis AP
        r[Bladder] = at(0.10, 0.45, 100);
        r[Colon] = at(0.24, 0.70, 55); // sigmoid, rectum, the lower limbs of the colon
        r[Marrow] = at(0.20, 0.90, 35); // os coxae, sacrum, upper femora around the pelvis
        r[BoneSurface] = at(0.20, 0.90, 30);
        r[Remainder] = at(0.20, 0.80, 45); // small intestine, uterus or prostate, lymph nodes, muscle
        skin(r, 900, 1080);
    } else if (part == "股関節正面") { // one hip AP, 24 x 30 cm
        r[Bladder] = at(0.10, 0.45, 40);
        r[Colon] = at(0.24, 0.70, 15);
        r[Marrow] = at(0.40, 0.90, 10);
        r[BoneSurface] = at(0.40, 0.90, 10);
        r[Remainder] = at(0.20, 0.80, 10);
        skin(r, 460, 560);
    } else {
        return {};
    }
    return r;
}

std::string number(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4g", v);
    return buffer;
}

// The depth dose of a view's reference technique, per mGy at the entrance.
struct ReferenceBeam {
    velnor::pdd::HandOff handOff;
    std::vector<velnor::pdd::DepthDosePoint> table;
};
ReferenceBeam referenceBeam(const Technique& t, const std::string& part, const velnor::StartupData& startup,
                            const velnor::pdd::DepthDoseData& data)
{
    velnor::ExposureConditions c;
    c.tubeVoltageKv = t.kv;
    c.bodyThicknessCm = t.thicknessCm;
    c.focusReceptorDistanceCm = t.ffdCm;
    c.focusSurfaceDistanceCm = t.ffdCm - t.thicknessCm - 5;
    const velnor::SpectrumResult spectrum = velnor::computeSpectrum(c, startup.tables.attenuation, startup.outputData);
    ReferenceBeam beam;
    velnor::pdd::HandOff& h = beam.handOff;
    h.tubeVoltageKv = t.kv;
    h.focusReceptorCm = c.focusReceptorDistanceCm;
    h.focusSurfaceCm = c.focusSurfaceDistanceCm;
    h.thicknessCm = t.thicknessCm;
    h.fieldLongCm = t.longCm;
    h.fieldShortCm = t.shortCm;
    h.surfaceDoseMgy = 1;
    for (int e = 1; e <= velnor::pdd::kBins; ++e)
        h.spectrum[static_cast<std::size_t>(e)] = spectrum.photonSpectrum[static_cast<std::size_t>(e)];
    h.bodyPart = part;
    beam.table = velnor::pdd::computeDepthDose(h, t.thicknessCm, data);
    return beam;
}

// The mean depth dose (a fraction of the entrance dose) over a depth range,
// counted as the depth-dose program counts the points of a row.
double meanDose(const ReferenceBeam& beam, double fromCm, double toCm)
{
    std::array<velnor::pdd::OrganRow, velnor::pdd::kTissueRows> rows;
    rows[Gonads] = {true, number(fromCm), number(toCm), "100"};
    const velnor::pdd::EffectiveDose e =
        velnor::pdd::computeEffectiveDose(rows, "", beam.handOff.thicknessCm, beam.table, 1);
    return *e.contributionMsv[Gonads] / velnor::pdd::kTissueWeights[Gonads];
}

// The one gonad row whose dose, on the view's reference beam, is the mean of
// the testes' and the ovaries' doses: at the testes' depth with the share
// that gives it, or, with no testis in the field, at the ovaries' depth with
// half their share.
Row gonadRow(const GonadPositions& g, const ReferenceBeam& beam)
{
    const double t = beam.handOff.thicknessCm;
    const double ovaries = g.ovaryShare * meanDose(beam, g.ovaryFrom * t, g.ovaryTo * t);
    if (g.testisShare <= 0)
        return at(g.ovaryFrom, g.ovaryTo, 100 * 0.5 * g.ovaryShare);
    const double testisDose = meanDose(beam, kTestisFromCm, kTestisToCm);
    const double mean = 0.5 * (g.testisShare * testisDose + ovaries);
    return {true, 0, kTestisFromCm, 0, kTestisToCm, 100 * mean / testisDose};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help") {
        std::puts("usage: velnor-organdata DATA [OUT]\n"
                  "Writes OUT/Organ-data/<body part>.csv (OUT: DATA) for the body parts of DATA/撮影部位.txt, from the\n"
                  "reference data of DATA, and prints each view's effective dose per entrance surface dose.");
        return argc == 2 ? 0 : 2;
    }
    const std::filesystem::path data = argv[1];
    const std::filesystem::path out = argc == 3 ? std::filesystem::path(argv[2]) : data;
    try {
        const velnor::StartupData startup = velnor::loadStartupData(data);
        const velnor::pdd::DepthDoseData depthDoseData = velnor::pdd::readDepthDoseData(data);
        const std::filesystem::path folder = out / "Organ-data";
        std::filesystem::create_directories(folder);
        int written = 0;
        std::puts("view, reference technique: effective dose per soft-tissue entrance dose (mSv/mGy)");
        for (const std::string& part : velnor::readTextLines(data / "撮影部位.txt")) {
            std::vector<Row> rows = rowsFor(part);
            const std::optional<Technique> technique = techniqueFor(part);
            if (rows.empty() || !technique) {
                std::fprintf(stderr, "velnor-organdata: no organ data for %s\n", part.c_str());
                continue;
            }
            const ReferenceBeam beam = referenceBeam(*technique, part, startup, depthDoseData);
            if (const std::optional<GonadPositions> g = gonadsFor(part))
                rows[Gonads] = gonadRow(*g, beam);
            std::vector<std::string> lines;
            for (int t = 0; t < 16; ++t) {
                const Row& r = rows[static_cast<std::size_t>(t)];
                lines.push_back(std::string(kTissues[t]) + "," + (r.inField ? "1" : "0") + "," + std::to_string(r.fromMode) + ","
                                + number(r.from) + "," + std::to_string(r.toMode) + "," + number(r.to) + "," + number(r.percent));
            }
            velnor::writeTextLines(folder / (part + ".csv"), lines);
            ++written;
            // The view's figure, from the file as the depth-dose program reads it.
            const auto defaults = velnor::pdd::readOrganDefaults(out, part, technique->thicknessCm);
            const velnor::pdd::EffectiveDose e =
                velnor::pdd::computeEffectiveDose(*defaults, part, technique->thicknessCm, beam.table, 1);
            std::printf("%s, %g kV, %g cm, %g x %g cm, FFD %g cm: %.3f\n", part.c_str(), technique->kv, technique->thicknessCm,
                        technique->shortCm, technique->longCm, technique->ffdCm, e.totalMsv);
        }
        std::printf("wrote %d organ data files into %s\n", written, folder.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-organdata: %s\n", e.what());
        return 1;
    }
}

// Every file the main program reads: the differential backscatter, coefficient
// and ATR tables, a tube output table, "Primary.dat", the body-part list, a
// filter material, the engine's result file, a results file and the table of
// reference levels; and four round trips: a tube output table, a results file
// or a table of levels that was read is written and must read back the same,
// and a user name written into "Primary.dat" must read back as itself.
// The first byte chooses the reader; the seeds are the shipped files.
#include "common/DataFileError.h"
#include "main/dose/NonPlanarBackscatter.h"
#include "main/records/CalculationError.h"
#include "main/records/OutputDataTable.h"
#include "main/records/ReferenceLevels.h"
#include "main/records/ReferenceLoader.h"
#include "main/records/UserFiles.h"
#include "main/results/ResultsFile.h"
#include "main/spectrum/FilterMaterial.h"
#include "tests/fuzz/FuzzInput.h"

#include <stdexcept>

using namespace velnor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int reader = data[0] % 13;
    ++data;
    --size;
    try {
        switch (reader) {
        case 0: {
            DifferentialBsfTable table;
            readDifferentialBsfFile(fuzz::writeInput("dBSF.dat", data, size), table, kPhantomBody);
            break;
        }
        case 1:
            readAttenuationTable(fuzz::writeInput("Att_coeff2020.dat", data, size));
            break;
        case 2:
            readAtrTable(fuzz::writeInput("dATR.dat", data, size));
            break;
        case 3: {
            const OutputDataTable t = loadOutputDataTable(fuzz::writeInput("unit.op", data, size));
            outputDataDisplayName(t);
            break;
        }
        case 4:
            readUserName(fuzz::writeInput("Primary.dat", data, size));
            break;
        case 5:
            readBodyParts(fuzz::writeInput("parts.txt", data, size));
            break;
        case 6: {
            const FilterMaterial m = readFilterMaterialFile(fuzz::writeInput("Fuzz.ele", data, size));
            otherFilterMu(m);
            break;
        }
        case 7:
            fuzz::writeInput("ResultBSF.txt", data, size);
            readResultFile(fuzz::folder());
            break;
        case 8:
            readResultsFile(fuzz::writeInput("results.csv", data, size));
            break;
        case 9: {
            const OutputDataTable t = loadOutputDataTable(fuzz::writeInput("unit.op", data, size));
            saveOutputDataTable(t, fuzz::folder() / "again.op"); // what the reader took, the writer writes
            const OutputDataTable back = loadOutputDataTable(fuzz::folder() / "again.op");
            if (back.kvGrid != t.kvGrid || back.comment != t.comment)
                __builtin_trap();
            break;
        }
        case 11: {
            // A results file that was read is written (or refused whole) and
            // reads back as the same rows.
            const ResultsFileContent first = readResultsFile(fuzz::writeInput("results.csv", data, size));
            ResultsTable table;
            for (const ResultRow& r : first.rows)
                table.addRow(r.conditions, r.beamQuality, r.dose);
            try {
                writeResultsFile(fuzz::folder() / "again.csv", first.comment, table, first.cfAir);
            } catch (const std::invalid_argument&) {
                break; // refused: nothing written
            }
            const ResultsFileContent back = readResultsFile(fuzz::folder() / "again.csv");
            if (back.rows.size() != first.rows.size() || back.comment != first.comment)
                __builtin_trap();
            // A comma inside a text is written as a full-width one.
            auto written = [](std::string text) {
                for (std::size_t at; (at = text.find(',')) != std::string::npos;)
                    text.replace(at, 1, "，");
                return text;
            };
            for (std::size_t k = 0; k < back.rows.size(); ++k) {
                const ExposureConditions &a = first.rows[k].conditions, &b = back.rows[k].conditions;
                if (written(a.bodyPart) != b.bodyPart || written(a.otherFilterName) != b.otherFilterName
                    || written(a.fieldPresetName) != b.fieldPresetName
                    || a.surfaceCode != b.surfaceCode || a.rectification != b.rectification || a.tubeVoltageKv != b.tubeVoltageKv
                    || a.focusSurfaceDistanceCm != b.focusSurfaceDistanceCm)
                    __builtin_trap();
            }
            break;
        }
        case 12: {
            // A table of reference levels that was read is written and reads
            // back as the same table.
            const ReferenceLevelTable first = readReferenceLevels(fuzz::writeInput("drl.txt", data, size));
            writeReferenceLevels(fuzz::folder() / "again.txt", first);
            if (referenceLevelLines(readReferenceLevels(fuzz::folder() / "again.txt")) != referenceLevelLines(first))
                __builtin_trap();
            break;
        }
        default: {
            // The name is the text after the last line end; the rest is the file.
            const std::string all = fuzz::text(data, size);
            const std::size_t cut = all.find_last_of('\n');
            const std::string file = cut == std::string::npos ? std::string() : all.substr(0, cut + 1);
            const std::string name = cut == std::string::npos ? all : all.substr(cut + 1);
            const std::filesystem::path primary = fuzz::writeInput("Primary.dat", reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
            try {
                writeUserName(primary, name);
            } catch (const std::exception&) {
                break; // refused: the file is as it was
            }
            if (readUserName(primary) != std::optional<std::string>(name))
                __builtin_trap();
            break;
        }
        }
    } catch (const DataFileError&) {
    } catch (const CalculationError&) {
    } catch (const std::invalid_argument&) {
    }
    return 0;
}

// The files a site hands a survey and the DICOM import: a CSV of exposures
// and JSON Lines of cases (read into exposures or failures, never a crash),
// the rooms file, the DICOM body-part file and the thickness bands. The
// first byte chooses the reader; the seeds are the shipped files.
#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "main/form/DicomCase.h"
#include "survey/SurveyInputs.h"
#include "tests/fuzz/FuzzInput.h"

#include <cmath>

using namespace velnor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int reader = data[0] % 5;
    ++data;
    --size;
    try {
        switch (reader) {
        case 0:
        case 1: {
            // Every row or case is an exposure or a failure with a reason.
            const std::filesystem::path input = fuzz::writeInput(reader == 0 ? "exposures.csv" : "cases.jsonl", data, size);
            survey::readInputs({input}, VELNOR_DATA_DIR, [](survey::InputItem&& item) {
                if (item.exposure.source.empty() || (item.error.empty() && !std::isfinite(item.exposure.conditions.tubeVoltageKv)))
                    __builtin_trap();
                return true;
            });
            break;
        }
        case 2:
            form::parseRooms(splitLines(fuzz::text(data, size)));
            break;
        case 3:
            form::parseBodyPartRules(splitLines(fuzz::text(data, size)));
            break;
        default:
            for (const auto& [part, band] : survey::parseThicknessBands(splitLines(fuzz::text(data, size))))
                if (part.empty() || !(band.fromCm <= band.toCm))
                    __builtin_trap();
            break;
        }
    } catch (const DataFileError&) {
    }
    return 0;
}

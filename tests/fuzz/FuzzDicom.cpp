// The DICOM reader on any bytes: image headers, dose reports, damaged and
// hostile files end with a reason, never a crash or a hang; and the text
// decoder on any bytes in each character set gives valid UTF-8.
// The seeds are files our own tests make (dicom-seeds).
#include "common/TextEncoding.h"
#include "dicom/CharacterSets.h"
#include "dicom/DicomExposure.h"
#include "tests/fuzz/FuzzInput.h"

#include <exception>

using namespace velnor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        for (const dicom::Exposure& e : dicom::readExposures(fuzz::writeInput("fuzz.dcm", data, size)))
            if (!isValidUtf8(e.protocolName) || !isValidUtf8(e.stationName) || !isValidUtf8(e.seriesDescription))
                __builtin_trap();
    } catch (const std::exception&) {
        // refused with a reason
    }
    const std::string bytes = fuzz::text(data, std::min<std::size_t>(size, 512));
    for (const char* set : {"", "ISO_IR 192", "ISO_IR 100", "ISO_IR 13", "\\ISO 2022 IR 87", "ISO_IR 13\\ISO 2022 IR 87"})
        if (!isValidUtf8(dicom::decodeText(bytes, set)))
            __builtin_trap();
    return 0;
}

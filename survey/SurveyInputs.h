#pragma once

#include "common/Reasons.h"
#include "survey/Survey.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velnor::survey {

// One exposure read from a survey's inputs, or, with `error`, why a file, a
// row, a case or an irradiation event gave none (its exposure then holds
// only the source).
struct InputItem {
    Exposure exposure;
    std::string error, errorJapanese;
    void fail(const std::exception& e)
    {
        error = e.what();
        errorJapanese = japaneseOf(e);
    }
};

// Reads the inputs in order and hands each exposure or failure to `sink`,
// which returns false to stop the reading. An input is
//  - a folder or a DICOM file: image headers and dose reports (folders
//    searched recursively), completed by the DICOM settings of `folder`;
//  - a ".csv" file: a header row of velnor-calc's input keys (plus "room"
//    and "outputTable"), then one exposure a row; read a line at a time,
//    each line UTF-8 or Shift_JIS;
//  - a ".jsonl" file (a case a line, read a line at a time) or a ".json"
//    file (a case or an array) of velnor-calc's cases.
// A failure never ends the reading; only `sink` does.
void readInputs(const std::vector<std::filesystem::path>& inputs, const std::filesystem::path& folder,
                const std::function<bool(InputItem&&)>& sink);

} // namespace velnor::survey

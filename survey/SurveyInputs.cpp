#include "survey/SurveyInputs.h"

#include "common/CsvFields.h"
#include "common/DataFileError.h"
#include "common/FileLookup.h"
#include "common/NumberReading.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "dicom/DicomExposure.h"
#include "main/cli/CaseJson.h"
#include "main/form/DicomCase.h"

#include <nlohmann/json.hpp>

#include <exception>
#include <fstream>
#include <optional>
#include <set>

namespace velnor::survey {
namespace {

// A case object of velnor-calc's keys made an exposure: "room" and
// "outputTable" are the survey's own.
Exposure exposureOf(nlohmann::json object, const std::string& source)
{
    Exposure e;
    e.source = source;
    if (!object.is_object())
        throw std::invalid_argument("a case is a JSON object");
    if (object.contains("room")) {
        e.room = object["room"].is_string() ? object["room"].get<std::string>() : object["room"].dump();
        object.erase("room");
    }
    if (object.contains("outputTable")) {
        if (!object["outputTable"].is_string())
            throw std::invalid_argument("\"outputTable\" must be a file name");
        e.outputTable = object["outputTable"].get<std::string>();
        object.erase("outputTable");
    }
    cli::applyCase(object, e.conditions);
    return e;
}

// The file's lines one at a time, without their line ends; a byte-order
// mark before the first is dropped. Returns false at the end of the file.
// Only regular files are opened (a FIFO or a device would never end).
class LineReader {
public:
    explicit LineReader(const std::filesystem::path& path)
    {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            throw DataFileError(path.string(), Reason{std::filesystem::is_directory(path, ec) ? ReasonCode::FileIsFolder : ReasonCode::FileNotRegular});
        m_in.open(path, std::ios::binary);
        if (!m_in)
            throw DataFileError(path.string(), Reason{ReasonCode::FileCannotOpen});
    }
    bool next(std::string& line, int& number)
    {
        std::string bytes;
        if (!std::getline(m_in, bytes))
            return false;
        number = ++m_number;
        if (!bytes.empty() && bytes.back() == '\r')
            bytes.pop_back();
        if (m_number == 1 && bytes.rfind("\xEF\xBB\xBF", 0) == 0)
            bytes.erase(0, 3);
        line = std::move(bytes);
        return true;
    }

private:
    std::ifstream m_in;
    int m_number = 0;
};

// A line decoded on its own: UTF-8, else Shift_JIS.
std::string decoded(const std::string& bytes) { return isValidUtf8(bytes) ? bytes : cp932ToUtf8(bytes); }

bool readCsv(const std::filesystem::path& path, const std::function<bool(InputItem&&)>& sink)
{
    static const std::set<std::string> kTextKeys = {"bodyPart", "fieldPresetName", "otherFilterName", "otherFilterFile", "room",
                                                    "outputTable", "measuredExposureUnit"};
    LineReader reader(path);
    std::vector<std::string> header;
    std::string line;
    int number = 0;
    for (;;) {
        InputItem item;
        try {
            if (!reader.next(line, number))
                return true;
            item.exposure.source = path.filename().string() + " row " + std::to_string(number);
            const std::vector<std::string> cells = csvCells(decoded(line));
            if (cells.empty())
                continue;
            if (header.empty()) {
                // A header that names what is no input fails the file once,
                // not each of its rows.
                std::string unknown;
                for (const std::string& column : cells)
                    if (column != "room" && column != "outputTable" && !cli::isCaseKey(column))
                        unknown += (unknown.empty() ? "\"" : ", \"") + column + "\"";
                if (!unknown.empty())
                    throw DataFileError(path.filename().string(), number, Reason{ReasonCode::SurveyColumns, {}, 0, 0, 0, {}, unknown});
                header = cells;
                continue;
            }
            if (cells.size() > header.size())
                throw RefusedValue(Reason{ReasonCode::TooManyValues});
            nlohmann::json object = nlohmann::json::object();
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if (cells[k].empty())
                    continue;
                if (kTextKeys.count(header[k])) {
                    object[header[k]] = cells[k];
                } else {
                    const std::optional<double> v = parseNumber(cells[k]);
                    if (!v)
                        throw RefusedValue(worded(Reason{ReasonCode::InField, header[k]},
                                                  worded(Reason{ReasonCode::NotANumberInFile, {}, 0, 0, 0, {}, cells[k]})));
                    object[header[k]] = *v;
                }
            }
            item.exposure = exposureOf(object, item.exposure.source);
        } catch (const DataFileError&) {
            throw; // the file itself
        } catch (const std::exception& e) {
            if (item.exposure.source.empty())
                throw;
            item.fail(e);
        }
        if (!sink(std::move(item)))
            return false;
    }
}

bool readCases(const std::filesystem::path& path, bool lines, const std::function<bool(InputItem&&)>& sink)
{
    auto each = [&](const nlohmann::json& c, const std::string& source) {
        InputItem item;
        item.exposure.source = source;
        try {
            item.exposure = exposureOf(c, source);
        } catch (const std::exception& e) {
            item.fail(e);
        }
        return sink(std::move(item));
    };
    if (!lines) {
        nlohmann::json cases = cli::parseCases(readFileBytes(path));
        if (!cases.is_array())
            cases = nlohmann::json::array({cases});
        for (std::size_t k = 0; k < cases.size(); ++k)
            if (!each(cases[k], path.filename().string() + " case " + std::to_string(k + 1)))
                return false;
        return true;
    }
    LineReader reader(path);
    std::string line;
    int number = 0;
    int k = 0;
    while (reader.next(line, number)) {
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        const std::string source = path.filename().string() + " case " + std::to_string(++k);
        nlohmann::json c;
        try {
            c = cli::parseCases(decoded(line));
        } catch (const std::exception& e) {
            InputItem item;
            item.exposure.source = source;
            item.fail(e);
            if (!sink(std::move(item)))
                return false;
            continue;
        }
        if (!each(c, source))
            return false;
    }
    return true;
}

bool readDicom(const std::filesystem::path& input, const std::optional<form::DicomSettings>& settings, std::exception_ptr settingsFailure,
               const std::function<bool(InputItem&&)>& sink)
{
    for (const std::filesystem::path& file : dicom::filesUnder({input})) {
        std::vector<dicom::Exposure> exposures;
        InputItem failed;
        failed.exposure.source = file.string();
        try {
            if (!settings)
                std::rethrow_exception(settingsFailure);
            exposures = dicom::readExposures(file);
        } catch (const std::exception& e) {
            failed.fail(e);
            if (!sink(std::move(failed)))
                return false;
            continue;
        }
        for (const dicom::Exposure& d : exposures) {
            InputItem item;
            item.exposure.source = file.string() + (d.event > 0 ? " event " + std::to_string(d.event) : "");
            try {
                const form::DicomCase c = form::completeExposure(d, *settings);
                item.exposure.room = d.stationName;
                item.exposure.conditions = c.conditions;
                item.exposure.outputTable = c.outputTable;
                for (const form::ValueOrigin& v : c.assumed)
                    item.exposure.assumed.push_back(v.key);
            } catch (const std::exception& e) {
                item.fail(e);
            }
            if (!sink(std::move(item)))
                return false;
        }
    }
    return true;
}

} // namespace

void readInputs(const std::vector<std::filesystem::path>& inputs, const std::filesystem::path& folder,
                const std::function<bool(InputItem&&)>& sink)
{
    std::optional<form::DicomSettings> dicomSettings; // read when a DICOM input needs them
    std::exception_ptr dicomSettingsFailure;
    bool dicomSettingsRead = false;
    for (const std::filesystem::path& input : inputs) {
        const std::string name = foldCase(input.filename().string());
        std::error_code ec;
        const bool folderInput = std::filesystem::is_directory(input, ec);
        bool goOn = true;
        try {
            if (!folderInput && name.ends_with(".csv")) {
                goOn = readCsv(input, sink);
            } else if (!folderInput && (name.ends_with(".jsonl") || name.ends_with(".json"))) {
                goOn = readCases(input, name.ends_with(".jsonl"), sink);
            } else {
                if (!dicomSettingsRead) {
                    dicomSettingsRead = true;
                    try {
                        dicomSettings = form::loadDicomSettings(folder);
                    } catch (const std::exception&) {
                        dicomSettingsFailure = std::current_exception();
                    }
                }
                goOn = readDicom(input, dicomSettings, dicomSettingsFailure, sink);
            }
        } catch (const std::exception& e) {
            InputItem item;
            item.exposure.source = input.string();
            item.fail(e);
            goOn = sink(std::move(item));
        }
        if (!goOn)
            return;
    }
}

} // namespace velnor::survey

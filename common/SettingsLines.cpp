#include "common/SettingsLines.h"

#include "common/CsvFields.h"
#include "common/DataFileError.h"
#include "common/NumberReading.h"
#include "common/TextEncoding.h"

namespace velnor {

std::vector<SettingsLine> settingsLines(const std::vector<std::string>& lines, const std::string& fileName, std::size_t cells)
{
    std::vector<SettingsLine> out;
    bool header = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        std::vector<std::string> c;
        try {
            c = csvCells(lines[i]);
        } catch (const RefusedValue& e) {
            throw DataFileError(fileName, number, e.wording());
        }
        if (c.empty())
            continue;
        if (header) {
            header = false;
            continue;
        }
        if (c.size() > cells)
            throw DataFileError(fileName, number, Reason{ReasonCode::TooManyValues});
        for (const std::string& cell : c)
            if (holdsControlCharacter(cell) || !isValidUtf8(cell))
                throw DataFileError(fileName, number, Reason{ReasonCode::ControlCharacter, "settingsCell"});
        c.resize(cells);
        out.push_back({number, std::move(c)});
    }
    return out;
}

double settingsNumber(const SettingsLine& line, std::size_t k, const char* field, double low, double high, const char* unit,
                      const std::string& fileName)
{
    const std::string& text = line.cells[k];
    if (text.empty())
        throw DataFileError(fileName, line.number, Reason{ReasonCode::TextEmpty, field});
    const std::optional<double> v = parseNumber(text);
    if (!v)
        throw DataFileError(fileName, line.number,
                            worded(Reason{ReasonCode::InField, field}, worded(Reason{ReasonCode::NotANumberInFile, {}, 0, 0, 0, {}, text})));
    if (!(*v >= low && *v <= high))
        throw DataFileError(fileName, line.number, Reason{ReasonCode::OutOfRange, field, *v, low, high, unit});
    return *v;
}

} // namespace velnor

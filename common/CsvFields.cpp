#include "common/CsvFields.h"

#include "common/Reasons.h"

namespace velnor {

std::vector<std::string> splitCsvFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size())
                    throw RefusedValue(Reason{ReasonCode::UnclosedQuote});
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            // Anything between the closing quote and the comma is kept as typed.
            const std::size_t comma = line.find(',', i);
            field += line.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
            i = comma;
        } else {
            const std::size_t comma = line.find(',', i);
            field = line.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
            i = comma;
        }
        fields.push_back(std::move(field));
        if (i == std::string::npos)
            return fields;
        ++i;
    }
}

std::vector<std::string> csvCells(const std::string& line)
{
    std::vector<std::string> cells = splitCsvFields(line);
    for (std::string& cell : cells) {
        const std::size_t first = cell.find_first_not_of(' ');
        cell = first == std::string::npos ? std::string() : cell.substr(first, cell.find_last_not_of(' ') - first + 1);
    }
    while (!cells.empty() && cells.back().empty())
        cells.pop_back();
    return cells;
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace velnor

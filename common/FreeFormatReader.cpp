#include "common/FreeFormatReader.h"

#include "common/DataFileError.h"
#include "common/NumberReading.h"
#include "common/TextFile.h"

namespace velnor {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

FreeFormatReader::FreeFormatReader(std::string text, std::string sourceName)
    : m_text(std::move(text)), m_sourceName(std::move(sourceName))
{
}

FreeFormatReader FreeFormatReader::fromFile(const std::filesystem::path& path)
{
    return FreeFormatReader(readTextFile(path), path.filename().string());
}

void FreeFormatReader::fail(const Reason& reason) const { throw DataFileError(m_sourceName, m_line, reason); }

void FreeFormatReader::skipToValue()
{
    while (m_position < m_text.size() && (isBlank(m_text[m_position]) || m_text[m_position] == '\n')) {
        if (m_text[m_position] == '\n')
            ++m_line;
        ++m_position;
    }
    if (m_position >= m_text.size())
        fail({ReasonCode::ValuesEndEarly, {}, static_cast<double>(m_valuesRead)});
    m_lastValueLine = m_line;
}

// After a value: blanks, then one comma or one line end belong to it.
void FreeFormatReader::skipSeparatorAfterValue()
{
    while (m_position < m_text.size() && isBlank(m_text[m_position]))
        ++m_position;
    if (m_position < m_text.size() && (m_text[m_position] == ',' || m_text[m_position] == '\n')) {
        if (m_text[m_position] == '\n')
            ++m_line;
        ++m_position;
    }
    ++m_valuesRead;
}

double FreeFormatReader::readNumber()
{
    skipToValue();
    const std::size_t start = m_position;
    while (m_position < m_text.size() && !isBlank(m_text[m_position]) && m_text[m_position] != ','
           && m_text[m_position] != '\n')
        ++m_position;
    const std::string token = m_text.substr(start, m_position - start);
    bool overflow = false;
    const std::optional<double> value = parseNumber(token, &overflow);
    const double nth = static_cast<double>(m_valuesRead + 1);
    if (overflow)
        fail({ReasonCode::NumberOverflow, {}, 0, nth, 0, {}, token});
    if (!value)
        fail({token.empty() ? ReasonCode::EmptyValue : ReasonCode::NotANumberInFile, {}, 0, nth, 0, {}, token});
    skipSeparatorAfterValue();
    return *value;
}

std::string FreeFormatReader::readField()
{
    skipToValue();
    std::string field;
    if (m_text[m_position] == '"') {
        const std::size_t close = m_text.find('"', m_position + 1);
        const std::size_t lineEnd = m_text.find('\n', m_position + 1);
        if (close == std::string::npos || (lineEnd != std::string::npos && close > lineEnd))
            fail({ReasonCode::UnclosedQuote});
        field = m_text.substr(m_position + 1, close - m_position - 1);
        m_position = close + 1;
    } else {
        const std::size_t start = m_position;
        while (m_position < m_text.size() && m_text[m_position] != ',' && m_text[m_position] != '\n')
            ++m_position;
        field = m_text.substr(start, m_position - start);
        while (!field.empty() && isBlank(field.back()))
            field.pop_back();
    }
    skipSeparatorAfterValue();
    return field;
}

std::string FreeFormatReader::readLine()
{
    if (m_position >= m_text.size())
        fail({ReasonCode::FileEndsEarly, {}, static_cast<double>(m_line - 1)});
    const std::size_t end = m_text.find('\n', m_position);
    std::string line;
    if (end == std::string::npos) {
        line = m_text.substr(m_position);
        m_position = m_text.size();
    } else {
        line = m_text.substr(m_position, end - m_position);
        m_position = end + 1;
        ++m_line;
    }
    return line;
}

bool FreeFormatReader::atEnd() const
{
    for (std::size_t i = m_position; i < m_text.size(); ++i)
        if (!isBlank(m_text[i]) && m_text[i] != '\n')
            return false;
    return true;
}

} // namespace velnor

#include "dicom/CharacterSets.h"

#include "common/TextEncoding.h"

#include <iconv.h>

#include <cstdint>
#include <vector>

namespace velnor::dicom {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD"; // U+FFFD

void appendCodePoint(std::string& out, std::uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One kanji of JIS X 0208 (row and cell bytes 0x21-0x7E) through EUC-JP.
void appendKanji(std::string& out, unsigned char first, unsigned char second)
{
    thread_local const iconv_t converter = iconv_open("UTF-8", "EUC-JP");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        out += kReplacement;
        return;
    }
    char in[2] = {static_cast<char>(first | 0x80), static_cast<char>(second | 0x80)};
    char buffer[8];
    char* inPointer = in;
    char* outPointer = buffer;
    std::size_t inLeft = 2, outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1))
        out += kReplacement;
    else
        out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
}

// The byte's character in JIS X 0201: ASCII but yen and overline below 0x80,
// half-width katakana from 0xA1 to 0xDF.
void appendJisX0201(std::string& out, unsigned char b, bool romanG0)
{
    if (b >= 0xA1 && b <= 0xDF)
        appendCodePoint(out, 0xFF61 + (b - 0xA1u));
    else if (b < 0x80 && romanG0 && b == 0x5C)
        appendCodePoint(out, 0xA5);
    else if (b < 0x80 && romanG0 && b == 0x7E)
        appendCodePoint(out, 0x203E);
    else if (b < 0x80)
        out += static_cast<char>(b);
    else
        out += kReplacement;
}

std::vector<std::string> terms(std::string_view set)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = set.find('\\', start);
        std::string term(set.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        while (!term.empty() && term.back() == ' ')
            term.pop_back();
        while (!term.empty() && term.front() == ' ')
            term.erase(0, 1);
        out.push_back(term);
        if (end == std::string_view::npos)
            return out;
        start = end + 1;
    }
}

} // namespace

std::string decodeText(std::string_view bytes, std::string_view specificCharacterSet)
{
    const std::vector<std::string> set = terms(specificCharacterSet);
    const std::string& first = set.front();
    std::string out;
    if (set.size() == 1 && first == "ISO_IR 192") {
        if (isValidUtf8(bytes))
            return std::string(bytes);
        for (unsigned char b : bytes)
            b < 0x80 ? out += static_cast<char>(b) : out += kReplacement;
        return out;
    }
    if (set.size() == 1 && first == "ISO_IR 100") {
        for (unsigned char b : bytes)
            appendCodePoint(out, b);
        return out;
    }
    // ISO 2022: G0 is ASCII (or JIS X 0201 romaji) or JIS X 0208; G1 is
    // JIS X 0201 katakana where the set names IR 13. Each value starts in the
    // first term's state.
    enum class G0 { Ascii, Roman, Kanji };
    const bool katakanaDefault = first == "ISO_IR 13" || first == "ISO 2022 IR 13";
    G0 g0 = katakanaDefault ? G0::Roman : G0::Ascii;
    bool katakanaG1 = katakanaDefault;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == 0x1B) {
            const std::string_view rest = bytes.substr(i + 1, 3);
            if (rest.substr(0, 2) == "(B") {
                g0 = G0::Ascii;
                i += 2;
            } else if (rest.substr(0, 2) == "(J") {
                g0 = G0::Roman;
                i += 2;
            } else if (rest.substr(0, 2) == "$B" || rest.substr(0, 2) == "$@") {
                g0 = G0::Kanji;
                i += 2;
            } else if (rest.substr(0, 2) == ")I") {
                katakanaG1 = true;
                i += 2;
            } else if (rest.substr(0, 3) == "$(D") { // JIS X 0212: not decoded, its bytes are replaced
                g0 = G0::Kanji;
                i += 3;
            } else {
                out += kReplacement;
            }
            continue;
        }
        if (b == '\\' && g0 != G0::Kanji) { // a new value starts in the initial state
            out += '\\';
            g0 = katakanaDefault ? G0::Roman : G0::Ascii;
            katakanaG1 = katakanaDefault;
            continue;
        }
        if (g0 == G0::Kanji && b >= 0x21 && b <= 0x7E) {
            if (i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) >= 0x21 && static_cast<unsigned char>(bytes[i + 1]) <= 0x7E) {
                appendKanji(out, b, static_cast<unsigned char>(bytes[i + 1]));
                ++i;
            } else {
                out += kReplacement;
            }
            continue;
        }
        if (b >= 0x80) {
            if (katakanaG1)
                appendJisX0201(out, b, false);
            else
                out += kReplacement;
            continue;
        }
        if (g0 == G0::Roman)
            appendJisX0201(out, b, true);
        else
            out += static_cast<char>(b);
    }
    return out;
}

} // namespace velnor::dicom

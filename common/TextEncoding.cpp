#include "common/TextEncoding.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace velnor {
namespace {

std::string convert(std::string_view bytes, const char* from, const char* to)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no text conversion from ") + from + " to " + to);
    std::string out;
    out.resize(bytes.size() * 3 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        const std::size_t offset = bytes.size() - inLeft;
        throw std::runtime_error(std::string("text is neither UTF-8 nor ") + (std::string_view(from) == "CP932" ? "Shift_JIS" : from)
                                 + " (byte " + std::to_string(offset + 1) + (error == EINVAL ? ", cut short)" : ")"));
    }
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0 when there is none.
std::size_t utf8SequenceLength(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    unsigned minimum = 0;
    unsigned codePoint = 0;
    if (c < 0x80) {
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        extra = 1;
        minimum = 0x80;
        codePoint = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        minimum = 0x800;
        codePoint = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        minimum = 0x10000;
        codePoint = c & 0x07;
    } else {
        return 0;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size())
        return 0;
    for (int k = 1; k <= extra; ++k) {
        const auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((t & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (t & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return static_cast<std::size_t>(extra) + 1;
}

} // namespace

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = utf8SequenceLength(s, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string escapedText(std::string_view s)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = utf8SequenceLength(s, i);
        if (n > 0) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            const auto c = static_cast<unsigned char>(s[i++]);
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string cp932ToUtf8(std::string_view bytes) { return convert(bytes, "CP932", "UTF-8"); }

std::string utf8ToCp932(std::string_view text) { return convert(text, "UTF-8", "CP932"); }

std::string decodeFileText(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        // The mark promises UTF-8; bytes that are not are a damaged file.
        if (!isValidUtf8(bytes.substr(3)))
            throw std::runtime_error("text marked as UTF-8 holds bytes that are not UTF-8");
        return std::string(bytes.substr(3));
    }
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return cp932ToUtf8(bytes);
}

bool holdsControlCharacter(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

} // namespace velnor

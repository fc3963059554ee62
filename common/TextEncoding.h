#pragma once

#include <string>
#include <string_view>

namespace velnor {

// True when `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// The text with every byte that is not part of well-formed UTF-8 written as
// "\xNN": a file name from the system, fit for a message or a JSON text.
std::string escapedText(std::string_view bytes);

// True when `text` holds a control character (a line break, a tab, any
// other byte below 0x20, or DEL). Such a text cannot be one line or one field
// of a file.
bool holdsControlCharacter(std::string_view text);

// Converts Shift_JIS text (Windows code page 932) to UTF-8. Throws
// std::runtime_error when the bytes are not valid CP932.
std::string cp932ToUtf8(std::string_view bytes);

// Converts UTF-8 text to CP932, for tests and for users who need files for
// older Windows programs. Throws std::runtime_error when a character has no
// CP932 code.
std::string utf8ToCp932(std::string_view text);

// The text of a file's bytes as UTF-8: a UTF-8 byte-order mark is skipped;
// bytes that are valid UTF-8 are taken as UTF-8, anything else as CP932.
std::string decodeFileText(std::string_view bytes);

} // namespace velnor

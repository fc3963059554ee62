#pragma once

#include <string>
#include <string_view>

// The texts of a DICOM file in UTF-8, decoded by the file's Specific
// Character Set (0008,0005) as a Japanese site meets them: none or ISO_IR 6
// (ASCII), ISO_IR 192 (UTF-8), ISO_IR 100 (Latin-1), ISO_IR 13 (JIS X 0201:
// ASCII and half-width katakana), and the code extensions ISO 2022 IR 6,
// IR 13 and IR 87 (JIS X 0208 kanji) switched by escape sequences.
namespace velnor::dicom {

// `bytes` (one text value as stored) decoded by the character set
// `specificCharacterSet` (the attribute's value, its terms separated by
// "\"). Bytes that the character set does not define are kept as U+FFFD, so
// a faulty file never stops a read.
std::string decodeText(std::string_view bytes, std::string_view specificCharacterSet);

} // namespace velnor::dicom

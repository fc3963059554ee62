#include "main/records/UserFiles.h"

#include "common/DataFileError.h"
#include "common/FileLookup.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"

#include <algorithm>
#include <stdexcept>

namespace velnor {

std::vector<std::string> readBodyParts(const std::filesystem::path& path) { return readTextLines(path); }

std::optional<std::string> readUserName(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    try {
        lines = readTextLines(path);
    } catch (const std::exception&) {
        return std::nullopt; // unreadable for whatever reason: the guest
    }
    if (static_cast<int>(lines.size()) < kUserNameLine)
        return std::nullopt;
    return lines[kUserNameLine - 1];
}

std::optional<Reason> userNameFault(const std::string& name)
{
    if (holdsControlCharacter(name))
        return Reason{ReasonCode::ControlCharacter, "userName"};
    if (!isValidUtf8(name))
        return Reason{ReasonCode::NotValidText, "userName"};
    return std::nullopt;
}

void writeUserName(const std::filesystem::path& path, const std::string& name)
{
    if (const std::optional<Reason> fault = userNameFault(name))
        throw RefusedValue(*fault);
    const std::string file = path.filename().string();
    std::string bytes;
    {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            throw DataFileError(file, Reason{ReasonCode::FileNotInFolder});
        bytes = readFileBytes(path);
    }
    // The end of line 31, with its own line end (LF, CR LF or CR).
    std::size_t end = 0;
    int lines = 0;
    while (lines < kUserNameLine - 1 && end < bytes.size()) {
        const std::size_t next = bytes.find_first_of("\r\n", end);
        if (next == std::string::npos) {
            end = bytes.size();
            ++lines;
            break;
        }
        end = next + ((bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1);
        ++lines;
    }
    if (lines < kUserNameLine - 1)
        throw DataFileError(file, lines, Reason{ReasonCode::FileEndsEarly, {}, static_cast<double>(lines), 0, kUserNameLine - 1});
    std::string kept = bytes.substr(0, end);
    if (!kept.empty() && kept.back() != '\n' && kept.back() != '\r')
        kept += "\r\n"; // line 31 had no line end
    // The name in the file's own encoding, so that the file reads as one text.
    // The whole file decides, as its reader decides: lines 1 to 31 may be
    // plain ASCII while a later line shows that the file is Shift_JIS.
    const bool utf8 = bytes.rfind("\xEF\xBB\xBF", 0) == 0 || isValidUtf8(bytes);
    std::string encodedName = name;
    if (!utf8) {
        try {
            encodedName = utf8ToCp932(name);
        } catch (const std::exception&) {
            throw DataFileError(file, Reason{ReasonCode::NameNotEncodable, {}, 0, 0, 0, {}, name, "Shift_JIS"});
        }
    }
    // The reader tells the encodings apart by the bytes; a Shift_JIS name
    // whose bytes happen to form UTF-8 ("ﾊｺ") beside plain ASCII lines would
    // read back as another name. Such a file is written in UTF-8 instead.
    auto readsBack = [&](const std::string& encoded) {
        try {
            const std::vector<std::string> decoded = splitLines(decodeFileText(kept + encoded + "\r\n"));
            return decoded.size() == static_cast<std::size_t>(kUserNameLine) && decoded.back() == name;
        } catch (const std::exception&) {
            return false;
        }
    };
    if (!readsBack(encodedName)) {
        if (!readsBack(name))
            throw DataFileError(file, Reason{ReasonCode::NameNotEncodable, {}, 0, 0, 0, {}, name});
        encodedName = name;
    }
    writeBytes(path, kept + encodedName + "\r\n");
}

std::optional<Reason> bodyPartFault(const std::vector<std::string>& parts, const std::string& name)
{
    if (static_cast<int>(parts.size()) >= kMaxBodyParts)
        return Reason{ReasonCode::TooManyBodyParts, {}, kMaxBodyParts};
    // It names an organ data file of the depth-dose program ...
    if (std::optional<Reason> fault = plainFileNameFault(name))
        return fault;
    // ... and is a field of the results file.
    if (name.find(',') != std::string::npos)
        return Reason{ReasonCode::HoldsComma, "bodyPart"};
    if (holdsControlCharacter(name))
        return Reason{ReasonCode::ControlCharacter, "bodyPart"};
    return std::nullopt;
}

void addBodyPart(const std::filesystem::path& path, const std::string& name)
{
    std::vector<std::string> parts = readBodyParts(path);
    if (const std::optional<Reason> fault = bodyPartFault(parts, name))
        throw RefusedValue(*fault);
    parts.push_back(name);
    writeTextLines(path, parts);
}

void removeBodyPart(const std::filesystem::path& path, const std::string& name)
{
    std::vector<std::string> parts = readBodyParts(path);
    parts.erase(std::remove(parts.begin(), parts.end(), name), parts.end());
    writeTextLines(path, parts);
}

} // namespace velnor

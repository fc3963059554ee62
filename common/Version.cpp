#include "common/Version.h"

#include "common/TextFile.h"

#include <cstdint>
#include <cstdio>

namespace velnor {

const char* programVersion() { return VELNOR_VERSION; }

std::string contentFingerprint(const std::vector<std::filesystem::path>& files)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL; // FNV-1a offset basis
    auto add = [&hash](const std::string& bytes) {
        for (unsigned char c : bytes) {
            hash ^= c;
            hash *= 0x100000001b3ULL; // FNV prime
        }
        hash ^= 0xff; // a separator, so "ab" + "c" differs from "a" + "bc"
        hash *= 0x100000001b3ULL;
    };
    for (const std::filesystem::path& file : files) {
        add(file.filename().string());
        try {
            add(readFileBytes(file));
        } catch (const std::exception&) {
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace velnor

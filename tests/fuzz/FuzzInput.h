#pragma once

// Helpers of the fuzz harnesses: the readers under test take files, so the
// fuzzed bytes are written to a file of the reader's own name first.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace velnor::fuzz {

// A folder of this process for the harness's files.
inline const std::filesystem::path& folder()
{
    static const std::filesystem::path f = [] {
        const std::filesystem::path p = std::filesystem::temp_directory_path() / ("velnor-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    return f;
}

inline std::filesystem::path writeInput(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path path = folder() / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

inline std::string text(const std::uint8_t* data, std::size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

} // namespace velnor::fuzz

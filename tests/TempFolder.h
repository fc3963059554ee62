#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace velnor::testing {

// A fresh folder under the system's temporary folder, removed with its content
// when the test ends.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device device;
        m_path = std::filesystem::temp_directory_path() / ("velnor-test-" + std::to_string(device()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace velnor::testing

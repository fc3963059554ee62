#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// DICOM files for the tests, made with DCMTK from values we write here.
namespace velnor::testing {

struct Attribute {
    std::uint16_t group, element;
    std::string value; // as stored (text VRs hold their bytes, numbers their text)
};

// A projection image (modality and SOP class of a DX image unless given)
// with the attributes, a small pixel data element at the end, and a file
// meta header unless `bare`.
void writeImage(const std::filesystem::path& path, const std::vector<Attribute>& attributes, bool bare = false);

// One numeric or code item of an irradiation event of a dose report.
struct EventItem {
    std::string code;    // the concept's DCM code
    std::string value;   // a number, or the code meaning of a CODE item
    std::string unit;    // UCUM; empty for a CODE item
    bool filter = false; // inside an X-Ray Filters container
};
// An X-Ray Radiation Dose SR whose events hold the items.
void writeDoseReport(const std::filesystem::path& path, const std::vector<std::vector<EventItem>>& events,
                     const std::vector<Attribute>& attributes = {});

// Text in ISO 2022 IR 87 as a Japanese system stores it (escape sequences).
std::string iso2022jp(const std::string& utf8);

} // namespace velnor::testing

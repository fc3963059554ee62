#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velnor::mc {

// The job of a cylinder run, as "joken.txt" gives it: six free-format lines
// (the first number of each line) and the history count in columns 1-11.
struct CylinderJob {
    float radiusCm = 0;             // line 1: curvature radius R
    float thicknessCm = 0;          // line 2: T
    float focusSurfaceCm = 0;       // line 3: d_s
    float focusReceptorCm = 0;      // line 4: d_r
    float fieldAcrossCm = 0;        // line 5: F1, across the cylinder axis, at the receptor
    float fieldAlongCm = 0;         // line 6: F2, along the cylinder axis, at the receptor
    long long histories = 0;        // line 7: N
};

inline constexpr long long kMaxHistories = 2147483647; // 32-bit counter

// Reads the job file. A missing file reads as empty. Throws DataFileError
// naming the file and line when a line is missing or does not begin with a
// number.
CylinderJob readJobFile(const std::filesystem::path& path);

// The console echo of the job: radius, thickness, the two distances, the
// field size (along the axis first, then across), the history count.
std::vector<std::string> jobEchoLines(const CylinderJob& job);

// Why the job cannot be run (R, field sizes or distances not positive, a
// history count beyond a 32-bit counter), or empty when it can.
std::string jobFault(const CylinderJob& job);

} // namespace velnor::mc

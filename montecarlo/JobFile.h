#pragma once

#include <array>
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
inline constexpr float kMinLengthCm = 0.1f;   // every length and field size
inline constexpr float kMaxLengthCm = 1000.0f; // radius, thickness, distances
inline constexpr float kMaxFieldCm = 200.0f;   // field sizes at the receptor

// The surfaces the engines compute, with the job lines that describe each.
enum class SurfaceKind { Cylinder, Ellipse, Racetrack };
int shapeLineCount(SurfaceKind kind); // 1, 2, 3

// A job of any surface: its shape values (cylinder: R; ellipse: horizontal
// and vertical semi-axes; racetrack: flat-top width a, height b, length),
// then the six lines every job has (in `common`, whose radiusCm repeats the
// first shape value).
struct EngineJob {
    SurfaceKind kind = SurfaceKind::Cylinder;
    std::array<float, 3> shapeCm{};
    CylinderJob common;
};

// Reads the job file. Throws DataFileError naming the file (and line) when it
// is missing, a line is missing or does not begin with a number.
CylinderJob readJobFile(const std::filesystem::path& path);
EngineJob readEngineJob(const std::filesystem::path& path, SurfaceKind kind);

// The console echo of the job: radius, thickness, the two distances, the
// field size (along the axis first, then across), the history count.
std::vector<std::string> jobEchoLines(const CylinderJob& job);
std::vector<std::string> jobEchoLines(const EngineJob& job);

// Why the job cannot be run, or empty when it can: every length finite and
// from 0.1 cm up to 1000 cm (fields up to 200 cm), the focus-surface distance
// shorter than the focus-receptor distance, 1 to 2^31 - 1 histories.
std::string jobFault(const CylinderJob& job);
// The same for any surface: every shape value from 0.1 cm up to 1000 cm (a
// racetrack's flat top may be 0).
std::string jobFault(const EngineJob& job);

} // namespace velnor::mc

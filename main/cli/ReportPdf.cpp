#include "main/cli/ReportPdf.h"

#include "common/Reasons.h"

#include <dlfcn.h>

#include <stdexcept>

namespace velnor::cli {

void writePdfWithPlugIn(const std::vector<ReportPage>& pages, const std::string& title, const std::filesystem::path& path)
{
    static constexpr const char* kPlugIn = "velnor-report-pdf.so";
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path bin = ec ? std::filesystem::current_path() : self.parent_path();
    // Beside the program in the build tree; in lib/velnor when installed.
    std::filesystem::path plugIn = bin / kPlugIn;
    if (!std::filesystem::exists(plugIn, ec))
        plugIn = bin.parent_path() / "lib" / "velnor" / kPlugIn;
    void* handle = ::dlopen(plugIn.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw WordedError(Reason{ReasonCode::ReportPlugInMissing, {}, 0, 0, 0, {}, kPlugIn, ::dlerror()});
    using Write = int (*)(const ReportPage*, std::size_t, const char*, const char*, char*, std::size_t);
    const auto write = reinterpret_cast<Write>(::dlsym(handle, "velnor_write_report_pdf"));
    if (!write)
        throw std::runtime_error(std::string(kPlugIn) + " is not the report plug-in");
    char error[512] = "";
    if (write(pages.data(), pages.size(), title.c_str(), path.c_str(), error, sizeof error) != 0)
        throw std::runtime_error(error);
}

} // namespace velnor::cli

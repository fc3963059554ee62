#include "montecarlo/ResultFile.h"

#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/TextFile.h"
#include "montecarlo/ConsoleText.h"

namespace velnor::mc {

std::vector<std::string> resultFileLines(float air, float softTissue, float skin)
{
    return {fixedField(air, 7, 4), fixedField(softTissue, 7, 4), fixedField(skin, 7, 4)};
}

void writeResultFile(const std::filesystem::path& folder, float air, float softTissue, float skin)
{
    writeTextLines(findFileIgnoringCase(folder, files::kBackscatterResult), resultFileLines(air, softTissue, skin));
}

void writeResultSdFile(const std::filesystem::path& folder, double air, double softTissue, double skin)
{
    writeTextLines(findFileIgnoringCase(folder, files::kBackscatterSd),
                   {fixedField(air, 7, 4), fixedField(softTissue, 7, 4), fixedField(skin, 7, 4)});
}

} // namespace velnor::mc

// velnor-pdd as a user runs it, on the shipped data and a hand-off written by
// velnor-calc, exactly as the main program would write it.
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace velnor {
namespace {

struct Result {
    int status;
    std::string output;
};

Result run(const std::string& command)
{
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    return {WEXITSTATUS(pclose(pipe)), output};
}

class VelnorPdd : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& entry : std::filesystem::directory_iterator(VELNOR_DATA_DIR))
            std::filesystem::copy(entry.path(), data / entry.path().filename().string(), std::filesystem::copy_options::recursive);
    }
    void handOff(const std::string& caseJson)
    {
        writeTextLines(data / "case.json", {caseJson});
        ASSERT_EQ(run(std::string(VELNOR_CALC) + " --data '" + data.path().string() + "' --no-files --brief --handoff '"
                      + (data / "Velnor2PDD.dat").string() + "' '" + (data / "case.json").string() + "'")
                      .status,
                  0);
    }
    Result pdd(const std::string& arguments = "")
    {
        return run(std::string(VELNOR_PDD) + " --data '" + data.path().string() + "' " + arguments);
    }
    testing::TempFolder data;
};

TEST_F(VelnorPdd, TheTableAndTheEffectiveDoseOfTheShippedData)
{
    handOff(R"({"bodyPart": "胸部正面", "tubeVoltageKv": 120, "focusReceptorDistanceCm": 180, "focusSurfaceDistanceCm": 158, "bodyThicknessCm": 20.2})");
    const Result r = pdd("--organ-defaults");
    ASSERT_EQ(r.status, 0) << r.output;
    const auto j = nlohmann::json::parse(r.output);
    EXPECT_EQ(j["points"], 41); // 20.2 cm
    EXPECT_DOUBLE_EQ(j["table"][0][3].get<double>(), 100.0);
    EXPECT_EQ(j["cells"].size(), 16u);
    EXPECT_EQ(j["cells"][13], "-"); // no brain in a chest view
    const double e = j["effectiveDoseMsv"].get<double>();
    EXPECT_GT(e, 0.01);
    EXPECT_LT(e, 1);
}

TEST_F(VelnorPdd, FortyCentimetresRowsAndFailures)
{
    handOff(R"({"bodyPart": "腹部側面", "bodyThicknessCm": 45, "focusReceptorDistanceCm": 150, "focusSurfaceDistanceCm": 100, "fieldLongCm": 20, "fieldShortCm": 20})");
    auto ok = nlohmann::json::parse(pdd().output);
    EXPECT_EQ(ok["thicknessCm"], 40.0);
    EXPECT_EQ(ok["points"], 80);
    auto cancel = nlohmann::json::parse(pdd("--cancel40").output);
    EXPECT_EQ(cancel["thicknessCm"], 45.0);
    EXPECT_EQ(cancel["points"], 80);

    nlohmann::json rows = nlohmann::json::array();
    for (int t = 0; t < 16; ++t)
        rows.push_back({t == 2, "5", "10", "50"});
    writeTextLines(data / "rows.json", {rows.dump()});
    const auto j = nlohmann::json::parse(pdd("--rows '" + (data / "rows.json").string() + "'").output);
    EXPECT_NE(j["cells"][2], "-");
    EXPECT_EQ(j["cells"][0], "-");
    // A refused row is named by its number and its tissue.
    rows[2] = {true, "10", "5", "50"};
    writeTextLines(data / "rows.json", {rows.dump()});
    const Result refused = pdd("--rows '" + (data / "rows.json").string() + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("row 3 (colon)"), std::string::npos) << refused.output;

    std::filesystem::remove(data / "PDS-data" / "60.dat");
    const Result missing = pdd();
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("60.dat"), std::string::npos);
    EXPECT_EQ(pdd("--bogus").status, 2);
}

// What a script meets: versions, file names that are not UTF-8, a full disk.
TEST_F(VelnorPdd, ScriptsGetTheVersionAndEveryFailure)
{
    const Result version = pdd("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.output.find("velnor-pdd 17.0.0\ndepth-dose data "), std::string::npos) << version.output;
    handOff("{}");
    EXPECT_EQ(nlohmann::json::parse(pdd().output)["version"], "17.0.0");
    const Result notUtf8 = pdd("--handoff '" + data.path().string() + "/\xff.dat'"); // once ended in "terminate called"
    EXPECT_EQ(notUtf8.status, 1);
    EXPECT_NE(nlohmann::json::parse(notUtf8.output)["error"].get<std::string>().find("\\xFF"), std::string::npos) << notUtf8.output;
    EXPECT_EQ(run(std::string(VELNOR_PDD) + " --data '" + data.path().string() + "' > /dev/full").status, 3);
}

} // namespace
} // namespace velnor

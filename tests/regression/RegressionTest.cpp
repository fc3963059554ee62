// The outputs of velnor-calc for twenty cases spread over voltages, waveforms,
// filters, distances, fields, head and body, against the stored outputs in
// expected.json. A difference means a dose changed: if that was intended,
// run tests/regression/update and let a reviewer read the diff.
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>

namespace velnor {
namespace {

using Json = nlohmann::json;

// Far below anything of physical meaning, far above the rounding of one
// compiler against another: any real change of the chain shows.
constexpr double kRelativeTolerance = 1e-6;

Json readJson(const std::string& path)
{
    std::ifstream in(path);
    return Json::parse(in);
}

TEST(Regression, VelnorCalcGivesTheStoredOutputs)
{
    const std::string command = std::string(VELNOR_CALC) + " --data " + VELNOR_DATA_DIR + " --no-files " + VELNOR_CASES;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    ASSERT_EQ(WEXITSTATUS(pclose(pipe)), 0) << output;
    const Json actual = Json::parse(output);
    const Json expected = readJson(VELNOR_EXPECTED);
    ASSERT_EQ(actual.size(), expected.size()) << "cases.json and expected.json differ in length: run tests/regression/update";
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const Json& want = expected[k];
        const Json& got = actual[k];
        const std::string name = want.value("bodyPart", "case " + std::to_string(k));
        for (const auto& [key, value] : want.items()) {
            ASSERT_TRUE(got.contains(key)) << name << ": " << key << " is missing";
            if (value.is_number()) {
                const double w = value.get<double>(), g = got[key].get<double>();
                EXPECT_NEAR(g, w, kRelativeTolerance * std::fabs(w)) << name << ": " << key;
            } else {
                EXPECT_EQ(got[key], value) << name << ": " << key;
            }
        }
    }
}

} // namespace
} // namespace velnor

// velnor-calc as a user runs it: arguments, JSON in and out, exit status.
#include "common/FileLookup.h"
#include "main/dose/ProgramLauncher.h"
#include "main/form/ExposureForm.h"
#include "main/records/OutputDataTable.h"
#include "main/results/ResultsFile.h"
#include "main/records/CalculationError.h"
#include "common/TextFile.h"
#include "tests/support/SyntheticReferenceSet.h"
#include "tests/TempFolder.h"

#include <nlohmann/json.hpp>

#include "main/records/ReferenceLevels.h"
#include "tests/dicom/DicomFiles.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace velnor {
namespace {

using testing::CommandResult;
using testing::shell;

// velnor-calc with `input` on standard input; `stderr` says where its
// standard error goes (discarded unless asked for).
CommandResult run(const std::string& arguments, const std::string& input = "", const std::string& stderr = "2>/dev/null")
{
    testing::TempFolder scratch;
    writeTextLines(scratch / "in.json", {input});
    return shell(std::string(VELNOR_CALC) + " " + arguments + " < " + (scratch / "in.json").string() + " " + stderr);
}

// The shipped data in a scratch working folder.
void copyShippedData(const testing::TempFolder& data)
{
    for (const auto& entry : std::filesystem::directory_iterator(VELNOR_DATA_DIR))
        std::filesystem::copy(entry.path(), data / entry.path().filename().string(), std::filesystem::copy_options::recursive);
}

class VelnorCalcTest : public ::testing::Test {
protected:
    void SetUp() override { testing::writeSyntheticReferenceSet(data.path()); }
    std::string dataArg() const { return "--data " + data.path().string(); }
    testing::TempFolder data;
};

TEST_F(VelnorCalcTest, StartUpCaseGivesEveryResult)
{
    const CommandResult r = run(dataArg() + " -", "{}");
    ASSERT_EQ(r.status, 0) << r.output;
    const auto j = nlohmann::json::parse(r.output);
    EXPECT_EQ(j["photonSpectrum"].size(), 300u);
    EXPECT_EQ(j["photonSpectrum"][0], 0.0);
    for (const char* key : {"kermaRatio", "hvl1Cm", "effectiveEnergyKev", "atrIndex", "exposureAt1m", "cfSoftTissue", "cfSkin",
                            "cfAir", "bsfSoftTissue", "bsfSkin", "bsfAir", "esdSoftTissue", "esdSkin", "esdAir"})
        EXPECT_TRUE(j[key].is_number()) << key;
    EXPECT_EQ(j["labels"].size(), 12u);
    EXPECT_FALSE(j.contains("bsfSkinSd")); // a flat surface: no Monte Carlo
    EXPECT_EQ(j["labels"]["Label78"].get<std::string>().find("E-"), 4u); // "x.xxE-n"
    EXPECT_TRUE(std::filesystem::exists(data / "X_SPCTL.dat"));
}

TEST_F(VelnorCalcTest, ArrayOfCasesWithOneFailure)
{
    const CommandResult r = run(dataArg() + " --no-files",
                      R"([{"tubeVoltageKv": 80, "rectification": 3}, {"tubeVoltageKv": 200}, {"bodyThicknessCm": 20.1}])");
    EXPECT_EQ(r.status, 1);
    const auto j = nlohmann::json::parse(r.output);
    ASSERT_EQ(j.size(), 3u);
    EXPECT_TRUE(j[0].contains("esdSkin"));
    EXPECT_NE(j[1]["error"].get<std::string>().find("150 kV"), std::string::npos);
    EXPECT_NE(j[2]["error"].get<std::string>().find("thickness"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(data / "X_SPCTL.dat"));
}

TEST(VelnorCalcCurved, CylinderCaseRunsTheEngineToItsEnd)
{
    // The shipped data and bsfmc_cylinder beside velnor-calc.
    testing::TempFolder data;
    copyShippedData(data);
    const std::string curved = R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 15, "mcHistories": 2000000})";
    const CommandResult r = run("--data " + data.path().string(), curved);
    ASSERT_EQ(r.status, 0) << r.output;
    const auto j = nlohmann::json::parse(r.output);
    EXPECT_GT(j["bsfSoftTissue"].get<double>(), 1.2);
    EXPECT_LT(j["bsfSoftTissue"].get<double>(), 1.6);
    // The engine's standard deviation. The per-history scores are heavy-tailed
    // (a photon leaving nearly parallel to the surface scores 1/|cos|), so at
    // 2 million histories one such photon can raise it to about 0.15.
    EXPECT_GT(j["bsfSoftTissueSd"].get<double>(), 0);
    EXPECT_LT(j["bsfSoftTissueSd"].get<double>(), 0.2);
    // The histories run: the engine's per-energy shares round the count down a little.
    EXPECT_LE(j["histories"].get<long long>(), 2000000);
    EXPECT_GT(j["histories"].get<long long>(), 1990000);
    // The run's files were its own, in a folder removed afterwards.
    EXPECT_FALSE(std::filesystem::exists(findFileIgnoringCase(data.path(), "joken.txt")));
    EXPECT_FALSE(std::filesystem::exists(findFileIgnoringCase(data.path(), "resultBSF.txt")));
    for (const auto& entry : std::filesystem::directory_iterator(data.path()))
        EXPECT_EQ(entry.path().filename().string().rfind(".velnor-run", 0), std::string::npos) << entry.path();
    EXPECT_EQ(run("--data " + data.path().string() + " --no-files", curved).status, 1);

    // Every surface of the dialog has its engine.
    for (const std::string& c : {std::string(R"({"incidenceMode": 2, "surfaceCode": 2, "ellipseHorizontalCm": 30, "ellipseVerticalCm": 20, "mcHistories": 1000000})"),
                                 std::string(R"({"incidenceMode": 2, "surfaceCode": 4, "racetrackACm": 20, "racetrackBCm": 20, "racetrackLengthCm": 80, "mcHistories": 1000000})")}) {
        const CommandResult other = run("--data " + data.path().string(), c);
        ASSERT_EQ(other.status, 0) << other.output;
        const auto o = nlohmann::json::parse(other.output);
        EXPECT_GT(o["bsfSkin"].get<double>(), 1.1) << c;
        EXPECT_LT(o["bsfSkin"].get<double>(), 1.7) << c;
    }

    // Two runs side by side in one working folder each get their own factors,
    // the same as alone; the engine's reason for a failure is the case's
    // error, and a closed standard error sends the console text nowhere.
    const std::string narrow = R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 8, "mcHistories": 300000})";
    const std::string wide = R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 40, "mcHistories": 300000})";
    const std::string dataArg = "--data " + data.path().string() + " --brief";
    const double narrowAlone = nlohmann::json::parse(run(dataArg, narrow).output)["bsfAir"];
    const double wideAlone = nlohmann::json::parse(run(dataArg, wide).output)["bsfAir"];
    CommandResult narrowBeside, wideBeside;
    std::thread beside([&] { narrowBeside = run(dataArg, narrow); });
    wideBeside = run(dataArg, wide);
    beside.join();
    EXPECT_EQ(nlohmann::json::parse(narrowBeside.output)["bsfAir"].get<double>(), narrowAlone);
    EXPECT_EQ(nlohmann::json::parse(wideBeside.output)["bsfAir"].get<double>(), wideAlone);

    // 100 000 histories cannot reach the scoring disc's photons in the
    // start-up field: refused before the engine starts, naming the fewest that can.
    const CommandResult tooFew = run(dataArg, R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 15, "mcHistories": 100000})");
    EXPECT_EQ(tooFew.status, 1);
    EXPECT_NE(tooFew.output.find("give at least 200000"), std::string::npos) << tooFew.output;
    EXPECT_EQ(run(dataArg, R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 15, "mcHistories": 200000})").status, 0);

    const CommandResult closed = run(dataArg, narrow, "2>&-");
    EXPECT_EQ(closed.status, 0);
    EXPECT_EQ(nlohmann::json::parse(closed.output)["bsfAir"].get<double>(), narrowAlone) << closed.output;
}

// A signal to velnor-calc stops the engine it runs, SIGKILL too: no engine
// is left behind, and none writes a result afterwards.
class VelnorCalcSignals : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(TermAndKill, VelnorCalcSignals, ::testing::Values(SIGTERM, SIGKILL));

TEST_P(VelnorCalcSignals, TheEngineEndsWithVelnorCalc)
{
    testing::TempFolder data;
    copyShippedData(data);
    writeTextLines(data / "case.json", {R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 15, "mcHistories": 2000000000})"});
    const pid_t calc = ::fork();
    if (calc == 0) {
        ::setpgid(0, 0);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execl(VELNOR_CALC, VELNOR_CALC, "--data", data.path().c_str(), (data / "case.json").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait for its engine to run.
    bool engineSeen = false;
    for (int i = 0; i < 100 && !engineSeen; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        engineSeen = std::system(("pgrep -g " + std::to_string(calc) + " -x bsfmc_cylinder > /dev/null").c_str()) == 0;
    }
    ASSERT_TRUE(engineSeen);
    ::kill(calc, GetParam());
    int status = 0;
    ::waitpid(calc, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam());
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) { // the engine stops at its next block
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gone = std::system(("pgrep -g " + std::to_string(calc) + " > /dev/null").c_str()) != 0;
    }
    EXPECT_TRUE(gone); // nothing left of the group
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data.path()))
        EXPECT_NE(entry.path().filename().string(), "ResultBSF.txt") << entry.path();
}

// An engine waiting for Enter (its input open) ends on SIGTERM; --threads
// takes a whole number within bounds only.
TEST(Engine, EndsOnATermWhileWaitingForEnterAndChecksItsThreads)
{
    testing::TempFolder data;
    writeTextLines(data / "joken.txt", {"000.0"}); // refused at once, then the wait
    const std::string engine = (std::filesystem::path(VELNOR_CALC).parent_path() / "bsfmc_cylinder").string();
    // Its input stays open (a pipe from a sleeper); SIGTERM must end it within five seconds.
    // The sleeper outlives the test: it holds no stream of the test's own.
    const CommandResult ended = shell("cd '" + data.path().string() + "' && { sleep 30 2>/dev/null | '" + engine +
                                      "' > /dev/null 2>&1 & p=$!; sleep 0.5; "
                                      "kill -TERM $p; for i in $(seq 50); do kill -0 $p 2>/dev/null || exit 0; sleep 0.1; done; "
                                      "kill -KILL $p; exit 1; }");
    EXPECT_EQ(ended.status, 0);
    for (const char* threads : {"1abc", "0", "-2", "4294967297", "100000", ""})
        EXPECT_EQ(WEXITSTATUS(std::system((engine + " --threads '" + threads + "' > /dev/null 2>&1 < /dev/null").c_str())), 2) << threads;
}

// Threads the system refuses (here for want of address space) do not abort
// the run: it goes on with those it got, to the same factors.
TEST(Engine, RunsOnTheThreadsItGets)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__has_feature)
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit leaves";
#endif
#endif
    testing::TempFolder data;
    copyShippedData(data);
    ASSERT_EQ(run("--data " + data.path().string(), "{}").status, 0); // the spectrum file
    writeTextLines(data / "joken.txt", {"020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000400000"});
    const std::string engine = (std::filesystem::path(VELNOR_CALC).parent_path() / "bsfmc_cylinder").string();
    auto factors = [&](const std::string& limit, const std::string& threads) {
        std::filesystem::remove(data / "ResultBSF.txt");
        const std::string command = "cd '" + data.path().string() + "' && bash -c '" + limit + " exec \"" + engine + "\" --threads "
            + threads + "' < /dev/null > engine.out 2>&1";
        EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << readTextFile(data / "engine.out");
        return readTextLines(data / "ResultBSF.txt");
    };
    const std::vector<std::string> alone = factors("", "1");
    // Thread stacks of 1 GB each: no second one fits into 1.5 GB.
    EXPECT_EQ(factors("ulimit -s 1000000; ulimit -v 1500000;", "4"), alone);
}

TEST(Engine, RefusesABadJobAndKeepsTheEarlierResult)
{
    testing::TempFolder data;
    copyShippedData(data);
    ASSERT_EQ(run("--data " + data.path().string(), "{}").status, 0); // the spectrum file
    writeTextLines(data / "ResultBSF.txt", {" 1.1111", " 1.1111", " 1.1111"});
    const std::string engine = (std::filesystem::path(VELNOR_CALC).parent_path() / "bsfmc_cylinder").string();
    auto runEngine = [&] {
        // A refused job ends at once; the time limit only keeps a hang from blocking the suite.
        const std::string command = "cd '" + data.path().string() + "' && timeout 60 '" + engine + "' < /dev/null > engine.out 2>&1";
        const int status = std::system(command.c_str());
        return WEXITSTATUS(status);
    };
    // The values refused are the job file's own tests; here the process:
    // a refused value, a short file and a job that used to hang.
    for (const std::vector<std::string>& job : {
             std::vector<std::string>{"000.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000001000"}, // R = 0
             std::vector<std::string>{"020.0", "020.0", "080.0"},                                            // short
             std::vector<std::string>{"020.0", "020.0", "080.0", "1e30", "035.6", "043.2", "00000001000"},  // used to hang
         }) {
        writeTextLines(data / "joken.txt", job);
        EXPECT_EQ(runEngine(), 1) << job.front();
        EXPECT_EQ(readTextLines(data / "ResultBSF.txt").front(), " 1.1111");
    }
    EXPECT_NE(readTextFile(data / "engine.out").find("joken.txt"), std::string::npos);
    writeTextLines(data / "joken.txt", {"020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000100000"});
    std::filesystem::remove(data / "ICRUSoft.dat");
    EXPECT_EQ(runEngine(), 1);
    EXPECT_NE(readTextFile(data / "engine.out").find("ICRUSoft.dat"), std::string::npos);
}

// The depth-dose program is kept: a second start closes the first, stop()
// and the launcher's end close the last, so no earlier case's program stays.
TEST(WindowedLauncher, KeepsOneProgramAndClosesIt)
{
    testing::TempFolder folder;
    std::ofstream(folder / "stays") << "#!/bin/sh\necho $$ >> started\nexec sleep 60\n";
    std::filesystem::permissions(folder / "stays", std::filesystem::perms::owner_all);
    auto running = [&](const std::string& pid) { return ::kill(std::stoi(pid), 0) == 0; };
    auto started = [&](std::size_t n) {
        for (int i = 0; i < 200; ++i) {
            std::error_code ec;
            if (std::filesystem::exists(folder / "started", ec) && readTextLines(folder / "started").size() >= n)
                return readTextLines(folder / "started").at(n - 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::string("0");
    };
    std::string first, second;
    {
        WindowedLauncher launcher;
        launcher.start(folder / "stays", folder.path());
        first = started(1);
        ASSERT_TRUE(running(first));
        launcher.start(folder / "stays", folder.path());
        second = started(2);
        EXPECT_FALSE(running(first));
        EXPECT_TRUE(running(second));
    }
    EXPECT_FALSE(running(second)); // the launcher's end closes the last
}

TEST(DesktopLauncher, WithoutADisplayTheEngineRunsDetachedIntoALog)
{
    // The shipped data, a spectrum and a small cylinder job, as the main window leaves them.
    testing::TempFolder data;
    copyShippedData(data);
    ASSERT_EQ(run("--data " + data.path().string(), "{}").status, 0);
    writeTextLines(data / "joken.txt", {"020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000200000"});
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    const std::filesystem::path engine = std::filesystem::path(VELNOR_CALC).parent_path() / "bsfmc_cylinder";
    DesktopLauncher launcher;
    launcher.start(engine, data.path());
    // The engine ends by itself: its input is empty, which counts as Enter.
    bool finished = false;
    for (int i = 0; i < 400 && !finished; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::error_code ec;
        finished = std::filesystem::exists(data / "bsfmc_cylinder.log", ec)
            && readTextFile(data / "bsfmc_cylinder.log").find("Hit Enter key") != std::string::npos;
    }
    ASSERT_TRUE(finished);
    EXPECT_EQ(readTextLines(findFileIgnoringCase(data.path(), "resultBSF.txt")).size(), 3u);
    EXPECT_THROW(launcher.start(data / "no-such-program", data.path()), CalculationError);
}

TEST_F(VelnorCalcTest, UnusableArgumentsInputOrDataExitTwo)
{
    EXPECT_EQ(run("--help").status, 0);
    EXPECT_NE(run("--help").output.find("--no-files"), std::string::npos);
    EXPECT_EQ(run("--bogus").status, 2);
    EXPECT_EQ(run(dataArg(), "{not json").status, 2);
    EXPECT_EQ(run(dataArg(), "42").status, 2);
    std::filesystem::remove(data / "dATR.dat");
    EXPECT_EQ(run(dataArg(), "{}").status, 2);
}

TEST_F(VelnorCalcTest, HostileInputEndsWithAMessageNotACrash)
{
    // 100 000 levels of nesting used to overflow the stack.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const CommandResult nested = run(dataArg(), deep);
    EXPECT_EQ(nested.status, 2);
    // A folder as the case file used to end in "terminate called".
    EXPECT_EQ(run(dataArg() + " " + data.path().string()).status, 2);
    // Sixty levels are still read: an array whose case is not an object.
    EXPECT_EQ(run(dataArg(), std::string(60, '[') + std::string(60, ']')).status, 1);
}

TEST_F(VelnorCalcTest, CodesAndWholeNumbersAreCheckedAtTheBoundary)
{
    const struct {
        const char* json;
        const char* key;
    } refused[] = {
        {R"({"headPhantom": 4294967297})", "headPhantom"}, // used to wrap to 1
        {R"({"headPhantom": 2})", "headPhantom"},
        {R"({"fieldShape": 7})", "fieldShape"},
        {R"({"surfaceCode": -1})", "surfaceCode"},
        {R"({"exposureSource": 3})", "exposureSource"},
        {R"({"rectification": 1.5})", "rectification"},
        {R"({"addedAlCm": -0.03})", "added aluminium"},      // gave 6.7e132 mGy
        {R"({"otherFilterCm": -0.1, "otherFilterActive": true})", "other filter"},
        {R"({"tubeCurrentMa": 0})", "tube current"},
        {R"({"exposureSource": 1, "exposureAt1m": -2e-4})", "measured exposure"},
    };
    for (const auto& r : refused) {
        const CommandResult result = run(dataArg() + " --no-files", r.json);
        EXPECT_EQ(result.status, 1) << r.json;
        EXPECT_NE(result.output.find(r.key), std::string::npos) << r.json << " gave " << result.output;
    }
}

// Values outside their physical ranges are refused with the value named,
// whatever else the case holds; each of these once gave a dose.
TEST_F(VelnorCalcTest, CasesOutsideThePhysicalRangesAreRefusedByName)
{
    const struct {
        const char* json;
        const char* named;
    } refused[] = {
        {R"({"focusSurfaceDistanceCm":1e-10,"bodyThicknessCm":1e-10,"focusReceptorDistanceCm":1e-9})", "focus-receptor distance 1E-09"},
        {R"({"tubeCurrentMa":1e-300,"exposureTimeS":1e-300})", "tube current 1E-300 mA"},
        {R"({"exposureTimeS":5000})", "exposure time 5000 s"},
        {R"({"fieldLongCm":1e300})", "long-axis field size 1E+300"},
        {R"({"focusReceptorDistanceCm":2000,"focusSurfaceDistanceCm":1500})", "focus-receptor distance 2000"},
        {R"({"bodyThicknessCm":0.05})", "body thickness 0.05"},
        {R"({"tubeVoltageKv":-75})", "tube voltage -75"},
        {R"({"fluoroscopy":{"pulsed":true,"mA":2,"ms":-5,"pps":-15}})", "pulse width -5"},
        {R"({"fluoroscopy":{"pulsed":true,"mA":2,"ms":500,"pps":30}})", "longer than the second"},
        {R"({"bodyPart":"胸部\n正面"})", "bodyPart holds a line break"},
    };
    for (const auto& r : refused) {
        const CommandResult result = run(dataArg() + " --no-files", r.json);
        EXPECT_EQ(result.status, 1) << r.json;
        const auto j = nlohmann::json::parse(result.output);
        ASSERT_TRUE(j.contains("error")) << r.json << " gave " << result.output;
        EXPECT_NE(j["error"].get<std::string>().find(r.named), std::string::npos) << j["error"];
    }
    // A fit starts from the same checks.
    const auto fit = nlohmann::json::parse(
        run(dataArg() + " --no-files", R"({"tubeCurrentMa":-100,"fit":{"target":"hvl","method":"filtration","measured":3.2}})").output);
    EXPECT_NE(fit["error"].get<std::string>().find("tube current -100"), std::string::npos) << fit;
    // A legal duty cycle still gives the average current.
    EXPECT_EQ(run(dataArg() + " --no-files", R"({"fluoroscopy":{"pulsed":true,"mA":20,"ms":5,"pps":15}})").status, 0);
}

// An output file that cannot be written is refused before any case is computed.
TEST_F(VelnorCalcTest, AnUnwritableOutputIsRefusedFirst)
{
    const std::string unwritable = (data / "no-such-folder" / "Velnor2PDD.dat").string();
    const CommandResult three = run(dataArg() + " --no-files --brief --handoff " + unwritable, "[{}, {}, {}]");
    EXPECT_EQ(three.status, 2);
    EXPECT_EQ(three.output, "");
}

// --read: the rows of a results file, or the refusal naming line and column.
TEST_F(VelnorCalcTest, ReadPrintsTheRowsOfAResultsFileOrItsFault)
{
    const std::string csv = (data / "exam.csv").string();
    ASSERT_EQ(run(dataArg() + " --no-files --csv " + csv, R"([{}, {"tubeVoltageKv": 90, "bodyPart": "胸部正面"}])").status, 0);
    const CommandResult r = run("--read " + csv);
    ASSERT_EQ(r.status, 0) << r.output;
    const auto rows = nlohmann::json::parse(r.output);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1]["tubeVoltageKv"], 90.0);
    EXPECT_EQ(rows[1]["bodyPart"], "胸部正面");
    EXPECT_GT(rows[0]["esdSoftTissue"].get<double>(), 0);

    std::vector<std::string> lines = readTextLines(csv);
    lines[12] = "管電圧 (kV),75,-90";
    writeTextLines(data / "bad.csv", lines);
    const CommandResult bad = run("--read " + (data / "bad.csv").string());
    EXPECT_EQ(bad.status, 1);
    const std::string error = nlohmann::json::parse(bad.output)["error"];
    EXPECT_NE(error.find("line 13"), std::string::npos) << error;
    EXPECT_NE(error.find("column 3"), std::string::npos) << error;
    EXPECT_NE(run("--help").output.find("--read"), std::string::npos);
}

// Each case is held against its diagnostic reference level; a table that
// cannot be used leaves the calculation as it is and says why.
TEST_F(VelnorCalcTest, EveryCaseIsHeldAgainstItsReferenceLevel)
{
    const std::filesystem::path table = data / kReferenceLevelsFile;
    std::filesystem::copy_file(std::filesystem::path(VELNOR_DATA_DIR) / kReferenceLevelsFile, table);
    const std::string cases = R"([{"bodyPart": "胸部正面", "tubeVoltageKv": 99.9}, {"bodyPart": "胸部正面", "tubeVoltageKv": 100},
                                  {"bodyPart": "胸部側面"}, {"bodyPart": "腹部正面"}])";
    const CommandResult r = run(dataArg() + " --brief --no-files", cases);
    ASSERT_EQ(r.status, 0) << r.output;
    const auto j = nlohmann::json::parse(r.output);
    EXPECT_EQ(j[0]["drl"]["valueMgy"], 0.4);
    EXPECT_EQ(j[1]["drl"]["valueMgy"], 0.3);
    EXPECT_EQ(j[1]["drl"]["edition"], "Japan DRLs 2020");
    EXPECT_EQ(j[1]["drl"]["dose"], "esdAir");
    EXPECT_DOUBLE_EQ(j[1]["drl"]["ratio"].get<double>(), j[1]["esdAir"].get<double>() / 0.3);
    EXPECT_TRUE(j[2]["drl"].is_null());

    // An edited level changes the percentage; a faulty table changes no dose.
    std::vector<std::string> lines = readTextLines(table);
    for (std::string& line : lines)
        if (line.rfind("腹部正面", 0) == 0)
            line = "腹部正面（臥位）,1.25,腹部正面,,";
    writeTextLines(table, lines);
    const auto edited = nlohmann::json::parse(run(dataArg() + " --brief --no-files", cases).output);
    EXPECT_DOUBLE_EQ(edited[3]["drl"]["ratio"].get<double>(), 2 * j[3]["drl"]["ratio"].get<double>());
    lines.push_back("胸部正面,0.5,胸部正面,90,");
    writeTextLines(table, lines);
    const CommandResult faulty = run(dataArg() + " --brief --no-files", cases);
    ASSERT_EQ(faulty.status, 0) << faulty.output;
    const auto f = nlohmann::json::parse(faulty.output);
    EXPECT_EQ(f[3]["esdAir"], j[3]["esdAir"]);
    const std::string error = f[3]["drl"]["error"];
    EXPECT_NE(error.find("line " + std::to_string(lines.size())), std::string::npos) << error;
    EXPECT_NE(error.find("overlap"), std::string::npos) << error;

    // Rows read from a results file are compared too, and their output computes again.
    std::filesystem::copy_file(std::filesystem::path(VELNOR_DATA_DIR) / kReferenceLevelsFile, table,
                               std::filesystem::copy_options::overwrite_existing);
    const std::string csv = (data / "exam.csv").string();
    ASSERT_EQ(run(dataArg() + " --no-files --csv " + csv, cases).status, 0);
    const CommandResult read = run(dataArg() + " --read " + csv);
    const auto rows = nlohmann::json::parse(read.output);
    EXPECT_EQ(rows[1]["drl"]["valueMgy"], 0.3);
    EXPECT_TRUE(rows[2]["drl"].is_null());
    EXPECT_EQ(run(dataArg() + " --no-files -", read.output).status, 0);
}

// DICOM files: one line per image or irradiation event, what came from the
// file and what was assumed, the system's own figures beside ours; a file
// that cannot be used has its line and the others go on.
TEST(VelnorCalcDicom, EveryExposureOfAFolderOnItsLine)
{
    testing::TempFolder data, images;
    copyShippedData(data);
    std::filesystem::create_directories(images / "day1");
    testing::writeImage(images / "day1" / "a.dcm", {{0x0018, 0x0060, "120"}, {0x0018, 0x1151, "320"}, {0x0018, 0x1150, "8"},
                                                    {0x0018, 0x1110, "1800"}, {0x0018, 0x0015, "CHEST"}, {0x0018, 0x5101, "PA"},
                                                    {0x0018, 0x115E, "0.6"}, {0x0008, 0x1010, "DR-1"}});
    testing::writeDoseReport(images / "day1" / "b.dcm", {{{"113733", "80", "kV"}, {"113736", "20000", "uAs"}, {"113750", "1000", "mm"}},
                                                         {{"113733", "70", "kV"}}},
                             {{0x0018, 0x0015, "ABDOMEN"}, {0x0018, 0x5101, "AP"}});
    writeTextLines(images / "day1" / "c.dcm", {"not DICOM"});
    const CommandResult r = shell(std::string(VELNOR_CALC) + " --data " + data.path().string() + " --brief --dicom " +
                                  (images / "day1").string() + " 2>/dev/null");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output.find("YAMADA"), std::string::npos);
    EXPECT_EQ(r.output.find("P-000123"), std::string::npos);
    std::vector<nlohmann::json> lines;
    for (const std::string& line : splitLines(r.output))
        lines.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(lines.size(), 4u);
    const nlohmann::json& chest = lines[0];
    EXPECT_EQ(chest["bodyPart"], "胸部正面");
    EXPECT_EQ(chest["source"]["stationName"], "DR-1");
    EXPECT_EQ(chest["drl"]["valueMgy"], 0.3);
    EXPECT_DOUBLE_EQ(chest["focusSurfaceDistanceCm"].get<double>(), 180 - 20 - 5);
    EXPECT_NE(std::find(chest["assumed"].begin(), chest["assumed"].end(), "bodyThicknessCm"), chest["assumed"].end());
    EXPECT_NE(std::find(chest["fromFile"].begin(), chest["fromFile"].end(), "tubeCurrentMa"), chest["fromFile"].end());
    const double dapRatio = chest["system"]["dapRatio"];
    EXPECT_NEAR(dapRatio, 0.6 / chest["system"]["oursDapDgyCm2"].get<double>(), 1e-12);
    EXPECT_EQ(chest["system"].contains("note"), dapRatio < 0.7 || dapRatio > 1.4) << dapRatio;
    EXPECT_EQ(lines[1]["source"]["event"], 1);
    EXPECT_EQ(lines[1]["bodyPart"], "腹部正面");
    EXPECT_DOUBLE_EQ(lines[1]["tubeCurrentMa"].get<double>() * lines[1]["exposureTimeS"].get<double>(), 20);
    EXPECT_NE(lines[2]["error"].get<std::string>().find("neither mAs"), std::string::npos);
    EXPECT_NE(lines[3]["error"].get<std::string>().find("not a DICOM file"), std::string::npos);
    EXPECT_EQ(lines[3]["source"]["file"], (images / "day1" / "c.dcm").string());
    EXPECT_NE(run("--help").output.find("--dicom"), std::string::npos);
}

TEST_F(VelnorCalcTest, BatchesBecomeAResultsFileAndAPrintedPage)
{
    const std::string cases = R"([{"bodyPart": "胸部正面", "tubeVoltageKv": 120}, {"bodyPart": "腹部正面", "rectification": 3}])";
    const CommandResult r = run(dataArg() + " --no-files --brief --comment 外来 --csv " + (data / "batch.csv").string()
                                    + " --report " + (data / "batch.pdf").string(),
                                cases);
    ASSERT_EQ(r.status, 0) << r.output;
    const auto j = nlohmann::json::parse(r.output);
    EXPECT_FALSE(j[0].contains("photonSpectrum")); // --brief
    EXPECT_EQ(j[1]["bodyPart"], "腹部正面");
    const ResultsFileContent file = readResultsFile(data / "batch.csv");
    EXPECT_EQ(file.comment, "外来");
    ASSERT_EQ(file.rows.size(), 2u);
    EXPECT_EQ(file.rows[0].conditions.bodyPart, "胸部正面");
    EXPECT_NEAR(file.rows[1].dose.esdSoftTissue, j[1]["esdSoftTissue"].get<double>(), 0.005); // "##0.00"
    EXPECT_EQ(file.rows[1].conditions.rectification, Rectification::SinglePhaseFullWave);
    EXPECT_GT(std::filesystem::file_size(data / "batch.pdf"), 1000u);
    // Without a desktop session standard error stays quiet when nothing is wrong.
    ::unsetenv("XDG_RUNTIME_DIR");
    const CommandResult quiet = run(dataArg() + " --no-files --report " + (data / "quiet.pdf").string(), "{}", "2>&1 > /dev/null");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.output, "");

    // Sixteen cases do not fit one table: refused before anything is computed.
    std::string sixteen = "[";
    for (int k = 0; k < 16; ++k)
        sixteen += std::string(k ? "," : "") + "{}";
    const CommandResult tooMany = run(dataArg() + " --no-files --csv " + (data / "many.csv").string(), sixteen + "]");
    EXPECT_EQ(tooMany.status, 2);
    EXPECT_FALSE(std::filesystem::exists(data / "many.csv"));
}

// Without --report velnor-calc loads no Qt GUI library (the printed page is a
// plug-in it loads on demand); with it, the page is still written.
TEST_F(VelnorCalcTest, OnlyTheReportLoadsTheGuiLibraries)
{
    const std::string loaded = shell("echo '{}' | LD_DEBUG=files " + std::string(VELNOR_CALC) + " " + dataArg() + " --no-files --brief 2>&1").output;
    EXPECT_NE(loaded.find("libstdc++"), std::string::npos) << "LD_DEBUG gave nothing to look at";
    EXPECT_EQ(loaded.find("libQt6Gui"), std::string::npos);
    EXPECT_EQ(loaded.find("libQt6Core"), std::string::npos);
}

TEST_F(VelnorCalcTest, AnotherOutputTableOfTheDataFolder)
{
    // The same table with every exposure doubled gives twice the exposure at 1 m.
    OutputDataTable table = loadOutputDataTable(data / "default-output.op");
    for (int code = 1; code <= 3; ++code)
        for (int row = 1; row <= kOutputRows; ++row)
            table.exposurePerMas[static_cast<std::size_t>(code)][static_cast<std::size_t>(row)] *= 2;
    saveOutputDataTable(table, data / "Unit-B.op");
    const auto plain = nlohmann::json::parse(run(dataArg() + " --no-files", "{}").output);
    const CommandResult r = run(dataArg() + " --no-files", R"({"outputTable": "unit-b.op"})");
    ASSERT_EQ(r.status, 0) << r.output;
    const auto doubled = nlohmann::json::parse(r.output);
    EXPECT_NEAR(doubled["exposureAt1m"].get<double>(), 2 * plain["exposureAt1m"].get<double>(),
                1e-3 * plain["exposureAt1m"].get<double>()); // three digits in the file
    EXPECT_NE(run(dataArg() + " --no-files", R"({"outputTable": "../default-output.op"})").output.find("folder separator"),
              std::string::npos);
    EXPECT_NE(run(dataArg() + " --no-files", R"({"outputTable": "none.op"})").output.find("none.op"), std::string::npos);
}

// Keys are checked at every depth and given once, values of their kind.
TEST_F(VelnorCalcTest, UnknownAndRepeatedKeysAreRefusedAtEveryDepth)
{
    const struct {
        const char* json;
        int status;
        const char* named;
    } refused[] = {
        {R"({"fluoroscopy":{"mA":2,"pulse":true,"ms":5,"pps":15}})", 1, "unknown key \\\"pulse\\\" in \\\"fluoroscopy"}, // gave 13 x the dose
        {R"({"fluoroscopy":{"mA":2,"ms":5,"pps":15}})", 1, "pulsed"},
        {R"({"fit":{"target":"hvl","method":"filtration","measured":3.2,"tolerance":1}})", 1, "tolerance"},
        {R"({"tubeVoltage": 80})", 1, "unknown key"},
        {R"({"tubeVoltageKv": "80"})", 1, "must be a number"},
        // "-" (the "その他" preset before any size was typed) is a field of no size.
        {R"({"fieldLongCm": "-", "fieldShortCm": "-"})", 1, "field size"},
        {R"({"tubeVoltageKv":80,"tubeVoltageKv":90})", 2, "given twice"},
        {"{\n  \"tubeVoltageKv\": 80,\n  \"tubeVoltageKv\": 90\n}", 2, "given twice"}, // not taken for JSON Lines
        {R"({"fit":{"target":"hvl","target":"atr","method":"voltage","measured":3}})", 2, "given twice"},
    };
    for (const auto& r : refused) {
        const CommandResult result = run(dataArg() + " --no-files", r.json, "2>&1");
        EXPECT_EQ(result.status, r.status) << r.json;
        EXPECT_NE(result.output.find(r.named), std::string::npos) << r.json << " gave " << result.output;
    }
}

// What a script meets: JSON Lines in and out, versions, the outputs checked
// before anything is computed, a table of every case or none, output that
// could not be written, file names that are not UTF-8.
TEST_F(VelnorCalcTest, ScriptsGetEveryCaseOrAFailure)
{
    const CommandResult lines = run(dataArg() + " --no-files --brief --jsonl", "{\"tubeVoltageKv\": 80}\n\n{\"tubeVoltageKv\": 200}\r\n{}\n");
    EXPECT_EQ(lines.status, 1);
    std::vector<nlohmann::json> each;
    for (std::size_t start = 0, end; (end = lines.output.find('\n', start)) != std::string::npos; start = end + 1)
        each.push_back(nlohmann::json::parse(lines.output.substr(start, end - start)));
    ASSERT_EQ(each.size(), 3u) << lines.output;
    EXPECT_TRUE(each[0].contains("esdAir"));
    EXPECT_TRUE(each[1].contains("error"));
    EXPECT_EQ(each[2]["version"]["program"], "17.0.0");
    EXPECT_EQ(each[1]["version"]["data"].get<std::string>().size(), 16u);
    EXPECT_EQ(run(dataArg() + " --no-files", "{}\n{\"tubeVoltage\": 80}").status, 1); // JSON Lines: the second case is refused
    EXPECT_EQ(run(dataArg() + " --no-files", "{}\n{\"tubeVoltageKv\": ").status, 2);
    const CommandResult version = run(dataArg() + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.output.find("velnor-calc 17.0.0"), std::string::npos) << version.output;
    EXPECT_NE(version.output.find("reference data " + each[1]["version"]["data"].get<std::string>()), std::string::npos) << version.output;

    // Outputs are refused before anything is computed: no spectrum file appears.
    const std::string csv = (data / "exam.csv").string();
    EXPECT_EQ(run(dataArg() + " --csv /nonexistent/x.csv", "{}").status, 2);
    EXPECT_EQ(run(dataArg() + " --csv " + csv + " --comment 'a\nb'", "{}").status, 2);
    EXPECT_EQ(run(dataArg() + " --report " + data.path().string(), "{}").status, 2);
    EXPECT_FALSE(std::filesystem::exists(data / "X_SPCTL.dat"));
    // One case failed: no table rather than a shifted one.
    EXPECT_EQ(run(dataArg() + " --no-files --csv " + csv, R"([{}, {"tubeVoltageKv": 200}, {"bodyPart": "腹部正面"}])").status, 1);
    EXPECT_FALSE(std::filesystem::exists(csv));

    // A full disk is a failure.
    const std::string full = std::string(VELNOR_CALC) + " " + dataArg() + " --no-files <<< '{}' > /dev/full 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(("bash -c \"" + full + "\"").c_str())), 3);
    // A file name of bytes that are not UTF-8, named in a refusal, escaped.
    const CommandResult notUtf8 = run("--read " + data.path().string() + "/\xff\xfe.csv");
    EXPECT_EQ(notUtf8.status, 1);
    EXPECT_NE(nlohmann::json::parse(notUtf8.output)["error"].get<std::string>().find("\\xFF\\xFE"), std::string::npos) << notUtf8.output;
    EXPECT_EQ(run("--data " + (data / "gone").string() + " --version").status, 2);
    std::filesystem::create_symlink(data / "gone", data / "link");
    const CommandResult dangling = run("--data " + (data / "link").string(), "{}", "2>&1");
    EXPECT_EQ(dangling.status, 2);
    EXPECT_NE(dangling.output.find("is a link to"), std::string::npos) << dangling.output;
}

// A field is saved as what it is: a circle as the circular preset, sizes
// without a preset as "その他"; the rows read back compute again, with the
// decimals the file wrote, from --read's own output.
TEST_F(VelnorCalcTest, RowsReadBackComputeAgainAsTheCasesTheyWere)
{
    const std::string csv = (data / "fields.csv").string();
    const std::string cases = R"([{"fieldShape": 2, "fieldLongCm": 10}, {"fieldLongCm": 20, "fieldShortCm": 24, "addedAlCm": 0.01},
                                  {"fieldPresetName": "四切サイズ 縦"}, {"bodyPart": "=1+2"}])";
    const CommandResult computed = run(dataArg() + " --no-files --brief --csv " + csv, cases);
    ASSERT_EQ(computed.status, 0) << computed.output;
    const auto first = nlohmann::json::parse(computed.output);
    const CommandResult read = run("--read " + csv);
    ASSERT_EQ(read.status, 0) << read.output;
    const auto rows = nlohmann::json::parse(read.output);
    EXPECT_EQ(rows[0]["fieldPresetName"], "円形照射野");
    EXPECT_EQ(rows[0]["fieldShape"], 2);
    EXPECT_EQ(rows[0]["fieldShortCm"], 0.0);
    EXPECT_EQ(rows[1]["fieldPresetName"], "その他");
    EXPECT_EQ(rows[1]["addedAlCm"].dump(), "0.01");
    EXPECT_EQ(rows[2]["fieldLongCm"], 30.5);
    EXPECT_EQ(rows[3]["bodyPart"], "=1+2");
    EXPECT_NE(readTextFile(csv).find(",'=1+2"), std::string::npos); // not a formula for a spreadsheet
    const CommandResult again = run(dataArg() + " --no-files --brief", read.output);
    ASSERT_EQ(again.status, 0) << again.output;
    const auto second = nlohmann::json::parse(again.output);
    for (std::size_t k = 0; k < 4; ++k)
        for (const char* key : {"bsfSoftTissue", "bsfAir", "esdSkin"})
            EXPECT_NEAR(second[k][key].get<double>(), first[k][key].get<double>(), 2e-3 * first[k][key].get<double>()) << k << key;

    // A spreadsheet's own saving: every cell quoted, texts with commas, or semicolons.
    std::vector<std::string> lines = readTextLines(csv);
    std::vector<std::string> quoted;
    for (const std::string& line : lines) {
        std::string q = "\"";
        for (char c : line)
            q += c == ',' ? std::string("\",\"") : std::string(1, c);
        quoted.push_back(q + "\"");
    }
    quoted[2] = "\"照射部位\",\"胸部,腹部\",\"a\",\"b\",\"c\"";
    writeTextLines(data / "quoted.csv", quoted);
    const CommandResult fromSheet = run("--read " + (data / "quoted.csv").string());
    ASSERT_EQ(fromSheet.status, 0) << fromSheet.output;
    EXPECT_EQ(nlohmann::json::parse(fromSheet.output)[0]["bodyPart"], "胸部,腹部");
    for (std::string& line : lines)
        std::replace(line.begin(), line.end(), ',', ';');
    writeTextLines(data / "semicolons.csv", lines);
    EXPECT_NE(run("--read " + (data / "semicolons.csv").string()).output.find("semicolons"), std::string::npos);
}

TEST(VelnorCalcDialogs, FitsAndTheDialogsInputs)
{
    const std::string data = std::string("--data ") + VELNOR_DATA_DIR + " --no-files --brief";
    const auto fitted = nlohmann::json::parse(
        run(data, R"({"fit": {"target": "hvl", "method": "filtration", "measured": 3.2}})").output);
    EXPECT_NEAR(fitted["hvl1Cm"].get<double>(), 0.32, 0.0016) << fitted.dump();
    EXPECT_GT(fitted["inherentFiltrationCm"].get<double>(), 0);
    const auto voltage = nlohmann::json::parse(run(data, R"({"fit": {"target": "hvl", "method": "voltage", "measured": 3.2}})").output);
    const double steps = (voltage["tubeVoltageKv"].get<double>() - 75) / 0.2;
    EXPECT_NEAR(steps, std::round(steps), 1e-6);
    const CommandResult refused = run(data, R"({"fit": {"target": "atr", "method": "filtration", "measured": 0.741}})");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("0.741"), std::string::npos);

    const auto measured = nlohmann::json::parse(run(data, R"({"measuredExposure": 0.03397, "measuredExposureUnit": "Gy"})").output);
    EXPECT_NEAR(measured["exposureAt1m"].get<double>(), 0.001, 1e-15); // 33.97 mGy of air kerma is 1e-3 C/kg
    const auto pulsed = nlohmann::json::parse(run(data, R"({"fluoroscopy": {"pulsed": true, "mA": 2, "ms": 5, "pps": 15}})").output);
    const auto plain = nlohmann::json::parse(run(data, R"({"tubeCurrentMa": 0.15})").output);
    EXPECT_DOUBLE_EQ(pulsed["exposureAt1m"].get<double>(), plain["exposureAt1m"].get<double>()); // 0.15 mA on average
    const auto copper = nlohmann::json::parse(run(data, R"({"otherFilterFile": "Cu.ele", "otherFilterMm": 0.5})").output);
    EXPECT_GT(copper["hvl1Cm"].get<double>(), plain["hvl1Cm"].get<double>());
    EXPECT_EQ(run(data, R"({"otherFilterFile": "Cu.ele", "otherFilterMm": -1})").status, 1);
    EXPECT_EQ(run(data, R"({"measuredExposure": -1})").status, 1);
    // Members missing from the dialogs' objects are named, never looked up blindly.
    const CommandResult noTarget = run(data, R"({"fit": {"method": "voltage", "measured": 3}})");
    EXPECT_EQ(noTarget.status, 1);
    EXPECT_NE(noTarget.output.find("target"), std::string::npos);
    EXPECT_NE(run(data, R"({"fluoroscopy": {}})").output.find("mA"), std::string::npos);
}

TEST_F(VelnorCalcTest, CurvedCasesRunTheSurfaceDialogsDefaultHistories)
{
    // A stand-in engine in the working folder (found before the real one):
    // it leaves three factors and keeps the job it was given.
    std::ofstream(data / "bsfmc_cylinder") << "#!/bin/sh\nprintf ' 1.2000\\n 1.3000\\n 1.4000\\n' > ResultBSF.txt\ncp joken.txt ../joken-seen.txt\n";
    std::filesystem::permissions(data / "bsfmc_cylinder", std::filesystem::perms::owner_all);
    const CommandResult r = run(dataArg(), R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 15})");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(readTextLines(data / "joken-seen.txt").back(), "00050000000");
    EXPECT_DOUBLE_EQ(nlohmann::json::parse(r.output)["bsfSkin"].get<double>(), 1.4);
    EXPECT_NE(run("--help").output.find("50000000"), std::string::npos);

    // An engine's own reason for a failure is the case's error, not its status;
    // an engine ended by a signal is named by the signal.
    std::ofstream(data / "bsfmc_cylinder") << "#!/bin/sh\necho ' *** Only 83 primary photons crossed the 0.5 cm scoring disc'\n"
                                              "echo ' *** No result file was written.'\nexit 1\n";
    const CommandResult failed = run(dataArg(), R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 15})");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.output.find("failed: Only 83 primary photons crossed the 0.5 cm scoring disc\""), std::string::npos) << failed.output;
    std::ofstream(data / "bsfmc_cylinder") << "#!/bin/sh\nkill -KILL $$\n";
    const CommandResult killed = run(dataArg(), R"({"incidenceMode": 2, "surfaceCode": 1, "cylinderRadiusCm": 15})");
    EXPECT_NE(killed.output.find("bsfmc_cylinder was ended by a signal (SIGKILL)"), std::string::npos) << killed.output;
}

} // namespace
} // namespace velnor

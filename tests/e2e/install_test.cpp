// The installed game: `cmake --install` into a prefix, the prefix moved elsewhere, and the player's
// command started through a link from an unrelated folder must still find the game and its models,
// and load each model printing what vantor-model-check prints for it.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "game_harness.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto InstallTimeout = 120s;
constexpr auto BannerTimeout = 60s;
constexpr int GameLaunches = 3;

const char* const ModelNames[] = {"model_ground_block.obj", "model_car.obj", "model_buildings.obj",
                                  "model_grapple_point.obj"};

std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool isExecutable(const fs::path& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::is_regular_file(status) &&
           (status.permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// Each model's load report, from its "Loading model NAME:" line to the empty line after
// "Completed loading model NAME.", by name; rest gets what follows the last one. A model loaded
// several times must print the same each time, or the name maps to "(differs between loads)".
std::map<std::string, std::string> loadReports(const std::string& text, std::string* rest = nullptr)
{
    std::map<std::string, std::string> reports;
    std::size_t at = 0;
    for (std::size_t start; (start = text.find("Loading model ", at)) != std::string::npos;) {
        const std::size_t nameStart = start + 14;
        const std::string name = text.substr(nameStart, text.find(':', nameStart) - nameStart);
        const std::size_t completed = text.find("Completed loading model " + name + ".\n\n", start);
        if (completed == std::string::npos)
            break;
        at = text.find("\n\n", completed) + 2;
        const std::string report = text.substr(start, at - start);
        const auto [entry, first] = reports.emplace(name, report);
        if (!first && entry->second != report)
            entry->second = "(differs between loads)";
    }
    if (rest != nullptr)
        *rest = text.substr(at);
    return reports;
}

class InstalledGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vantor-install-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path root_;
};

TEST_F(InstalledGame, RunsFromAnyFolderAfterItsPrefixHasMoved)
{
    const fs::path first = root_ / "first";
    const CommandResult install =
        runCommand({VANTOR_CMAKE_COMMAND, "--install", VANTOR_BUILD_DIR, "--prefix", first.string()}, {},
                   InstallTimeout);
    ASSERT_TRUE(install.succeeded()) << install.output;
    const fs::path prefix = root_ / "moved";
    fs::rename(first, prefix);

    const fs::path launcher = prefix / VANTOR_INSTALL_BIN_DIR / "vantor-sprint";
    const fs::path checker = prefix / VANTOR_INSTALL_BIN_DIR / "vantor-model-check";
    const fs::path data = prefix / VANTOR_INSTALL_DATA_DIR;
    EXPECT_TRUE(isExecutable(launcher));
    EXPECT_TRUE(isExecutable(checker));
    EXPECT_TRUE(isExecutable(prefix / VANTOR_INSTALL_GAME_DIR / "vantor-sprint"));
    for (const fs::directory_entry& shipped : fs::directory_iterator(VANTOR_DATA_DIR))
        EXPECT_TRUE(fileBytes(data / shipped.path().filename()) == fileBytes(shipped.path()))
            << shipped.path().filename() << " is not installed as shipped";

    // The player's command through a link in a folder that has nothing of the game.
    const fs::path elsewhere = root_ / "elsewhere";
    fs::create_directories(elsewhere / "bin");
    fs::create_symlink(launcher, elsewhere / "bin" / "vantor-sprint");
    XServer xServer;
    ASSERT_TRUE(xServer.start(root_ / "xvfb.log")) << "Xvfb did not come up";
    ChildProcess game;
    ChildOptions options;
    options.argv = {(elsewhere / "bin" / "vantor-sprint").string()};
    options.environment = {"DISPLAY=" + xServer.display(), "LIBGL_ALWAYS_SOFTWARE=1"};
    options.workingDirectory = elsewhere.string();
    options.stdoutPath = (root_ / "stdout.txt").string();
    options.stderrPath = (root_ / "stderr.txt").string();
    // A game turned away by the X server at its start (another server starting up elsewhere) is
    // launched again, as the other end-to-end tests do.
    const auto bannerPrinted = [&] {
        return fileBytes(root_ / "stdout.txt").find("VANTOR SPRINT") != std::string::npos;
    };
    bool bannerShown = false;
    for (int launch = 0; launch < GameLaunches; ++launch) {
        ASSERT_TRUE(game.start(options));
        bannerShown = waitUntil([&] { return bannerPrinted() || !game.running(); }, BannerTimeout, 100ms) &&
                      bannerPrinted();
        if (bannerShown || fileBytes(root_ / "stderr.txt").find("failed to open display") == std::string::npos)
            break;
    }
    const std::string output = fileBytes(root_ / "stdout.txt");
    ASSERT_TRUE(bannerShown) << "standard output:\n"
                             << output << "\nstandard error:\n" << fileBytes(root_ / "stderr.txt");
    EXPECT_TRUE(game.running()) << "the game ended after its banner";
    game.stop();

    // Every model was found and loaded without an error line, each printing exactly what the
    // installed checker prints for it, and nothing but the loads comes before the banner.
    std::string afterLoads;
    const std::map<std::string, std::string> gameReports = loadReports(output, &afterLoads);
    EXPECT_EQ(output.find("error"), std::string::npos) << output;
    EXPECT_NE(output.find("Completed loading model model_car.obj."), std::string::npos) << output;
    EXPECT_EQ(afterLoads.rfind("*****", 0), 0u) << "before the banner:\n" << afterLoads;
    std::vector<std::string> modelPaths = {checker.string()};
    for (const char* name : ModelNames)
        modelPaths.push_back((data / name).string());
    const CommandResult check = runCommand(modelPaths, {}, 30s);
    EXPECT_TRUE(check.succeeded()) << check.output;
    const std::map<std::string, std::string> checkReports = loadReports(check.output);
    EXPECT_EQ(checkReports.size(), std::size(ModelNames)) << check.output;
    EXPECT_EQ(gameReports.size(), std::size(ModelNames)) << output;
    for (const auto& [name, report] : checkReports) {
        const auto loaded = gameReports.find(name);
        ASSERT_NE(loaded, gameReports.end()) << name << " was not loaded:\n" << output;
        EXPECT_EQ(loaded->second, report) << name;
    }
}

} // namespace

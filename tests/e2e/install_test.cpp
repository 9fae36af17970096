// The installed game: installed into a prefix, the prefix moved, and the player's command started
// through a link from an unrelated folder must find the game and its models, and load each model
// printing what vantor-model-check prints for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "game_harness.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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
    return !error && fs::is_regular_file(status) && (status.permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// Each model's report, "Loading model NAME:" to the empty line after "Completed loading model NAME.";
// rest gets what follows the last one. Differing repeated loads map to "(differs between loads)".
std::map<std::string, std::string> loadReports(const std::string& text, std::string* rest = nullptr)
{
    std::map<std::string, std::string> reports;
    std::size_t at = 0;
    for (std::size_t start; (start = text.find("Loading model ", at)) != std::string::npos;) {
        const std::string name = text.substr(start + 14, text.find(':', start + 14) - start - 14);
        const std::size_t completed = text.find("Completed loading model " + name + ".\n\n", start);
        if (completed == std::string::npos)
            break;
        at = text.find("\n\n", completed) + 2;
        const auto [entry, first] = reports.emplace(name, text.substr(start, at - start));
        if (!first && entry->second != text.substr(start, at - start))
            entry->second = "(differs between loads)";
    }
    if (rest != nullptr)
        *rest = text.substr(at);
    return reports;
}

TEST(InstalledGame, RunsFromAnyFolderAfterItsPrefixHasMoved)
{
    std::string pattern = (fs::temp_directory_path() / "vantor-install-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> cleanup(&root, [](const fs::path* p) {
        std::error_code ignored;
        fs::remove_all(*p, ignored);
    });
    const CommandResult install =
        runCommand({VANTOR_CMAKE_COMMAND, "--install", VANTOR_BUILD_DIR, "--prefix", (root / "first").string()}, {}, 120s);
    ASSERT_TRUE(install.succeeded()) << install.output;
    const fs::path prefix = root / "moved";
    fs::rename(root / "first", prefix);

    const fs::path launcher = prefix / VANTOR_INSTALL_BIN_DIR / "vantor-sprint";
    const fs::path checker = prefix / VANTOR_INSTALL_BIN_DIR / "vantor-model-check";
    const fs::path data = prefix / VANTOR_INSTALL_DATA_DIR;
    EXPECT_TRUE(isExecutable(launcher));
    EXPECT_TRUE(isExecutable(checker));
    EXPECT_TRUE(isExecutable(prefix / VANTOR_INSTALL_GAME_DIR / "vantor-sprint"));
    std::vector<std::string> checkCommand = {checker.string()};
    for (const fs::directory_entry& shipped : fs::directory_iterator(VANTOR_DATA_DIR)) {
        EXPECT_TRUE(fileBytes(data / shipped.path().filename()) == fileBytes(shipped.path()))
            << shipped.path().filename() << " is not installed as shipped";
        if (shipped.path().extension() == ".obj")
            checkCommand.push_back((data / shipped.path().filename()).string());
    }

    // The player's command through a link in a folder that has nothing of the game; a game turned
    // away by the X server at its start is launched again, as in the other end-to-end tests.
    const fs::path elsewhere = root / "elsewhere";
    fs::create_directories(elsewhere / "bin");
    fs::create_symlink(launcher, elsewhere / "bin" / "vantor-sprint");
    XServer xServer;
    ASSERT_TRUE(xServer.start(root / "xvfb.log")) << "Xvfb did not come up";
    ChildProcess game;
    const auto bannerPrinted = [&] { return fileBytes(root / "stdout.txt").find("VANTOR SPRINT") != std::string::npos; };
    for (int launch = 0; launch < 3; ++launch) {
        ASSERT_TRUE(game.start({{(elsewhere / "bin" / "vantor-sprint").string()},
                                {"DISPLAY=" + xServer.display(), "LIBGL_ALWAYS_SOFTWARE=1"}, elsewhere.string(),
                                (root / "stdout.txt").string(), (root / "stderr.txt").string(), -1}));
        waitUntil([&] { return bannerPrinted() || !game.running(); }, 60s, 100ms);
        if (bannerPrinted() || fileBytes(root / "stderr.txt").find("failed to open display") == std::string::npos)
            break;
    }
    const std::string output = fileBytes(root / "stdout.txt");
    ASSERT_TRUE(bannerPrinted()) << "standard output:\n" << output << "\nstandard error:\n" << fileBytes(root / "stderr.txt");
    EXPECT_TRUE(game.running()) << "the game ended after its banner";
    game.stop();

    // Every model loaded without an error line, each printing exactly what the installed checker
    // prints for it, and nothing but the loads comes before the banner.
    std::string afterLoads;
    const auto gameReports = loadReports(output, &afterLoads);
    EXPECT_EQ(output.find("error"), std::string::npos) << output;
    EXPECT_EQ(afterLoads.rfind("*****", 0), 0u) << "before the banner:\n" << afterLoads;
    const CommandResult check = runCommand(checkCommand, {}, 30s);
    EXPECT_TRUE(check.succeeded()) << check.output;
    const auto checkReports = loadReports(check.output);
    EXPECT_EQ(checkReports.size(), 4u) << check.output;
    EXPECT_EQ(gameReports, checkReports) << output;
}

} // namespace

// The grapple beam in a real window: the winning run replayed by vantor-replay, with pictures just
// before the beam attaches (frame 390; it holds from frame 399) and while it pulls the car.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "game_harness.h"

namespace {

using namespace std::chrono_literals;

// The beam is added in full green; elsewhere only the yellow windows reach such a green.
int beamPixels(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::optional<Picture> p = Picture::fromPpm(bytes.str());
    if (!p)
        return -1;
    int count = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (auto c = p->colourAt(x, y); c && c->g >= 250 && c->r < 200)
                ++count;
    return count;
}

TEST(GrappleBeam, ShowsWhileItPullsTheCar)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vantor-beam-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path folder = pattern;
    for (const auto& file : std::filesystem::directory_iterator(std::filesystem::path(VANTOR_TEST_DATA) / "scene"))
        std::filesystem::copy_file(file.path(), folder / file.path().filename());
    // The run up to the second picture is all the replay needs.
    std::ifstream winningRun(std::string(VANTOR_TEST_DATA) + "/../scripts/winning_run.txt");
    std::ofstream shortRun(folder / "run.txt");
    int frames = 0;
    for (std::string line; frames < 420 && std::getline(winningRun, line);) {
        shortRun << line << '\n';
        frames += (!line.empty() && line[0] != '#') ? 1 : 0;
    }
    shortRun.close();

    XServer server;
    ASSERT_TRUE(server.start(folder / "xvfb.log"));
    const CommandResult replay = runCommand(
        {"sh", "-c", "cd '" + folder.string() + "' && exec '" VANTOR_REPLAY_PATH "' --shot 390 free.ppm --shot 420 attached.ppm run.txt"},
        {"DISPLAY=" + server.display(), "LIBGL_ALWAYS_SOFTWARE=1"}, 120s);
    server.stop();
    ASSERT_TRUE(replay.succeeded()) << replay.output;
    EXPECT_EQ(beamPixels(folder / "free.ppm"), 0);
    EXPECT_GT(beamPixels(folder / "attached.ppm"), 100);
    std::error_code ignored;
    std::filesystem::create_directories(VANTOR_E2E_PICTURES, ignored);
    std::filesystem::copy_file(folder / "attached.ppm", std::filesystem::path(VANTOR_E2E_PICTURES) / "beam-attached.ppm",
                               std::filesystem::copy_options::overwrite_existing, ignored);
    std::filesystem::remove_all(folder, ignored);
}

} // namespace

// The grapple beam in the real window: the winning run replayed with the game's own frame, and
// pictures taken just before the beam attaches and while it pulls the car.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "game_harness.h"

namespace {

using namespace std::chrono_literals;

// In the winning run the beam first holds from frame 399 on; frame 390 is still free.
constexpr int FreeFrame = 390;
constexpr int AttachedFrame = 420;

// The beam is added onto the picture in full green. Elsewhere only the glowing windows reach a
// green channel that high, and they are yellow (the sky's green is 181, the track's 215).
int beamPixels(const Picture& p)
{
    int count = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (auto c = p.colourAt(x, y); c && c->g >= 250 && c->r < 200)
                ++count;
    return count;
}

std::optional<Picture> readPicture(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return Picture::fromPpm(bytes.str());
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
    for (std::string line; frames < AttachedFrame && std::getline(winningRun, line);) {
        shortRun << line << '\n';
        frames += (!line.empty() && line[0] != '#') ? 1 : 0;
    }
    shortRun.close();
    const std::string script = (folder / "run.txt").string();

    XServer server;
    ASSERT_TRUE(server.start(folder / "xvfb.log"));
    const CommandResult replay = runCommand(
        {"sh", "-c",
         "cd '" + folder.string() + "' && exec '" VANTOR_REPLAY_PATH "' --shot " + std::to_string(FreeFrame) +
             " free.ppm --shot " + std::to_string(AttachedFrame) + " attached.ppm '" + script + "'"},
        {"DISPLAY=" + server.display(), "LIBGL_ALWAYS_SOFTWARE=1"}, 120s);
    server.stop();
    ASSERT_TRUE(replay.succeeded()) << replay.output;

    const auto free = readPicture(folder / "free.ppm");
    const auto attached = readPicture(folder / "attached.ppm");
    ASSERT_TRUE(free && attached);
    EXPECT_EQ(beamPixels(*free), 0);
    EXPECT_GT(beamPixels(*attached), 100);
    std::filesystem::create_directories(VANTOR_E2E_PICTURES);
    std::ofstream(std::filesystem::path(VANTOR_E2E_PICTURES) / "beam-attached.ppm", std::ios::binary)
        << attached->toPpm();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace

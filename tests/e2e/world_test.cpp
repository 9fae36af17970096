// The 3D scene of the real game with the small test models: sky, track, the car in front of the
// camera and its tail lights, dim in the countdown and glowing while w is held in the race.
#include <gtest/gtest.h>

#include <filesystem>

#include "game_harness.h"

namespace {

using namespace std::chrono_literals;

constexpr Rgb SkyColour = {77, 181, 255};     // (0.3, 0.71, 1.0)
constexpr Rgb TrackColour = {215, 215, 215};  // 0.843 grey
constexpr Rgb TailLightFull = {235, 83, 0};   // (0.922, 0.325, 0.0)
constexpr Rgb TailLightQuarter = {59, 21, 0}; // a quarter of it
constexpr int Tolerance = 6;

// The car sits in the middle of the view on the start pad, which reaches across just below it.
constexpr Rect AroundTheCar = {280, 190, 80, 70};
constexpr Rect MiddleOfTheSky = {300, 0, 40, 20};
constexpr Rect PadLeftOfTheCar = {100, 238, 160, 10};
constexpr Rect PadRightOfTheCar = {380, 238, 160, 10};
constexpr Rect LowerHalf = {0, 260, 640, 220};

bool carIsRed(const Picture& p)
{
    int red = 0;
    for (int y = AroundTheCar.y; y < AroundTheCar.y + AroundTheCar.height; ++y)
        for (int x = AroundTheCar.x; x < AroundTheCar.x + AroundTheCar.width; ++x)
            if (auto c = p.colourAt(x, y); c && c->r > 90 && c->g < 40 && c->b < 40 && c->r > 3 * c->g)
                ++red;
    return red > 100;
}

TEST(World, TheSceneStandsAroundTheCarAndTheTailLightsGlowWithTheKeys)
{
    GameSession game;
    for (const auto& file : std::filesystem::directory_iterator(std::filesystem::path(VANTOR_TEST_DATA) / "scene"))
        std::filesystem::copy_file(file.path(), game.workingDirectory() / file.path().filename());
    ASSERT_TRUE(game.start()) << game.failure();
    const auto waitAndSave = [&](const std::function<bool(const Picture&)>& check, const std::string& name) {
        const auto found = game.waitForPicture(check, 15s);
        if (found || game.lastPicture())
            game.savePicture(found ? *found : *game.lastPicture(), found ? name : name + "-failed");
        return found;
    };
    const auto countdown = waitAndSave(
        [](const Picture& p) {
            return p.countNear(SkyColour, Tolerance, MiddleOfTheSky) > 400 &&
                   p.countNear(TrackColour, Tolerance, PadLeftOfTheCar) > 1400 &&
                   p.countNear(TrackColour, Tolerance, PadRightOfTheCar) > 1400 && carIsRed(p);
        },
        "world-countdown");
    ASSERT_TRUE(countdown) << "no sky, track and car; see the saved picture";
    EXPECT_GT(countdown->countNear(TailLightQuarter, Tolerance, AroundTheCar), 20);
    EXPECT_EQ(countdown->countNear(TailLightFull, Tolerance, AroundTheCar), 0);
    EXPECT_EQ(countdown->countNear(SkyColour, Tolerance, LowerHalf), 0) << "the sky stays above the ground";

    // After GO, holding w lights them fully, without a break while the key repeats; the car drives
    // off but stays in the middle.
    const auto glowing = [](const Picture& p) { return p.countNear(TailLightFull, Tolerance, AroundTheCar) > 20; };
    ASSERT_TRUE(game.keyDown("w"));
    const auto racing = waitAndSave(glowing, "world-racing");
    const auto flicker = racing ? game.waitForPicture([&](const Picture& p) { return !glowing(p); }, 1500ms)
                                : std::nullopt;
    game.keyUp("w");
    ASSERT_TRUE(racing) << "the tail lights never glowed";
    EXPECT_FALSE(flicker) << "the tail lights went out while w was held";
    EXPECT_TRUE(carIsRed(*racing));
    EXPECT_EQ(racing->countNear(TailLightQuarter, Tolerance, AroundTheCar), 0);
}

} // namespace

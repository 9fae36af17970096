// The real game started with no model files: its window, its console banner, and that it keeps
// running and drawing.
#include <gtest/gtest.h>

#include <filesystem>

#include "game_harness.h"

namespace {

using namespace std::chrono_literals;

const std::string Banner = R"(***************************************************
***************    VANTOR SPRINT    ***************
***************************************************

CONTROLS:
w              Accelerate Forward
s              Accelerate Backward
a              Turn Left
d              Turn Right
Mouse Click    Activeate Grapple Beam

Note: The grapple beam will attach to the closest
      grapple point within reach.

GAMEPLAY:
Once you start the game, you're racing against
the clock. Try to complete the track as quickly
as possible!
)";

TEST(GameWindow, OpensItsWindowPrintsTheBannerAndKeepsRunning)
{
    GameSession game;
    ASSERT_TRUE(game.start()) << game.failure();
    EXPECT_EQ(game.windowTitle(), "Vantor Sprint"); // exactly: the search ignores case
    EXPECT_EQ(game.window().width, 640);
    EXPECT_EQ(game.window().height, 480);
    EXPECT_EQ(game.window().x, 100); // no window manager moves it
    EXPECT_EQ(game.window().y, 100);

    // Flushed before the main loop; model loaders may report before it, nothing after it.
    const auto endsWithBanner = [&] {
        const std::string out = game.gameOutput();
        return out.size() >= Banner.size() && out.compare(out.size() - Banner.size(), Banner.size(), Banner) == 0;
    };
    EXPECT_TRUE(waitUntil(endsWithBanner, 5s)) << "standard output was:\n" << game.gameOutput();
    EXPECT_TRUE(std::filesystem::is_empty(game.workingDirectory())) << "the game stores nothing";
    EXPECT_FALSE(waitUntil([&] { return !game.gameRunning(); }, 2s)) << "the game ended";

    // Text in the text colour (the countdown or the clock), all of it inside the window.
    const std::optional<Picture> picture = game.takePicture();
    ASSERT_TRUE(picture.has_value()) << "no screenshot";
    game.savePicture(*picture, "window_after_two_seconds");
    const int inWindow = picture->countNear({255, 94, 0}, 12, {0, 0, 640, 480});
    EXPECT_GT(inWindow, 0);
    EXPECT_EQ(picture->countNear({255, 94, 0}, 12, {-game.window().x, -game.window().y, 1024, 768}), inWindow);
}

} // namespace

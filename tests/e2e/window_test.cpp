// The real game started with no model files: its window, its console banner, and that it keeps
// running and drawing.
#include <gtest/gtest.h>

#include <filesystem>

#include "game_harness.h"

namespace {

using namespace std::chrono_literals;

// The banner as a player reads it on the console, written out here line by line.
std::string expectedBanner()
{
    const char* const lines[] = {
        "***************************************************\n",
        "***************    VANTOR SPRINT    ***************\n",
        "***************************************************\n\n",
        "CONTROLS:\n",
        "w              Accelerate Forward\n",
        "s              Accelerate Backward\n",
        "a              Turn Left\n",
        "d              Turn Right\n",
        "Mouse Click    Activeate Grapple Beam\n\n",
        "Note: The grapple beam will attach to the closest\n",
        "      grapple point within reach.\n\n",
        "GAMEPLAY:\n",
        "Once you start the game, you're racing against\n",
        "the clock. Try to complete the track as quickly\n",
        "as possible!\n",
    };
    std::string banner;
    for (const char* line : lines)
        banner += line;
    return banner;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(GameWindow, OpensItsWindowPrintsTheBannerAndKeepsRunning)
{
    GameSession game;
    ASSERT_TRUE(game.start()) << game.failure();

    EXPECT_EQ(game.windowTitle(), "Vantor Sprint"); // exactly: the search itself ignores case
    EXPECT_EQ(game.window().width, 640);
    EXPECT_EQ(game.window().height, 480);
    // With no window manager to move it, the window stays where the game asked.
    EXPECT_EQ(game.window().x, 100);
    EXPECT_EQ(game.window().y, 100);

    // The banner is flushed before the main loop starts, so it is complete once the window shows;
    // the wait only covers a slow file system. Model loaders may report before it, never after.
    const std::string banner = expectedBanner();
    EXPECT_TRUE(waitUntil([&] { return endsWith(game.gameOutput(), banner); }, 5s))
        << "standard output was:\n" << game.gameOutput();
    // The game stores nothing: its working directory stays as empty as it was.
    EXPECT_TRUE(std::filesystem::is_empty(game.workingDirectory()));

    // Still up two seconds later: the countdown's timers and the frame loop keep it alive.
    EXPECT_FALSE(waitUntil([&] { return !game.gameRunning(); }, 2s)) << "the game ended";
    EXPECT_TRUE(game.gameRunning());

    const std::optional<Picture> picture = game.takePicture();
    ASSERT_TRUE(picture.has_value()) << "no screenshot";
    game.savePicture(*picture, "window_after_two_seconds");
    // Whatever the phase, some text is on screen in the text colour (the countdown or the clock),
    // and all of it lies inside the game window.
    const Rgb textColour = {255, 94, 0};
    const Rect wholeWindow = {0, 0, 640, 480};
    const Rect wholeScreen = {-game.window().x, -game.window().y, 4096, 4096};
    const int inWindow = picture->countNear(textColour, 12, wholeWindow);
    EXPECT_GT(inWindow, 0);
    EXPECT_EQ(picture->countNear(textColour, 12, wholeScreen), inWindow);
}

} // namespace

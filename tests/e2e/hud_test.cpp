// The on-screen text of the real game, seen in screenshots: the countdown, "GO!" and the running
// clock, the disqualification screen, and the restart with the space bar.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "game_harness.h"

namespace {

using namespace std::chrono_literals;

// All text glows in one flat colour; nothing else in the scene comes this close to it.
constexpr Rgb TextColour = {255, 94, 0};
constexpr int Tolerance = 12;

// Each text item has an orthographic projection of its own, 4 x size by 3 x size units over the
// whole 640 x 480 viewport, with y up from the bottom. Letters and digits stand about 100 units
// tall on the baseline, and descenders reach about 33 units below it.
constexpr int ViewportWidth = 640;
constexpr int ViewportHeight = 480;

int toPixelsX(double units, int size) { return static_cast<int>(std::lround(units * ViewportWidth / (4.0 * size))); }
int toPixelsY(double units, int size)
{
    return static_cast<int>(std::lround(ViewportHeight - units * ViewportHeight / (3.0 * size)));
}

// The window rectangle over x from left to right and y from low to high, in projection units.
Rect textBand(double left, double right, double low, double high, int size)
{
    const int x0 = toPixelsX(left, size);
    const int top = toPixelsY(high, size);
    return {x0, top, toPixelsX(right, size) - x0, toPixelsY(low, size) - top};
}

// The countdown (size 200, baseline at y 135): the digits start between x 360 and 370 and are
// under 75 units wide; "GO!" starts at 295 and is more than twice as wide as a digit, so it shows
// both left and right of where any digit can be.
constexpr int CountdownSize = 200;
const Rect DigitBox = textBand(355, 445, 130, 245, CountdownSize);
const Rect DigitTop = textBand(355, 445, 223, 245, CountdownSize);
const Rect DigitBase = textBand(355, 445, 130, 147, CountdownSize);
const Rect LeftOfDigits = textBand(295, 350, 130, 245, CountdownSize);
const Rect RightOfDigits = textBand(450, 500, 130, 245, CountdownSize);
const Rect CountdownBand = textBand(290, 500, 130, 245, CountdownSize);
// The running clock (size 700) starts at (2200, 1900) and runs toward the right edge.
const Rect ClockBox = textBand(2180, 2800, 1880, 2020, 700);
// The disqualification line (size 500) starts at (150, 800) and spans most of the width.
const Rect DisqualifiedBand = textBand(150, 1850, 760, 915, 500);
// The prompt to try again (size 700) starts at (400, 300), small near the bottom.
const Rect PromptBand = textBand(380, 2400, 260, 415, 700);

// Enough pixels for a stroke, not a stray one.
constexpr int SomeText = 20;

int textPixels(const Picture& p, Rect area) { return p.countNear(TextColour, Tolerance, area); }
bool hasText(const Picture& p, Rect area) { return textPixels(p, area) >= SomeText; }
bool isClear(const Picture& p, Rect area) { return textPixels(p, area) == 0; }

Rect thirdOf(Rect band, int third)
{
    const int width = band.width / 3;
    return {band.x + third * width, band.y, width, band.height};
}

bool digitShown(const Picture& p)
{
    return hasText(p, DigitBox) && isClear(p, LeftOfDigits) && isClear(p, RightOfDigits);
}

bool goShown(const Picture& p) { return hasText(p, LeftOfDigits) && hasText(p, RightOfDigits); }

// Spread across the middle: text in each third of the band, not a short word in one place.
bool disqualificationShown(const Picture& p)
{
    return hasText(p, thirdOf(DisqualifiedBand, 0)) && hasText(p, thirdOf(DisqualifiedBand, 1)) &&
           hasText(p, thirdOf(DisqualifiedBand, 2));
}

// In the stroke font the 3 is capped by a flat bar as wide as most of the digit and ends in a
// narrower curve, while the 2 stands on a flat base wider than its top, and the 1 is a single
// narrow stroke.
bool looksLikeThree(const Picture& p)
{
    const int topBar = p.widestRunNear(TextColour, Tolerance, DigitTop);
    const int base = p.widestRunNear(TextColour, Tolerance, DigitBase);
    return topBar >= toPixelsX(35, CountdownSize) && topBar > base;
}

bool sameIn(const Picture& a, const Picture& b, Rect area)
{
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (!nearColour(a.colourAt(x, y).value_or(Rgb{}), b.colourAt(x, y).value_or(Rgb{}), 0))
                return false;
    return true;
}

// The first countdown digit is up for one second from the start of the countdown, which the game
// begins only after it started; a picture finished sooner than this after the start must show it.
constexpr auto SureToSeeTheFirstDigit = 900ms;

// Generous: the machine may be busy with other tests, and the game runs on real time.
constexpr auto Patience = 15s;
// How long the space bar is held down before it is released.
constexpr auto HeldSpace = 1s;

struct Started {
    std::unique_ptr<GameSession> game;
    std::optional<Picture> firstDigit; // the first picture with a countdown digit in it
    Milliseconds takenAfter{};         // how long after the game's start it was taken
};

// Starts the game and catches its first countdown digit; a try in which the machine was too slow
// to take a picture within the first second is started again, a few times at most.
Started startAndCatchFirstDigit()
{
    Started s;
    for (int attempt = 0; attempt < 3; ++attempt) {
        s.game = std::make_unique<GameSession>();
        if (!s.game->start())
            return s;
        s.firstDigit = s.game->waitForPicture([](const Picture& p) { return hasText(p, DigitBox); }, Patience);
        s.takenAfter = s.game->sinceGameStarted();
        if (!s.firstDigit || s.takenAfter < SureToSeeTheFirstDigit)
            return s;
    }
    return s;
}

class HudText : public ::testing::Test {
protected:
    std::unique_ptr<GameSession> game;

    // Why a picture may not have come: a game that died, or a machine too busy to look often.
    std::string why() const
    {
        const std::string state =
            game->gameRunning() ? "the game still runs" : "the game has ended: " + game->gameErrors();
        return " (" + state + "; " + game->lastWaitSummary() + ")";
    }

    // Waits for a picture that passes the check and saves it under the name; when none comes, the
    // last one taken is saved instead, for a person to see what was on screen.
    std::optional<Picture> waitFor(const std::function<bool(const Picture&)>& check, const std::string& name)
    {
        const std::optional<Picture> found = game->waitForPicture(check, Patience);
        if (found)
            game->savePicture(*found, name);
        else if (game->lastPicture())
            game->savePicture(*game->lastPicture(), name + "_missed");
        return found;
    }

    void startAtThree()
    {
        Started s = startAndCatchFirstDigit();
        game = std::move(s.game);
        ASSERT_TRUE(game->failure().empty()) << game->failure();
        ASSERT_EQ(game->window().width, ViewportWidth);
        ASSERT_EQ(game->window().height, ViewportHeight);
        ASSERT_TRUE(s.firstDigit.has_value()) << "no countdown digit low in the middle" << why();
        game->savePicture(*s.firstDigit, "hud_countdown_start");
        ASSERT_LT(s.takenAfter, SureToSeeTheFirstDigit) << "the machine is too busy to catch the first second";
        EXPECT_TRUE(digitShown(*s.firstDigit)) << "a single digit, not GO!";
        EXPECT_TRUE(looksLikeThree(*s.firstDigit)) << "the countdown starts at 3";
        EXPECT_TRUE(isClear(*s.firstDigit, ClockBox)) << "no clock before the race";
    }
};

TEST_F(HudText, CountdownThenGoThenTheRunningClock)
{
    ASSERT_NO_FATAL_FAILURE(startAtThree());

    const std::optional<Picture> go =
        waitFor([](const Picture& p) { return goShown(p) && hasText(p, ClockBox); }, "hud_go_and_clock");
    ASSERT_TRUE(go.has_value()) << "no GO! with the clock" << why();
    EXPECT_GE(game->sinceGameStarted(), 3000ms) << "GO! came before three seconds of countdown";

    // The clock runs: its digits change while GO! is still up or soon after.
    const std::optional<Picture> later =
        waitFor([&](const Picture& p) { return hasText(p, ClockBox) && !sameIn(p, *go, ClockBox); }, "hud_clock_later");
    EXPECT_TRUE(later.has_value()) << "the clock does not move" << why();

    // A second after GO! only the clock is left.
    const std::optional<Picture> clockOnly =
        waitFor([](const Picture& p) { return isClear(p, CountdownBand) && hasText(p, ClockBox); }, "hud_clock_only");
    ASSERT_TRUE(clockOnly.has_value()) << "GO! does not go away" << why();
    EXPECT_TRUE(isClear(*clockOnly, DisqualifiedBand)) << "the race goes on while the car stands";
}

TEST_F(HudText, BackingOffTheStartDisqualifiesAndReleasingSpaceRestarts)
{
    ASSERT_NO_FATAL_FAILURE(startAtThree());
    // The clock shows that the race is on, for as long as it lasts.
    ASSERT_TRUE(waitFor([](const Picture& p) { return hasText(p, ClockBox); }, "hud_racing").has_value())
        << "the race does not start" << why();

    // The car starts on the last row of blocks: backing up drops it off the track behind.
    ASSERT_TRUE(game->keyDown("s"));
    const std::optional<Picture> out = waitFor(disqualificationShown, "hud_disqualified");
    ASSERT_TRUE(game->keyUp("s"));
    ASSERT_TRUE(out.has_value()) << "no disqualification line across the middle" << why();
    EXPECT_TRUE(hasText(*out, PromptBand)) << "the prompt to try again";
    EXPECT_TRUE(isClear(*out, ClockBox)) << "no clock on the end screen";
    EXPECT_TRUE(isClear(*out, CountdownBand)) << "no countdown on the end screen";

    // Pressing the space bar is not enough: the game restarts when it is released. A second of
    // pictures gives the game time for many frames, even on a busy machine.
    ASSERT_TRUE(game->keyDown("space"));
    const std::optional<Picture> restartedEarly =
        game->waitForPicture([](const Picture& p) { return !disqualificationShown(p); }, HeldSpace);
    EXPECT_FALSE(restartedEarly.has_value()) << "restarted on the press of the space bar";

    const auto released = std::chrono::steady_clock::now();
    ASSERT_TRUE(game->keyUp("space"));
    const std::optional<Picture> again =
        waitFor([](const Picture& p) { return digitShown(p) && isClear(p, DisqualifiedBand); }, "hud_restarted");
    const auto after = std::chrono::steady_clock::now() - released;
    ASSERT_TRUE(again.has_value()) << "no new countdown after the space bar" << why();
    EXPECT_TRUE(isClear(*again, PromptBand));
    EXPECT_TRUE(isClear(*again, ClockBox));
    // Only a picture taken within the new countdown's first second can be sure to show its 3.
    if (after < SureToSeeTheFirstDigit) {
        EXPECT_TRUE(looksLikeThree(*again)) << "the new countdown starts at 3";
    }
}

} // namespace

// The on-screen text of the real game in screenshots: the countdown, "GO!" and the running clock,
// the disqualification screen, and the restart with the space bar.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "game_harness.h"

namespace {

using namespace std::chrono_literals;

constexpr Rgb TextColour = {255, 94, 0}; // nothing else in the scene comes this close
constexpr int Tolerance = 12;

// Each text item has its own orthographic projection, 4 x size by 3 x size units over the
// 640 x 480 viewport, y up; this gives the window rectangle of a band in those units.
Rect textBand(double left, double right, double low, double high, int size)
{
    const auto px = [&](double u) { return static_cast<int>(std::lround(u * 640 / (4.0 * size))); };
    const auto py = [&](double u) { return static_cast<int>(std::lround(480 - u * 480 / (3.0 * size))); };
    return {px(left), py(high), px(right) - px(left), py(low) - py(high)};
}

// Countdown digits (size 200) start between x 360 and 370 and are under 75 wide; "GO!" starts at
// 295 and is more than twice as wide, so it shows both left and right of any digit.
const Rect DigitBox = textBand(355, 445, 130, 245, 200);
const Rect DigitTop = textBand(355, 445, 223, 245, 200);
const Rect DigitBase = textBand(355, 445, 130, 147, 200);
const Rect LeftOfDigits = textBand(295, 350, 130, 245, 200);
const Rect RightOfDigits = textBand(450, 500, 130, 245, 200);
const Rect CountdownBand = textBand(290, 500, 130, 245, 200);
const Rect ClockBox = textBand(2180, 2800, 1880, 2020, 700);
const Rect DisqualifiedBand = textBand(150, 1850, 760, 915, 500);
const Rect PromptBand = textBand(380, 2400, 260, 415, 700);

bool hasText(const Picture& p, Rect area) { return p.countNear(TextColour, Tolerance, area) >= 20; }
bool isClear(const Picture& p, Rect area) { return p.countNear(TextColour, Tolerance, area) == 0; }
bool digitShown(const Picture& p) { return hasText(p, DigitBox) && isClear(p, LeftOfDigits) && isClear(p, RightOfDigits); }
bool goShown(const Picture& p) { return hasText(p, LeftOfDigits) && hasText(p, RightOfDigits); }

// Text in each third of the band, not a short word in one place.
bool disqualificationShown(const Picture& p)
{
    const int third = DisqualifiedBand.width / 3;
    for (int i = 0; i < 3; ++i)
        if (!hasText(p, {DisqualifiedBand.x + i * third, DisqualifiedBand.y, third, DisqualifiedBand.height}))
            return false;
    return true;
}

// The stroke font's 3 is capped by a flat bar wider than its base; the 2 stands on a wider base
// and the 1 is a single narrow stroke.
bool looksLikeThree(const Picture& p)
{
    const int topBar = p.widestRunNear(TextColour, Tolerance, DigitTop);
    return topBar >= 28 && topBar > p.widestRunNear(TextColour, Tolerance, DigitBase);
}

bool sameIn(const Picture& a, const Picture& b, Rect area)
{
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (!nearColour(a.colourAt(x, y).value_or(Rgb{}), b.colourAt(x, y).value_or(Rgb{}), 0))
                return false;
    return true;
}

// A picture finished sooner than this after the start must show the first digit, which is up for
// the countdown's first second.
constexpr auto SureToSeeTheFirstDigit = 900ms;
constexpr auto Patience = 15s;

class HudText : public ::testing::Test {
protected:
    std::unique_ptr<GameSession> game;

    std::string why() { return game->gameRunning() ? " (the game still runs)" : " (the game ended: " + game->gameErrors() + ")"; }

    // Waits for a matching picture and saves it; when none comes, saves the last one taken.
    std::optional<Picture> waitFor(const std::function<bool(const Picture&)>& check, const std::string& name)
    {
        const std::optional<Picture> found = game->waitForPicture(check, Patience);
        if (found || game->lastPicture())
            game->savePicture(found ? *found : *game->lastPicture(), found ? name : name + "_missed");
        return found;
    }

    // Starts the game and catches its first digit; a start where the machine was too slow to take a
    // picture in the first second is tried again, a few times at most.
    void startAtThree()
    {
        std::optional<Picture> first;
        for (int attempt = 0; attempt < 3; ++attempt) {
            game = std::make_unique<GameSession>();
            ASSERT_TRUE(game->start()) << game->failure();
            first = game->waitForPicture([](const Picture& p) { return hasText(p, DigitBox); }, Patience);
            if (!first || game->sinceGameStarted() < SureToSeeTheFirstDigit)
                break;
        }
        ASSERT_EQ(game->window().width, 640);
        ASSERT_EQ(game->window().height, 480);
        ASSERT_TRUE(first.has_value()) << "no countdown digit" << why();
        game->savePicture(*first, "hud_countdown_start");
        ASSERT_LT(game->sinceGameStarted(), SureToSeeTheFirstDigit) << "the machine is too busy";
        EXPECT_TRUE(digitShown(*first)) << "a single digit, not GO!";
        EXPECT_TRUE(looksLikeThree(*first)) << "the countdown starts at 3";
        EXPECT_TRUE(isClear(*first, ClockBox)) << "no clock before the race";
    }
};

TEST_F(HudText, CountdownThenGoThenTheRunningClock)
{
    ASSERT_NO_FATAL_FAILURE(startAtThree());
    const auto go = waitFor([](const Picture& p) { return goShown(p) && hasText(p, ClockBox); }, "hud_go_and_clock");
    ASSERT_TRUE(go.has_value()) << "no GO! with the clock" << why();
    EXPECT_GE(game->sinceGameStarted(), 3000ms) << "GO! before three seconds of countdown";
    EXPECT_TRUE(waitFor([&](const Picture& p) { return hasText(p, ClockBox) && !sameIn(p, *go, ClockBox); }, "hud_clock_later"))
        << "the clock does not move" << why();
    const auto clockOnly = waitFor([](const Picture& p) { return isClear(p, CountdownBand) && hasText(p, ClockBox); }, "hud_clock_only");
    ASSERT_TRUE(clockOnly.has_value()) << "GO! does not go away" << why();
    EXPECT_TRUE(isClear(*clockOnly, DisqualifiedBand)) << "the race goes on while the car stands";
}

TEST_F(HudText, BackingOffTheStartDisqualifiesAndReleasingSpaceRestarts)
{
    ASSERT_NO_FATAL_FAILURE(startAtThree());
    ASSERT_TRUE(waitFor([](const Picture& p) { return hasText(p, ClockBox); }, "hud_racing")) << "no race" << why();
    ASSERT_TRUE(game->keyDown("s")); // the car starts on the last row: backing up drops it off
    const auto out = waitFor(disqualificationShown, "hud_disqualified");
    ASSERT_TRUE(game->keyUp("s"));
    ASSERT_TRUE(out.has_value()) << "no disqualification line" << why();
    EXPECT_TRUE(hasText(*out, PromptBand)) << "the prompt to try again";
    EXPECT_TRUE(isClear(*out, ClockBox));
    EXPECT_TRUE(isClear(*out, CountdownBand));

    // Pressing space is not enough: two seconds of pictures while it is held, long enough for the
    // key to auto-repeat, show no restart.
    ASSERT_TRUE(game->keyDown("space"));
    EXPECT_FALSE(game->waitForPicture([](const Picture& p) { return !disqualificationShown(p); }, 2s))
        << "restarted while the space bar was held";
    const auto released = std::chrono::steady_clock::now();
    ASSERT_TRUE(game->keyUp("space"));
    const auto again = waitFor([](const Picture& p) { return digitShown(p) && isClear(p, DisqualifiedBand); }, "hud_restarted");
    const bool quick = std::chrono::steady_clock::now() - released < SureToSeeTheFirstDigit;
    ASSERT_TRUE(again.has_value()) << "no new countdown after the space bar" << why();
    EXPECT_TRUE(isClear(*again, PromptBand));
    EXPECT_TRUE(isClear(*again, ClockBox));
    EXPECT_TRUE(!quick || looksLikeThree(*again)) << "the new countdown starts at 3";
}

} // namespace

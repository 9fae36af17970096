// The on-screen text.
#include "game/hud.h"

#include <GL/glut.h>

#include <cstdio>

#include "game/clock.h"
#include "game/frame.h"
#include "game/race_flow.h"
#include "sim/glow_material.h"

namespace {

constexpr Vec3 textColor = {1.0f, 0.369f, 0.0f};

// The longest time the display can show, 99:59.99.
constexpr float MaxShownTimeMs = 5999999.0f;

// One text item: the font's line width, the projection size (a smaller projection makes larger
// letters) and where the baseline starts, in projection units from the viewport's bottom left.
struct TextItem {
    float lineWidth;
    int size;
    float x;
    float y;
};

constexpr TextItem CountdownThree = {3.5f, 200, 360.0f, 135.0f};
constexpr TextItem CountdownTwo = {3.5f, 200, 365.0f, 135.0f};
constexpr TextItem CountdownOne = {3.5f, 200, 370.0f, 135.0f};
constexpr TextItem CountdownGo = {3.5f, 200, 295.0f, 135.0f};
constexpr TextItem RaceTime = {1.5f, 700, 2200.0f, 1900.0f};
constexpr TextItem WinTitle = {5.0f, 200, 100.0f, 385.0f};
constexpr TextItem WinTime = {5.0f, 300, 150.0f, 345.0f};
constexpr TextItem DisqualifiedLine = {2.0f, 500, 150.0f, 800.0f};
constexpr TextItem RestartPrompt = {1.5f, 700, 400.0f, 300.0f};

void endHudProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// The line width and the text material stay in force afterwards; both matrices are restored.
void drawTextItem(const TextItem& item, const char* text)
{
    glLineWidth(item.lineWidth);
    beginHudProjection(item.size);
    glPushMatrix();
        glLoadIdentity();
        drawStrokeText(text, item.x, item.y, 0.0f);
    glPopMatrix();
    endHudProjection();
}

} // namespace

void beginHudProjection(int size)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, static_cast<double>(ratioWidth * size), 0.0, static_cast<double>(ratioHeight * size));
    glMatrixMode(GL_MODELVIEW);
}

void drawStrokeText(const char* text, float x, float y, float z)
{
    glPushMatrix();
        setGlowMaterial(textColor);
        glTranslatef(x, y, z);
        // Each character advances the modelview matrix by its own width.
        for (const char* c = text; *c != '\0'; ++c)
            glutStrokeCharacter(GLUT_STROKE_ROMAN, static_cast<unsigned char>(*c));
    glPopMatrix();
}

std::string formatRaceTime(std::uint32_t ms, const char* prefix)
{
    float t = static_cast<float>(ms);
    if (t > MaxShownTimeMs)
        t = MaxShownTimeMs;
    const double time = t;
    const int minutes = static_cast<int>(time / 1000.0 / 60.0);
    const int totalSeconds = static_cast<int>(time / 1000.0);
    const int seconds = totalSeconds - 60 * minutes;
    const int hundredths = static_cast<int>(time / 10.0) - 100 * totalSeconds;
    char text[64];
    std::snprintf(text, sizeof text, "%s%02d:%02d.%02d", prefix, minutes, seconds, hundredths);
    return text;
}

void drawCountdown()
{
    switch (gameState.countdown) {
    case 3: drawTextItem(CountdownThree, "3"); break;
    case 2: drawTextItem(CountdownTwo, "2"); break;
    case 1: drawTextItem(CountdownOne, "1"); break;
    case 0: drawTextItem(CountdownGo, "GO!"); break;
    default: break; // -1: nothing, not even the line width
    }
}

void drawRaceTime()
{
    // The unsigned difference is the true time also when the counter wrapped during the race;
    // only a reading before the start would give a huge time, shown as 99:59.99.
    const std::uint32_t ms = static_cast<std::uint32_t>(elapsedMs()) - gameState.raceStartMs;
    drawTextItem(RaceTime, formatRaceTime(ms, "").c_str());
}

void drawEndScreen()
{
    if (gameState.phase == RacePhase::Won) {
        drawTextItem(WinTitle, "YOU WIN!");
        const std::uint32_t ms = gameState.raceEndMs - gameState.raceStartMs;
        drawTextItem(WinTime, formatRaceTime(ms, "Time: ").c_str());
    }
    if (gameState.phase == RacePhase::Disqualified)
        drawTextItem(DisqualifiedLine, "You have been disqualified.");
    drawTextItem(RestartPrompt, "Press spacebar to try again!");
}

// Whole frames as the game draws them, on a real context with the small test scene: where each
// model stands, the tail lights, each block of the track, the text of every phase, and the OpenGL
// state a frame leaves behind.
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include "../unit/game_support.h"
#include "../unit/reader_test_support.h"
#include "assets/model_loader.h"
#include "game/startup.h"
#include "gl_fixture.h"
#include "sim/track.h"
#include "sim/world_draw.h"

namespace {

constexpr Rgb TextColour = {255, 94, 0};
constexpr Rgb TailLights[] = {{59, 21, 0}, {118, 41, 0}, {235, 83, 0}}; // a quarter, half, full

struct Rect {
    int x, y, width, height;
};
// A band of text in the units of its projection, 4 x size by 3 x size over the 640 x 480 view.
Rect textBand(double left, double right, double low, double high, int size)
{
    const auto px = [&](double u) { return static_cast<int>(std::lround(u * 640 / (4.0 * size))); };
    const auto py = [&](double u) { return static_cast<int>(std::lround(u * 480 / (3.0 * size))); };
    return {px(left), py(low), px(right) - px(left), py(high) - py(low)};
}
int count(Rgb colour, Rect r, int tolerance = 12) { return countNear(colour, tolerance, r.x, r.y, r.width, r.height); }
bool hasText(Rect r) { return count(TextColour, r) >= 20; }

class Frame : public GlTest {
protected:
    // The game's scene, loaded as start-up loads it; the models stay loaded for the rest of the
    // run, as the game's do.
    static void SetUpTestSuite()
    {
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(std::string(VANTOR_TEST_DATA) + "/scene");
        captureStdout(loadScene);
        std::filesystem::current_path(previous);
    }
    void SetUp() override
    {
        GlTest::SetUp();
        startFreshGame();
        reshape(640, 480);
        gameState.frameDeltaMs = 16;
    }
};

// The matrices a model's base pass was drawn with, each column by column.
std::vector<const float*> drawsOf(const Model& model)
{
    std::vector<const float*> draws;
    for (const ListCall& call : listCalls)
        if (call.list == model.materials[0].faceList)
            draws.push_back(call.m);
    return draws;
}

void expectColumn(const float* m, int column, double x, double y, double z, const char* what)
{
    const float* c = m + 4 * column;
    EXPECT_TRUE(std::abs(c[0] - x) < 1e-3 && std::abs(c[1] - y) < 1e-3 && std::abs(c[2] - z) < 1e-3)
        << what << ": " << c[0] << " " << c[1] << " " << c[2] << ", not " << x << " " << y << " " << z;
}

TEST_F(Frame, EveryModelStandsWhereTheSimulationPutsIt)
{
    car.position = {12.0f, 30.0f, 900.0f, 1.0f};
    car.orientation.y = 30.0f;
    car.orientation.z = 5.0f;
    car.steer = 0.5f;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    listCalls.clear();
    recordListCalls = true;
    drawWorld();
    recordListCalls = false;

    // The car's own +z along its heading, its up leaning about that axis by the steering's 12.5
    // degrees less its roll of 5; the ground under the car at height 0, unturned; each grapple
    // point at its place.
    const double h = 30.0 * M_PI / 180.0, lean = 7.5 * M_PI / 180.0;
    ASSERT_TRUE(!drawsOf(carModel).empty() && !drawsOf(groundBlockModel).empty());
    for (const float* m : drawsOf(carModel)) {
        expectColumn(m, 3, 12.0, 30.0, 900.0, "car origin");
        expectColumn(m, 2, -std::sin(h), 0.0, std::cos(h), "car forward");
        expectColumn(m, 1, -std::sin(lean) * std::cos(h), std::cos(lean), -std::sin(lean) * std::sin(h), "car up");
    }
    expectColumn(drawsOf(groundBlockModel)[0], 3, 12.0, 0.0, 900.0, "ground origin");
    expectColumn(drawsOf(groundBlockModel)[0], 0, 1.0, 0.0, 0.0, "ground x");
    for (int slot = 0; slot < GrapplePointCount; ++slot) {
        const Vec4& p = grapplePoints[slot].position;
        ASSERT_EQ(drawsOf(grapplePoints[slot].model).size(), 1u);
        expectColumn(drawsOf(grapplePoints[slot].model)[0], 3, p.x, p.y, p.z, "grapple point");
    }
    // Two rows of 125 buildings, 400 apart beside the track, each with its own +z facing the track.
    std::set<std::tuple<long, long, long, long>> buildings, expected; // x, y, z, the x of its +z axis
    for (const float* m : drawsOf(buildingsModel)) {
        expectColumn(m, 1, 0.0, 1.0, 0.0, "building up");
        buildings.insert({std::lround(m[12]), std::lround(m[13]), std::lround(m[14]), std::lround(m[8])});
    }
    for (long k = 0; k < 125; ++k) {
        expected.insert({-200, 0, 400 * (k + 1), 1});
        expected.insert({200, 0, 400 * k, -1});
    }
    EXPECT_TRUE(buildings == expected) << buildings.size() << " buildings, not where they belong";
}

TEST_F(Frame, TailLightsGlowByTheKeysOnlyWhileRacingFreeAndTheBeamShowsWhileAttached)
{
    const struct {
        RacePhase phase;
        bool w, s, attached;
        int strength; // index into TailLights
    } cases[] = {
        {RacePhase::Racing, true, false, false, 2},    {RacePhase::Racing, true, true, false, 2},
        {RacePhase::Racing, false, true, false, 1},    {RacePhase::Racing, false, false, false, 0},
        {RacePhase::Countdown, true, false, false, 0}, {RacePhase::Disqualified, true, false, false, 0},
        {RacePhase::Racing, true, false, true, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        gameState.phase = c.phase;
        input = {c.w, c.s, false, false, c.attached};
        car.grappleAttached = c.attached;
        car.anchor = {-2.0f, 100.0f, 2350.0f, 1.0f};
        runFrame(true);
        // The two panels, and the beam to a point straight ahead, are mirror images across the
        // middle of the picture, which the camera behind the car looks down.
        for (int strength = 0; strength < 3; ++strength) {
            const int left = count(TailLights[strength], {280, 220, 40, 70}, 6), right = count(TailLights[strength], {320, 220, 40, 70}, 6);
            EXPECT_TRUE(strength == c.strength ? left > 10 && std::abs(left - right) <= 2 : left + right == 0)
                << "case " << &c - cases << ": " << left << " and " << right << " pixels of strength " << strength;
        }
        // The beam is added onto the picture: full green where nothing else in the scene is.
        const std::vector<unsigned char> picture = pixelsOf(0, 0, 640, 480);
        int beam[2] = {};
        for (std::size_t i = 0; i < picture.size(); i += 3)
            beam[i / 3 % 640 >= 320] += picture[i + 1] >= 250 && picture[i] < 200;
        EXPECT_TRUE(c.attached ? beam[0] > 10 && std::abs(beam[0] - beam[1]) <= 2 : beam[0] + beam[1] == 0)
            << "case " << &c - cases << ": " << beam[0] << " and " << beam[1] << " beam pixels";
        // A green left current would tint every glowing window of the next frame's models.
        float colour[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 1.0f && colour[2] == 1.0f) << "the current colour changed";
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "case " << &c - cases << " left blending on";
    }
}

// The window's own frame measures the time since the one before, which is the next frame's step.
TEST_F(Frame, TheWindowsFrameTimesTheNextStep)
{
    frame();
    simClockAdvance(37);
    frame();
    EXPECT_EQ(gameState.frameDeltaMs, 37);
}

// Seen straight down, each ground cell is covered once, exactly: column c from x = 192 - 4c to
// 196 - 4c, row r from z = 100 (499 - r) up by 100, the start row and the far end included.
TEST_F(Frame, EveryGroundCellIsDrawnOnceOverItsCell)
{
    // World x and z straight to the window: x + 200 across and z / 10 up.
    const float worldToWindow[16] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0.1f, 0, 0, 0, 0, 0, 1};
    glViewport(0, 0, 400, 10 * TrackRows);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-200, 200, 0, 10 * TrackRows, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(worldToWindow);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    drawTrack();
    glEndList();
    // By row and column, the area covered and the bounds of what covers it (left, right, near, far),
    // which come back snapped to a fine grid.
    using Cover = std::array<double, 5>;
    constexpr Cover Nothing = {0, 1e9, -1e9, 1e9, -1e9};
    std::map<std::pair<int, int>, Cover> covered;
    for (const FedPrimitive& p : feedbackOf(list)) {
        Cover c = Nothing;
        for (std::size_t i = 0; i < p.vertices.size(); ++i) {
            const FedVertex &a = p.vertices[i], &b = p.vertices[(i + 1) % p.vertices.size()];
            c = {c[0] + (a.x * b.y - b.x * a.y) / 2, std::min<double>(c[1], a.x), std::max<double>(c[2], a.x),
                 std::min<double>(c[3], a.y), std::max<double>(c[4], a.y)};
        }
        const int row = TrackRows - 1 - static_cast<int>(std::floor((c[3] + c[4]) / 20));
        Cover& cell = covered.try_emplace({row, static_cast<int>(std::floor((396 - (c[1] + c[2]) / 2) / 4))}, Nothing).first->second;
        cell = {cell[0] + std::abs(c[0]), std::min(cell[1], c[1]), std::max(cell[2], c[2]), std::min(cell[3], c[3]), std::max(cell[4], c[4])};
    }
    std::size_t cells = 0;
    for (int row = 0; row < TrackRows; ++row)
        for (int column = 0; column < TrackColumns; ++column) {
            if (trackMap.rows[row][column] != '1')
                continue;
            ++cells;
            const Cover expected = {40, 392.0 - 4 * column, 396.0 - 4 * column, 10.0 * (499 - row), 10.0 * (500 - row)};
            const Cover& got = covered[{row, column}]; // all zero where nothing covers the cell
            for (int i = 0; i < 5; ++i)
                EXPECT_NEAR(got[i], expected[i], i == 0 ? 0.1 : 0.02) << "row " << row << ", column " << column << ", value " << i;
        }
    EXPECT_EQ(covered.size(), cells) << "quads off the ground cells";
    glDeleteLists(list, 1);
}

// The text of each phase in its place, and after every frame: the projection as it was, the
// camera's view current, the stacks balanced, blending off and the last text item's line width.
TEST_F(Frame, EachPhaseShowsItsTextAndTheFrameLeavesTheStateAsItWas)
{
    const Rect digits = textBand(355, 445, 130, 245, 200), leftOfDigits = textBand(295, 350, 130, 245, 200),
               rightOfDigits = textBand(450, 500, 130, 245, 200), clock = textBand(2180, 2800, 1880, 2020, 700),
               winTitle = textBand(100, 700, 385, 500, 200), winTime = textBand(150, 1000, 345, 440, 300),
               disqualified = textBand(150, 1850, 760, 915, 500), prompt = textBand(380, 2400, 260, 415, 700);
    // The perspective: 45 degrees high, 4:3, from 1 to 10000 units away.
    float projection[16], after[16], view[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0), expected[] = {f * 3 / 4, f, -10001.0 / 9999, -1, -20000.0 / 9999};
    const float got[] = {projection[0], projection[5], projection[10], projection[11], projection[14]};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-4) << "projection entry " << i;
    const auto frameLeavesTheState = [&](float lineWidth) {
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        runFrame(true);
        GLint depths[2] = {}, mode = 0;
        float width = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[0]);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[1]);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_TRUE(depths[0] == 1 && depths[1] == 1 && mode == GL_MODELVIEW);
        // Nothing the model passes turn on is left for the track, the sky and the text: a bound
        // texture would tint them.
        for (GLenum capability : {GL_BLEND, GL_TEXTURE_2D, GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE, GL_LINE_SMOOTH})
            EXPECT_FALSE(glIsEnabled(capability)) << std::hex << capability;
        EXPECT_EQ(width, lineWidth);
        glGetFloatv(GL_PROJECTION_MATRIX, after);
        EXPECT_TRUE(std::equal(projection, projection + 16, after)) << "the projection changed";
        // The camera 40 behind the car along its heading and 9 above it, looking at it; a car
        // pitched by a brings the eye nearer, to 40 cos a behind, at the same height.
        const Vec4& p = car.position;
        const double h = car.orientation.y * M_PI / 180.0, a = car.orientation.x * M_PI / 180.0;
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        glLoadIdentity();
        gluLookAt(p.x + 40 * std::sin(h) * std::cos(a), p.y + 9, p.z - 40 * std::cos(h) * std::cos(a), p.x, p.y, p.z, 0, 1, 0);
        glGetFloatv(GL_MODELVIEW_MATRIX, view);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(after[i], view[i], 1e-3) << "the camera's view, entry " << i;
    };
    frameLeavesTheState(3.5f);
    EXPECT_GT(count({215, 215, 215}, {0, 0, 640, 480}, 3), 20000) << "the track ahead of the car";
    EXPECT_TRUE(hasText(digits) && !hasText(leftOfDigits) && !hasText(rightOfDigits) && !hasText(clock)) << "3";
    advanceToRaceStart();
    frameLeavesTheState(1.5f);
    EXPECT_TRUE(hasText(leftOfDigits) && hasText(rightOfDigits) && hasText(clock)) << "GO! and the clock";
    simClockAdvanceAndFire(1000);
    frameLeavesTheState(1.5f);
    EXPECT_TRUE(!hasText(digits) && !hasText(leftOfDigits) && hasText(clock)) << "the clock alone";

    // The win: its title and its time, frozen, and no clock; the prompt to try again.
    gameState.phase = RacePhase::Won;
    gameState.raceEndMs = 64230;
    frameLeavesTheState(1.5f);
    const std::vector<unsigned char> time = pixelsOf(winTime.x, winTime.y, winTime.width, winTime.height);
    EXPECT_TRUE(hasText(winTitle) && hasText(winTime) && hasText(prompt) && !hasText(clock));
    simClockAdvanceAndFire(5000);
    frameLeavesTheState(1.5f);
    EXPECT_TRUE(pixelsOf(winTime.x, winTime.y, winTime.width, winTime.height) == time) << "the time moved on";
    gameState.phase = RacePhase::Disqualified;
    car.orientation = {20.0f, 30.0f, 0.0f};
    frameLeavesTheState(1.5f);
    EXPECT_TRUE(hasText(disqualified) && hasText(prompt) && !hasText(winTitle) && !hasText(clock));
}

} // namespace

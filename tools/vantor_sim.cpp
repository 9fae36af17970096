// vantor-sim: the race without a window. Reads one frame per input line, "<ms> <controls> [space]",
// runs the game's own race flow, input callbacks and simulation against a simulated clock, and
// prints the state after each frame. Usage: vantor-sim < script.txt
#include <GL/glut.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "game/camera.h"
#include "game/frame.h"
#include "game/hud.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "game/sim_clock.h"
#include "sim/car.h"
#include "sim/grapple.h"

namespace {

constexpr int MaxFrameMs = 60000;
constexpr std::size_t MaxLineLength = 256;

// The five controls a line can hold, in the order their changes reach the callbacks.
enum Control { Forward, Backward, Left, Right, Mouse, ControlCount };
constexpr char ControlLetters[] = "wsadm";

struct FrameLine {
    int ms = 0;
    bool held[ControlCount] = {};
    bool space = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits a line into at most four words (the fourth only shows there are too many).
int splitWords(char* line, char* words[4])
{
    int count = 0;
    char* p = line;
    while (count < 4) {
        while (*p != '\0' && isBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        words[count++] = p;
        while (*p != '\0' && !isBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        *p++ = '\0';
    }
    return count;
}

// Parses one frame line; on failure returns the reason.
const char* parseFrameLine(char* line, FrameLine& frameLine)
{
    char* words[4];
    const int count = splitWords(line, words);
    if (count < 2)
        return "expected \"<ms> <controls> [space]\"";
    if (count > 3)
        return "too many words";

    const char* ms = words[0];
    if (std::strlen(ms) > 5)
        return "the frame time must be a whole number from 0 to 60000";
    int value = 0;
    for (const char* c = ms; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9')
            return "the frame time must be a whole number from 0 to 60000";
        value = value * 10 + (*c - '0');
    }
    if (value > MaxFrameMs)
        return "the frame time must be a whole number from 0 to 60000";
    frameLine.ms = value;

    if (std::strcmp(words[1], "-") != 0) {
        for (const char* c = words[1]; *c != '\0'; ++c) {
            const char* letter = std::strchr(ControlLetters, *c);
            if (letter == nullptr)
                return "controls are the letters w, s, a, d and m, or - for none";
            const int control = static_cast<int>(letter - ControlLetters);
            if (frameLine.held[control])
                return "a control is given twice";
            frameLine.held[control] = true;
        }
    }
    if (count == 3) {
        if (std::strcmp(words[2], "space") != 0)
            return "the third word can only be \"space\"";
        frameLine.space = true;
    }
    return nullptr;
}

const char* phaseName(RacePhase phase)
{
    switch (phase) {
    case RacePhase::Countdown: return "Countdown";
    case RacePhase::Racing: return "Racing";
    case RacePhase::Won: return "Won";
    case RacePhase::Disqualified: return "Disqualified";
    }
    return "?";
}

void sendControlChange(int control, bool held)
{
    if (control == Mouse)
        mouseButton(GLUT_LEFT_BUTTON, held ? GLUT_DOWN : GLUT_UP, 0, 0);
    else if (held)
        keyDown(static_cast<unsigned char>(ControlLetters[control]), 0, 0);
    else
        keyUp(static_cast<unsigned char>(ControlLetters[control]), 0, 0);
}

// Start-up as the game does it, less the window and the models.
void startRace()
{
    installSimClock();
    input = InputState{};
    cameraEye = {0.0f, 0.0f, 0.0f, 1.0f};
    cameraTarget = {0.0f, 0.0f, 0.0f, 1.0f};
    cameraUp = {0.0f, 1.0f, 0.0f, 1.0f};
    resetRace();
    placeGrapplePoints();
    startCountdown();
}

} // namespace

int main()
{
    startRace();

    bool held[ControlCount] = {};
    char line[MaxLineLength + 2];
    long lineNumber = 0;
    long frameNumber = 0;
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        ++lineNumber;
        const std::size_t length = std::strlen(line);
        if (length == sizeof line - 1 && line[length - 1] != '\n') {
            std::fprintf(stderr, "vantor-sim: line %ld: line too long\n", lineNumber);
            return 2;
        }
        if (line[0] == '#')
            continue;
        char* first = line;
        while (*first != '\0' && isBlank(*first))
            ++first;
        if (*first == '\0')
            continue;

        FrameLine frameLine;
        if (const char* error = parseFrameLine(line, frameLine)) {
            std::fprintf(stderr, "vantor-sim: line %ld: %s\n", lineNumber, error);
            return 2;
        }

        // 1. The timers due by now, as GLUT's main loop would fire them between two frames.
        simClockFireDue();
        // 2. The controls that changed, through the game's own callbacks.
        for (int control = 0; control < ControlCount; ++control) {
            if (frameLine.held[control] != held[control]) {
                sendControlChange(control, frameLine.held[control]);
                held[control] = frameLine.held[control];
            }
        }
        if (frameLine.space) {
            keyDown(' ', 0, 0);
            keyUp(' ', 0, 0);
        }
        // 3. The frame, then the time it took, then the frame timing that reads the clock.
        frameWithoutDrawing();
        std::string time = "-";
        if (gameState.phase == RacePhase::Racing)
            time = formatRaceTime(static_cast<std::uint32_t>(simClockNow()) - gameState.raceStartMs, "");
        else if (gameState.phase == RacePhase::Won)
            time = formatRaceTime(gameState.raceEndMs - gameState.raceStartMs, "");
        simClockAdvance(frameLine.ms);
        updateFrameTiming(simClockNow());

        ++frameNumber;
        std::printf("%ld %d %s %d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %d %s\n", frameNumber,
                    simClockNow(), phaseName(gameState.phase), gameState.countdown, car.position.x,
                    car.position.y, car.position.z, car.orientation.y, car.velocity.x, car.velocity.y,
                    car.velocity.z, car.steer, car.grappleAttached ? 1 : 0, time.c_str());
    }
    if (std::ferror(stdin)) {
        std::fprintf(stderr, "vantor-sim: cannot read the input\n");
        return 2;
    }
    return 0;
}

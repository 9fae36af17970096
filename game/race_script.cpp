// Reading race scripts and feeding them to the game's callbacks.
#include "game/race_script.h"

#include <GL/glut.h>

#include <cstdint>
#include <cstring>

#include "game/frame.h"
#include "game/hud.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "game/sim_clock.h"
#include "game/startup.h"
#include "sim/car.h"
#include "sim/grapple.h"

namespace {

constexpr int MaxFrameMs = 60000;
constexpr std::size_t MaxScriptLineLength = 256;
// Where the callbacks are told the pointer is; the game never reads it.
constexpr int PointerX = 0, PointerY = 0;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The next word from p on, NUL-terminated in place, with p left after it; nullptr at the line's end
// and at every call after it.
char* nextWord(char*& p)
{
    while (*p != '\0' && isBlank(*p))
        ++p;
    if (*p == '\0')
        return nullptr;
    char* word = p;
    while (*p != '\0' && !isBlank(*p))
        ++p;
    if (*p != '\0')
        *p++ = '\0';
    return word;
}

const char* parseFrameLine(char* line, ScriptFrame& frame)
{
    char* p = line;
    char* const msWord = nextWord(p);
    char* const controls = nextWord(p);
    if (controls == nullptr)
        return "expected \"<ms> <controls> [space]\"";
    char* const third = nextWord(p);
    if (third && nextWord(p))
        return "too many words";

    const char* msError = "the frame time must be a whole number from 0 to 60000";
    if (std::strlen(msWord) > 5)
        return msError;
    int ms = 0;
    for (const char* c = msWord; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9')
            return msError;
        ms = ms * 10 + (*c - '0');
    }
    if (ms > MaxFrameMs)
        return msError;
    frame.ms = ms;

    if (std::strcmp(controls, "-") != 0) {
        for (const char* c = controls; *c != '\0'; ++c) {
            const char* letter = std::strchr(ScriptControlLetters, *c);
            if (letter == nullptr)
                return "controls are the letters w, s, a, d and m, or - for none";
            const auto control = static_cast<std::size_t>(letter - ScriptControlLetters);
            if (frame.held[control])
                return "a control is given twice";
            frame.held[control] = true;
        }
    }
    if (third) {
        if (std::strcmp(third, "space") != 0)
            return "the third word can only be \"space\"";
        frame.space = true;
    }
    return nullptr;
}

void sendControlState(int control, bool held)
{
    if (control == ScriptMouse)
        mouseButton(GLUT_LEFT_BUTTON, held ? GLUT_DOWN : GLUT_UP, PointerX, PointerY);
    else if (held)
        keyDown(static_cast<unsigned char>(ScriptControlLetters[control]), PointerX, PointerY);
    else
        keyUp(static_cast<unsigned char>(ScriptControlLetters[control]), PointerX, PointerY);
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

// While racing, the running time at the clock the frame ran at; when won, the final time.
std::string raceTimeText(int frameClock)
{
    if (gameState.phase == RacePhase::Racing)
        return formatRaceTime(static_cast<std::uint32_t>(frameClock) - gameState.raceStartMs, "");
    if (gameState.phase == RacePhase::Won)
        return formatRaceTime(gameState.raceEndMs - gameState.raceStartMs, "");
    return "-";
}

// The frame, then its time on the simulated clock and the frame timing that makes it the next step.
void runFrameOnSimClock(int ms, bool drawing)
{
    runFrame(drawing);
    simClockAdvance(ms);
    updateFrameTiming(simClockNow());
}

} // namespace

RaceScriptReader::Result RaceScriptReader::next(ScriptFrame& frame)
{
    // Room for the longest line accepted, its line end and the NUL; a longer one is refused
    // rather than read into an unbounded buffer.
    char line[MaxScriptLineLength + 2];
    while (std::fgets(line, sizeof line, input_) != nullptr) {
        ++lineNumber_;
        const std::size_t length = std::strlen(line);
        if (length == sizeof line - 1 && line[length - 1] != '\n') {
            std::snprintf(error_, sizeof error_, "line %ld: line too long", lineNumber_);
            return Result::Error;
        }
        if (line[0] == '#')
            continue;
        const char* first = line;
        while (*first != '\0' && isBlank(*first))
            ++first;
        if (*first == '\0')
            continue;

        frame = ScriptFrame{};
        if (const char* reason = parseFrameLine(line, frame)) {
            std::snprintf(error_, sizeof error_, "line %ld: %s", lineNumber_, reason);
            return Result::Error;
        }
        return Result::Frame;
    }
    if (std::ferror(input_)) {
        std::snprintf(error_, sizeof error_, "cannot read the input after line %ld", lineNumber_);
        return Result::Error;
    }
    return Result::End;
}

RaceScriptReader::Result RaceScriptReader::readAll(std::vector<ScriptFrame>& frames)
{
    for (ScriptFrame frame;;) {
        const Result result = next(frame);
        if (result != Result::Frame)
            return result;
        frames.push_back(frame);
    }
}

void startScriptedRace()
{
    installSimClock();
    resetControlsAndCamera();
    resetRace();
    placeGrapplePoints();
    startCountdown();
}

void applyScriptFrameInput(const ScriptFrame& frame)
{
    simClockFireDue();
    // A window reports only the changes, but the callbacks just set the control's flag: giving
    // every control's state at every frame comes to the same.
    for (int control = 0; ScriptControlLetters[control] != '\0'; ++control)
        sendControlState(control, frame.held[control]);
    if (frame.space) {
        keyDown(' ', PointerX, PointerY);
        keyUp(' ', PointerX, PointerY);
    }
}

void playScriptFrame(const ScriptFrame& frame, bool drawing)
{
    applyScriptFrameInput(frame);
    runFrameOnSimClock(frame.ms, drawing);
}

void playLiveFrame(int ms, bool drawing)
{
    simClockFireDue();
    runFrameOnSimClock(ms, drawing);
}

std::string describeScriptFrame(long frameNumber, int frameClock)
{
    char line[320];
    std::snprintf(line, sizeof line, "%ld %d %s %d %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %d %s", frameNumber,
                  simClockNow(), phaseName(gameState.phase), gameState.countdown, car.position.x, car.position.y,
                  car.position.z, car.orientation.y, car.velocity.x, car.velocity.y, car.velocity.z, car.steer,
                  car.grappleAttached ? 1 : 0, raceTimeText(frameClock).c_str());
    return line;
}

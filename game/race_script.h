// Race scripts: one frame per line, "<ms> <controls> [space]", replayed through the game's own
// callbacks against the simulated clock. Shared by the headless simulator and the replay tool.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

enum ScriptControl { ScriptForward, ScriptBackward, ScriptLeft, ScriptRight, ScriptMouse, ScriptControlCount };
// The letter that names each control in a script line, in ScriptControl order.
constexpr char ScriptControlLetters[] = "wsadm";
static_assert(sizeof ScriptControlLetters - 1 == ScriptControlCount);

struct ScriptFrame {
    int ms = 0;                              // how long the frame lasts on the simulated clock
    bool held[ScriptControlCount] = {};      // w, s, a, d, m held during the frame
    bool space = false;                      // space pressed and released just before the frame
};

// Reads script lines one at a time, skipping blank and comment lines.
class RaceScriptReader {
public:
    explicit RaceScriptReader(std::FILE* input) : input_(input) {}

    enum class Result { Frame, End, Error };

    // The next frame; on Error, error() holds one line for standard error naming the line number.
    Result next(ScriptFrame& frame);
    // Every frame left, appended to frames: End when all were read, Error as next says.
    Result readAll(std::vector<ScriptFrame>& frames);
    const char* error() const { return error_; }

private:
    std::FILE* input_;
    long lineNumber_ = 0;
    char error_[160] = {};
};

// Start-up as the game does it, less the window and the models, on a fresh simulated clock: the
// countdown's first tick is due at 1000 ms.
void startScriptedRace();

// What happens between two frames: the due timers fire, then each control's held state goes
// through the game's callbacks, then the space bar is pressed and released if asked.
void applyScriptFrameInput(const ScriptFrame& frame);

// One script frame as the game runs it: the input between frames, the frame itself (drawn or not),
// then the frame's time on the simulated clock and the frame timing that makes it the next step.
void playScriptFrame(const ScriptFrame& frame, bool drawing);

// A frame as playScriptFrame runs it, but with the controls as the window's own callbacks left
// them: a player's real keys and mouse on the simulated clock.
void playLiveFrame(int ms, bool drawing);

// The state after a frame as one line: the frame's number, the clock, the phase and countdown, the
// car's position, heading, velocity and steer, whether the beam holds, and the race time (the
// running time at frameClock, the clock when the frame began, or the final one once won; "-"
// otherwise). The simulator prints it and the browser page reports it, so the two compare.
std::string describeScriptFrame(long frameNumber, int frameClock);

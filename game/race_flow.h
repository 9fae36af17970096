// The race's phases, the countdown on one-second timers, the race clock and the restart.
#pragma once

#include <cstdint>

enum class RacePhase : std::uint8_t {
    Countdown = 0,    // waiting for the start; the car ignores input
    Racing = 1,       // input drives the car; the clock runs
    Won = 2,          // the car reached the finish
    Disqualified = 3, // the car touched down off the track
};

// The race-flow fields, one record for the process. Everything starts zero or false but
// frameDeltaMs; main's resetRace and countdown start put the race at its beginning. A restart
// resets phase and the end-screen flags and restarts the countdown; the race clock and the frame
// timing run on across restarts.
struct GameState {
    RacePhase phase = RacePhase::Countdown;
    std::int32_t countdown = 3;         // 3, 2, 1 shown as digits, 0 as "GO!", -1 nothing
    std::uint32_t raceStartMs = 0;      // elapsed time when the race began
    std::uint32_t raceEndMs = 0;        // elapsed time when the car reached the finish
    bool endScreenShown = false;        // the end screen has been drawn since the race ended
    bool restartRequested = false;      // the space bar was released on the end screen
    std::int32_t frameDeltaMs = 1;      // the simulation's time step, ms
    std::int32_t lastFrameMs = 0;       // elapsed time at the end of the previous frame
    bool timingStarted = false;         // the first frame's time has been taken
};

extern GameState gameState;

// Puts the phase back to Countdown and the car at its start, standing still. Nothing else: not the
// countdown value, the clock, the input flags, the grapple or the camera.
void resetRace();

// Arms the first countdown tick one second from now and shows "3". Called after resetRace.
void startCountdown();

// The countdown's timer callback, values 1 to 4, one second apart: 3-2-1, then GO and the race
// clock at tick 3, and the GO cleared at tick 4. A tick that arrives in a phase it does not belong
// to (a stale tick 4 after a quick restart, say) is ignored.
void countdownTick(int value);

// True in the two phases that show the end screen.
bool raceHasEnded();

// What the end screen does to the state before it draws, at every frame it is up: the car lets go
// of the grapple, and the end screen counts as shown, which arms the space bar.
void enterEndScreen();

// The end screen's last step: a restart, if the space bar was released on it.
void restartIfRequested();

// The frame timing: the delta measured at the end of a frame becomes the next frame's time step.
void updateFrameTiming(std::int32_t nowMs);

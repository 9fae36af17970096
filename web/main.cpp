// Vantor Sprint in a web page: the game's own start-up and frame, drawn at the browser's pace,
// with the page's canvas filling its window. With "#replay" after the address the page instead
// waits for a race script to be fed to it frame by frame (the browser tests do), on the simulated
// clock, as the native replay tool plays it, or frames to be played with the browser's own keys and
// mouse.
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/frame.h"
#include "game/race_script.h"
#include "game/sim_clock.h"
#include "game/startup.h"

namespace {

constexpr int ReplayWidth = 640;
constexpr int ReplayHeight = 480;

double firstFrameMs = -1.0;
long framesDrawn = 0;
std::vector<ScriptFrame> scriptFrames;
std::size_t nextScriptFrame = 0;
long framesPlayed = 0;
std::string replayLine;

void browserFrame()
{
    if (firstFrameMs < 0.0)
        firstFrameMs = emscripten_get_now();
    frame();
    ++framesDrawn;
}

EM_BOOL onWindowResize(int, const EmscriptenUiEvent* event, void*)
{
    // Sets the canvas's size and calls the game's reshape, which letterboxes the picture.
    glutReshapeWindow(event->windowInnerWidth, event->windowInnerHeight);
    return false;
}

bool replayRequested()
{
    return EM_ASM_INT({ return window.location.hash == '#replay' ? 1 : 0; }) != 0;
}

} // namespace

extern "C" {

// Reads a race script given as text and starts the race again on a fresh simulated clock; the
// number of the script's frames, or -1 with the reason on standard error. Its frames then play one
// at a time with vantor_replay_next.
EMSCRIPTEN_KEEPALIVE int vantor_replay_load(const char* text)
{
    std::FILE* input = fmemopen(const_cast<char*>(text), std::strlen(text), "r");
    if (input == nullptr)
        return -1;
    std::vector<ScriptFrame> frames;
    RaceScriptReader script(input);
    const RaceScriptReader::Result result = script.readAll(frames);
    std::fclose(input);
    if (result == RaceScriptReader::Result::Error) {
        std::fprintf(stderr, "race script: %s\n", script.error());
        return -1;
    }
    scriptFrames = std::move(frames);
    nextScriptFrame = 0;
    framesPlayed = 0;
    startScriptedRace();
    return static_cast<int>(scriptFrames.size());
}

// Plays and draws the next frame of the loaded script; returns the state line the simulator
// prints for it, or an empty line when the script has ended.
EMSCRIPTEN_KEEPALIVE const char* vantor_replay_next()
{
    if (nextScriptFrame >= scriptFrames.size())
        return "";
    const int frameClock = simClockNow();
    playScriptFrame(scriptFrames[nextScriptFrame++], true);
    replayLine = describeScriptFrame(++framesPlayed, frameClock);
    return replayLine.c_str();
}

// Plays and draws a frame of ms on the simulated clock with the keys and mouse the browser holds.
EMSCRIPTEN_KEEPALIVE const char* vantor_live_frame(int ms)
{
    const int frameClock = simClockNow();
    playLiveFrame(ms, true);
    replayLine = describeScriptFrame(++framesPlayed, frameClock);
    return replayLine.c_str();
}

// When the first frame was drawn, in ms since the page began to load; negative before it.
EMSCRIPTEN_KEEPALIVE double vantor_first_frame_ms() { return firstFrameMs; }

EMSCRIPTEN_KEEPALIVE long vantor_frames_drawn() { return framesDrawn; }

} // extern "C"

int main(int argc, char** argv)
{
    if (replayRequested()) {
        // The replay tool's start: the window and the scene, no banner, the race on the simulated
        // clock, and a 640 x 480 picture; frames come only from vantor_replay_frame.
        openGameWindow(&argc, argv);
        glutIdleFunc(nullptr);
        glutDisplayFunc([] {});
        loadScene();
        startScriptedRace();
        emscripten_set_canvas_element_size("#canvas", ReplayWidth, ReplayHeight);
        reshape(ReplayWidth, ReplayHeight);
        EM_ASM({ Module.vantorStarted = true; });
        return 0;
    }
    startGame(&argc, argv);
    // Frames come with the browser's animation frames instead of as often as timers allow.
    glutIdleFunc(nullptr);
    glutDisplayFunc(browserFrame);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, onWindowResize);
    glutReshapeWindow(EM_ASM_INT({ return window.innerWidth; }), EM_ASM_INT({ return window.innerHeight; }));
    emscripten_set_main_loop(browserFrame, 0, false);
    EM_ASM({ Module.vantorStarted = true; });
    return 0;
}

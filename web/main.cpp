// Vantor Sprint in a web page: the game's own start-up and frame, drawn at the browser's pace,
// with the page's canvas filling its window. With "#replay" after the address the page instead
// waits for a race script to be fed to it frame by frame (the browser tests do), on the simulated
// clock, as the native replay tool plays it.
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <string>

#include "game/frame.h"
#include "game/race_script.h"
#include "game/sim_clock.h"
#include "game/startup.h"

namespace {

constexpr int ReplayWidth = 640;
constexpr int ReplayHeight = 480;

double firstFrameMs = -1.0;
long framesDrawn = 0;
long replayFrames = 0;
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

// One frame of a race script (ms, the held controls as bits w s a d m from the lowest, and whether
// space was pressed and released before it), drawn; returns the state line the simulator prints.
EMSCRIPTEN_KEEPALIVE const char* vantor_replay_frame(int ms, int held, int space)
{
    ScriptFrame f;
    f.ms = ms;
    for (int control = 0; control < ScriptControlCount; ++control)
        f.held[control] = (held >> control & 1) != 0;
    f.space = space != 0;
    const int frameClock = simClockNow();
    playScriptFrame(f, true);
    replayLine = describeScriptFrame(++replayFrames, frameClock);
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
        return 0;
    }
    startGame(&argc, argv);
    // Frames come with the browser's animation frames instead of as often as timers allow.
    glutIdleFunc(nullptr);
    glutDisplayFunc(browserFrame);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, onWindowResize);
    glutReshapeWindow(EM_ASM_INT({ return window.innerWidth; }), EM_ASM_INT({ return window.innerHeight; }));
    emscripten_set_main_loop(browserFrame, 0, false);
    return 0;
}

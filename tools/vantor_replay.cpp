// vantor-replay: plays a race script in the game's real window, with the game's own frame and the
// models of the working directory, on the simulated clock, so a run is the same every time. It
// times every frame next to a window that only clears and swaps, can save pictures, and prints the
// state after the last frame.
// Usage: vantor-replay [--shot FRAME FILE.ppm]... SCRIPT
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "game/frame.h"
#include "game/race_flow.h"
#include "game/race_script.h"
#include "game/sim_clock.h"
#include "game/startup.h"

namespace {

using WallClock = std::chrono::steady_clock;

constexpr int WindowWidth = 640;
constexpr int WindowHeight = 480;

void usage()
{
    std::fprintf(stderr, "usage: vantor-replay [--shot FRAME FILE.ppm]... SCRIPT\n");
    std::exit(2);
}

// The picture on screen, as a binary PPM, top row first.
bool savePicture(const std::string& path)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(WindowWidth) * WindowHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // The frame has been swapped; with a software renderer the back buffer still holds it, where
    // the front buffer of a window may not be readable at all.
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, WindowWidth, WindowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::fprintf(out, "P6\n%d %d\n255\n", WindowWidth, WindowHeight);
    const std::size_t row = static_cast<std::size_t>(WindowWidth) * 3;
    for (int y = WindowHeight - 1; y >= 0; --y)
        std::fwrite(pixels.data() + static_cast<std::size_t>(y) * row, 1, row, out);
    return std::fclose(out) == 0;
}

void printTimes(const char* what, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    double total = 0.0;
    for (double m : ms)
        total += m;
    const auto at = [&ms](double fraction) {
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(fraction * static_cast<double>(ms.size())))];
    };
    std::printf("%-16s %6zu frames  mean %7.3f ms  p50 %7.3f  p90 %7.3f  p99 %7.3f  max %7.3f\n", what, ms.size(),
                total / static_cast<double>(ms.size()), at(0.5), at(0.9), at(0.99), ms.back());
}

double millisecondsSince(WallClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(WallClock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    std::map<long, std::string> shots;
    const char* scriptPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--shot") == 0 && i + 2 < argc) {
            shots[std::strtol(argv[i + 1], nullptr, 10)] = argv[i + 2];
            i += 2;
        } else if (scriptPath == nullptr && argv[i][0] != '-') {
            scriptPath = argv[i];
        } else {
            usage();
        }
    }
    if (scriptPath == nullptr)
        usage();
    std::FILE* scriptFile = std::fopen(scriptPath, "r");
    if (scriptFile == nullptr) {
        std::fprintf(stderr, "vantor-replay: cannot open %s\n", scriptPath);
        return 2;
    }
    std::vector<ScriptFrame> frames;
    RaceScriptReader script(scriptFile);
    if (script.readAll(frames) == RaceScriptReader::Result::Error) {
        std::fprintf(stderr, "vantor-replay: %s\n", script.error());
        return 2;
    }
    std::fclose(scriptFile);

    int glutArgc = 1;
    openGameWindow(&glutArgc, argv);
    glutIdleFunc(nullptr); // this tool drives the frames itself
    const WallClock::time_point loadStart = WallClock::now();
    loadScene();
    std::printf("scene loaded in %.1f ms\n", millisecondsSince(loadStart));
    startScriptedRace();
    glutMainLoopEvent();
    reshape(WindowWidth, WindowHeight);

    // The baseline: a window that only clears and swaps, as many frames as the script has.
    std::vector<double> clearTimes;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const WallClock::time_point start = WallClock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glutSwapBuffers();
        glFinish();
        clearTimes.push_back(millisecondsSince(start));
    }

    std::vector<double> frameTimes;
    long frameNumber = 0;
    int frameClock = simClockNow();
    for (const ScriptFrame& f : frames) {
        glutMainLoopEvent();
        frameClock = simClockNow();
        const WallClock::time_point start = WallClock::now();
        playScriptFrame(f, true);
        glFinish();
        frameTimes.push_back(millisecondsSince(start));
        ++frameNumber;
        if (auto shot = shots.find(frameNumber); shot != shots.end() && !savePicture(shot->second))
            std::fprintf(stderr, "vantor-replay: cannot write %s\n", shot->second.c_str());
    }
    printTimes("clear and swap", clearTimes);
    printTimes("game frame", frameTimes);
    // The state the run ended in, as vantor-sim prints it; the browser test compares its own with it.
    if (frameNumber > 0)
        std::printf("last frame: %s\n", describeScriptFrame(frameNumber, frameClock).c_str());
    return 0;
}

// Runs the real game under a private X server for an end-to-end test: starts both, finds the game
// window, sends keys and mouse buttons to it, and takes screenshots to probe; everything is
// stopped and removed when the session goes out of scope.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "picture.h"
#include "subprocess.h"

using Milliseconds = std::chrono::milliseconds;

// Polls the condition until it holds or the timeout has passed; tries at least once.
bool waitUntil(const std::function<bool()>& condition, Milliseconds timeout,
               Milliseconds interval = Milliseconds(50));

// An Xvfb server on a display number it picks itself, so that tests running side by side never
// share a display.
class XServer {
public:
    bool start(const std::filesystem::path& logPath);
    const std::string& display() const { return display_; } // ":N" once started
    void stop() { process_.stop(); }

private:
    ChildProcess process_;
    std::string display_;
};

// Root-window coordinates of the window's top-left corner, and its inside size.
struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class GameSession {
public:
    GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;
    ~GameSession();

    // Starts the X server and the game in an empty directory of its own, then waits for the game
    // window to be shown. On false, failure() says what went wrong.
    bool start();
    const std::string& failure() const { return failure_; }

    const std::filesystem::path& workingDirectory() const { return workDirectory_; }
    Milliseconds sinceGameStarted() const;
    bool gameRunning() { return game_.running(); }
    void stopGame() { game_.stop(); }
    std::string gameOutput() const; // everything the game wrote to standard output so far
    std::string gameErrors() const; // and to standard error

    const WindowGeometry& window() const { return window_; }
    std::string windowTitle() const;

    // Keys by X keysym name: "s", "space", ... Each returns whether the event was sent.
    bool keyDown(const std::string& key) const;
    bool keyUp(const std::string& key) const;
    bool pressKey(const std::string& key) const { return keyDown(key) && keyUp(key); }
    bool mouseDown(int button) const; // 1 is the left button
    bool mouseUp(int button) const;

    // The whole screen, probed relative to the game window's top-left corner.
    std::optional<Picture> takePicture() const;

    // Takes pictures until one passes the check; that one, or nothing after the timeout.
    // lastPicture() then holds the last one taken, to save when a check fails, and
    // lastWaitSummary() tells how many were taken and how far apart, which shows a busy machine.
    std::optional<Picture> waitForPicture(const std::function<bool(const Picture&)>& check,
                                          Milliseconds timeout);
    const std::optional<Picture>& lastPicture() const { return lastPicture_; }
    std::string lastWaitSummary() const;

    // Saves a picture as NAME.png in the build's folder of end-to-end pictures, for a person to
    // look at.
    bool savePicture(const Picture& picture, const std::string& name) const;

private:
    std::filesystem::path directory_;     // everything of this session, removed at the end
    std::filesystem::path workDirectory_; // the game's working directory, empty
    XServer xServer_;
    ChildProcess game_;
    std::chrono::steady_clock::time_point gameStartedAt_;
    std::string windowId_;
    WindowGeometry window_;
    std::optional<Picture> lastPicture_;
    int picturesInLastWait_ = 0;
    Milliseconds longestPictureGap_{};
    std::string failure_;

    bool startGame();
    bool findWindow();
    CommandResult xdotool(std::vector<std::string> arguments) const;
};

// The real game under a private X server: started, found, sent keys and photographed; everything
// is stopped and removed when the session goes out of scope.
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
bool waitUntil(const std::function<bool()>& condition, Milliseconds timeout, Milliseconds interval = Milliseconds(50));

// An Xvfb server on a display number it picks itself (-displayfd), so parallel tests never share one.
class XServer {
public:
    bool start(const std::filesystem::path& logPath);
    const std::string& display() const { return display_; }
    void stop() { process_.stop(); }

private:
    ChildProcess process_;
    std::string display_;
};

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0; // root coordinates of the corner, inside size
};

class GameSession {
public:
    GameSession();
    ~GameSession();
    // Starts the X server and the game in an empty directory, and waits for its window; on false,
    // failure() says why.
    bool start();
    const std::string& failure() const { return failure_; }
    const std::filesystem::path& workingDirectory() const { return workDirectory_; }
    Milliseconds sinceGameStarted() const
    {
        return std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now() - gameStartedAt_);
    }
    bool gameRunning() { return game_.running(); }
    std::string gameOutput() const;
    std::string gameErrors() const;
    const WindowGeometry& window() const { return window_; }
    std::string windowTitle() const;
    // Keys by X keysym name ("s", "space", ...), pressed on the server's own keyboard as a player
    // presses them, with the window focused: a held key auto-repeats.
    bool keyDown(const std::string& key) const
    {
        return xdotool({"windowfocus", windowId_}).succeeded() && xdotool({"keydown", key}).succeeded();
    }
    bool keyUp(const std::string& key) const { return xdotool({"keyup", key}).succeeded(); }
    std::optional<Picture> takePicture() const;
    // Takes pictures until one passes the check; lastPicture() keeps the last one taken.
    std::optional<Picture> waitForPicture(const std::function<bool(const Picture&)>& check, Milliseconds timeout);
    const std::optional<Picture>& lastPicture() const { return lastPicture_; }
    // Saves NAME.ppm in the build's folder of end-to-end pictures, for a person to look at.
    void savePicture(const Picture& picture, const std::string& name) const;

private:
    std::filesystem::path directory_, workDirectory_;
    XServer xServer_;
    ChildProcess game_;
    std::chrono::steady_clock::time_point gameStartedAt_;
    std::string windowId_;
    WindowGeometry window_;
    std::optional<Picture> lastPicture_;
    std::string failure_;

    bool findWindow();
    CommandResult xdotool(const std::vector<std::string>& arguments) const;
};

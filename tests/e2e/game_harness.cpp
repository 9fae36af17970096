// The end-to-end session: Xvfb, the game binary, xdotool for input and ImageMagick for pictures.
#include "game_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef VANTOR_SPRINT_PATH
#error "VANTOR_SPRINT_PATH must name the game binary"
#endif
#ifndef VANTOR_E2E_PICTURES
#error "VANTOR_E2E_PICTURES must name the folder for saved pictures"
#endif

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Generous, since the machine may be shared with other tests: these bound the waits, they do not
// pace the test.
constexpr auto DisplayTimeout = 15s;
constexpr auto WindowTimeout = 30s;
constexpr auto ToolTimeout = 10s;
constexpr auto PictureTimeout = 15s;
constexpr auto PictureInterval = 20ms;

// An X server starting up elsewhere on the machine tries the display numbers from 0 up, and a
// client connecting to one of them at that moment can be turned away; such a refusal passes at once.
constexpr int ClientAttempts = 3;
constexpr int GameLaunches = 3;
constexpr auto RetryPause = 100ms;

// Reads one line, without its line end, unless the deadline passes or the writer closes first.
std::optional<std::string> readLine(int fd, SteadyClock::time_point deadline)
{
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char c = 0;
        if (read(fd, &c, 1) != 1)
            return std::nullopt;
        if (c == '\n')
            return line;
        line.push_back(c);
    }
}

bool allDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// One value of xdotool's "--shell" output, such as WIDTH=640; -1 when it is missing.
int shellValue(const std::string& output, const std::string& name)
{
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string value = line.substr(std::min(line.size(), name.size() + 1));
        // Nine digits at most, so that a garbled answer cannot overflow the conversion.
        if (line.rfind(name + "=", 0) == 0 && allDigits(value) && value.size() <= 9)
            return std::stoi(value);
    }
    return -1;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string fileContent(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

CommandResult runXClient(const std::vector<std::string>& argv, const std::string& display,
                         Milliseconds timeout)
{
    CommandResult result;
    for (int attempt = 0; attempt < ClientAttempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(RetryPause);
        result = runCommand(argv, {"DISPLAY=" + display}, timeout);
        if (result.succeeded())
            break;
    }
    return result;
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, Milliseconds timeout, Milliseconds interval)
{
    const auto deadline = SteadyClock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (SteadyClock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(interval);
    }
}

bool XServer::start(const std::filesystem::path& logPath)
{
    // Xvfb writes the number of the display it took to this pipe once it accepts clients.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    ChildOptions options;
    options.argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                    "-nolisten", "tcp"};
    options.stderrPath = logPath;
    options.inheritedFd = fds[1];
    const bool started = process_.start(options);
    close(fds[1]);
    const std::optional<std::string> number =
        started ? readLine(fds[0], SteadyClock::now() + DisplayTimeout) : std::nullopt;
    close(fds[0]);
    if (!number || !allDigits(*number)) {
        process_.stop();
        return false;
    }
    display_ = ":" + *number;
    return true;
}

GameSession::GameSession()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vantor-e2e-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        directory_ = pattern;
        workDirectory_ = directory_ / "work";
        std::error_code error;
        std::filesystem::create_directory(workDirectory_, error);
    }
}

GameSession::~GameSession()
{
    game_.stop();
    xServer_.stop();
    std::error_code ignored;
    if (!directory_.empty())
        std::filesystem::remove_all(directory_, ignored);
}

bool GameSession::start()
{
    if (directory_.empty()) {
        failure_ = "could not create a temporary directory";
        return false;
    }
    if (!xServer_.start(directory_ / "xvfb.log")) {
        failure_ = "Xvfb did not come up";
        return false;
    }
    // A game turned away by the X server at its start (as other clients can be, see runXClient) is
    // launched again; any other early end is a real failure.
    for (int launch = 0; launch < GameLaunches; ++launch) {
        if (!startGame())
            return false;
        if (findWindow()) {
            failure_.clear();
            return true;
        }
        if (gameErrors().find("failed to open display") == std::string::npos)
            return false;
        game_.stop();
    }
    return false;
}

bool GameSession::startGame()
{
    ChildOptions options;
    options.argv = {VANTOR_SPRINT_PATH};
    options.environment = {"DISPLAY=" + xServer_.display(), "LIBGL_ALWAYS_SOFTWARE=1"};
    options.workingDirectory = workDirectory_;
    options.stdoutPath = directory_ / "stdout.txt";
    options.stderrPath = directory_ / "stderr.txt";
    gameStartedAt_ = SteadyClock::now();
    if (!game_.start(options)) {
        failure_ = "could not start " VANTOR_SPRINT_PATH;
        return false;
    }
    return true;
}

bool GameSession::findWindow()
{
    // Only a shown window counts; a game that dies meanwhile ends the wait at once. Polled here
    // rather than by xdotool's own --sync, which looks only twice a second: the first countdown
    // digit is up for one second.
    const bool found = waitUntil(
        [&] {
            // Not retried: finding nothing yet is the usual answer, and the loop asks again.
            const CommandResult search = runCommand({"xdotool", "search", "--onlyvisible", "--name", "^Vantor Sprint$"},
                                                    {"DISPLAY=" + xServer_.display()}, ToolTimeout);
            windowId_ = firstLine(search.output);
            return (search.succeeded() && allDigits(windowId_)) || !game_.running();
        },
        WindowTimeout);
    if (!found || !allDigits(windowId_)) {
        failure_ = game_.running() ? "no game window appeared" : "the game ended before its window appeared";
        failure_ += "; its standard error:\n" + fileContent(directory_ / "stderr.txt") +
                    "\nThe X server's log:\n" + fileContent(directory_ / "xvfb.log");
        return false;
    }
    const CommandResult geometry = xdotool({"getwindowgeometry", "--shell", windowId_});
    window_ = {shellValue(geometry.output, "X"), shellValue(geometry.output, "Y"),
               shellValue(geometry.output, "WIDTH"), shellValue(geometry.output, "HEIGHT")};
    if (!geometry.succeeded() || window_.width <= 0 || window_.height <= 0) {
        failure_ = "could not read the window's geometry";
        return false;
    }
    return true;
}

CommandResult GameSession::xdotool(std::vector<std::string> arguments) const
{
    arguments.insert(arguments.begin(), "xdotool");
    return runXClient(arguments, xServer_.display(), ToolTimeout);
}

Milliseconds GameSession::sinceGameStarted() const
{
    return std::chrono::duration_cast<Milliseconds>(SteadyClock::now() - gameStartedAt_);
}

std::string GameSession::gameOutput() const { return fileContent(directory_ / "stdout.txt"); }

std::string GameSession::gameErrors() const { return fileContent(directory_ / "stderr.txt"); }

std::string GameSession::windowTitle() const
{
    const CommandResult name = xdotool({"getwindowname", windowId_});
    return name.succeeded() ? firstLine(name.output) : std::string();
}

bool GameSession::keyDown(const std::string& key) const
{
    return xdotool({"keydown", "--window", windowId_, key}).succeeded();
}

bool GameSession::keyUp(const std::string& key) const
{
    return xdotool({"keyup", "--window", windowId_, key}).succeeded();
}

bool GameSession::mouseDown(int button) const
{
    return xdotool({"mousedown", "--window", windowId_, std::to_string(button)}).succeeded();
}

bool GameSession::mouseUp(int button) const
{
    return xdotool({"mouseup", "--window", windowId_, std::to_string(button)}).succeeded();
}

std::optional<Picture> GameSession::takePicture() const
{
    const CommandResult shot =
        runXClient({"import", "-window", "root", "-depth", "8", "ppm:-"}, xServer_.display(), PictureTimeout);
    if (!shot.succeeded())
        return std::nullopt;
    std::optional<Picture> picture = Picture::fromPpm(shot.output);
    if (picture)
        picture->setOrigin(window_.x, window_.y);
    return picture;
}

std::optional<Picture> GameSession::waitForPicture(const std::function<bool(const Picture&)>& check,
                                                   Milliseconds timeout)
{
    std::optional<Picture> match;
    picturesInLastWait_ = 0;
    longestPictureGap_ = Milliseconds(0);
    auto previous = SteadyClock::now();
    waitUntil(
        [&] {
            lastPicture_ = takePicture();
            const auto now = SteadyClock::now();
            longestPictureGap_ = std::max(longestPictureGap_, std::chrono::duration_cast<Milliseconds>(now - previous));
            previous = now;
            ++picturesInLastWait_;
            if (lastPicture_ && check(*lastPicture_))
                match = lastPicture_;
            return match.has_value();
        },
        timeout, PictureInterval);
    return match;
}

std::string GameSession::lastWaitSummary() const
{
    return std::to_string(picturesInLastWait_) + " pictures, at most " + std::to_string(longestPictureGap_.count()) +
           " ms apart";
}

bool GameSession::savePicture(const Picture& picture, const std::string& name) const
{
    const std::filesystem::path folder = VANTOR_E2E_PICTURES;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path raw = directory_ / (name + ".ppm");
    {
        std::ofstream file(raw, std::ios::binary);
        file << picture.toPpm();
        if (!file)
            return false;
    }
    return runCommand({"convert", raw.string(), (folder / (name + ".png")).string()}, {}, ToolTimeout)
        .succeeded();
}

// The end-to-end session: Xvfb, the game binary, xdotool for input and ImageMagick for pictures.
#include "game_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Generous bounds for a shared machine; they do not pace the tests.
constexpr auto ToolTimeout = 10s;

bool allDigits(const std::string& text)
{
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string fileContent(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// A client connecting while another X server starts up elsewhere can be turned away at once: retried.
CommandResult runXClient(const std::vector<std::string>& argv, const std::string& display, Milliseconds timeout)
{
    CommandResult result;
    for (int attempt = 0; attempt < 3 && !result.succeeded(); ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(100ms);
        result = runCommand(argv, {"DISPLAY=" + display}, timeout);
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
    options.argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
    options.stderrPath = logPath;
    options.inheritedFd = fds[1];
    const bool started = process_.start(options);
    close(fds[1]);
    std::string number;
    const auto deadline = SteadyClock::now() + 15s;
    for (char c = 0; started && c != '\n';) {
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - SteadyClock::now()).count();
        pollfd p = {fds[0], POLLIN, 0};
        if (left <= 0 || (poll(&p, 1, static_cast<int>(left)) > 0 && read(fds[0], &c, 1) != 1))
            break;
        if (p.revents != 0 && c != '\n')
            number.push_back(c);
    }
    close(fds[0]);
    if (!allDigits(number)) {
        process_.stop();
        return false;
    }
    display_ = ":" + number;
    return true;
}

GameSession::GameSession()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vantor-e2e-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        directory_ = pattern;
        workDirectory_ = directory_ / "work";
        std::filesystem::create_directory(workDirectory_);
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
    if (directory_.empty() || !xServer_.start(directory_ / "xvfb.log")) {
        failure_ = "no temporary directory or no Xvfb";
        return false;
    }
    // A game turned away by the X server at its start (see runXClient) is launched again.
    for (int launch = 0; launch < 3; ++launch) {
        gameStartedAt_ = SteadyClock::now();
        if (!game_.start({{VANTOR_SPRINT_PATH}, {"DISPLAY=" + xServer_.display(), "LIBGL_ALWAYS_SOFTWARE=1"},
                          workDirectory_, directory_ / "stdout.txt", directory_ / "stderr.txt", -1})) {
            failure_ = "could not start " VANTOR_SPRINT_PATH;
            return false;
        }
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

bool GameSession::findWindow()
{
    // Polled here rather than with xdotool's --sync, which looks only twice a second: the first
    // countdown digit is up for one second. A game that dies ends the wait at once.
    const bool found = waitUntil(
        [&] {
            const CommandResult search = runCommand({"xdotool", "search", "--onlyvisible", "--name", "^Vantor Sprint$"},
                                                    {"DISPLAY=" + xServer_.display()}, ToolTimeout);
            windowId_ = firstLine(search.output);
            return (search.succeeded() && allDigits(windowId_)) || !game_.running();
        },
        30s);
    if (!found || !allDigits(windowId_)) {
        failure_ = "no game window; its standard error:\n" + gameErrors() + "\nXvfb's log:\n" +
                   fileContent(directory_ / "xvfb.log");
        return false;
    }
    std::istringstream geometry(xdotool({"getwindowgeometry", "--shell", windowId_}).output);
    for (std::string line; std::getline(geometry, line);) {
        const std::string value = line.substr(line.find('=') + 1);
        int* field = line.rfind("X=", 0) == 0 ? &window_.x : line.rfind("Y=", 0) == 0 ? &window_.y
                   : line.rfind("WIDTH=", 0) == 0 ? &window_.width : line.rfind("HEIGHT=", 0) == 0 ? &window_.height
                   : nullptr;
        if (field != nullptr && allDigits(value))
            *field = std::stoi(value);
    }
    failure_ = "could not read the window's geometry";
    return window_.width > 0 && window_.height > 0;
}

std::string GameSession::gameOutput() const { return fileContent(directory_ / "stdout.txt"); }
std::string GameSession::gameErrors() const { return fileContent(directory_ / "stderr.txt"); }

CommandResult GameSession::xdotool(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runXClient(argv, xServer_.display(), ToolTimeout);
}

std::string GameSession::windowTitle() const { return firstLine(xdotool({"getwindowname", windowId_}).output); }

std::optional<Picture> GameSession::takePicture() const
{
    const CommandResult shot = runXClient({"import", "-window", "root", "-depth", "8", "ppm:-"}, xServer_.display(), 15s);
    std::optional<Picture> picture = shot.succeeded() ? Picture::fromPpm(shot.output) : std::nullopt;
    if (picture)
        picture->setOrigin(window_.x, window_.y);
    return picture;
}

std::optional<Picture> GameSession::waitForPicture(const std::function<bool(const Picture&)>& check, Milliseconds timeout)
{
    const bool found = waitUntil(
        [&] {
            lastPicture_ = takePicture();
            return lastPicture_ && check(*lastPicture_);
        },
        timeout, 20ms);
    return found ? lastPicture_ : std::nullopt;
}

void GameSession::savePicture(const Picture& picture, const std::string& name) const
{
    std::error_code ignored;
    std::filesystem::create_directories(VANTOR_E2E_PICTURES, ignored);
    std::ofstream(std::filesystem::path(VANTOR_E2E_PICTURES) / (name + ".ppm"), std::ios::binary) << picture.toPpm();
}

// vantor-race-planner: finds a run that wins the race with 16 ms frames and prints it as a vantor-sim
// input script: a beam search over the held controls, played on the game's own simulation, that
// ranks states by how far along the track they can surely get. Deterministic; a few seconds.
// Usage: vantor-race-planner > tests/scripts/winning_run.txt
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "game/frame.h"
#include "game/hud.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "game/race_script.h"
#include "game/sim_clock.h"
#include "sim/car.h"
#include "sim/grapple.h"
#include "sim/track.h"

namespace {

constexpr int FrameMs = 16;
constexpr int StageFrames = 4;           // frames a choice is held before the next choice
constexpr std::size_t BeamWidth = 1500;  // states kept from one stage to the next
constexpr int MaxRaceFrames = 60000 / FrameMs; // a search still going after a minute of race has failed
// A car on the ground must have ground this far around it on every side, in world units, so that
// the run still wins when a build rounds a last bit differently.
constexpr float GroundMargin = 1.0f;
// How far a car can come within a stage, in world units: a grapple point this much beyond the
// reach is worth a press.
constexpr float ReachLookahead = 100.0f;

// Quantisation of the states compared for duplicates: two states in the same cells of all of these
// would lead to practically the same runs, so only the one further along is kept.
constexpr float PositionCell = 0.5f;  // world units, x and y
constexpr float HeadingCell = 0.1f;   // degrees
constexpr float VelocityCell = 0.01f; // units/ms
constexpr float SteerCell = 0.02f;
// The strata the beam is shared out over, across the track and in height, in world units.
constexpr float StratumWidth = 2.0f;
constexpr float StratumHeight = 10.0f;

// The map of the track ahead: lines every SliceLength along z, lateral positions every LateralStep
// across a span wider than the grid, headings every HeadingStep up to MaxHeading either way.
constexpr float SliceLength = 25.0f;     // world units
constexpr float LateralStep = 1.0f;      // world units
constexpr float LateralSpan = 224.0f;    // world units either side of x = 0
constexpr float HeadingStep = 0.5f;      // degrees
constexpr float MaxHeading = 20.0f;      // degrees; the blocks never need a sharper heading
// The map's points every step from -span to span, 0 among them.
constexpr int pointsAcross(float span, float step) { return 2 * static_cast<int>(span / step) + 1; }
// How far ahead the map looks, in world units: far enough to see a bend in time to take it.
constexpr float Foresight = 1500.0f;
static_assert(Foresight / SliceLength <= 255.0f, "the map stores distances in slices, in a byte");
// The map lets the car turn this share of its sharpest turn: the steering takes a while to build up.
constexpr double TurnAllowance = 0.75;
// A car in the air can still steer sideways before it lands, by about this much at most.
constexpr float MaxLandingCorrection = 100.0f; // world units
constexpr int LandingSamples = 9;
// The longest hold on the beam the planner looks ahead to when it judges a car on the beam.
constexpr int MaxHoldFrames = 80;

// The five held controls, as bits, each at its place in a script line's order.
enum ControlBit : unsigned {
    Forward = 1u << ScriptForward,
    Backward = 1u << ScriptBackward,
    Left = 1u << ScriptLeft,
    Right = 1u << ScriptRight,
    Mouse = 1u << ScriptMouse
};
using Controls = unsigned;

// Everything a frame reads or writes: going back to a snapshot replays the race from there.
struct Snapshot {
    Car car;
    GameState game;
    InputState input;
    SimClockState clock;
};

Snapshot takeSnapshot() { return {car, gameState, input, simClockSave()}; }

void restoreSnapshot(const Snapshot& snapshot)
{
    car = snapshot.car;
    gameState = snapshot.game;
    input = snapshot.input;
    simClockRestore(snapshot.clock);
}

// One frame as vantor-sim plays the line "16 <controls>" the plan will print for it.
void playFrame(Controls controls)
{
    ScriptFrame frame;
    frame.ms = FrameMs;
    for (int control = 0; control < ScriptControlCount; ++control)
        frame.held[control] = (controls & (1u << control)) != 0;
    playScriptFrame(frame, false);
}

bool groundAt(float x, float z) { return isGroundCell(trackRowOf(z), trackColumnOf(x)); }

// A car on the ground too close to the edge of a gap, which the game would still let pass, is
// treated as lost.
bool tooCloseToAnEdge()
{
    if (car.position.y != GroundHeight)
        return false;
    const float x = car.position.x;
    const float z = car.position.z;
    return !groundAt(x - GroundMargin, z - GroundMargin) || !groundAt(x + GroundMargin, z - GroundMargin) ||
           !groundAt(x - GroundMargin, z + GroundMargin) || !groundAt(x + GroundMargin, z + GroundMargin);
}

enum class Outcome { Going, Won, Lost };

struct StagePlayed {
    Outcome outcome;
    int frames; // played, the one that ended the race included
};

// Plays up to a stage of frames; stops at the frame that ends the race.
StagePlayed playStage(Controls first, Controls rest)
{
    for (int frame = 1; frame <= StageFrames; ++frame) {
        playFrame(frame == 1 ? first : rest);
        if (gameState.phase == RacePhase::Won)
            return {Outcome::Won, frame};
        if (gameState.phase == RacePhase::Disqualified || tooCloseToAnEdge())
            return {Outcome::Lost, frame};
    }
    return {Outcome::Going, StageFrames};
}

// What the car can do, read off the game rather than assumed, so that the planner follows the game
// if its physics changes: gravity, the forward acceleration and top speed the w key gives in the
// air, and the sharpest turn, in degrees per world unit driven.
struct Handling {
    double gravity = 0.0;         // units/ms per ms
    double keyAcceleration = 0.0; // units/ms per ms
    double keyTopSpeed = 0.0;     // units/ms
    double turnPerUnit = 0.0;     // degrees per world unit
};

// Drops the car from high above the track with w and d held, and puts the race back as it was.
// Must run at the first racing frame, since the keys act only while racing.
Handling measureHandling()
{
    constexpr float DropHeight = 100000.0f; // high enough not to land during the measurement
    constexpr int MeasuredFrames = 200;     // the second half of these runs at top speed and full lock
    const Snapshot before = takeSnapshot();
    car.position.y = DropHeight;
    car.velocity = {};
    const double stepMs = gameState.frameDeltaMs;
    playFrame(Forward | Right);
    Handling handling;
    handling.gravity = -car.velocity.y / stepMs;
    handling.keyAcceleration = car.velocity.z / stepMs;
    double distance = 0.0;
    double headingAtHalf = 0.0;
    for (int frame = 1; frame < MeasuredFrames; ++frame) {
        handling.keyTopSpeed = std::max(handling.keyTopSpeed, static_cast<double>(car.velocity.z));
        const Vec4 from = car.position;
        if (frame == MeasuredFrames / 2)
            headingAtHalf = car.orientation.y;
        playFrame(Forward | Right);
        if (frame >= MeasuredFrames / 2)
            distance += std::hypot(car.position.x - from.x, car.position.z - from.z);
    }
    handling.turnPerUnit = (car.orientation.y - headingAtHalf) / distance;
    restoreSnapshot(before);
    return handling;
}

// For every line across the track (a point every SliceLength along z, a lateral position and a
// heading), how far ahead a car there can surely drive on the blocks, turning no sharper than the
// car can, up to Foresight. Rows without any block count as open: only the beam can cross them,
// and the search judges the flight itself. Worked out backwards from the finish.
class TrackAhead {
public:
    explicit TrackAhead(const Handling& handling)
        : slices_(static_cast<int>(std::ceil(finishZ() / SliceLength)) + 1),
          positions_(pointsAcross(LateralSpan, LateralStep)),
          headings_(pointsAcross(MaxHeading, HeadingStep)),
          clear_(static_cast<std::size_t>(slices_) * positions_ * headings_),
          rowHasGround_(TrackRows)
    {
        for (int row = 0; row < TrackRows; ++row)
            for (int column = 0; column < TrackColumns; ++column)
                rowHasGround_[row] = rowHasGround_[row] || isGroundCell(row, column);
        const int openSlices = static_cast<int>(Foresight / SliceLength);
        const double turnPerSlice = TurnAllowance * handling.turnPerUnit * SliceLength;
        const int headingReach = std::max(1, static_cast<int>(turnPerSlice / HeadingStep));
        for (int slice = slices_ - 1; slice >= 0; --slice) {
            const float z = slice * SliceLength;
            const int row = trackRowOf(z);
            const bool open = row <= FinishRow || !hasGround(row) || slice == slices_ - 1;
            for (int position = 0; position < positions_; ++position) {
                const float x = xOf(position);
                const bool ground = groundAt(x - GroundMargin, z) && groundAt(x + GroundMargin, z);
                for (int heading = 0; heading < headings_; ++heading) {
                    std::uint8_t& here = at(slice, position, heading);
                    if (open)
                        here = static_cast<std::uint8_t>(openSlices);
                    else if (!ground)
                        here = 0;
                    else
                        here = static_cast<std::uint8_t>(
                            std::min(openSlices, 1 + bestNext(slice + 1, x, heading, headingReach)));
                }
            }
        }
    }

    // How far ahead a car on the ground here can surely drive, in world units.
    float clearDistance(float x, float z, float headingDegrees) const
    {
        const int slice = static_cast<int>(std::lround(z / SliceLength));
        const int position = static_cast<int>(std::lround((x + LateralSpan) / LateralStep));
        const int heading = static_cast<int>(std::lround((headingDegrees + MaxHeading) / HeadingStep));
        if (slice < 0 || position < 0 || position >= positions_ || heading < 0 || heading >= headings_)
            return 0.0f;
        if (slice >= slices_)
            return Foresight;
        return at(slice, position, heading) * SliceLength;
    }

    // Whether a car coming down at z can land on something: a row with blocks, or the finish.
    bool canLandAt(float z) const
    {
        const int row = trackRowOf(z);
        return row <= FinishRow || hasGround(row);
    }

private:
    bool hasGround(int row) const { return row >= 0 && row < TrackRows && rowHasGround_[row]; }

    // Where the finish zone starts, found from the track itself.
    static float finishZ()
    {
        float z = 0.0f;
        while (trackRowOf(z) > FinishRow)
            z += SliceLength;
        return z;
    }

    float xOf(int position) const { return position * LateralStep - LateralSpan; }

    std::uint8_t& at(int slice, int position, int heading)
    {
        return clear_[(static_cast<std::size_t>(slice) * positions_ + position) * headings_ + heading];
    }
    std::uint8_t at(int slice, int position, int heading) const
    {
        return clear_[(static_cast<std::size_t>(slice) * positions_ + position) * headings_ + heading];
    }

    // The best of the next slice's lines a car can reach from x with the given heading: its heading
    // carries it sideways, and it may turn by up to headingReach steps. Between two lateral
    // positions the worse counts.
    int bestNext(int slice, float x, int heading, int headingReach) const
    {
        const double degrees = heading * HeadingStep - MaxHeading;
        const double nextX = x - std::tan(degrees * DegreesToRadians) * SliceLength;
        const double place = (nextX + LateralSpan) / LateralStep;
        const int left = static_cast<int>(std::floor(place));
        const int right = left + 1;
        if (left < 0 || right >= positions_)
            return 0;
        int best = 0;
        const int lowest = std::max(0, heading - headingReach);
        const int highest = std::min(headings_ - 1, heading + headingReach);
        for (int next = lowest; next <= highest; ++next)
            best = std::max(best, static_cast<int>(std::min(at(slice, left, next), at(slice, right, next))));
        return best;
    }

    int slices_;
    int positions_;
    int headings_;
    std::vector<std::uint8_t> clear_;
    std::vector<bool> rowHasGround_;
};

bool grapplePointWithin(const Car& c, float distance)
{
    for (int slot = 0; slot < GrapplePointCount; ++slot)
        if (grappleDistance(c.position, grapplePoints[slot].position) < distance)
            return true;
    return false;
}

// How far a car flying with w held moves forward in the given time, from the forward speed given.
double forwardDistance(const Handling& handling, double speed, double ms)
{
    if (speed >= handling.keyTopSpeed)
        return speed * ms;
    const double rampMs = (handling.keyTopSpeed - speed) / handling.keyAcceleration;
    if (ms <= rampMs)
        return speed * ms + 0.5 * handling.keyAcceleration * ms * ms;
    const double ramp = speed * rampMs + 0.5 * handling.keyAcceleration * rampMs * rampMs;
    return ramp + handling.keyTopSpeed * (ms - rampMs);
}

// How far beyond its position a car can surely get: on the ground, what the map of the track ahead
// says; in the air, to where it comes down if it flies free from now (w held, no turn; a car on
// the beam lets go) and as far on as the map allows there, within the sideways correction that
// steering in the air could still make.
float sureDistance(const Car& c, const Handling& handling, const TrackAhead& ahead)
{
    if (c.position.y == GroundHeight && !c.grappleAttached)
        return ahead.clearDistance(c.position.x, c.position.z, c.orientation.y);
    const double rise = c.velocity.y;
    const double height = c.position.y - GroundHeight;
    const double gravity = handling.gravity;
    const double fallMs = (rise + std::sqrt(rise * rise + 2.0 * gravity * height)) / gravity;
    const double heading = c.orientation.y * DegreesToRadians;
    const double forward = forwardDistance(handling, c.velocity.z, fallMs);
    const double sideways = c.velocity.x * fallMs;
    const double landingX = c.position.x - std::sin(heading) * forward + std::cos(heading) * sideways;
    const double landingZ = c.position.z + std::cos(heading) * forward + std::sin(heading) * sideways;
    const double flight = landingZ - c.position.z;
    if (flight >= Foresight)
        return Foresight;
    const double turnRadians = handling.turnPerUnit * DegreesToRadians;
    const double correction = std::min<double>(MaxLandingCorrection, 0.5 * turnRadians * forward * forward);
    // The map counts a row without blocks as open for a car driving into it, but nothing can land
    // there.
    if (!ahead.canLandAt(static_cast<float>(landingZ)))
        return static_cast<float>(std::max(0.0, flight));
    float best = 0.0f;
    for (int sample = 0; sample < LandingSamples; ++sample) {
        const double offset = correction * (2.0 * sample / (LandingSamples - 1) - 1.0);
        best = std::max(best, ahead.clearDistance(static_cast<float>(landingX + offset),
                                                  static_cast<float>(landingZ), c.orientation.y));
    }
    return static_cast<float>(std::min<double>(Foresight, flight + best));
}

// What a stage holds: the controls of its first frame and of the rest.
struct Choice {
    Controls first;
    Controls rest;
};

// The choices worth trying from the current state: drive (w or coast, steering either way or not);
// near a grapple point, press the button; on the beam, hold it, or let go for one frame and press
// again, which takes the closest point afresh.
std::vector<Choice> choicesHere()
{
    std::vector<Choice> choices;
    for (Controls throttle : {Controls{Forward}, Controls{0}})
        for (Controls steer : {Controls{0}, Controls{Left}, Controls{Right}})
            choices.push_back({throttle | steer, throttle | steer});
    if (car.grappleAttached) {
        choices.push_back({Mouse | Forward, Mouse | Forward});
        choices.push_back({Forward, Mouse | Forward});
    } else if (grapplePointWithin(car, GrappleReach + ReachLookahead)) {
        choices.push_back({Mouse | Forward, Mouse | Forward});
    }
    return choices;
}

long quantise(float value, float cell) { return std::lround(value / cell); }

std::uint64_t duplicateKey(const Car& c)
{
    const long fields[] = {
        quantise(c.position.x, PositionCell), quantise(c.position.y, PositionCell),
        quantise(c.orientation.y, HeadingCell), quantise(c.velocity.x, VelocityCell),
        quantise(c.velocity.y, VelocityCell), quantise(c.velocity.z, VelocityCell),
        quantise(c.steer, SteerCell), c.grappleAttached ? 1 : 0,
    };
    std::uint64_t key = 1469598103934665603ull;
    for (long field : fields)
        key = (key ^ static_cast<std::uint64_t>(field)) * 1099511628211ull;
    return key;
}

std::uint64_t stratumKey(const Car& c)
{
    return (static_cast<std::uint64_t>(quantise(c.position.x, StratumWidth)) << 32) ^
           static_cast<std::uint64_t>(quantise(c.position.y, StratumHeight));
}

// One choice in the search tree: the controls held for some frames after the parent's.
struct Step {
    int parent; // -1 for the first stage of the race
    Choice choice;
    int frames;
};

// A state of the search: the snapshot, how it was reached, and how good it looks.
struct BeamEntry {
    Snapshot state;
    Step step;
    float score;
};

// Keeps the best state of each group of near-duplicates, then the best BeamWidth of those, taken
// in turns from each stratum of the track's width and height: the best of each, then the second
// best of each, and so on. Ranked by score alone the beam would crowd into one line across the
// track, and the line a later stretch needs could be lost.
std::vector<BeamEntry> prune(std::vector<BeamEntry> candidates)
{
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const BeamEntry& a, const BeamEntry& b) { return a.score > b.score; });
    std::unordered_set<std::uint64_t> seen;
    std::unordered_map<std::uint64_t, int> takenInStratum;
    std::vector<std::pair<int, std::size_t>> turns; // (turn within its stratum, place by score)
    for (std::size_t index = 0; index < candidates.size(); ++index) {
        const Car& c = candidates[index].state.car;
        if (seen.insert(duplicateKey(c)).second)
            turns.push_back({takenInStratum[stratumKey(c)]++, index});
    }
    std::sort(turns.begin(), turns.end());
    if (turns.size() > BeamWidth)
        turns.resize(BeamWidth);
    std::vector<BeamEntry> kept;
    for (const auto& turn : turns)
        kept.push_back(std::move(candidates[turn.second]));
    std::stable_sort(kept.begin(), kept.end(),
                     [](const BeamEntry& a, const BeamEntry& b) { return a.score > b.score; });
    return kept;
}

struct Plan {
    int countdownFrames = 0;
    std::vector<Controls> raceFrames;
    std::uint32_t raceMs = 0;
};

std::vector<Controls> framesOf(const std::vector<Step>& steps, int last)
{
    std::vector<Controls> frames;
    for (int index = last; index >= 0; index = steps[index].parent) {
        const Step& step = steps[index];
        frames.insert(frames.begin(), step.frames - 1, step.choice.rest);
        frames.insert(frames.begin(), step.choice.first);
    }
    return frames;
}

// A car on the beam is worth the best it can make of letting go at some stage from now on: how far
// it can then surely get, less the way a car at top speed would have made while it held on, so
// that it compares fairly with the states of this stage. Plays the hold on from the current state
// and leaves the race wherever that ended; the caller restores what it needs.
float bestLetGo(const Handling& handling, const TrackAhead& ahead)
{
    float best = car.position.z + sureDistance(car, handling, ahead);
    for (int held = StageFrames; held <= MaxHoldFrames; held += StageFrames) {
        const Outcome outcome = playStage(Mouse | Forward, Mouse | Forward).outcome;
        if (outcome == Outcome::Lost)
            break;
        const float lag = static_cast<float>(handling.keyTopSpeed * held * FrameMs);
        if (outcome == Outcome::Won)
            return std::max(best, car.position.z + Foresight - lag);
        best = std::max(best, car.position.z + sureDistance(car, handling, ahead) - lag);
    }
    return best;
}

// The beam search from the first racing frame: every state of the beam tries each choice for a
// stage; states that lose are dropped, and the best of the rest, by how far along the track they
// can surely get, make the next beam. The first stage with a win gives the plan.
bool searchRace(Plan& plan, const Handling& handling, const TrackAhead& ahead)
{
    // The steps of the states kept so far; a beam entry's step names its parent in here.
    std::vector<Step> steps;
    std::vector<BeamEntry> beam = {{takeSnapshot(), {-1, {0, 0}, 0}, 0.0f}};
    int racedFrames = 0;
    while (!beam.empty() && racedFrames < MaxRaceFrames) {
        std::vector<BeamEntry> next;
        Step bestWin = {-1, {0, 0}, StageFrames + 1};
        for (const BeamEntry& entry : beam) {
            // The first state, the race's start, has no step of its own.
            int parent = -1;
            if (entry.step.frames > 0) {
                parent = static_cast<int>(steps.size());
                steps.push_back(entry.step);
            }
            restoreSnapshot(entry.state);
            for (const Choice& choice : choicesHere()) {
                restoreSnapshot(entry.state);
                const auto [outcome, frames] = playStage(choice.first, choice.rest);
                if (outcome == Outcome::Lost)
                    continue;
                if (outcome == Outcome::Won) {
                    if (frames < bestWin.frames) {
                        bestWin = {parent, choice, frames};
                        plan.raceMs = gameState.raceEndMs - gameState.raceStartMs;
                    }
                    continue;
                }
                Snapshot reached = takeSnapshot();
                const float score = car.grappleAttached ? bestLetGo(handling, ahead)
                                                        : car.position.z + sureDistance(car, handling, ahead);
                next.push_back({std::move(reached), {parent, choice, frames}, score});
            }
        }
        if (bestWin.frames <= StageFrames) {
            steps.push_back(bestWin);
            plan.raceFrames = framesOf(steps, static_cast<int>(steps.size()) - 1);
            return true;
        }
        beam = prune(std::move(next));
        racedFrames += StageFrames;
    }
    return false;
}

// Plays the countdown with no controls, up to the first frame that races.
int playCountdown()
{
    int frames = 0;
    for (;;) {
        const Snapshot before = takeSnapshot();
        playFrame(0);
        if (gameState.phase == RacePhase::Racing) {
            restoreSnapshot(before);
            return frames;
        }
        ++frames;
    }
}

std::string controlWord(Controls controls)
{
    std::string word;
    for (int control = 0; control < ScriptControlCount; ++control)
        if (controls & (1u << control))
            word += ScriptControlLetters[control];
    return word.empty() ? "-" : word;
}

void printScript(const Plan& plan)
{
    std::printf("# A run that wins the race with %d ms frames, race time %s, found by vantor-race-planner\n"
                "# (a beam search on the game's own simulation). Made again with:\n"
                "#   vantor-race-planner > tests/scripts/winning_run.txt\n",
                FrameMs, formatRaceTime(plan.raceMs, "").c_str());
    for (int frame = 0; frame < plan.countdownFrames; ++frame)
        std::printf("%d -\n", FrameMs);
    for (Controls controls : plan.raceFrames)
        std::printf("%d %s\n", FrameMs, controlWord(controls).c_str());
}

} // namespace

int main()
{
    startScriptedRace();
    Plan plan;
    plan.countdownFrames = playCountdown();
    const Handling handling = measureHandling();
    const TrackAhead ahead(handling);
    if (!searchRace(plan, handling, ahead)) {
        std::fprintf(stderr, "vantor-race-planner: no winning run found\n");
        return 1;
    }
    printScript(plan);
    return 0;
}

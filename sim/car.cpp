// The car's motion: the driving keys, gravity, friction, the steering spring and the integration.
#include "sim/car.h"

#include "game/input.h"
#include "game/race_flow.h"
#include "sim/grapple.h"
#include "sim/track.h"

// Rates are per millisecond and are scaled by the frame's time step, except the turn.
constexpr float ForwardAcceleration = 0.0005f;  // units/ms per ms, key w
constexpr float BackwardAcceleration = 0.0005f; // units/ms per ms, key s
constexpr float MaxForwardSpeed = 0.8f;         // units/ms, the bound of key w only
constexpr float MaxBackwardSpeed = 0.3f;        // units/ms, the bound of key s only (as -0.3)
constexpr float SteerRate = 0.005f;             // steer per ms, keys a and d
constexpr float MaxSteer = 0.5f;
constexpr float SteerReturnRate = 0.0035f;      // steer per ms, the spring back to centre
constexpr float GroundFriction = 0.0002f;       // units/ms per ms, on the ground only
constexpr float Gravity = 0.0003f;              // units/ms per ms, whenever the beam is not attached
constexpr float MinTurnFactor = 0.08f;          // lets the car turn on the spot at low speed

Car car;

namespace {

float timeStep() { return static_cast<float>(gameState.frameDeltaMs); }

// Moves value toward zero by step; a value within the step stops at zero.
float decayTowardZero(float value, float step)
{
    if (value > step)
        return value - step;
    if (value < -step)
        return value + step;
    return 0.0f;
}

} // namespace

void applyDrivingInput()
{
    const float dt = timeStep();
    // A change that would reach or pass its bound is dropped whole: the value stays where it was
    // rather than snapping to the bound. Each candidate is rounded to float before the comparison.
    if (input.forwardHeld) {
        const float candidate = car.velocity.z + dt * ForwardAcceleration;
        if (candidate < MaxForwardSpeed)
            car.velocity.z = candidate;
    }
    if (input.backwardHeld) {
        const float candidate = car.velocity.z - dt * BackwardAcceleration;
        if (candidate > -MaxBackwardSpeed)
            car.velocity.z = candidate;
    }
    if (input.leftHeld) {
        const float candidate = car.steer - dt * SteerRate;
        if (candidate > -MaxSteer)
            car.steer = candidate;
    }
    if (input.rightHeld) {
        const float candidate = car.steer + dt * SteerRate;
        if (candidate < MaxSteer)
            car.steer = candidate;
    }
}

void applyGravityAndFriction()
{
    const float dt = timeStep();
    if (!car.grappleAttached) {
        car.velocity.y = car.velocity.y - Gravity * dt;
        // Friction only for a car resting on the ground, which the height clamp makes exact.
        if (car.position.y == GroundHeight) {
            const float friction = GroundFriction * dt;
            car.velocity.x = decayTowardZero(car.velocity.x, friction);
            car.velocity.y = decayTowardZero(car.velocity.y, friction);
            car.velocity.z = decayTowardZero(car.velocity.z, friction);
        }
    }
    car.steer = decayTowardZero(car.steer, SteerReturnRate * dt);
}

void integrateCar()
{
    // The turn is per frame and deliberately not scaled by the time step: a faster machine turns
    // the car faster per second. At low forward speed a minimum factor lets it turn on the spot;
    // backing up turns it the other way.
    float turnFactor = car.velocity.z;
    if (car.velocity.z >= 0.0f && car.velocity.z < MinTurnFactor)
        turnFactor = MinTurnFactor;
    car.orientation.y = car.orientation.y + turnFactor * car.steer;

    // The velocity is held in the car's own frame; turn it into world axes, x then y then z.
    const Vec4 world = rotateAboutAxis(
        'z', car.orientation.z,
        rotateAboutAxis('y', car.orientation.y, rotateAboutAxis('x', car.orientation.x, car.velocity)));

    const float dt = timeStep();
    car.position.x = car.position.x + world.x * dt;
    car.position.y = car.position.y + world.y * dt;
    car.position.z = car.position.z + world.z * dt;

    bounceOffGrapplePoints();

    // Nothing falls below the blocks' top: the track test decides whether there is ground here.
    if (car.position.y < GroundHeight) {
        car.position.y = GroundHeight;
        car.velocity.y = 0.0f;
    }

    if (gameState.phase == RacePhase::Racing)
        checkTrackUnderCar(car.position);
}

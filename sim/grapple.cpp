// The grapple beam and the grapple points.
#include "sim/grapple.h"

#include "assets/model_loader.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "sim/car.h"

GrapplePoint grapplePoints[GrapplePointSlots];

namespace {

// Over the 1300-unit gap, between the crossing lanes, over the scattered blocks, and over the
// 3000-unit gap before the finish funnel.
constexpr Vec4 GrapplePointPositions[GrapplePointCount] = {
    {-2.0f, 100.0f, 2350.0f},
    {-14.0f, 100.0f, 5450.0f},
    {6.0f, 100.0f, 13750.0f},
    {32.0f, 100.0f, 17850.0f},
};

bool insideOpenInterval(float value, float centre)
{
    return centre - GrapplePointHalfSize < value && value < centre + GrapplePointHalfSize;
}

} // namespace

void placeGrapplePoints()
{
    for (int slot = 0; slot < GrapplePointCount; ++slot)
        grapplePoints[slot].position = GrapplePointPositions[slot];
}

void setupGrapplePoints()
{
    for (int slot = 0; slot < GrapplePointCount; ++slot) {
        loadModel(grapplePoints[slot].model, "model_grapple_point.obj", GrapplePointScale);
        grapplePoints[slot].position = GrapplePointPositions[slot];
    }
}

float grappleDistance(const Vec4& from, const Vec4& point)
{
    return vectorLength({point.x - from.x, point.y - from.y, point.z - from.z});
}

bool tryAttachGrapple()
{
    float best = GrappleReach;
    bool found = false;
    for (int slot = 0; slot < GrapplePointCount; ++slot) {
        const Vec4& point = grapplePoints[slot].position;
        const float distance = grappleDistance(car.position, point);
        if (distance < best) {
            car.anchor = {point.x, point.y, point.z};
            best = distance;
            found = true;
        }
    }
    return found;
}

void applyGrapplePull()
{
    if (!input.grappleButtonHeld) {
        car.grappleAttached = false; // gravity returns in this same frame
        return;
    }
    const Vec4 towardAnchor = {car.anchor.x - car.position.x, car.anchor.y - car.position.y,
                               car.anchor.z - car.position.z};
    // A car exactly at the anchor has no direction to be pulled in, so the pull is skipped rather
    // than dividing by a zero length.
    if (towardAnchor.x == 0.0f && towardAnchor.y == 0.0f && towardAnchor.z == 0.0f)
        return;
    const Vec4 n = unitVector(towardAnchor);
    const float k = static_cast<float>(gameState.frameDeltaMs) * GrapplePull;
    Vec4 pull = {n.x * k, n.y * k, n.z * k, n.w};

    // The velocity lives in the car's own frame: undo the car's rotation, in the same axis order.
    pull = rotateAboutAxis('x', -car.orientation.x, pull);
    pull = rotateAboutAxis('y', -car.orientation.y, pull);
    pull = rotateAboutAxis('z', -car.orientation.z, pull);

    car.velocity.x = car.velocity.x + pull.x;
    car.velocity.y = car.velocity.y + pull.y;
    car.velocity.z = car.velocity.z + pull.z;
}

void bounceOffGrapplePoints()
{
    for (int slot = 0; slot < GrapplePointCount; ++slot) {
        const Vec4& point = grapplePoints[slot].position;
        if (insideOpenInterval(car.position.x, point.x) && insideOpenInterval(car.position.y, point.y) &&
            insideOpenInterval(car.position.z, point.z)) {
            // The full vertical speed is kept: a car dropping onto a point keeps bouncing on it.
            car.velocity.y = -car.velocity.y;
            car.position.y = car.velocity.y > 0.0f ? point.y + GrapplePointHalfSize
                                                   : point.y - GrapplePointHalfSize;
        }
    }
}

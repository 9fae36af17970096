// The 3D scene of one frame.
#include "sim/world_draw.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "game/frame.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "render/draw_model.h"
#include "sim/car.h"
#include "sim/glow_material.h"
#include "sim/grapple.h"
#include "sim/track.h"

namespace {

constexpr Vec3 beamColor = {0.0f, 1.0f, 0.0f};

constexpr double SkyRadius = 10000.0;
constexpr int SkySlices = 30;
constexpr int SkyStacks = 30;
constexpr float SteerLeanDegrees = 25.0f; // body lean per unit of steer, up to 12.5 degrees
constexpr int BuildingsPerRow = 125;
constexpr float BuildingSpacing = 400.0f;
constexpr float BuildingRowOffset = 200.0f; // each row stands this far to the side of the track

void setEmission(const float color[4]) { glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, color); }

void setEmission(Vec3 color)
{
    const float rgba[4] = {color.x, color.y, color.z, 1.0f};
    setEmission(rgba);
}

// The car's drawing transform; rotating by the negated heading about y carries the model's +z
// axis to the car's forward direction, so the picture matches the simulation.
void applyCarTransform()
{
    const Vec4& p = car.position;
    const Vec4& o = car.orientation;
    glTranslatef(p.x, p.y, p.z);
    glRotatef(-o.x, 1.0f, 0.0f, 0.0f);
    glRotatef(-o.y, 0.0f, 1.0f, 0.0f);
    glRotatef(-o.z, 0.0f, 0.0f, 1.0f);
    glRotatef(car.steer * SteerLeanDegrees, 0.0f, 0.0f, 1.0f);
}

void drawBuildings()
{
    glPushMatrix();
        glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
        glTranslatef(0.0f, 0.0f, -BuildingRowOffset);
        for (int i = 0; i < BuildingsPerRow; ++i) {
            glTranslatef(-BuildingSpacing, 0.0f, 0.0f);
            drawModel(buildingsModel);
        }
        glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
        glTranslatef(0.0f, 0.0f, -2.0f * BuildingRowOffset);
        for (int i = 0; i < BuildingsPerRow; ++i) {
            glTranslatef(-BuildingSpacing, 0.0f, 0.0f);
            drawModel(buildingsModel);
        }
    glPopMatrix();
}

void drawTailLights()
{
    setGlowMaterial(tailLightColorQuarter);
    if (!car.grappleAttached && gameState.phase == RacePhase::Racing) {
        if (input.forwardHeld)
            setEmission(tailLightColor);
        else if (input.backwardHeld)
            setEmission(tailLightColorHalf);
    }
    glPushMatrix();
        applyCarTransform();
        glBegin(GL_QUADS);
            glVertex3f(0.8f, 1.345f, -2.1f);
            glVertex3f(0.8f, 0.145f, -2.1f);
            glVertex3f(0.165f, 0.145f, -2.1f);
            glVertex3f(0.165f, 1.345f, -2.1f);
        glEnd();
        glBegin(GL_QUADS);
            glVertex3f(-0.165f, 1.345f, -2.1f);
            glVertex3f(-0.165f, 0.145f, -2.1f);
            glVertex3f(-0.8f, 0.145f, -2.1f);
            glVertex3f(-0.8f, 1.345f, -2.1f);
        glEnd();
    glPopMatrix();
}

void drawBeam()
{
    const Vec4& p = car.position;
    // The beam's colour must not stay current: the ambient-map pass of every model multiplies its
    // texture by the current colour, so a green left behind would tint every glowing window.
    glPushAttrib(GL_CURRENT_BIT);
    glPushMatrix();
        setGlowMaterial(beamColor);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor3f(beamColor.x, beamColor.y, beamColor.z);
        glBegin(GL_TRIANGLES);
            glVertex3f(car.anchor.x, car.anchor.y, car.anchor.z);
            glVertex3f(p.x + 1.0f, p.y, p.z);
            glVertex3f(p.x - 1.0f, p.y, p.z);
        glEnd();
    glPopMatrix();
    glPopAttrib();
    glDisable(GL_BLEND);
}

} // namespace

void drawTrack()
{
    setGlowMaterial(trackColor);
    // One flat quad per ground cell at block height, counter-clockwise seen from above. The corners
    // are given in world coordinates under one matrix, so that neighbouring blocks share their
    // corners bit for bit: blocks moved into place one by one are each rounded differently, and
    // the ground shows through pinholes where four of them meet.
    glBegin(GL_QUADS);
        for (int k = 0; k < TrackRows; ++k) {
            const int row = TrackRows - 1 - k;
            const float nearZ = 100.0f * static_cast<float>(k);
            const float farZ = nearZ + 100.0f;
            for (int column = 0; column < TrackColumns; ++column) {
                if (trackMap.rows[row][column] != '1')
                    continue;
                const float leftX = 196.0f - 4.0f * static_cast<float>(column);
                const float rightX = leftX - 4.0f;
                glVertex3f(rightX, GroundHeight, farZ);
                glVertex3f(leftX, GroundHeight, farZ);
                glVertex3f(leftX, GroundHeight, nearZ);
                glVertex3f(rightX, GroundHeight, nearZ);
            }
        }
    glEnd();
}

void drawWorld()
{
    const Vec4& p = car.position;

    // The models set no emission of their own, and the previous frame ended with a glowing one.
    setEmission(black);

    glPushMatrix();
        applyCarTransform();
        drawModel(carModel);
    glPopMatrix();

    // The ground and the sky follow the car across the plane, but not up and down.
    glPushMatrix();
        glTranslatef(p.x, 0.0f, p.z);
        drawModel(groundBlockModel);
    glPopMatrix();

    for (int slot = 0; slot < GrapplePointCount; ++slot) {
        const Vec4& point = grapplePoints[slot].position;
        glPushMatrix();
            glTranslatef(point.x, point.y, point.z);
            drawModel(grapplePoints[slot].model);
        glPopMatrix();
    }

    drawBuildings();

    endModelDrawing();

    glPushMatrix();
        setGlowMaterial(skyColor);
        glTranslatef(p.x, 0.0f, p.z);
        gluSphere(quadric, SkyRadius, SkySlices, SkyStacks);
    glPopMatrix();

    drawTrack();
    drawTailLights();
    if (car.grappleAttached)
        drawBeam();
}

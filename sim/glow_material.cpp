// The glowing material of the sky, the track, the tail lights, the beam and the text.
#include "sim/glow_material.h"

#include <GL/gl.h>

void setGlowMaterial(Vec3 color)
{
    // The emission's alpha has no effect: the lit alpha comes from the diffuse colour.
    const float emission[4] = {color.x, color.y, color.z, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
}

// The viewer's scene: the camera around the model, the model drawn as the game draws it.
#include "tools/model_view/viewer.h"

#include <GL/glu.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "assets/model_loader.h"
#include "render/draw_model.h"
#include "sim/glow_material.h"
#include "sim/world_draw.h"

namespace {

constexpr float MinPitch = -89.0f, MaxPitch = 89.0f;
constexpr float FieldOfViewDegrees = 45.0f; // upright
constexpr float Radians = 3.14159265f / 180.0f;
constexpr float MinDistance = 0.1f, MaxDistance = 50.0f; // in distances that fit the model in view
constexpr float BlockHalfWidth = 2.0f, BlockHalfLength = 50.0f; // a track cell, 4 by 100

} // namespace

ModelViewer::ModelViewer(const std::filesystem::path& file, float scale)
    : name_(file.filename().string()), scale_(scale)
{
    // Where the folder cannot be entered, the loader is given the whole path and says it is not
    // there, rather than finding a file of the same name here.
    std::error_code failed;
    if (file.has_parent_path()) {
        std::filesystem::current_path(file.parent_path(), failed);
        if (failed)
            name_ = file.string();
    }
    edgeLines_ = !rendererCannotDrawEdgeLists(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    reload();
}

void ModelViewer::reload()
{
    model_.reset(); // its destructor deletes the display lists and textures
    model_ = std::make_unique<Model>();
    loadModel(*model_, name_.c_str(), scale_);
    // The loader's lines now, not when the viewer ends, where its output goes to a pipe or a file.
    std::fflush(stdout);
    model_->useEdgeLists = edgeLines_;
}

void ModelViewer::toggleOutlines()
{
    // Where the renderer made the load skip the edge lists, drawing them shows no outline at all.
    edgeLines_ = !edgeLines_;
    model_->useEdgeLists = edgeLines_;
}

void ModelViewer::orbit(float yawDegrees, float pitchDegrees)
{
    setView(yaw_ + yawDegrees, pitch_ + pitchDegrees);
}

void ModelViewer::setView(float yawDegrees, float pitchDegrees)
{
    yaw_ = std::fmod(yawDegrees, 360.0f);
    pitch_ = std::clamp(pitchDegrees, MinPitch, MaxPitch);
}

void ModelViewer::zoom(float factor)
{
    distance_ = std::clamp(distance_ * factor, MinDistance, MaxDistance);
}

void ModelViewer::draw(int width, int height) const
{
    glViewport(0, 0, width, height);
    glClearColor(skyColor.x, skyColor.y, skyColor.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Model& m = *model_;
    // Far enough back that the sphere around the model's bounds fills the view at distance 1; an
    // empty model, whose bounds are its origin alone, is seen as if it were one unit across.
    const float dx = m.maxX - m.minX, dy = m.maxY - m.minY, dz = m.maxZ - m.minZ;
    const float diameter = std::sqrt(dx * dx + dy * dy + dz * dz);
    const float radius = diameter > 0.0f ? diameter / 2.0f : 0.5f;
    const float distance = distance_ * radius / std::sin(FieldOfViewDegrees / 2.0f * Radians);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfViewDegrees, static_cast<double>(width) / std::max(height, 1), distance / 100.0, distance * 10.0 + 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -distance);
    glRotatef(pitch_, 1.0f, 0.0f, 0.0f);
    glRotatef(-yaw_, 0.0f, 1.0f, 0.0f);
    glTranslatef(-(m.minX + m.maxX) / 2, -(m.minY + m.maxY) / 2, -(m.minZ + m.maxZ) / 2);

    // As the world drawing does: no emission of the models' own, and off what their passes leave on.
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    drawModel(m);
    endModelDrawing();
    if (trackBlock_) {
        // Its top at the model's origin, where the game stands a car on the track, or lower where
        // the model reaches below it (the bounds always hold the origin).
        const float top = m.minY;
        setGlowMaterial(trackColor);
        glBegin(GL_QUADS);
            glVertex3f(-BlockHalfWidth, top, BlockHalfLength);
            glVertex3f(BlockHalfWidth, top, BlockHalfLength);
            glVertex3f(BlockHalfWidth, top, -BlockHalfLength);
            glVertex3f(-BlockHalfWidth, top, -BlockHalfLength);
        glEnd();
    }
}

bool ModelViewer::writePicture(const std::string& file, int width, int height) const
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    stbi_flip_vertically_on_write(1); // OpenGL's rows come from the bottom up
    return stbi_write_png(file.c_str(), width, height, 3, pixels.data(), width * 3) != 0;
}

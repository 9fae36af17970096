// A model as the game draws it, seen from any side: loaded through the game's own load pipeline and
// drawn with its own drawing and lighting, before the game's sky, with a track block for scale.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "assets/model.h"

class ModelViewer {
public:
    // Works in the model's folder from now on, where the game's loader looks for its libraries and
    // textures, and loads the model with the loader's console lines.
    ModelViewer(const std::filesystem::path& file, float scale);

    // Unloads the model, every display list and texture of it, and reads the files again.
    void reload();

    // The camera circles the model's middle: yaw about the vertical, pitch up and down (held short
    // of straight up or down), distance in multiples of the one that just fits the model in view.
    void orbit(float yawDegrees, float pitchDegrees);
    void zoom(float factor);
    void setView(float yawDegrees, float pitchDegrees);

    // Outlines as edge lines or, as on renderers that cannot draw those, as faces drawn as lines.
    // Starts as the game would draw them on this renderer.
    void toggleOutlines();
    bool edgeLines() const { return edgeLines_; }
    // One track block, 4 by 100 units, under the model and its origin.
    void toggleTrackBlock() { trackBlock_ = !trackBlock_; }

    bool loaded() const { return model_->materialCount > 0; }

    // Clears to the game's sky and draws the model into a viewport of the given size.
    void draw(int width, int height) const;

    // The picture drawn last, written as a PNG file; false when it cannot be written.
    bool writePicture(const std::string& file, int width, int height) const;

private:
    std::string name_;
    float scale_;
    std::unique_ptr<Model> model_;
    float yaw_ = 30.0f, pitch_ = 20.0f, distance_ = 1.1f;
    bool edgeLines_ = true;
    bool trackBlock_ = false;
};

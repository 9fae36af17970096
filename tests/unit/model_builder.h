// Builds a model's load buffer by hand, as the OBJ reader would leave it, for the passes that
// come after the reader.
#pragma once

#include <algorithm>
#include <deque>
#include <memory>

#include "assets/obj_reader.h"

class ModelBuilder {
public: ModelBuilder() : buffer_(std::make_unique<ModelLoadBuffer>())
    {
        for (MaterialDef& def : buffer_->materialDefs)
            setMaterialDefDefaults(def);
        model.loadBuffer = buffer_.get();
        model.materialCount = 1;
    }
    ~ModelBuilder() { model.loadBuffer = nullptr; }

    Model model;
    ModelLoadBuffer& buffer() { return *buffer_; }
    int vertex(float x, float y, float z) { return add(buffer_->vertices, buffer_->vertexCount, {x, y, z}); }
    int texCoord(float u, float v) { return add(buffer_->texCoords, buffer_->texCoordCount, {u, v, 0.0f}); }
    int normal(float x, float y, float z) { return add(buffer_->normals, buffer_->normalCount, {x, y, z}); }
    // Selects group g as a "usemtl" line would, and makes it smooth or flat.
    void useMaterial(int g, bool smoothNormals = false, bool smoothEdges = false)
    {
        group_ = g;
        buffer_->groups[g].materialIndex = g;
        buffer_->materialDefs[g].smoothNormals = smoothNormals;
        buffer_->materialDefs[g].smoothEdges = smoothEdges;
        model.materialCount = std::max(model.materialCount, g + 1);
    }
    // A face over position indices; texture-coordinate and normal indices are optional.
    Face& face(std::initializer_list<int> v, std::initializer_list<int> vt = {}, std::initializer_list<int> vn = {})
    {
        Face& f = faces_.emplace_back(Face{{-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {0, 0, 0}, vn.size() > 0, 0, nullptr});
        std::copy(v.begin(), v.end(), f.v);
        std::copy(vt.begin(), vt.end(), f.vt);
        std::copy(vn.begin(), vn.end(), f.vn);
        FaceGroup& group = buffer_->groups[group_];
        appendFace(v.size() == 4 ? group.quads : group.triangles, v.size() == 4 ? group.lastQuad : group.lastTriangle, &f);
        return f;
    }

private: static int add(Vec3* array, std::int32_t& count, Vec3 value)
    {
        array[count] = value;
        return count++;
    }
    std::unique_ptr<ModelLoadBuffer> buffer_;
    std::deque<Face> faces_;
    int group_ = 0;
};

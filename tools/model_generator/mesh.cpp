// Building a mesh and writing it as an OBJ file.
#include "mesh.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

// Four decimals keep a tenth of a millimetre on a car and two world units on the ground model,
// which is loaded 20000 times larger: far below anything a player can see.
constexpr int Decimals = 4;

// " v" or " v/vt"; OBJ indices start at 1.
void appendCorner(std::string& text, const Corner& corner)
{
    text += ' ';
    text += std::to_string(corner.position + 1);
    if (corner.texCoord >= 0) {
        text += '/';
        text += std::to_string(corner.texCoord + 1);
    }
}

} // namespace

std::string formatNumber(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", Decimals, static_cast<double>(value));
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    if (s == "-0")
        s = "0";
    return s;
}

int Mesh::addPosition(Point3 p)
{
    positions_.push_back(p);
    return static_cast<int>(positions_.size()) - 1;
}

int Mesh::addTexCoord(TexCoord t)
{
    // Compared as the file will show them, so that coordinates that print alike are written once.
    const std::pair<std::string, std::string> key = {formatNumber(t.u), formatNumber(t.v)};
    const auto found = texCoordIndex_.find(key);
    if (found != texCoordIndex_.end())
        return found->second;
    texCoords_.push_back(t);
    const int index = static_cast<int>(texCoords_.size()) - 1;
    texCoordIndex_.emplace(key, index);
    return index;
}

void Mesh::useMaterial(const std::string& name)
{
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        if (groups_[i].material == name) {
            currentGroup_ = static_cast<int>(i);
            return;
        }
    }
    groups_.push_back({name, {}});
    currentGroup_ = static_cast<int>(groups_.size()) - 1;
}

void Mesh::addFace(const Face& face)
{
    if (currentGroup_ < 0)
        throw std::logic_error("a face before any material");
    const bool textured = face.corners[0].texCoord >= 0;
    for (int k = 0; k < face.cornerCount; ++k) {
        const Corner& c = face.corners[k];
        if (c.position < 0 || c.position >= static_cast<int>(positions_.size()))
            throw std::logic_error("a face corner without a position");
        if ((c.texCoord >= 0) != textured || c.texCoord >= static_cast<int>(texCoords_.size()))
            throw std::logic_error("a face with texture coordinates on only some corners");
    }
    groups_[static_cast<std::size_t>(currentGroup_)].faces.push_back(face);
}

void Mesh::addTriangle(Corner a, Corner b, Corner c) { addFace({3, {a, b, c, {}}}); }

void Mesh::addQuad(Corner a, Corner b, Corner c, Corner d) { addFace({4, {a, b, c, d}}); }

void Mesh::addFlatQuad(const Point3 (&p)[4], const TexCoord (&t)[4])
{
    Corner c[4];
    for (int k = 0; k < 4; ++k)
        c[k] = {addPosition(p[k]), addTexCoord(t[k])};
    addQuad(c[0], c[1], c[2], c[3]);
}

void Mesh::addFlatTriangle(const Point3 (&p)[3], const TexCoord (&t)[3])
{
    Corner c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = {addPosition(p[k]), addTexCoord(t[k])};
    addTriangle(c[0], c[1], c[2]);
}

int Mesh::faceCount() const
{
    std::size_t count = 0;
    for (const MaterialFaces& group : groups_)
        count += group.faces.size();
    return static_cast<int>(count);
}

std::string Mesh::objText(const std::string& comment, const std::string& libraryName) const
{
    std::string text;
    std::size_t start = 0;
    while (start < comment.size()) {
        const std::size_t end = comment.find('\n', start);
        const std::size_t stop = end == std::string::npos ? comment.size() : end;
        text += "# " + comment.substr(start, stop - start) + "\n";
        start = stop + 1;
    }
    text += "mtllib " + libraryName + "\n";
    for (const Point3& p : positions_)
        text += "v " + formatNumber(p.x) + " " + formatNumber(p.y) + " " + formatNumber(p.z) + "\n";
    for (const TexCoord& t : texCoords_)
        text += "vt " + formatNumber(t.u) + " " + formatNumber(t.v) + "\n";
    for (const MaterialFaces& group : groups_) {
        text += "usemtl " + group.material + "\n";
        for (const Face& face : group.faces) {
            text += "f";
            for (int k = 0; k < face.cornerCount; ++k)
                appendCorner(text, face.corners[k]);
            text += "\n";
        }
    }
    return text;
}

// Face normals and averaged vertex normals.
#include "render/normals.h"

#include <cmath>

namespace {

bool groupIsSmooth(const ModelLoadBuffer& buffer, const FaceGroup& group)
{
    return group.materialIndex >= 0 && group.materialIndex < MaxMaterials &&
           buffer.materialDefs[group.materialIndex].smoothNormals != 0;
}

void addTo(Vec3& sum, const Vec3& v)
{
    sum.x += v.x;
    sum.y += v.y;
    sum.z += v.z;
}

void computeFaceNormals(ModelLoadBuffer& buffer, const FaceList& list, bool smooth)
{
    for (Face* face = list.first; face != nullptr; face = face->next) {
        if (face->hasNormals != 0)
            continue;
        // A quad's normal comes from its first three corners, planar or not.
        Vec3 n;
        computeFaceNormal(buffer.vertices[face->v[0]], buffer.vertices[face->v[1]], buffer.vertices[face->v[2]], n);
        if (!smooth) {
            face->faceNormal = n;
            continue;
        }
        // Every smooth face counts the same, large or tiny: no weighting by area or angle.
        for (int k = 0; k < list.corners; ++k) {
            addTo(buffer.averagedNormals[face->v[k]], n);
            face->vn[k] = face->v[k];
        }
        face->hasNormals = 1;
        face->normalsAveraged = 1;
    }
}

} // namespace

void normalize(Vec3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0f)
        return; // a zero vector has no direction and stays zero
    v.x /= length;
    v.y /= length;
    v.z /= length;
}

void computeFaceNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2, Vec3& out)
{
    const Vec3 a = {p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
    const Vec3 b = {p1.x - p2.x, p1.y - p2.y, p1.z - p2.z};
    out.x = a.y * b.z - a.z * b.y;
    out.y = a.z * b.x - a.x * b.z;
    out.z = a.x * b.y - a.y * b.x;
    normalize(out);
}

void computeNormals(Model& model)
{
    ModelLoadBuffer& buffer = *model.loadBuffer;
    // Averaged normals have a table of their own, so a model that mixes faces with and without
    // normals of their own does not add its sums onto the file's normals.
    for (Vec3& n : buffer.averagedNormals)
        n = {0.0f, 0.0f, 0.0f};

    for (int g = 0; g < model.materialCount; ++g) {
        FaceGroup& group = buffer.groups[g];
        const bool smooth = groupIsSmooth(buffer, group);
        for (const FaceList& list : faceLists(group))
            computeFaceNormals(buffer, list, smooth);
    }

    // Only the normals read are ever referenced; the rest of the table is never filled.
    for (int i = 0; i < buffer.normalCount && i < MaxModelElements; ++i)
        normalize(buffer.normals[i]);
    for (Vec3& n : buffer.averagedNormals)
        normalize(n);
}

const Vec3& cornerNormal(const ModelLoadBuffer& buffer, const Face& face, int k)
{
    return face.normalsAveraged != 0 ? buffer.averagedNormals[face.vn[k]] : buffer.normals[face.vn[k]];
}

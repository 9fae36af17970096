// Normals for every face of a model being loaded: the file's own, one flat normal per face, or
// normals averaged over the smooth faces that share a position.
#pragma once

#include "assets/model.h"

// Scales v to unit length in place; a zero vector stays zero.
void normalize(Vec3& v);

// The unit normal of the triangle p0, p1, p2, toward a viewer who sees the corners counter-
// clockwise; (0, 0, 0) for collinear or coincident corners.
void computeFaceNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2, Vec3& out);

// Gives every face of groups 0 to materialCount - 1 the normals it is lit with. Faces with normals
// from the file keep them; faces of a material that asks for smooth shading get averaged vertex
// normals; all others get their flat face normal.
void computeNormals(Model& model);

// The normal corner k of a face with normals carries: from the file or averaged.
const Vec3& cornerNormal(const ModelLoadBuffer& buffer, const Face& face, int k);

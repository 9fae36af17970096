// Compiling, drawing and releasing a model's display lists.
#include "render/draw_model.h"

#include <GL/gl.h>
#include <GL/glx.h>

#include "assets/tga_loader.h"
#include "render/normals.h"
#include "sim/glow_material.h"

namespace {

// Everything drawModel changes and must give back, except what endModelDrawing switches off
// afterwards.
constexpr GLbitfield DrawModelSavedState = GL_CURRENT_BIT | GL_POINT_BIT | GL_LINE_BIT | GL_POLYGON_STIPPLE_BIT |
                                           GL_PIXEL_MODE_BIT | GL_LIGHTING_BIT | GL_FOG_BIT | GL_DEPTH_BUFFER_BIT |
                                           GL_ACCUM_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_VIEWPORT_BIT | GL_HINT_BIT;

// A texture map named by the material, if any; an empty name is no map at all.
bool loadMap(const char* fileName, TextureImage& texture)
{
    if (fileName[0] == '\0')
        return false;
    return loadTgaTexture(fileName, texture);
}

void copyColor(const float rgb[3], float alpha, float out[4])
{
    out[0] = rgb[0];
    out[1] = rgb[1];
    out[2] = rgb[2];
    out[3] = alpha;
}

// Asks for what a face's corners will read from the tables, which faces in file order name in no
// useful order, so that it arrives while the faces before it are sent.
// Inlined always: the compiler drops a call to a function that only prefetches.
[[gnu::always_inline]] inline void fetchCornersAhead(const ModelLoadBuffer& buffer, const Face* face, int corners)
{
    if (face == nullptr)
        return;
    for (int k = 0; k < corners; ++k) {
        if (face->hasNormals != 0)
            __builtin_prefetch(&cornerNormal(buffer, *face, k));
        if (face->vt[k] >= 0)
            __builtin_prefetch(&buffer.texCoords[face->vt[k]]);
        __builtin_prefetch(&buffer.vertices[face->v[k]]);
    }
}

void emitFaces(const ModelLoadBuffer& buffer, const FaceList& list)
{
    const int corners = list.corners;
    const Face* ahead = list.first != nullptr ? list.first->next : nullptr;
    for (const Face* face = list.first; face != nullptr; face = face->next) {
        fetchCornersAhead(buffer, ahead, corners);
        ahead = ahead != nullptr ? ahead->next : nullptr;
        for (int k = 0; k < corners; ++k) {
            if (face->hasNormals != 0) {
                const Vec3& n = cornerNormal(buffer, *face, k);
                glNormal3f(n.x, n.y, n.z);
            } else if (k == 0) {
                // A flat face sends its normal once; the other corners keep it.
                glNormal3f(face->faceNormal.x, face->faceNormal.y, face->faceNormal.z);
            }
            // A corner without a texture coordinate keeps whatever is current.
            if (face->vt[k] >= 0) {
                const Vec3& t = buffer.texCoords[face->vt[k]];
                glTexCoord3f(t.x, t.y, t.z);
            }
            const Vec3& p = buffer.vertices[face->v[k]];
            glVertex3f(p.x, p.y, p.z);
        }
    }
}

void deleteTexture(const TextureImage& texture)
{
    if (texture.textureId != 0)
        glDeleteTextures(1, &texture.textureId);
}

} // namespace

void buildDisplayLists(Model& model)
{
    const ModelLoadBuffer& buffer = *model.loadBuffer;
    for (int i = 0; i < model.materialCount; ++i) {
        const MaterialDef& d = buffer.materialDefs[i];
        Material& m = model.materials[i];

        m.hasDiffuseTexture = loadMap(d.diffuseMap, m.diffuseTexture);
        m.hasSpecularTexture = loadMap(d.specularMap, m.specularTexture);
        m.hasAmbientTexture = loadMap(d.ambientMap, m.ambientTexture);

        copyColor(d.diffuse, d.transparency, m.diffuseColor);
        copyColor(d.ambient, d.transparency, m.ambientColor);
        copyColor(d.specular, d.transparency, m.specularColor);
        m.shininess = d.shininess;
        m.smoothEdges = d.smoothEdges != 0;

        const auto [triangles, quads] = faceLists(buffer.groups[i]);
        m.faceList = glGenLists(1);
        glNewList(m.faceList, GL_COMPILE);
            // Both blocks are emitted even when the group has no faces of that kind.
            glBegin(GL_TRIANGLES);
                emitFaces(buffer, triangles);
            glEnd();
            glBegin(GL_QUADS);
                emitFaces(buffer, quads);
            glEnd();
        glEndList();
    }
}

void drawModel(const Model& model)
{
    glPushAttrib(DrawModelSavedState);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    for (int i = 0; i < model.materialCount; ++i) {
        const Material& m = model.materials[i];

        // The lit faces, blended by the material's transparency, writing depth pushed back (1, 2).
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuseColor);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambientColor);
        glPolygonOffset(1.0f, 2.0f);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LESS);
        if (m.hasDiffuseTexture)
            glBindTexture(GL_TEXTURE_2D, m.diffuseTexture.textureId);
        else
            glDisable(GL_TEXTURE_2D);
        glCallList(m.faceList);
        glDepthMask(GL_FALSE);

        // The outline: the edge lines in front of the faces, or the faces again as lines pushed
        // behind them so that only the silhouette shows.
        if (m.smoothEdges) {
            glPolygonOffset(1.0f, 3.0f);
            if (model.useEdgeLists) {
                // A material whose edges found no memory has no list, and goes without.
                if (m.edgeList != 0)
                    glCallList(m.edgeList);
            } else {
                glPolygonMode(GL_FRONT, GL_LINE);
                glCallList(m.faceList);
                glPolygonMode(GL_FRONT, GL_FILL);
            }
        }
        if (!m.hasDiffuseTexture)
            glEnable(GL_TEXTURE_2D);

        // The specular map, added on top; without one the material shows no highlight at all.
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specularColor);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, black);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
        glPolygonOffset(1.0f, 1.0f);
        // The additive passes lie on the base pass's own surfaces, pulled forward by the offset.
        // Where the depth buffer is finer than the offset's units can express (a software
        // renderer's 32-bit depth), the two compare equal; letting equal pass keeps the specular
        // and glow maps visible there and changes nothing where the offset works.
        glDepthFunc(GL_LEQUAL);
        if (m.hasSpecularTexture) {
            glBindTexture(GL_TEXTURE_2D, m.specularTexture.textureId);
            glCallList(m.faceList);
        }

        // The ambient map glows unlit: the texture times the current colour, added on top.
        if (m.hasAmbientTexture) {
            glDisable(GL_LIGHTING);
            glPolygonOffset(0.0f, 0.0f);
            glBindTexture(GL_TEXTURE_2D, m.ambientTexture.textureId);
            glCallList(m.faceList);
            glEnable(GL_LIGHTING);
        }
    }
    glPopAttrib();
}

void endModelDrawing()
{
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

void unloadModel(Model& model)
{
    // At exit the window system may already have destroyed the context, and the lists and
    // textures with it; there is then nothing left to delete and no context to call.
    if (model.materials == nullptr || glXGetCurrentContext() == nullptr)
        return;
    for (int i = 0; i < model.materialCount; ++i) {
        Material& m = model.materials[i];
        if (m.faceList != 0)
            glDeleteLists(m.faceList, 1);
        if (m.edgeList != 0)
            glDeleteLists(m.edgeList, 1);
        deleteTexture(m.diffuseTexture);
        deleteTexture(m.ambientTexture);
        deleteTexture(m.specularTexture);
        // Forget the names, so that a second unload deletes nothing that has been reused since.
        m = Material{};
    }
}

Model::~Model()
{
    unloadModel(*this);
    delete[] materials;
}

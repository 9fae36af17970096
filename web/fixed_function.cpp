// OpenGL 1.x drawing on WebGL 1: the state the game sets is kept here, and every primitive is
// drawn by one shader that lights each vertex as the fixed-function pipeline does.
#include "web/fixed_function.h"

#include <GLES2/gl2.h>
#include <GL/glx.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "web/matrix_math.h"

namespace {

// One vertex as the shader takes it. A line's vertex also carries the segment's other end and
// which side of the segment it widens to; a triangle's has no side.
struct Vertex {
    float position[3];
    float other[3];
    float normal[3];
    float texCoord[2];
    float color[4];
    float side;
};
static_assert(sizeof(Vertex) == 16 * sizeof(float));

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

// Everything the attribute stack can save, with OpenGL's initial values.
struct State {
    // current
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    // line; smooth lines are drawn as plain wide ones, which differ from them only at their
    // edges by a fraction of a pixel
    float lineWidth = 1.0f;
    bool lineSmooth = false;
    // lighting
    bool lighting = false;
    bool light0 = false;
    Material material;
    // depth buffer
    bool depthTest = false;
    bool depthMask = true;
    GLenum depthFunc = GL_LESS;
    // viewport
    GLint viewport[4] = {0, 0, 0, 0};
    // polygon
    float offsetFactor = 0.0f;
    float offsetUnits = 0.0f;
    bool offsetFill = false;
    bool offsetLine = false;
    GLenum frontMode = GL_FILL; // kept, but faces are always drawn filled
    // colour buffer
    bool blend = false;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    // texture
    bool texture2D = false;
    GLuint boundTexture = 0;
};

constexpr GLbitfield CurrentBit = 0x00000001;
constexpr GLbitfield LineBit = 0x00000004;
constexpr GLbitfield PolygonBit = 0x00000008;
constexpr GLbitfield LightingBit = 0x00000040;
constexpr GLbitfield DepthBufferBit = 0x00000100;
constexpr GLbitfield ViewportBit = 0x00000800;
constexpr GLbitfield EnableBit = 0x00002000;
constexpr GLbitfield ColorBufferBit = 0x00004000;
constexpr GLbitfield TextureBit = 0x00040000;

constexpr std::size_t MaxMatrixDepth = 32;
constexpr std::size_t MaxAttribDepth = 16;

// The primitives of one glBegin/glEnd, or of a whole display list: triangles first, then each
// line segment as the two triangles of its widened quad.
struct Batch {
    std::vector<Vertex> triangles;
    std::vector<Vertex> lines;
};

struct DisplayList {
    GLuint buffer = 0;
    GLsizei triangleVertices = 0;
    GLsizei lineVertices = 0;
};

struct Uniforms {
    GLint modelView, projection, normalMatrix, lighting, light0, ambient, diffuse, specular, emission, shininess,
        halfWidth, viewportSize, texturing, texture;
};

struct Context {
    bool ready = false;
    bool failed = false;
    Uniforms uniforms{};
    GLuint streamBuffer = 0;
    GLuint attributesBoundTo = ~0u;

    State state;
    std::vector<std::pair<GLbitfield, State>> attribStack;
    std::vector<Mat4> modelView{IdentityMatrix};
    std::vector<Mat4> projection{IdentityMatrix};
    GLenum matrixMode = GL_MODELVIEW;

    GLenum beginMode = 0;
    bool inBegin = false;
    std::vector<Vertex> pending;
    Batch immediate;

    GLuint recordingList = 0;
    bool executeWhileRecording = false;
    Batch recording;
    std::unordered_map<GLuint, DisplayList> lists;
    GLuint nextList = 1;

    std::unordered_set<GLuint> completeTextures;
    bool toldPolygonMode = false;
    bool toldPrimitive = false;
};

Context context;

bool ensureReady();

std::vector<Mat4>& currentStack()
{
    return context.matrixMode == GL_PROJECTION ? context.projection : context.modelView;
}

void multiplyCurrent(const Mat4& m)
{
    Mat4& top = currentStack().back();
    top = multiply(top, m);
}

const char* const VertexShader = R"(
attribute vec3 aPosition;
attribute vec3 aOther;
attribute vec3 aNormal;
attribute vec2 aTexCoord;
attribute vec4 aColor;
attribute float aSide;
uniform mat4 uModelView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform bool uLighting;
uniform bool uLight0;
uniform vec4 uAmbient;
uniform vec4 uDiffuse;
uniform vec4 uSpecular;
uniform vec4 uEmission;
uniform float uShininess;
uniform float uHalfWidth;
uniform vec2 uViewportSize;
varying vec4 vColor;
varying vec2 vTexCoord;
void main() {
    vec4 clip = uProjection * (uModelView * vec4(aPosition, 1.0));
    if (uHalfWidth > 0.0) {
        // A wide line is a quad around the segment, as wide as the line in pixels across its
        // major axis; the segment is first cut at the near plane, where the screen direction
        // of a part behind the eye would be meaningless.
        vec4 other = uProjection * (uModelView * vec4(aOther, 1.0));
        float d0 = clip.z + clip.w;
        float d1 = other.z + other.w;
        if (d0 < 0.0 && d1 < 0.0) {
            gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
            vColor = vec4(0.0);
            vTexCoord = vec2(0.0);
            return;
        }
        vec4 near0 = d0 < 0.0 ? mix(clip, other, d0 / (d0 - d1)) : clip;
        vec4 near1 = d1 < 0.0 ? mix(other, clip, d1 / (d1 - d0)) : other;
        vec2 along = (near1.xy / near1.w - near0.xy / near0.w) * uViewportSize;
        vec2 across = abs(along.x) >= abs(along.y) ? vec2(0.0, 1.0) : vec2(1.0, 0.0);
        clip = near0;
        clip.xy += across * aSide * uHalfWidth * 2.0 / uViewportSize * clip.w;
    }
    gl_Position = clip;
    vTexCoord = aTexCoord;
    if (uLighting) {
        // The one light shines from the eye's +z, white, with a viewer at infinity: the light's
        // direction and the half vector are both +z in eye space.
        vec3 n = uNormalMatrix * aNormal;
        vec3 c = uEmission.rgb + uAmbient.rgb * 0.2;
        if (uLight0 && n.z > 0.0) {
            c += uDiffuse.rgb * n.z;
            c += uSpecular.rgb * (uShininess == 0.0 ? 1.0 : pow(n.z, uShininess));
        }
        vColor = vec4(clamp(c, 0.0, 1.0), clamp(uDiffuse.a, 0.0, 1.0));
    } else {
        vColor = aColor;
    }
}
)";

const char* const FragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform bool uTexturing;
uniform sampler2D uTexture;
varying vec4 vColor;
varying vec2 vTexCoord;
void main() {
    gl_FragColor = uTexturing ? vColor * texture2D(uTexture, vTexCoord) : vColor;
}
)";

GLuint compile(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == 0) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "The drawing shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

constexpr const char* AttributeNames[] = {"aPosition", "aOther", "aNormal", "aTexCoord", "aColor", "aSide"};
constexpr int AttributeSizes[] = {3, 3, 3, 2, 4, 1};

void bindAttributes(GLuint buffer)
{
    if (context.attributesBoundTo == buffer)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    std::size_t offset = 0;
    for (GLuint index = 0; index < 6; ++index) {
        glVertexAttribPointer(index, AttributeSizes[index], GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offset));
        offset += AttributeSizes[index] * sizeof(float);
    }
    context.attributesBoundTo = buffer;
}

// The pass-through state, given to WebGL again after the attribute stack restored it.
void applyPassThroughState()
{
    const State& s = context.state;
    s.depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    glDepthMask(s.depthMask ? GL_TRUE : GL_FALSE);
    glDepthFunc(s.depthFunc);
    s.blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    glBlendFunc(s.blendSource, s.blendDestination);
    s.offsetFill ? glEnable(GL_POLYGON_OFFSET_FILL) : glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(s.offsetFactor, s.offsetUnits);
    glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    glBindTexture(GL_TEXTURE_2D, s.boundTexture);
}

// The uniforms for the next draw; a value already in the program is not sent again.
struct UniformCache {
    Mat4 modelView{}, projection{};
    Material material;
    int lighting = -1, light0 = -1, texturing = -1;
    float halfWidth = -1.0f;
    float viewportSize[2] = {-1.0f, -1.0f};
} cache;

void setUniforms(float halfWidth)
{
    const State& s = context.state;
    const Uniforms& u = context.uniforms;
    const Mat4& mv = context.modelView.back();
    if (std::memcmp(&mv, &cache.modelView, sizeof mv) != 0) {
        glUniformMatrix4fv(u.modelView, 1, GL_FALSE, mv.m);
        float normal[9];
        normalMatrixOf(mv, normal);
        glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, normal);
        cache.modelView = mv;
    }
    const Mat4& p = context.projection.back();
    if (std::memcmp(&p, &cache.projection, sizeof p) != 0) {
        glUniformMatrix4fv(u.projection, 1, GL_FALSE, p.m);
        cache.projection = p;
    }
    const Material& m = s.material;
    if (std::memcmp(&m, &cache.material, sizeof m) != 0) {
        glUniform4fv(u.ambient, 1, m.ambient);
        glUniform4fv(u.diffuse, 1, m.diffuse);
        glUniform4fv(u.specular, 1, m.specular);
        glUniform4fv(u.emission, 1, m.emission);
        glUniform1f(u.shininess, m.shininess);
        cache.material = m;
    }
    if (cache.lighting != s.lighting)
        glUniform1i(u.lighting, cache.lighting = s.lighting);
    if (cache.light0 != s.light0)
        glUniform1i(u.light0, cache.light0 = s.light0);
    // A texture without its levels leaves the fragments untextured, as OpenGL does.
    const int texturing = s.texture2D && context.completeTextures.count(s.boundTexture) != 0;
    if (cache.texturing != texturing)
        glUniform1i(u.texturing, cache.texturing = texturing);
    if (cache.halfWidth != halfWidth)
        glUniform1f(u.halfWidth, cache.halfWidth = halfWidth);
    const float size[2] = {static_cast<float>(s.viewport[2]), static_cast<float>(s.viewport[3])};
    if (size[0] != cache.viewportSize[0] || size[1] != cache.viewportSize[1]) {
        glUniform2fv(u.viewportSize, 1, size);
        cache.viewportSize[0] = size[0];
        cache.viewportSize[1] = size[1];
    }
}

// Draws vertices of the bound buffer: triangles, then line quads (never pushed back by the
// polygon offset, which in OpenGL applies to polygons and not to lines).
void drawRange(GLuint buffer, GLsizei triangleVertices, GLsizei lineVertices)
{
    bindAttributes(buffer);
    if (triangleVertices > 0) {
        setUniforms(0.0f);
        glDrawArrays(GL_TRIANGLES, 0, triangleVertices);
    }
    if (lineVertices > 0) {
        setUniforms(0.5f * context.state.lineWidth);
        if (context.state.offsetFill)
            glDisable(GL_POLYGON_OFFSET_FILL);
        glDrawArrays(GL_TRIANGLES, triangleVertices, lineVertices);
        if (context.state.offsetFill)
            glEnable(GL_POLYGON_OFFSET_FILL);
    }
}

void upload(GLuint buffer, const Batch& batch, GLenum usage)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const std::size_t triangleBytes = batch.triangles.size() * sizeof(Vertex);
    const std::size_t lineBytes = batch.lines.size() * sizeof(Vertex);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(triangleBytes + lineBytes), nullptr, usage);
    if (triangleBytes > 0)
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(triangleBytes), batch.triangles.data());
    if (lineBytes > 0)
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(triangleBytes), static_cast<GLsizeiptr>(lineBytes),
                        batch.lines.data());
    // Attribute pointers keep the buffer they were set with; rebinding the same name is enough.
    context.attributesBoundTo = ~0u;
}

void drawBatch(const Batch& batch)
{
    if ((batch.triangles.empty() && batch.lines.empty()) || !ensureReady())
        return;
    upload(context.streamBuffer, batch, GL_STREAM_DRAW);
    drawRange(context.streamBuffer, static_cast<GLsizei>(batch.triangles.size()),
              static_cast<GLsizei>(batch.lines.size()));
}

void addSegment(std::vector<Vertex>& out, const Vertex& a, const Vertex& b)
{
    auto end = [](const Vertex& self, const Vertex& other, float side) {
        Vertex v = self;
        std::memcpy(v.other, other.position, sizeof v.other);
        v.side = side;
        return v;
    };
    const Vertex a0 = end(a, b, 1.0f), a1 = end(a, b, -1.0f), b0 = end(b, a, 1.0f), b1 = end(b, a, -1.0f);
    out.insert(out.end(), {a0, a1, b0, b0, a1, b1});
}

// The vertices of one glBegin/glEnd as triangles and line quads.
void assemble(GLenum mode, const std::vector<Vertex>& v, Batch& out)
{
    const std::size_t n = v.size();
    switch (mode) {
    case GL_TRIANGLES:
        out.triangles.insert(out.triangles.end(), v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n - n % 3));
        break;
    case GL_QUADS:
        for (std::size_t i = 0; i + 3 < n; i += 4)
            out.triangles.insert(out.triangles.end(), {v[i], v[i + 1], v[i + 2], v[i], v[i + 2], v[i + 3]});
        break;
    case GL_LINES:
        for (std::size_t i = 0; i + 1 < n; i += 2)
            addSegment(out.lines, v[i], v[i + 1]);
        break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        for (std::size_t i = 0; i + 1 < n; ++i)
            addSegment(out.lines, v[i], v[i + 1]);
        if (mode == GL_LINE_LOOP && n > 2)
            addSegment(out.lines, v[n - 1], v[0]);
        break;
    default:
        if (!context.toldPrimitive) {
            std::fprintf(stderr, "The browser build does not draw primitive 0x%x\n", mode);
            context.toldPrimitive = true;
        }
        break;
    }
}

bool* capability(GLenum cap)
{
    State& s = context.state;
    switch (cap) {
    case GL_LIGHTING: return &s.lighting;
    case GL_LIGHT0: return &s.light0;
    case GL_DEPTH_TEST: return &s.depthTest;
    case GL_BLEND: return &s.blend;
    case GL_TEXTURE_2D: return &s.texture2D;
    case GL_LINE_SMOOTH: return &s.lineSmooth;
    case GL_POLYGON_OFFSET_FILL: return &s.offsetFill;
    case GL_POLYGON_OFFSET_LINE: return &s.offsetLine;
    default: return nullptr;
    }
}

void setCapability(GLenum cap, bool on)
{
    bool* flag = capability(cap);
    if (flag == nullptr)
        return;
    *flag = on;
    if (cap == GL_DEPTH_TEST || cap == GL_BLEND || cap == GL_POLYGON_OFFSET_FILL)
        on ? glEnable(cap) : glDisable(cap);
}

// The shaders and the stream buffer, made once there is a context; false (with the reason on
// standard error, once) when there is none or they cannot be built.
bool ensureReady()
{
    if (context.ready)
        return true;
    if (context.failed || emscripten_webgl_get_current_context() == 0)
        return false;
    context.failed = true;
    const GLuint vertex = compile(GL_VERTEX_SHADER, VertexShader);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, FragmentShader);
    if (vertex == 0 || fragment == 0)
        return false;
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    for (GLuint index = 0; index < 6; ++index)
        glBindAttribLocation(program, index, AttributeNames[index]);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == 0) {
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "The drawing shaders do not link: %s\n", log);
        return false;
    }
    glUseProgram(program);
    Uniforms& u = context.uniforms;
    const auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    u = {at("uModelView"), at("uProjection"), at("uNormalMatrix"), at("uLighting"), at("uLight0"), at("uAmbient"),
         at("uDiffuse"), at("uSpecular"), at("uEmission"), at("uShininess"), at("uHalfWidth"), at("uViewportSize"),
         at("uTexturing"), at("uTexture")};
    glUniform1i(u.texture, 0);
    for (GLuint index = 0; index < 6; ++index)
        glEnableVertexAttribArray(index);
    glGenBuffers(1, &context.streamBuffer);
    // Until the game sets a viewport, it is the one WebGL started with.
    if (context.state.viewport[2] == 0) {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        std::memcpy(context.state.viewport, viewport, sizeof viewport);
    }
    context.failed = false;
    context.ready = true;
    return true;
}

} // namespace

GLXContext glXGetCurrentContext()
{
    return emscripten_webgl_get_current_context() != 0 ? reinterpret_cast<GLXContext>(&context) : nullptr;
}

void ffBegin(GLenum mode)
{
    context.beginMode = mode;
    context.inBegin = true;
    context.pending.clear();
}

void ffEnd()
{
    if (!context.inBegin)
        return;
    context.inBegin = false;
    if (context.recordingList != 0) {
        assemble(context.beginMode, context.pending, context.recording);
        if (!context.executeWhileRecording)
            return;
    }
    context.immediate.triangles.clear();
    context.immediate.lines.clear();
    assemble(context.beginMode, context.pending, context.immediate);
    drawBatch(context.immediate);
}

void ffVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (!context.inBegin)
        return;
    const State& s = context.state;
    Vertex v{};
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    std::memcpy(v.other, v.position, sizeof v.other);
    std::memcpy(v.normal, s.normal, sizeof v.normal);
    std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);
    std::memcpy(v.color, s.color, sizeof v.color);
    context.pending.push_back(v);
}

void ffVertex2f(GLfloat x, GLfloat y) { ffVertex3f(x, y, 0.0f); }

void ffVertex3d(GLdouble x, GLdouble y, GLdouble z)
{
    ffVertex3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void ffNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    float* n = context.state.normal;
    n[0] = x;
    n[1] = y;
    n[2] = z;
}

void ffTexCoord3f(GLfloat s, GLfloat t, GLfloat)
{
    // A 2D texture reads s and t; r has no part in it.
    context.state.texCoord[0] = s;
    context.state.texCoord[1] = t;
}

void ffColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    float* c = context.state.color;
    c[0] = r;
    c[1] = g;
    c[2] = b;
    c[3] = 1.0f;
}

void ffMatrixMode(GLenum mode)
{
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION)
        context.matrixMode = mode;
}

void ffLoadIdentity() { currentStack().back() = IdentityMatrix; }

void ffPushMatrix()
{
    std::vector<Mat4>& stack = currentStack();
    // A full stack is an error in OpenGL, which leaves the stack as it is.
    if (stack.size() < MaxMatrixDepth)
        stack.push_back(stack.back());
}

void ffPopMatrix()
{
    std::vector<Mat4>& stack = currentStack();
    if (stack.size() > 1)
        stack.pop_back();
}

void ffTranslatef(GLfloat x, GLfloat y, GLfloat z) { translate(currentStack().back(), x, y, z); }

void ffTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    ffTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void ffRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { multiplyCurrent(rotationMatrix(angle, x, y, z)); }

void ffMultMatrixf(const GLfloat* m)
{
    Mat4 factor;
    std::memcpy(factor.m, m, sizeof factor.m);
    multiplyCurrent(factor);
}

void ffEnable(GLenum cap) { setCapability(cap, true); }

void ffDisable(GLenum cap) { setCapability(cap, false); }

void ffMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    // Only front faces are lit (there is no two-sided lighting), so the back material is not kept.
    if (face == GL_BACK)
        return;
    Material& m = context.state.material;
    switch (pname) {
    case GL_AMBIENT: std::memcpy(m.ambient, params, sizeof m.ambient); break;
    case GL_DIFFUSE: std::memcpy(m.diffuse, params, sizeof m.diffuse); break;
    case GL_SPECULAR: std::memcpy(m.specular, params, sizeof m.specular); break;
    case GL_EMISSION: std::memcpy(m.emission, params, sizeof m.emission); break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(m.ambient, params, sizeof m.ambient);
        std::memcpy(m.diffuse, params, sizeof m.diffuse);
        break;
    case GL_SHININESS:
        // Outside 0 to 128 OpenGL refuses the value and keeps the old one.
        if (params[0] >= 0.0f && params[0] <= 128.0f)
            m.shininess = params[0];
        break;
    default: break;
    }
}

void ffMaterialf(GLenum face, GLenum pname, GLfloat param) { ffMaterialfv(face, pname, &param); }

void ffLineWidth(GLfloat width)
{
    if (width > 0.0f)
        context.state.lineWidth = width;
}

void ffPolygonMode(GLenum face, GLenum mode)
{
    // Faces drawn as their outlines only serve renderers that cannot draw the edge lists; the
    // browser's can, so the mode is kept but the outlines of filled faces are not drawn.
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK)
        context.state.frontMode = mode;
    if (mode != GL_FILL && !context.toldPolygonMode) {
        std::fprintf(stderr, "The browser build draws no polygon outlines\n");
        context.toldPolygonMode = true;
    }
}

void ffPolygonOffset(GLfloat factor, GLfloat units)
{
    context.state.offsetFactor = factor;
    context.state.offsetUnits = units;
    glPolygonOffset(factor, units);
}

void ffDepthMask(GLboolean flag)
{
    context.state.depthMask = flag != GL_FALSE;
    glDepthMask(flag);
}

void ffDepthFunc(GLenum func)
{
    context.state.depthFunc = func;
    glDepthFunc(func);
}

void ffBlendFunc(GLenum source, GLenum destination)
{
    context.state.blendSource = source;
    context.state.blendDestination = destination;
    glBlendFunc(source, destination);
}

void ffViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    GLint* v = context.state.viewport;
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
    glViewport(x, y, width, height);
}

void ffPushAttrib(GLbitfield mask)
{
    if (context.attribStack.size() < MaxAttribDepth)
        context.attribStack.emplace_back(mask, context.state);
}

void ffPopAttrib()
{
    if (context.attribStack.empty())
        return;
    const auto [mask, saved] = context.attribStack.back();
    context.attribStack.pop_back();
    State& s = context.state;
    if (mask & CurrentBit) {
        std::memcpy(s.color, saved.color, sizeof s.color);
        std::memcpy(s.normal, saved.normal, sizeof s.normal);
        std::memcpy(s.texCoord, saved.texCoord, sizeof s.texCoord);
    }
    if (mask & LineBit) {
        s.lineWidth = saved.lineWidth;
        s.lineSmooth = saved.lineSmooth;
    }
    if (mask & PolygonBit) {
        s.offsetFactor = saved.offsetFactor;
        s.offsetUnits = saved.offsetUnits;
        s.offsetFill = saved.offsetFill;
        s.offsetLine = saved.offsetLine;
        s.frontMode = saved.frontMode;
    }
    if (mask & LightingBit) {
        s.lighting = saved.lighting;
        s.light0 = saved.light0;
        s.material = saved.material;
    }
    if (mask & DepthBufferBit) {
        s.depthTest = saved.depthTest;
        s.depthMask = saved.depthMask;
        s.depthFunc = saved.depthFunc;
    }
    if (mask & ViewportBit)
        std::memcpy(s.viewport, saved.viewport, sizeof s.viewport);
    if (mask & EnableBit) {
        s.lighting = saved.lighting;
        s.light0 = saved.light0;
        s.depthTest = saved.depthTest;
        s.blend = saved.blend;
        s.texture2D = saved.texture2D;
        s.lineSmooth = saved.lineSmooth;
        s.offsetFill = saved.offsetFill;
        s.offsetLine = saved.offsetLine;
    }
    if (mask & ColorBufferBit) {
        s.blend = saved.blend;
        s.blendSource = saved.blendSource;
        s.blendDestination = saved.blendDestination;
    }
    if (mask & TextureBit) {
        s.texture2D = saved.texture2D;
        s.boundTexture = saved.boundTexture;
    }
    applyPassThroughState();
}

void ffBindTexture(GLenum target, GLuint texture)
{
    if (target != GL_TEXTURE_2D)
        return;
    context.state.boundTexture = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
}

void ffDeleteTextures(GLsizei n, const GLuint* textures)
{
    for (GLsizei i = 0; i < n; ++i) {
        context.completeTextures.erase(textures[i]);
        if (context.state.boundTexture == textures[i])
            context.state.boundTexture = 0;
    }
    glDeleteTextures(n, textures);
}

void ffMarkBoundTextureComplete() { context.completeTextures.insert(context.state.boundTexture); }

GLuint ffGenLists(GLsizei range)
{
    if (range <= 0)
        return 0;
    const GLuint first = context.nextList;
    context.nextList += static_cast<GLuint>(range);
    return first;
}

void ffNewList(GLuint list, GLenum mode)
{
    if (list == 0 || context.recordingList != 0)
        return;
    context.recordingList = list;
    context.executeWhileRecording = mode == GL_COMPILE_AND_EXECUTE;
    context.recording = Batch{};
}

void ffEndList()
{
    if (context.recordingList == 0)
        return;
    DisplayList& list = context.lists[context.recordingList];
    context.recordingList = 0;
    if (!ensureReady())
        return;
    if (list.buffer == 0)
        glGenBuffers(1, &list.buffer);
    upload(list.buffer, context.recording, GL_STATIC_DRAW);
    list.triangleVertices = static_cast<GLsizei>(context.recording.triangles.size());
    list.lineVertices = static_cast<GLsizei>(context.recording.lines.size());
    context.recording = Batch{};
}

void ffCallList(GLuint list)
{
    const auto found = context.lists.find(list);
    if (found == context.lists.end() || found->second.buffer == 0)
        return;
    drawRange(found->second.buffer, found->second.triangleVertices, found->second.lineVertices);
}

void ffDeleteLists(GLuint list, GLsizei range)
{
    for (GLsizei i = 0; i < range; ++i) {
        const auto found = context.lists.find(list + static_cast<GLuint>(i));
        if (found == context.lists.end())
            continue;
        if (found->second.buffer != 0) {
            if (context.attributesBoundTo == found->second.buffer)
                context.attributesBoundTo = ~0u;
            glDeleteBuffers(1, &found->second.buffer);
        }
        context.lists.erase(found);
    }
}

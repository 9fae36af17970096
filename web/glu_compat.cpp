// GLU's matrices, sphere and mipmaps for the browser build, computed as GLU computes them so that
// the browser's pictures match the native game's.
#include "web/glu_compat.h"

#include <GLES2/gl2.h>

#include <cmath>
#include <memory>
#include <new>

#include "web/fixed_function.h"

namespace {

void normalize(float v[3])
{
    const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// A column-major matrix of doubles, given to the layer in floats as OpenGL converts them.
void multiplyDoubles(const double m[16])
{
    float f[16];
    for (int i = 0; i < 16; ++i)
        f[i] = static_cast<float>(m[i]);
    ffMultMatrixf(f);
}

} // namespace

struct GLUquadric {
    int unused;
};

void compatLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
                  GLdouble upX, GLdouble upY, GLdouble upZ)
{
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalize(forward);
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);
    const float m[16] = {side[0], up[0], -forward[0], 0.0f, side[1], up[1], -forward[1], 0.0f,
                         side[2], up[2], -forward[2], 0.0f, 0.0f,    0.0f,  0.0f,        1.0f};
    ffMultMatrixf(m);
    ffTranslated(-eyeX, -eyeY, -eyeZ);
}

void compatPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovy / 2.0 * M_PI / 180.0;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0)
        return;
    const double cotangent = std::cos(radians) / sine;
    const double m[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0, 0, 0, -(zFar + zNear) / deltaZ, -1,
                          0, 0, -2.0 * zNear * zFar / deltaZ, 0};
    multiplyDoubles(m);
}

void compatOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    const float l = static_cast<float>(left), r = static_cast<float>(right);
    const float b = static_cast<float>(bottom), t = static_cast<float>(top);
    if (l == r || b == t)
        return;
    const float m[16] = {2.0f / (r - l), 0, 0, 0, 0, 2.0f / (t - b), 0, 0, 0, 0, -1.0f, 0,
                         -(r + l) / (r - l), -(t + b) / (t - b), 0, 1};
    ffMultMatrixf(m);
}

GLUquadric* compatNewQuadric() { return new (std::nothrow) GLUquadric{}; }

void compatSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks)
{
    if (quadric == nullptr || slices < 2 || stacks < 1 || slices > 1024 || stacks > 1024)
        return;
    // Around z by slice, from the +z pole down by stack; the poles are exact.
    std::unique_ptr<float[]> sinSlice(new (std::nothrow) float[slices + 1]);
    std::unique_ptr<float[]> cosSlice(new (std::nothrow) float[slices + 1]);
    std::unique_ptr<float[]> sinStack(new (std::nothrow) float[stacks + 1]);
    std::unique_ptr<float[]> cosStack(new (std::nothrow) float[stacks + 1]);
    if (!sinSlice || !cosSlice || !sinStack || !cosStack)
        return;
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2.0 * M_PI * i / slices);
        sinSlice[i] = static_cast<float>(std::sin(angle));
        cosSlice[i] = static_cast<float>(std::cos(angle));
    }
    sinSlice[slices] = sinSlice[0];
    cosSlice[slices] = cosSlice[0];
    for (int j = 0; j <= stacks; ++j) {
        const float angle = static_cast<float>(M_PI * j / stacks);
        sinStack[j] = static_cast<float>(std::sin(angle));
        cosStack[j] = static_cast<float>(std::cos(angle));
    }
    sinStack[0] = 0.0f;
    sinStack[stacks] = 0.0f;
    const float r = static_cast<float>(radius);
    const auto corner = [&](int j, int i) {
        ffNormal3f(sinSlice[i] * sinStack[j], cosSlice[i] * sinStack[j], cosStack[j]);
        ffVertex3f(r * sinStack[j] * sinSlice[i], r * sinStack[j] * cosSlice[i], r * cosStack[j]);
    };
    ffBegin(GL_QUADS);
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i) {
            corner(j + 1, i);
            corner(j, i);
            corner(j, i + 1);
            corner(j + 1, i + 1);
        }
    ffEnd();
}

int powerOfTwoAtMost(int size, int largest)
{
    int power = 1;
    while (power <= size / 2 && power <= largest / 2)
        power *= 2;
    return power;
}

GLint compatBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                           const void* data)
{
    if (width < 1 || height < 1)
        return GLU_INVALID_VALUE;
    if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE || (format != GL_RGB && format != GL_RGBA))
        return GLU_INVALID_ENUM;
    int channels = components;
    if (components == GL_RGB)
        channels = 3;
    else if (components == GL_RGBA)
        channels = 4;
    if (channels < 1 || channels > 4)
        return GLU_INVALID_VALUE;
    static constexpr GLenum Formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    const GLenum outFormat = Formats[channels - 1];
    const int inChannels = format == GL_RGB ? 3 : 4;

    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    GLint largest = 64;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const std::size_t inRow = (static_cast<std::size_t>(width) * inChannels + alignment - 1) / alignment * alignment;

    // The picture in the texture's own channels: luminance is the red, a missing alpha is opaque.
    const std::size_t texels = static_cast<std::size_t>(width) * height;
    std::unique_ptr<unsigned char[]> image(new (std::nothrow) unsigned char[texels * channels]);
    if (!image)
        return GLU_OUT_OF_MEMORY;
    const auto* in = static_cast<const unsigned char*>(data);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* s = in + y * inRow + static_cast<std::size_t>(x) * inChannels;
            unsigned char* d = image.get() + (static_cast<std::size_t>(y) * width + x) * channels;
            const unsigned char alpha = inChannels == 4 ? s[3] : 255;
            if (channels <= 2) {
                d[0] = s[0];
                if (channels == 2)
                    d[1] = alpha;
            } else {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                if (channels == 4)
                    d[3] = alpha;
            }
        }

    // Sides that are not powers of two are scaled down to one, each texel the average of the
    // source area it covers.
    int w = powerOfTwoAtMost(width, largest);
    int h = powerOfTwoAtMost(height, largest);
    if (w != width || h != height) {
        std::unique_ptr<unsigned char[]> scaled(new (std::nothrow) unsigned char[static_cast<std::size_t>(w) * h * channels]);
        if (!scaled)
            return GLU_OUT_OF_MEMORY;
        const double sx = static_cast<double>(width) / w, sy = static_cast<double>(height) / h;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < channels; ++c) {
                    double sum = 0.0;
                    const double y0 = y * sy, y1 = (y + 1) * sy, x0 = x * sx, x1 = (x + 1) * sx;
                    for (int yy = static_cast<int>(y0); yy < height && yy < y1; ++yy) {
                        const double wy = std::fmin(y1, yy + 1.0) - std::fmax(y0, static_cast<double>(yy));
                        for (int xx = static_cast<int>(x0); xx < width && xx < x1; ++xx) {
                            const double wx = std::fmin(x1, xx + 1.0) - std::fmax(x0, static_cast<double>(xx));
                            sum += wx * wy * image[(static_cast<std::size_t>(yy) * width + xx) * channels + c];
                        }
                    }
                    scaled[(static_cast<std::size_t>(y) * w + x) * channels + c] =
                        static_cast<unsigned char>(sum / (sx * sy) + 0.5);
                }
        image = std::move(scaled);
    } else {
        w = width;
        h = height;
    }

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int level = 0;; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(outFormat), w, h, 0, outFormat, GL_UNSIGNED_BYTE,
                     image.get());
        if (w == 1 && h == 1)
            break;
        // Each level halves both sides down to 1, averaging the two or four texels it covers.
        const int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
        const int stepX = w > 1 ? 1 : 0, stepY = h > 1 ? 1 : 0;
        const int count = (1 + stepX) * (1 + stepY);
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < nw; ++x)
                for (int c = 0; c < channels; ++c) {
                    const auto at = [&](int dx, int dy) {
                        return static_cast<int>(
                            image[((static_cast<std::size_t>(y) * (1 + stepY) + dy) * w + x * (1 + stepX) + dx) *
                                      channels + c]);
                    };
                    const int sum = at(0, 0) + at(stepX, 0) + at(0, stepY) + at(stepX, stepY);
                    // Counted once more when a side is 1 (the same texel twice): the sum of four
                    // reads is then twice the sum of two.
                    const int total = count == 4 ? sum : sum / 2;
                    image[(static_cast<std::size_t>(y) * nw + x) * channels + c] =
                        static_cast<unsigned char>((total + count / 2) / count);
                }
        w = nw;
        h = nh;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    ffMarkBoundTextureComplete();
    return 0;
}

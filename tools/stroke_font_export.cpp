// vantor-stroke-font: writes the stroke font of the installed GLUT library as a C++ table, for the
// browser build, whose GLUT has no stroke fonts. The library exports the font's data; its layout
// is checked as it is read, so a library laid out otherwise fails here and not in the browser.
// Usage: vantor-stroke-font OUTPUT.inc
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct LibraryVertex {
    float x, y;
};
struct LibraryStrip {
    int vertexCount;
    const LibraryVertex* vertices;
};
struct LibraryGlyph {
    float advance;
    int stripCount;
    const LibraryStrip* strips;
};
struct LibraryFont {
    const char* name;
    int glyphCount;
    float height;
    const LibraryGlyph* const* glyphs;
};

} // namespace

extern "C" const LibraryFont fgStrokeRoman;

namespace {

// The printable characters and the font's size bound every number the table may hold.
bool plausible(const LibraryFont& font)
{
    if (font.name == nullptr || std::strcmp(font.name, "Roman") != 0 || font.glyphCount != 128 ||
        !(font.height > 100.0f && font.height < 200.0f) || font.glyphs == nullptr)
        return false;
    for (int c = ' '; c < 127; ++c) {
        const LibraryGlyph* glyph = font.glyphs[c];
        if (glyph == nullptr || !(glyph->advance >= 0.0f && glyph->advance < 200.0f) || glyph->stripCount < 0 ||
            glyph->stripCount > 64)
            return false;
        for (int s = 0; s < glyph->stripCount; ++s) {
            const LibraryStrip& strip = glyph->strips[s];
            if (strip.vertexCount < 1 || strip.vertexCount > 256)
                return false;
            for (int v = 0; v < strip.vertexCount; ++v)
                if (!(std::fabs(strip.vertices[v].x) < 200.0f && std::fabs(strip.vertices[v].y) < 200.0f))
                    return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantor-stroke-font OUTPUT.inc\n");
        return 2;
    }
    const LibraryFont& font = fgStrokeRoman;
    if (!plausible(font)) {
        std::fprintf(stderr, "vantor-stroke-font: the GLUT library's Roman stroke font is not laid out as expected\n");
        return 1;
    }
    std::string vertices, strips, glyphs;
    int vertexCount = 0, stripCount = 0;
    char line[128];
    for (int c = 0; c < font.glyphCount; ++c) {
        const LibraryGlyph* glyph = font.glyphs[c];
        // Characters the font leaves out draw nothing and do not move on.
        const int ownStrips = glyph == nullptr ? 0 : glyph->stripCount;
        std::snprintf(line, sizeof line, "    {%.8ef, %d, %d},\n", glyph == nullptr ? 0.0 : glyph->advance,
                      stripCount, ownStrips);
        glyphs += line;
        for (int s = 0; s < ownStrips; ++s) {
            const LibraryStrip& strip = glyph->strips[s];
            std::snprintf(line, sizeof line, "    {%d, %d},\n", vertexCount, strip.vertexCount);
            strips += line;
            ++stripCount;
            for (int v = 0; v < strip.vertexCount; ++v) {
                std::snprintf(line, sizeof line, "    {%.8ef, %.8ef},\n", strip.vertices[v].x, strip.vertices[v].y);
                vertices += line;
                ++vertexCount;
            }
        }
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::fprintf(stderr, "vantor-stroke-font: cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(out, "// The GLUT library's Roman stroke font, written by vantor-stroke-font.\n");
    std::fprintf(out, "constexpr StrokeVertex StrokeRomanVertices[%d] = {\n%s};\n", vertexCount, vertices.c_str());
    std::fprintf(out, "constexpr StrokeStrip StrokeRomanStrips[%d] = {\n%s};\n", stripCount, strips.c_str());
    std::fprintf(out, "constexpr StrokeGlyph StrokeRomanGlyphs[%d] = {\n%s};\n", font.glyphCount, glyphs.c_str());
    return std::fclose(out) == 0 ? 0 : 1;
}

// The stroke font from the installed GLUT's own table, and a keyboard that reports a held key once.
#include "web/glut_compat.h"

#include <GL/glut.h>

#include "web/fixed_function.h"

namespace {

struct StrokeVertex {
    float x, y;
};
struct StrokeStrip {
    int firstVertex;
    int vertexCount;
};
struct StrokeGlyph {
    float advance;
    int firstStrip;
    int stripCount;
};

// Written at build time by vantor-stroke-font.
#include "stroke_roman.inc"

bool ignoreRepeat = false;
bool keyIsDown[256] = {};
void (*keyDown)(unsigned char, int, int) = nullptr;
void (*keyUp)(unsigned char, int, int) = nullptr;

// A browser repeats a held key as presses without releases; while repeats are ignored, a press of
// a key already down is not passed on. Letters count as one key in either case, as the keyboard
// has one key for both.
unsigned char keyOf(unsigned char key) { return (key >= 'A' && key <= 'Z') ? key - 'A' + 'a' : key; }

void onKeyDown(unsigned char key, int x, int y)
{
    bool& down = keyIsDown[keyOf(key)];
    if (ignoreRepeat && down)
        return;
    down = true;
    if (keyDown != nullptr)
        keyDown(key, x, y);
}

void onKeyUp(unsigned char key, int x, int y)
{
    keyIsDown[keyOf(key)] = false;
    if (keyUp != nullptr)
        keyUp(key, x, y);
}

} // namespace

void compatStrokeCharacter(void*, int character)
{
    // The only stroke font there is; a character the font leaves out draws nothing.
    if (character < 0 || character >= static_cast<int>(sizeof StrokeRomanGlyphs / sizeof StrokeRomanGlyphs[0]))
        return;
    const StrokeGlyph& glyph = StrokeRomanGlyphs[character];
    if (glyph.stripCount == 0 && glyph.advance == 0.0f)
        return;
    for (int s = glyph.firstStrip; s < glyph.firstStrip + glyph.stripCount; ++s) {
        const StrokeStrip& strip = StrokeRomanStrips[s];
        ffBegin(GL_LINE_STRIP);
        for (int v = strip.firstVertex; v < strip.firstVertex + strip.vertexCount; ++v)
            ffVertex2f(StrokeRomanVertices[v].x, StrokeRomanVertices[v].y);
        ffEnd();
    }
    ffTranslatef(glyph.advance, 0.0f, 0.0f);
}

void compatIgnoreKeyRepeat(int ignore) { ignoreRepeat = ignore != 0; }

void compatKeyboardFunc(void (*callback)(unsigned char, int, int))
{
    keyDown = callback;
    glutKeyboardFunc(callback != nullptr ? onKeyDown : nullptr);
}

void compatKeyboardUpFunc(void (*callback)(unsigned char, int, int))
{
    keyUp = callback;
    glutKeyboardUpFunc(onKeyUp);
}

// GLUT names its stroke font by this variable's address; the browser's GLUT does not define it.
void* glutStrokeRoman = nullptr;

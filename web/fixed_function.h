// The part of OpenGL 1.x the game draws with, for the browser, where only WebGL 1 exists: the
// matrix stacks, one light with its default settings, materials, textures modulating the lit
// colour, immediate mode, display lists, the attribute stack, and lines of any width. Every call
// here has the signature and meaning of the OpenGL call it stands for; gl_compat.h points the
// game's calls at them. The layer sets itself up at its first drawing in the page's WebGL
// context. Only the browser build compiles this.
#pragma once

#include <GL/gl.h>

void ffBegin(GLenum mode);
void ffEnd();
void ffVertex2f(GLfloat x, GLfloat y);
void ffVertex3f(GLfloat x, GLfloat y, GLfloat z);
void ffVertex3d(GLdouble x, GLdouble y, GLdouble z);
void ffNormal3f(GLfloat x, GLfloat y, GLfloat z);
void ffTexCoord3f(GLfloat s, GLfloat t, GLfloat r);
void ffColor3f(GLfloat r, GLfloat g, GLfloat b);

void ffMatrixMode(GLenum mode);
void ffLoadIdentity();
void ffPushMatrix();
void ffPopMatrix();
void ffTranslatef(GLfloat x, GLfloat y, GLfloat z);
void ffTranslated(GLdouble x, GLdouble y, GLdouble z);
void ffRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void ffMultMatrixf(const GLfloat* m);

void ffEnable(GLenum cap);
void ffDisable(GLenum cap);
void ffMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
void ffMaterialf(GLenum face, GLenum pname, GLfloat param);
void ffLineWidth(GLfloat width);
void ffPolygonMode(GLenum face, GLenum mode);
void ffPolygonOffset(GLfloat factor, GLfloat units);
void ffDepthMask(GLboolean flag);
void ffDepthFunc(GLenum func);
void ffBlendFunc(GLenum source, GLenum destination);
void ffViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void ffPushAttrib(GLbitfield mask);
void ffPopAttrib();

void ffBindTexture(GLenum target, GLuint texture);
void ffDeleteTextures(GLsizei n, const GLuint* textures);
// The bound texture has all its levels: texturing applies with it. A texture without them is
// skipped as OpenGL skips an incomplete one.
void ffMarkBoundTextureComplete();

GLuint ffGenLists(GLsizei range);
void ffNewList(GLuint list, GLenum mode);
void ffEndList();
void ffCallList(GLuint list);
void ffDeleteLists(GLuint list, GLsizei range);


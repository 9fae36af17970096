// The GLU calls the game makes, on the browser build's fixed-function layer.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

void compatLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
                  GLdouble upX, GLdouble upY, GLdouble upZ);
void compatPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void compatOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
GLUquadric* compatNewQuadric();
// Filled, with smooth normals and no texture coordinates: the quadric's defaults.
void compatSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks);
GLint compatBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                           const void* data);


// Included ahead of every game source in the browser build: the OpenGL 1.x, GLU and GLUT calls the
// game makes that WebGL and the browser's GLUT lack, or that the drawing state must see, go to
// their stand-ins. The headers come first, so their declarations keep the real names.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include "web/fixed_function.h"
#include "web/glu_compat.h"
#include "web/glut_compat.h"

#define glBegin ffBegin
#define glEnd ffEnd
#define glVertex2f ffVertex2f
#define glVertex3f ffVertex3f
#define glVertex3d ffVertex3d
#define glNormal3f ffNormal3f
#define glTexCoord3f ffTexCoord3f
#define glColor3f ffColor3f
#define glMatrixMode ffMatrixMode
#define glLoadIdentity ffLoadIdentity
#define glPushMatrix ffPushMatrix
#define glPopMatrix ffPopMatrix
#define glTranslatef ffTranslatef
#define glTranslated ffTranslated
#define glRotatef ffRotatef
#define glMultMatrixf ffMultMatrixf
#define glEnable ffEnable
#define glDisable ffDisable
#define glMaterialfv ffMaterialfv
#define glMaterialf ffMaterialf
#define glLineWidth ffLineWidth
#define glPolygonMode ffPolygonMode
#define glPolygonOffset ffPolygonOffset
#define glDepthMask ffDepthMask
#define glDepthFunc ffDepthFunc
#define glBlendFunc ffBlendFunc
#define glViewport ffViewport
#define glPushAttrib ffPushAttrib
#define glPopAttrib ffPopAttrib
#define glBindTexture ffBindTexture
#define glDeleteTextures ffDeleteTextures
#define glGenLists ffGenLists
#define glNewList ffNewList
#define glEndList ffEndList
#define glCallList ffCallList
#define glDeleteLists ffDeleteLists

#define gluLookAt compatLookAt
#define gluPerspective compatPerspective
#define gluOrtho2D compatOrtho2D
#define gluNewQuadric compatNewQuadric
#define gluSphere compatSphere
#define gluBuild2DMipmaps compatBuild2DMipmaps

#define glutStrokeCharacter compatStrokeCharacter
#define glutIgnoreKeyRepeat compatIgnoreKeyRepeat
#define glutKeyboardFunc compatKeyboardFunc
#define glutKeyboardUpFunc compatKeyboardUpFunc

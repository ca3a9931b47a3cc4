// Definitions of the GL and GLU entry points used by the core, each recording its call.
#include "tests/support/gl_recorder.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>
#include <vector>

struct GLUquadric {
    int serial;
};

namespace kelvaro::testing {
namespace {

std::vector<std::string> calls;
int liveQuadrics = 0;

std::string enumName(GLenum value) {
    switch (value) {
        case GL_POINTS: return "GL_POINTS";
        case GL_LINES: return "GL_LINES";
        case GL_LINE_LOOP: return "GL_LINE_LOOP";
        case GL_LINE_STRIP: return "GL_LINE_STRIP";
        case GL_TRIANGLES: return "GL_TRIANGLES";
        case GL_QUADS: return "GL_QUADS";
        case GL_QUAD_STRIP: return "GL_QUAD_STRIP";
        case GL_TRIANGLE_FAN: return "GL_TRIANGLE_FAN";
        case GL_LIGHTING: return "GL_LIGHTING";
        case GL_LIGHT0: return "GL_LIGHT0";
        case GL_NORMALIZE: return "GL_NORMALIZE";
        case GL_DEPTH_TEST: return "GL_DEPTH_TEST";
        case GL_BLEND: return "GL_BLEND";
        case GL_FRONT: return "GL_FRONT";
        case GL_AMBIENT: return "GL_AMBIENT";
        case GL_DIFFUSE: return "GL_DIFFUSE";
        case GL_SPECULAR: return "GL_SPECULAR";
        case GL_SHININESS: return "GL_SHININESS";
        case GL_POSITION: return "GL_POSITION";
        case GL_PROJECTION: return "GL_PROJECTION";
        case GL_MODELVIEW: return "GL_MODELVIEW";
        case GL_SRC_ALPHA: return "GL_SRC_ALPHA";
        case GL_ONE_MINUS_SRC_ALPHA: return "GL_ONE_MINUS_SRC_ALPHA";
        case GL_MODELVIEW_MATRIX: return "GL_MODELVIEW_MATRIX";
        case GL_POLYGON_OFFSET_FILL: return "GL_POLYGON_OFFSET_FILL";
        default: return std::to_string(value);
    }
}

std::string number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Records "name(a, b, ...)" from already formatted arguments.
void record(const char* name, const std::vector<std::string>& arguments) {
    std::string line = name;
    line += '(';
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) line += ", ";
        line += arguments[i];
    }
    line += ')';
    calls.push_back(line);
}

std::vector<std::string> numbers(const float* values, int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) texts.push_back(number(values[i]));
    return texts;
}

// Light and material vectors carry four components, except the single-valued ones.
int componentCount(GLenum parameter) { return parameter == GL_SHININESS ? 1 : 4; }

}  // namespace

const std::vector<std::string>& recordedGlCalls() { return calls; }

void clearGlCalls() { calls.clear(); }

int liveQuadricCount() { return liveQuadrics; }

}  // namespace kelvaro::testing

using kelvaro::testing::componentCount;
using kelvaro::testing::enumName;
using kelvaro::testing::number;
using kelvaro::testing::numbers;
using kelvaro::testing::record;

extern "C" {

void glBegin(GLenum mode) { record("glBegin", {enumName(mode)}); }
void glEnd() { record("glEnd", {}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { record("glVertex3f", {number(x), number(y), number(z)}); }
void glVertex3fv(const GLfloat* v) { record("glVertex3fv", numbers(v, 3)); }
void glNormal3fv(const GLfloat* v) { record("glNormal3fv", numbers(v, 3)); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { record("glColor3f", {number(r), number(g), number(b)}); }
void glPolygonOffset(GLfloat factor, GLfloat units) { record("glPolygonOffset", {number(factor), number(units)}); }
void glDepthRange(GLclampd nearValue, GLclampd farValue) { record("glDepthRange", {number(nearValue), number(farValue)}); }
void glEnable(GLenum capability) { record("glEnable", {enumName(capability)}); }
void glDisable(GLenum capability) { record("glDisable", {enumName(capability)}); }

void glMaterialfv(GLenum face, GLenum parameter, const GLfloat* values) {
    std::vector<std::string> arguments{enumName(face), enumName(parameter)};
    for (const std::string& value : numbers(values, componentCount(parameter))) arguments.push_back(value);
    record("glMaterialfv", arguments);
}

void glMaterialf(GLenum face, GLenum parameter, GLfloat value) {
    record("glMaterialf", {enumName(face), enumName(parameter), number(value)});
}

void glLightfv(GLenum light, GLenum parameter, const GLfloat* values) {
    std::vector<std::string> arguments{enumName(light), enumName(parameter)};
    for (const std::string& value : numbers(values, 4)) arguments.push_back(value);
    record("glLightfv", arguments);
}

// The model view matrix of a frame that has set no camera: the identity.
void glGetFloatv(GLenum parameter, GLfloat* values) {
    record("glGetFloatv", {enumName(parameter)});
    if (parameter == GL_MODELVIEW_MATRIX) {
        for (int i = 0; i < 16; ++i) values[i] = i % 5 == 0 ? 1.0f : 0.0f;
    }
}
void glPushAttrib(GLbitfield mask) { record("glPushAttrib", {number(mask)}); }
void glPopAttrib() { record("glPopAttrib", {}); }
void glPushMatrix() { record("glPushMatrix", {}); }
void glPopMatrix() { record("glPopMatrix", {}); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", {number(x), number(y), number(z)}); }
void glMultMatrixf(const GLfloat* m) { record("glMultMatrixf", numbers(m, 16)); }
void glMatrixMode(GLenum mode) { record("glMatrixMode", {enumName(mode)}); }
void glLoadIdentity() { record("glLoadIdentity", {}); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("glClearColor", {number(r), number(g), number(b), number(a)});
}
void glClear(GLbitfield mask) { record("glClear", {number(mask)}); }
void glBlendFunc(GLenum source, GLenum destination) {
    record("glBlendFunc", {enumName(source), enumName(destination)});
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    record("glViewport", {number(x), number(y), number(width), number(height)});
}

void glVertex2f(GLfloat x, GLfloat y) { record("glVertex2f", {number(x), number(y)}); }
void glLineWidth(GLfloat width) { record("glLineWidth", {number(width)}); }
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar) {
    record("glOrtho", {number(left), number(right), number(bottom), number(top), number(zNear), number(zFar)});
}

// Queries answer the state of a fresh context with the window's start viewport: identity
// matrices and the viewport 0, 0, 626, 520.
void glGetIntegerv(GLenum name, GLint* values) {
    record("glGetIntegerv", {std::to_string(name)});
    if (name == GL_VIEWPORT) {
        values[0] = 0, values[1] = 0, values[2] = 626, values[3] = 520;
    } else {
        values[0] = 0;
    }
}
void glGetDoublev(GLenum name, GLdouble* values) {
    record("glGetDoublev", {std::to_string(name)});
    const int count = name == GL_MODELVIEW_MATRIX || name == GL_PROJECTION_MATRIX ? 16 : 1;
    for (int i = 0; i < count; ++i) values[i] = count == 16 && i % 5 == 0 ? 1.0 : 0.0;
}

// Projects as GLU does: the model view, then the projection, the perspective division and
// the viewport; fails when w is 0.
GLint gluProject(GLdouble x, GLdouble y, GLdouble z, const GLdouble* modelView, const GLdouble* projection,
                 const GLint* viewport, GLdouble* windowX, GLdouble* windowY, GLdouble* windowZ) {
    const GLdouble in[4] = {x, y, z, 1.0};
    GLdouble eye[4], clip[4];
    for (int row = 0; row < 4; ++row) {
        eye[row] = 0.0;
        for (int k = 0; k < 4; ++k) eye[row] += modelView[k * 4 + row] * in[k];
    }
    for (int row = 0; row < 4; ++row) {
        clip[row] = 0.0;
        for (int k = 0; k < 4; ++k) clip[row] += projection[k * 4 + row] * eye[k];
    }
    if (clip[3] == 0.0) return GL_FALSE;
    *windowX = viewport[0] + viewport[2] * (clip[0] / clip[3] + 1.0) / 2.0;
    *windowY = viewport[1] + viewport[3] * (clip[1] / clip[3] + 1.0) / 2.0;
    *windowZ = (clip[2] / clip[3] + 1.0) / 2.0;
    return GL_TRUE;
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    record("gluPerspective", {number(fovy), number(aspect), number(zNear), number(zFar)});
}

GLUquadric* gluNewQuadric() {
    static int serial = 0;
    ++kelvaro::testing::liveQuadrics;
    record("gluNewQuadric", {});
    return new GLUquadric{++serial};
}

void gluDeleteQuadric(GLUquadric* quadric) {
    --kelvaro::testing::liveQuadrics;
    record("gluDeleteQuadric", {});
    delete quadric;
}

void gluSphere(GLUquadric*, GLdouble radius, GLint slices, GLint stacks) {
    record("gluSphere", {number(radius), number(slices), number(stacks)});
}

}  // extern "C"

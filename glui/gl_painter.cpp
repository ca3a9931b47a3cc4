#include "glui/gl_painter.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

namespace {

void set_color(GLUI_Color color) { glColor3f(color.r, color.g, color.b); }

void set_pixel_projection(int w, int h) {
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace

GlPainter::GlPainter(int w, int h) : width_(w), height_(h) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  set_pixel_projection(w, h);
  glClearColor(200 / 255.0f, 200 / 255.0f, 200 / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlPainter::fill_rect(int x0, int y0, int x1, int y1, GLUI_Color color) {
  set_color(color);
  glRecti(x0, y0, x1 + 1, y1 + 1);
}

void GlPainter::outline_rect(int x0, int y0, int x1, int y1, GLUI_Color color) {
  line(x0, y0, x1, y0, color);
  line(x0, y1, x1, y1, color);
  line(x0, y0, x0, y1, color);
  line(x1, y0, x1, y1, color);
}

void GlPainter::dotted_rect(int x0, int y0, int x1, int y1, GLUI_Color color) {
  set_color(color);
  glBegin(GL_POINTS);
  for (int x = x0; x <= x1; x += 2) {
    glVertex2f(x + 0.5f, y0 + 0.5f);
    glVertex2f(x + 0.5f, y1 + 0.5f);
  }
  for (int y = y0; y <= y1; y += 2) {
    glVertex2f(x0 + 0.5f, y + 0.5f);
    glVertex2f(x1 + 0.5f, y + 0.5f);
  }
  glEnd();
}

void GlPainter::line(int x0, int y0, int x1, int y1, GLUI_Color color) {
  set_color(color);
  glBegin(GL_LINES);
  glVertex2f(x0 + 0.5f, y0 + 0.5f);
  glVertex2f(x1 + 0.5f, y1 + 0.5f);
  glEnd();
  // Lines leave out their last pixel; draw it.
  glBegin(GL_POINTS);
  glVertex2f(x1 + 0.5f, y1 + 0.5f);
  glEnd();
}

void GlPainter::text(int x, int baseline, const std::string& text, GLUI_Color color) {
  if (text.empty()) return;
  set_color(color);  // the raster colour is taken at glRasterPos
  glRasterPos2i(x, baseline);
  for (char c : text) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, static_cast<unsigned char>(c));
}

void GlPainter::polygon(const float* xy, int count, GLUI_Color color) {
  set_color(color);
  glBegin(GL_POLYGON);
  for (int i = 0; i < count; ++i) glVertex2f(xy[2 * i], xy[2 * i + 1]);
  glEnd();
}

void GlPainter::outline_polygon(const float* xy, int count, GLUI_Color color) {
  set_color(color);
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < count; ++i) glVertex2f(xy[2 * i] + 0.5f, xy[2 * i + 1] + 0.5f);
  glEnd();
}

// A lit sphere with a grey checker texture, drawn in its own square viewport.
void GlPainter::rotation_ball(int x, int y, int size, const float matrix[16], bool enabled) {
  constexpr int texels = 64;
  struct Checker {
    GLubyte rgb[texels][texels][3];
    Checker() {
      for (int row = 0; row < texels; ++row) {
        for (int col = 0; col < texels; ++col) {
          const GLubyte value = ((row / 8 + col / 8) % 2) ? 110 : 220;
          rgb[row][col][0] = rgb[row][col][1] = rgb[row][col][2] = value;
        }
      }
    }
  };
  static const Checker checker;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, texels, texels, 0, GL_RGB, GL_UNSIGNED_BYTE, checker.rgb);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

  glViewport(x, height_ - y - size, size, size);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  const GLfloat light_position[] = {-0.5f, 0.8f, 1.0f, 0.0f};
  const GLfloat light_diffuse[] = {0.9f, 0.9f, 0.9f, 1.0f};
  const GLfloat light_ambient[] = {0.35f, 0.35f, 0.35f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light_position);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, light_diffuse);
  glLightfv(GL_LIGHT0, GL_AMBIENT, light_ambient);
  const float shade = enabled ? 1.0f : 0.75f;
  const GLfloat material[] = {shade, shade, shade, 1.0f};
  glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, material);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  glEnable(GL_NORMALIZE);

  glMultMatrixf(matrix);
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricTexture(quadric, GL_TRUE);
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluSphere(quadric, 0.96, 24, 16);
  gluDeleteQuadric(quadric);

  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  set_pixel_projection(width_, height_);
}

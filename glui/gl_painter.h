// GLUI_Painter on OpenGL 1.x: draws in a GLUI window whose context is current.
#pragma once

#include "glui/glui_backend.h"

class GlPainter : public GLUI_Painter {
 public:
  // Sets up a pixel projection (y down) for a window of w x h and clears it to the
  // panel background.
  GlPainter(int w, int h);
  void fill_rect(int x0, int y0, int x1, int y1, GLUI_Color color) override;
  void outline_rect(int x0, int y0, int x1, int y1, GLUI_Color color) override;
  void dotted_rect(int x0, int y0, int x1, int y1, GLUI_Color color) override;
  void line(int x0, int y0, int x1, int y1, GLUI_Color color) override;
  void text(int x, int baseline, const std::string& text, GLUI_Color color) override;
  void polygon(const float* xy, int count, GLUI_Color color) override;
  void outline_polygon(const float* xy, int count, GLUI_Color color) override;
  void rotation_ball(int x, int y, int size, const float matrix[16], bool enabled) override;

 private:
  int width_, height_;
};

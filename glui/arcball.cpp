#include "glui/arcball.h"

#include <cmath>

void RotationMatrix::premultiply(const ArcballStep& step) {
  const double x = step.axis[0], y = step.axis[1], z = step.axis[2];
  const double c = std::cos(step.angle), s = std::sin(step.angle), t = 1.0 - c;
  // r[row][col] of the rotation about the unit axis (x, y, z).
  const double r[3][3] = {
      {t * x * x + c, t * x * y - s * z, t * x * z + s * y},
      {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
      {t * x * z - s * y, t * y * z + s * x, t * z * z + c},
  };
  float result[16];
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      double sum;
      if (row < 3) {
        sum = 0.0;
        for (int k = 0; k < 3; ++k) sum += r[row][k] * m[col * 4 + k];
      } else {
        sum = m[col * 4 + 3];
      }
      result[col * 4 + row] = static_cast<float>(sum);
    }
  }
  for (int i = 0; i < 16; ++i) m[i] = result[i];
}

void Arcball::sphere_point(double x, double y, double out[3]) const {
  double px = (x - cx_) / radius_;
  double py = (cy_ - y) / radius_;
  double length_squared = px * px + py * py;
  if (length_squared > 1.0) {
    double length = std::sqrt(length_squared);
    out[0] = px / length;
    out[1] = py / length;
    out[2] = 0.0;
  } else {
    out[0] = px;
    out[1] = py;
    out[2] = std::sqrt(1.0 - length_squared);
  }
}

namespace {

// Drops one coordinate and rescales to unit length; answers false if nothing is left.
bool project_out(double v[3], int coordinate) {
  v[coordinate] = 0.0;
  double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length < 1e-12) return false;
  for (int i = 0; i < 3; ++i) v[i] /= length;
  return true;
}

}  // namespace

ArcballStep Arcball::step(double x0, double y0, double x1, double y1, Lock lock) const {
  double p0[3], p1[3];
  sphere_point(x0, y0, p0);
  sphere_point(x1, y1, p1);
  ArcballStep result;
  if (lock != Lock::none) {
    int dropped = lock == Lock::x_axis ? 0 : 1;
    if (!project_out(p0, dropped) || !project_out(p1, dropped)) return result;
  }
  double axis[3] = {p0[1] * p1[2] - p0[2] * p1[1], p0[2] * p1[0] - p0[0] * p1[2],
                    p0[0] * p1[1] - p0[1] * p1[0]};
  double sine = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  double cosine = p0[0] * p1[0] + p0[1] * p1[1] + p0[2] * p1[2];
  if (sine < 1e-12) return result;
  for (int i = 0; i < 3; ++i) result.axis[i] = axis[i] / sine;
  result.angle = 2.0 * std::atan2(sine, cosine);
  return result;
}

// Arithmetic of the rotation ball: mapping window pixels onto a virtual sphere and
// turning a column-major 4x4 matrix by the arc between two such points.
#pragma once

// An incremental rotation: a unit axis and an angle in radians.
struct ArcballStep {
  double axis[3] = {0, 0, 1};
  double angle = 0;
};

// A 4x4 rotation matrix in OpenGL's column-major order (for glMultMatrixf).
struct RotationMatrix {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  void set_identity() { *this = RotationMatrix{}; }
  // Turns by step in eye space: the result is R(step) * m.
  void premultiply(const ArcballStep& step);
};

// The virtual sphere: centre and radius in window pixels (y down).
class Arcball {
 public:
  enum class Lock { none, x_axis, y_axis };
  Arcball(double center_x, double center_y, double radius)
      : cx_(center_x), cy_(center_y), radius_(radius) {}
  // The unit vector on the sphere under pixel (x, y), y pointing up; points beyond the
  // radius go to the rim.
  void sphere_point(double x, double y, double out[3]) const;
  // The rotation that carries the point under (x0, y0) to the one under (x1, y1): about
  // their cross product by twice the arc between them. A lock keeps only the turn about
  // that axis. A zero step (same points) has angle 0.
  ArcballStep step(double x0, double y0, double x1, double y1, Lock lock) const;

 private:
  double cx_, cy_, radius_;
};

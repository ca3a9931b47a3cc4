#pragma once
// Vector3d: three double-precision numbers, for points and fields that are computed in
// double precision beside the single-precision scene (the accurate field lines, the flux
// through a surface).

namespace kelvaro {

struct Vector3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

}  // namespace kelvaro

#pragma once
// The directions of the vertices of a charge's sphere in an OBJ file.

#include "common/vector3.h"

namespace kelvaro::batch {

// The mesh resolution of a charge sphere, as the program draws it.
inline constexpr int sphereSlices = 10;
inline constexpr int sphereStacks = 10;

// The unit directions from a sphere's centre to its mesh vertices, in the order they are
// written: the north pole; then for each ring from north to south (stack k = 1 to 9) the
// slices j = 0 to 9; then the south pole. With polar = pi k / 10 and azimuth = 2 pi j / 10
// each is {sin(polar) cos(azimuth), sin(polar) sin(azimuth), cos(polar)}, every component
// computed in double precision and rounded once to single precision (the poles at polar
// 0 and pi, azimuth 0). They are written out as exact values rather than computed where
// they are used: a compiler may keep the unrounded products in vectorised code (GCC does
// with -fPIC), which would change the vertices by one unit in their last place.
inline constexpr Vector3 sphereDirections[2 + sphereSlices * (sphereStacks - 1)] = {
    {0x0p+0f, 0x0p+0f, 0x1p+0f},
    {0x1.3c6ef4p-2f, 0x0p+0f, 0x1.e6f0e2p-1f},
    {0x1p-2f, 0x1.73fd62p-3f, 0x1.e6f0e2p-1f},
    {0x1.87221ap-4f, 0x1.2cf23p-2f, 0x1.e6f0e2p-1f},
    {-0x1.87221ap-4f, 0x1.2cf23p-2f, 0x1.e6f0e2p-1f},
    {-0x1p-2f, 0x1.73fd62p-3f, 0x1.e6f0e2p-1f},
    {-0x1.3c6ef4p-2f, 0x1.5d0bd6p-55f, 0x1.e6f0e2p-1f},
    {-0x1p-2f, -0x1.73fd62p-3f, 0x1.e6f0e2p-1f},
    {-0x1.87221ap-4f, -0x1.2cf23p-2f, 0x1.e6f0e2p-1f},
    {0x1.87221ap-4f, -0x1.2cf23p-2f, 0x1.e6f0e2p-1f},
    {0x1p-2f, -0x1.73fd62p-3f, 0x1.e6f0e2p-1f},
    {0x1.2cf23p-1f, 0x0p+0f, 0x1.9e377ap-1f},
    {0x1.e6f0e2p-2f, 0x1.61c886p-2f, 0x1.9e377ap-1f},
    {0x1.73fd62p-3f, 0x1.1e377ap-1f, 0x1.9e377ap-1f},
    {-0x1.73fd62p-3f, 0x1.1e377ap-1f, 0x1.9e377ap-1f},
    {-0x1.e6f0e2p-2f, 0x1.61c886p-2f, 0x1.9e377ap-1f},
    {-0x1.2cf23p-1f, 0x1.4bf672p-54f, 0x1.9e377ap-1f},
    {-0x1.e6f0e2p-2f, -0x1.61c886p-2f, 0x1.9e377ap-1f},
    {-0x1.73fd62p-3f, -0x1.1e377ap-1f, 0x1.9e377ap-1f},
    {0x1.73fd62p-3f, -0x1.1e377ap-1f, 0x1.9e377ap-1f},
    {0x1.e6f0e2p-2f, -0x1.61c886p-2f, 0x1.9e377ap-1f},
    {0x1.9e377ap-1f, 0x0p+0f, 0x1.2cf23p-1f},
    {0x1.4f1bbcp-1f, 0x1.e6f0e2p-2f, 0x1.2cf23p-1f},
    {0x1p-2f, 0x1.89f188p-1f, 0x1.2cf23p-1f},
    {-0x1p-2f, 0x1.89f188p-1f, 0x1.2cf23p-1f},
    {-0x1.4f1bbcp-1f, 0x1.e6f0e2p-2f, 0x1.2cf23p-1f},
    {-0x1.9e377ap-1f, 0x1.c8e84ep-54f, 0x1.2cf23p-1f},
    {-0x1.4f1bbcp-1f, -0x1.e6f0e2p-2f, 0x1.2cf23p-1f},
    {-0x1p-2f, -0x1.89f188p-1f, 0x1.2cf23p-1f},
    {0x1p-2f, -0x1.89f188p-1f, 0x1.2cf23p-1f},
    {0x1.4f1bbcp-1f, -0x1.e6f0e2p-2f, 0x1.2cf23p-1f},
    {0x1.e6f0e2p-1f, 0x0p+0f, 0x1.3c6ef4p-2f},
    {0x1.89f188p-1f, 0x1.1e377ap-1f, 0x1.3c6ef4p-2f},
    {0x1.2cf23p-2f, 0x1.cf1bbcp-1f, 0x1.3c6ef4p-2f},
    {-0x1.2cf23p-2f, 0x1.cf1bbcp-1f, 0x1.3c6ef4p-2f},
    {-0x1.89f188p-1f, 0x1.1e377ap-1f, 0x1.3c6ef4p-2f},
    {-0x1.e6f0e2p-1f, 0x1.0c903ep-53f, 0x1.3c6ef4p-2f},
    {-0x1.89f188p-1f, -0x1.1e377ap-1f, 0x1.3c6ef4p-2f},
    {-0x1.2cf23p-2f, -0x1.cf1bbcp-1f, 0x1.3c6ef4p-2f},
    {0x1.2cf23p-2f, -0x1.cf1bbcp-1f, 0x1.3c6ef4p-2f},
    {0x1.89f188p-1f, -0x1.1e377ap-1f, 0x1.3c6ef4p-2f},
    {0x1p+0f, 0x0p+0f, 0x1.1a6264p-54f},
    {0x1.9e377ap-1f, 0x1.2cf23p-1f, 0x1.1a6264p-54f},
    {0x1.3c6ef4p-2f, 0x1.e6f0e2p-1f, 0x1.1a6264p-54f},
    {-0x1.3c6ef4p-2f, 0x1.e6f0e2p-1f, 0x1.1a6264p-54f},
    {-0x1.9e377ap-1f, 0x1.2cf23p-1f, 0x1.1a6264p-54f},
    {-0x1p+0f, 0x1.1a6264p-53f, 0x1.1a6264p-54f},
    {-0x1.9e377ap-1f, -0x1.2cf23p-1f, 0x1.1a6264p-54f},
    {-0x1.3c6ef4p-2f, -0x1.e6f0e2p-1f, 0x1.1a6264p-54f},
    {0x1.3c6ef4p-2f, -0x1.e6f0e2p-1f, 0x1.1a6264p-54f},
    {0x1.9e377ap-1f, -0x1.2cf23p-1f, 0x1.1a6264p-54f},
    {0x1.e6f0e2p-1f, 0x0p+0f, -0x1.3c6ef4p-2f},
    {0x1.89f188p-1f, 0x1.1e377ap-1f, -0x1.3c6ef4p-2f},
    {0x1.2cf23p-2f, 0x1.cf1bbcp-1f, -0x1.3c6ef4p-2f},
    {-0x1.2cf23p-2f, 0x1.cf1bbcp-1f, -0x1.3c6ef4p-2f},
    {-0x1.89f188p-1f, 0x1.1e377ap-1f, -0x1.3c6ef4p-2f},
    {-0x1.e6f0e2p-1f, 0x1.0c903ep-53f, -0x1.3c6ef4p-2f},
    {-0x1.89f188p-1f, -0x1.1e377ap-1f, -0x1.3c6ef4p-2f},
    {-0x1.2cf23p-2f, -0x1.cf1bbcp-1f, -0x1.3c6ef4p-2f},
    {0x1.2cf23p-2f, -0x1.cf1bbcp-1f, -0x1.3c6ef4p-2f},
    {0x1.89f188p-1f, -0x1.1e377ap-1f, -0x1.3c6ef4p-2f},
    {0x1.9e377ap-1f, 0x0p+0f, -0x1.2cf23p-1f},
    {0x1.4f1bbcp-1f, 0x1.e6f0e2p-2f, -0x1.2cf23p-1f},
    {0x1p-2f, 0x1.89f188p-1f, -0x1.2cf23p-1f},
    {-0x1p-2f, 0x1.89f188p-1f, -0x1.2cf23p-1f},
    {-0x1.4f1bbcp-1f, 0x1.e6f0e2p-2f, -0x1.2cf23p-1f},
    {-0x1.9e377ap-1f, 0x1.c8e84ep-54f, -0x1.2cf23p-1f},
    {-0x1.4f1bbcp-1f, -0x1.e6f0e2p-2f, -0x1.2cf23p-1f},
    {-0x1p-2f, -0x1.89f188p-1f, -0x1.2cf23p-1f},
    {0x1p-2f, -0x1.89f188p-1f, -0x1.2cf23p-1f},
    {0x1.4f1bbcp-1f, -0x1.e6f0e2p-2f, -0x1.2cf23p-1f},
    {0x1.2cf23p-1f, 0x0p+0f, -0x1.9e377ap-1f},
    {0x1.e6f0e2p-2f, 0x1.61c886p-2f, -0x1.9e377ap-1f},
    {0x1.73fd62p-3f, 0x1.1e377ap-1f, -0x1.9e377ap-1f},
    {-0x1.73fd62p-3f, 0x1.1e377ap-1f, -0x1.9e377ap-1f},
    {-0x1.e6f0e2p-2f, 0x1.61c886p-2f, -0x1.9e377ap-1f},
    {-0x1.2cf23p-1f, 0x1.4bf672p-54f, -0x1.9e377ap-1f},
    {-0x1.e6f0e2p-2f, -0x1.61c886p-2f, -0x1.9e377ap-1f},
    {-0x1.73fd62p-3f, -0x1.1e377ap-1f, -0x1.9e377ap-1f},
    {0x1.73fd62p-3f, -0x1.1e377ap-1f, -0x1.9e377ap-1f},
    {0x1.e6f0e2p-2f, -0x1.61c886p-2f, -0x1.9e377ap-1f},
    {0x1.3c6ef4p-2f, 0x0p+0f, -0x1.e6f0e2p-1f},
    {0x1p-2f, 0x1.73fd62p-3f, -0x1.e6f0e2p-1f},
    {0x1.87221ap-4f, 0x1.2cf23p-2f, -0x1.e6f0e2p-1f},
    {-0x1.87221ap-4f, 0x1.2cf23p-2f, -0x1.e6f0e2p-1f},
    {-0x1p-2f, 0x1.73fd62p-3f, -0x1.e6f0e2p-1f},
    {-0x1.3c6ef4p-2f, 0x1.5d0bd6p-55f, -0x1.e6f0e2p-1f},
    {-0x1p-2f, -0x1.73fd62p-3f, -0x1.e6f0e2p-1f},
    {-0x1.87221ap-4f, -0x1.2cf23p-2f, -0x1.e6f0e2p-1f},
    {0x1.87221ap-4f, -0x1.2cf23p-2f, -0x1.e6f0e2p-1f},
    {0x1p-2f, -0x1.73fd62p-3f, -0x1.e6f0e2p-1f},
    {0x1.1a6264p-53f, 0x0p+0f, -0x1p+0f},
};

}  // namespace kelvaro::batch

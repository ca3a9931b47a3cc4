#pragma once
// A recording stand-in for OpenGL and GLU, linked into tests instead of libGL and libGLU.
// Every call is recorded as one line of text, its enumerants by name and its numbers
// with "%g", for example "glBegin(GL_LINES)" or "glVertex3f(1, 2, 3)", so that a test
// compares a whole draw sequence with one expectation.

#include <string>
#include <vector>

namespace kelvaro::testing {

// The calls recorded since the last clearGlCalls(), in order.
const std::vector<std::string>& recordedGlCalls();
void clearGlCalls();

// Quadric objects made by gluNewQuadric and not yet deleted.
int liveQuadricCount();

}  // namespace kelvaro::testing

// A grid edge's immediate-mode OpenGL drawing, apart from the rest of the grid so that the
// browser edition, which calls no GL, builds its own (web/scene_buffers.cpp).

#include <GL/gl.h>

#include "viz/potential_grid.h"

namespace kelvaro {

void GridEdge::draw() const {
    glBegin(GL_LINES);
    drawAttributes();
    glVertex3f(lower->position.x, lower->position.y, lower->position.z);
    glVertex3f(upper->position.x, upper->position.y, upper->position.z);
    glEnd();
}

}  // namespace kelvaro

#pragma once
// Where the marks of the teaching style go and how large they are, apart from any drawing:
// the desktop frame draws them with OpenGL (teaching_style.h) and the browser edition
// hands them to its WebGL page, so both show the same balls and arrowheads.

#include <cstdint>
#include <optional>
#include <vector>

#include "common/vector3.h"

namespace kelvaro {

class Model;
class PolyLine;

// The width of the style's lines, in picture pixels.
inline constexpr int teachingLineWidth = 2;

// The radius of the ball of a charge of `value` in a model whose box has the diagonal
// `diagonal` and whose largest charge magnitude is `largest`: a fixed fraction of the
// diagonal for the largest charge, shrinking with the cube root of |value| down to two
// fifths of that, so that the smallest charges stay visible.
double chargeBallRadius(double diagonal, double value, double largest);

// The distances along a line of `length` at which its arrowheads sit: every `spacing`,
// symmetric about the line's middle (so that a line traced from each of its ends gets its
// arrowheads in the same places), none closer than half a spacing to either end. A line
// shorter than a spacing gets one in its middle if it is at least three heads long.
std::vector<double> arrowPlaces(double length, double spacing, double headLength);

// The sizes of the marks of one model, from the diagonal of its box.
struct TeachingSizes {
    double diagonal = 0.0;
    double arrowSpacing = 0.0;  // between arrowheads along a line
    double arrowLength = 0.0;   // of one arrowhead
};
// None when the diagonal is not a positive finite number: such a model gets no marks.
std::optional<TeachingSizes> teachingSizes(const Model& model);

// The ball of each charge, in charge order: its radius (never smaller than the model's own
// charge sphere, which it hides, so that a tiny box still shows each charge's sign) and
// its colour, red when positive, blue when negative, grey for zero.
struct ChargeBall {
    double radius = 0.0;
    Vector3 color;
};
std::vector<ChargeBall> chargeBalls(const Model& model, double diagonal);

// An arrowhead: its centre and the unit direction it points in (zero on a segment of no
// length: no arrowhead is drawn there), and the point of its line where the segment it
// sits on starts.
struct Arrowhead {
    double centre[3];
    double along[3];
    std::int32_t segment = 0;
    bool pointsSomewhere() const { return along[0] != 0.0 || along[1] != 0.0 || along[2] != 0.0; }
};
// The arrowheads of one field line, each along the line's segment where it sits, turned
// to point along the model's field there, in the line's colour (that of its attribute set,
// else the field lines' colour). None when the line gets no places for arrowheads
// (arrowPlaces), or its length is not a finite number.
struct LineArrows {
    Vector3 color;
    std::vector<Arrowhead> heads;
};
std::optional<LineArrows> lineArrows(const Model& model, const PolyLine& line, const TeachingSizes& sizes);

}  // namespace kelvaro

#pragma once
// The marks of the teaching style, drawn at frame time from the model and the scene as
// they are (nothing in the scene changes): every charge as a lit ball whose size follows
// the charge, red when positive and blue when negative, and small arrowheads at regular
// intervals along every field line, pointing along the field.

#include "render/teaching_marks.h"

namespace kelvaro {

class Group;
class Model;

// Draws the balls of the model's charges (never smaller than the model's own charge
// spheres, which they hide, so that a tiny box still shows each charge's sign) and the arrowheads of the scene's field lines
// (its polylines, in the colour of each line) into the current frame, with the model
// view in place. Saves and restores the GL state it changes.
void drawTeachingMarks(const Model& model, const Group* scene);

// Draws each charge's value (chargeLabelText) beside its ball, up and to the right of it,
// in the ball's colour on a halo of the `background` colour, over everything else; `scale`
// is the frame's line scale. The model view and projection of the frame are in place;
// they are left as they were.
void drawChargeLabels(const Model& model, int scale, const float (&background)[3]);

}  // namespace kelvaro

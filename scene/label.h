#pragma once
// A label in the scene: a few lines of text drawn with strokes (stroke_font.h) beside a
// point, facing the viewer whichever way the scene is turned, its capitals `height` model
// units high.

#include <string>
#include <utility>
#include <vector>

#include "common/vector3.h"
#include "common/vector3d.h"
#include "scene/scene_object.h"

namespace kelvaro {

class Label : public AttributedObject {
public:
    Label(const Vector3& at, std::string words, float capitalHeight)
        : AttributedObject(LabelType), anchor(at), text(std::move(words)), height(capitalHeight) {}

    // "Label(<attributes>x, y, z; "text")", the text's line feeds written as "\n".
    bool print(std::FILE* stream) const override;
    // Applies the attribute set and draws the strokes (strokeEnds) as lines in the plane
    // that faces the eye (its axes read from the model view matrix).
    void draw() const override;

    // The ends of the strokes, two points a stroke, in model coordinates: the text laid out
    // in the plane of `right` and `up` (the eye's axes, unit vectors), starting one
    // capital's height to the right of the anchor, its first baseline half a capital's
    // height above it.
    std::vector<Vector3> strokeEnds(const Vector3d& right, const Vector3d& up) const;

    Vector3 anchor;
    std::string text;
    float height;

protected:
    ~Label() override = default;
};

}  // namespace kelvaro

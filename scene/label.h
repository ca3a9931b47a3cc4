#pragma once
// A label in the scene: a few lines of text drawn with strokes (stroke_font.h) beside a
// point, facing the viewer whichever way the scene is turned, its capitals `height` model
// units high.

#include <string>
#include <utility>

#include "common/vector3.h"
#include "scene/scene_object.h"

namespace kelvaro {

class Label : public AttributedObject {
public:
    Label(const Vector3& at, std::string words, float capitalHeight)
        : AttributedObject(LabelType), anchor(at), text(std::move(words)), height(capitalHeight) {}

    // "Label(<attributes>x, y, z; "text")", the text's line feeds written as "\n".
    bool print(std::FILE* stream) const override;
    // Applies the attribute set and draws the strokes as GL_LINES in the plane that faces
    // the eye (its axes read from the model view matrix), starting one capital's height to
    // the right of the anchor, the first baseline half a capital's height above it.
    void draw() const override;

    Vector3 anchor;
    std::string text;
    float height;

protected:
    ~Label() override = default;
};

}  // namespace kelvaro

#pragma once
// AttributeSet: the colour and material state applied before an object draws itself.
// It saves and restores nothing: what it switches stays in effect for what follows.

#include <cstdint>

#include "common/vector3.h"
#include "scene/scene_object.h"

namespace kelvaro {

// The 19 palette colours, indices 0 to 18; any other index gives dark grey (0.3, 0.3, 0.3).
Vector3 paletteColor(int index);

class AttributeSet : public SceneObject {
public:
    enum Flag : std::uint32_t {
        ColorSet = 0x001,
        Lighting = 0x004,
        Wireframe = 0x008,
        AmbientSet = 0x010,
        DiffuseSet = 0x020,
        SpecularSet = 0x040,
        ShininessSet = 0x080,
        AlphaSet = 0x100,
    };

    // The palette colour of `index` with ColorSet; index 19 gives a set with no flags,
    // which draws nothing.
    explicit AttributeSet(int paletteIndex);
    // A plain colour: ColorSet only, every factor 0.
    explicit AttributeSet(const Vector3& color);

    // Stores the material factors and adds Lighting and the four factor flags (not ColorSet).
    void setMaterial(float ambient, float diffuse, float specular, float shininess);
    // Stores the fourth component of the material colours and adds AlphaSet.
    void setAlpha(float alpha);
    // Overwrites the colour and adds ColorSet, keeping every other field and flag.
    void setColor(const Vector3& color);
    // Asks boxes and triangles to draw outlines with lighting off.
    void setWireframe() { flags_ |= Wireframe; }

    std::uint32_t flags() const { return flags_; }
    bool has(Flag flag) const { return (flags_ & flag) != 0; }
    const Vector3& color() const { return color_; }
    float ambient() const { return ambient_; }
    float diffuse() const { return diffuse_; }
    float specular() const { return specular_; }
    float shininess() const { return shininess_; }
    float alpha() const { return alpha_; }

    // "AttributeSet(<flags in hex>, " then the material factors; colour and alpha are not written.
    bool print(std::FILE* stream) const override;
    // Without ColorSet nothing; without Lighting: lighting off and glColor3f; otherwise
    // lighting on and the front-face materials that are present.
    void draw() const override;

protected:
    ~AttributeSet() override = default;

private:
    std::uint32_t flags_;
    Vector3 color_;
    float ambient_ = 0.0f;
    float diffuse_ = 0.0f;
    float specular_ = 0.0f;
    float shininess_ = 0.0f;
    float alpha_ = 0.0f;
};

}  // namespace kelvaro

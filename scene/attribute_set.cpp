#include "scene/attribute_set.h"

#include "common/number_text.h"
#include "scene/print_checked.h"

namespace kelvaro {
namespace {

constexpr Vector3 defaultColor{0.3f, 0.3f, 0.3f};

constexpr Vector3 palette[] = {
    {0.0f, 0.0f, 0.0f}, {0.7f, 0.3f, 0.3f}, {1.0f, 0.0f, 0.0f}, {1.0f, 0.5f, 0.0f}, {1.0f, 1.0f, 0.0f},
    {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 1.0f}, {0.6f, 0.6f, 0.6f},
    {1.0f, 1.0f, 1.0f}, {0.7f, 0.3f, 0.3f}, {1.0f, 0.3f, 0.3f}, {1.0f, 0.7f, 0.3f}, {1.0f, 1.0f, 0.3f},
    {0.3f, 1.0f, 0.3f}, {0.3f, 0.3f, 1.0f}, {1.0f, 0.3f, 1.0f}, {0.3f, 1.0f, 1.0f},
};
constexpr int paletteSize = sizeof palette / sizeof palette[0];

// The palette index that makes a set without any flag.
constexpr int emptySetIndex = 19;

constexpr std::uint32_t materialFactorFlags =
    AttributeSet::AmbientSet | AttributeSet::DiffuseSet | AttributeSet::SpecularSet | AttributeSet::ShininessSet;

}  // namespace

Vector3 paletteColor(int index) {
    if (index < 0 || index >= paletteSize) return defaultColor;
    return palette[index];
}

AttributeSet::AttributeSet(int paletteIndex)
    : SceneObject(AttributeSetType),
      flags_(paletteIndex == emptySetIndex ? 0u : ColorSet),
      color_(paletteColor(paletteIndex)) {}

AttributeSet::AttributeSet(const Vector3& color) : SceneObject(AttributeSetType), flags_(ColorSet), color_(color) {}

void AttributeSet::setMaterial(float ambient, float diffuse, float specular, float shininess) {
    ambient_ = ambient;
    diffuse_ = diffuse;
    specular_ = specular;
    shininess_ = shininess;
    flags_ |= Lighting | materialFactorFlags;
}

void AttributeSet::setAlpha(float alpha) {
    alpha_ = alpha;
    flags_ |= AlphaSet;
}

void AttributeSet::setColor(const Vector3& color) {
    color_ = color;
    flags_ |= ColorSet;
}

bool AttributeSet::print(std::FILE* stream) const {
    if (!printChecked(stream, "AttributeSet(%X, ", flags_)) return false;
    if (!has(ColorSet)) return printChecked(stream, ")\n");
    if (!has(Lighting) || (flags_ & materialFactorFlags) == 0) return printChecked(stream, "0.0, 0.0, 0.0, 0.0)\n");
    const struct {
        Flag flag;
        float value;
    } factors[] = {{AmbientSet, ambient_}, {DiffuseSet, diffuse_}, {SpecularSet, specular_}};
    for (const auto& factor : factors) {
        const bool written = has(factor.flag) ? printChecked(stream, "%s, ", numberText(factor.value).c_str())
                                              : printChecked(stream, "0.0, ");
        if (!written) return false;
    }
    return has(ShininessSet) ? printChecked(stream, "%s)\n", numberText(shininess_).c_str())
                             : printChecked(stream, "0.0)\n");
}

}  // namespace kelvaro

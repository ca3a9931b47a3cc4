#include "tools/batch/material_library.h"

#include <cmath>

#include "common/number_text.h"

namespace kelvaro::batch {
namespace {

// The flags that change how a set draws: all but the outline request.
constexpr std::uint32_t drawnFlags = ~static_cast<std::uint32_t>(AttributeSet::Wireframe);

int channel(float value) { return static_cast<int>(std::lround(std::fmin(std::fmax(value, 0.0f), 1.0f) * 255.0f)); }

bool drawnAlike(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

bool MaterialLibrary::State::operator==(const State& other) const {
    return flags == other.flags && drawnAlike(color[0], other.color[0]) && drawnAlike(color[1], other.color[1]) &&
           drawnAlike(color[2], other.color[2]) && drawnAlike(ambient, other.ambient) &&
           drawnAlike(diffuse, other.diffuse) && drawnAlike(specular, other.specular) &&
           drawnAlike(shininess, other.shininess) && drawnAlike(alpha, other.alpha);
}

std::string MaterialLibrary::nameFor(const AttributeSet& set) {
    const Vector3& c = set.color();
    return nameForState({set.flags() & drawnFlags, {c.x, c.y, c.z}, set.ambient(), set.diffuse(), set.specular(),
                         set.shininess(), set.alpha()});
}

std::string MaterialLibrary::nameForColour(const Vector3& colour) {
    return nameForState({AttributeSet::ColorSet, {colour.x, colour.y, colour.z}, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
}

std::string MaterialLibrary::nameForState(const State& state) {
    for (const Material& material : materials_) {
        if (material.state == state) return material.name;
    }
    char name[40];
    std::snprintf(name, sizeof name, "%s_%02x%02x%02x", (state.flags & AttributeSet::Lighting) ? "lit" : "plain",
                  channel(state.color[0]), channel(state.color[1]), channel(state.color[2]));
    std::string unique = name;
    for (const Material& material : materials_) {
        if (material.name == unique) unique = std::string(name) + "_" + std::to_string(materials_.size() + 1);
    }
    materials_.push_back({state, unique});
    return unique;
}

bool MaterialLibrary::write(std::FILE* stream) const {
    bool good = true;
    const auto put = [&](const char* format, auto... values) {
        if (std::fprintf(stream, format, values...) < 0) good = false;
    };
    put("%s", "# Kelvaro's colours and materials\n");
    for (const Material& material : materials_) {
        const State& m = material.state;
        // Single-precision products, as the program hands them to OpenGL.
        const auto colorLine = [&](const char* key, float factor) {
            put("%s %s %s %s\n", key, numberText(m.color[0] * factor).c_str(), numberText(m.color[1] * factor).c_str(),
                numberText(m.color[2] * factor).c_str());
        };
        put("\nnewmtl %s\n", material.name.c_str());
        if (!(m.flags & AttributeSet::Lighting)) {
            colorLine("Kd", 1.0f);
            put("%s", "d 1\nillum 0\n");
            continue;
        }
        if (m.flags & AttributeSet::AmbientSet) colorLine("Ka", m.ambient);
        if (m.flags & AttributeSet::DiffuseSet) colorLine("Kd", m.diffuse);
        if (m.flags & AttributeSet::SpecularSet) colorLine("Ks", m.specular);
        if (m.flags & AttributeSet::ShininessSet) put("Ns %s\n", numberText(m.shininess).c_str());
        // Without an alpha the program's materials have a fourth component of 0.
        put("d %s\nillum 2\n", numberText((m.flags & AttributeSet::AlphaSet) ? m.alpha : 0.0f).c_str());
    }
    return good;
}

}  // namespace kelvaro::batch

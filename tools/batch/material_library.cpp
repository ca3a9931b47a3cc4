#include "tools/batch/material_library.h"

#include <cmath>

namespace kelvaro::batch {
namespace {

// The flags that change how a set draws: all but the outline request.
constexpr std::uint32_t drawnFlags = ~static_cast<std::uint32_t>(AttributeSet::Wireframe);

int channel(float value) { return static_cast<int>(std::lround(std::fmin(std::fmax(value, 0.0f), 1.0f) * 255.0f)); }

double wide(float value) { return static_cast<double>(value); }

}  // namespace

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
    put("# Kelvaro's colours and materials\n");
    for (const auto& [m, name] : materials_) {
        // Single-precision products, as the program hands them to OpenGL.
        const auto colorLine = [&](const char* key, float factor) {
            put("%s %g %g %g\n", key, wide(m.color[0] * factor), wide(m.color[1] * factor), wide(m.color[2] * factor));
        };
        put("\nnewmtl %s\n", name.c_str());
        if (!(m.flags & AttributeSet::Lighting)) {
            colorLine("Kd", 1.0f);
            put("d 1\nillum 0\n");
            continue;
        }
        if (m.flags & AttributeSet::AmbientSet) colorLine("Ka", m.ambient);
        if (m.flags & AttributeSet::DiffuseSet) colorLine("Kd", m.diffuse);
        if (m.flags & AttributeSet::SpecularSet) colorLine("Ks", m.specular);
        if (m.flags & AttributeSet::ShininessSet) put("Ns %g\n", wide(m.shininess));
        // Without an alpha the program's materials have a fourth component of 0.
        put("d %g\nillum 2\n", wide((m.flags & AttributeSet::AlphaSet) ? m.alpha : 0.0f));
    }
    return good;
}

}  // namespace kelvaro::batch

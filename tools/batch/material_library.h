#pragma once
// The materials that a scene draws with, for a Wavefront MTL file beside an OBJ file.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "scene/attribute_set.h"

namespace kelvaro::batch {

// One material per distinct drawing state of the attribute sets it is asked about (the
// many equal sets of a surface share one), in the order first asked, named after the kind
// and the colour: "plain_b3b300" for a colour drawn without lighting, "lit_ff0000" for a
// lit material.
class MaterialLibrary {
public:
    // The name of the material that `set` draws, added when no set with the same state
    // was asked about before. `set` must have its ColorSet flag (without it a set draws nothing).
    std::string nameFor(const AttributeSet& set);
    // The name of the material of a plain colour drawn without lighting, as a set of that
    // colour alone draws it (a vertex colour of a shaded primitive).
    std::string nameForColour(const Vector3& colour);
    // Writes every material as MTL: a plain colour as Kd with illum 0; a lit one as Ka, Kd
    // and Ks (the colour times each factor it has), Ns and the opacity d, with illum 2.
    // Answers whether every write succeeded.
    bool write(std::FILE* stream) const;

private:
    // What a set's drawing depends on.
    struct State {
        std::uint32_t flags;
        float color[3];
        float ambient, diffuse, specular, shininess, alpha;
        // Equal values draw alike, and so do two values that are not numbers: the sets of a
        // surface whose colour overflowed share one material.
        bool operator==(const State& other) const;
    };
    struct Material {
        State state;
        std::string name;
    };

    std::string nameForState(const State& state);

    std::vector<Material> materials_;
};

}  // namespace kelvaro::batch

// The texts that are written (OBJ and MTL files, model files, the scene's text form): the
// same bytes from every build and in every locale.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/model_writer.h"
#include "tests/support/comma_locale.h"
#include "tests/viz/viz_test_support.h"
#include "tools/batch/obj_writer.h"
#include "viz/hedgehog.h"
#include "viz/field_plane.h"
#include "viz/potential_surface.h"
#include "viz/request_grammar.h"

namespace kelvaro {
namespace {

using testing::examplePath;
using testing::fileContents;

std::unique_ptr<Model> readExample(const std::string& name) {
    return testing::modelFromText(fileContents(examplePath(name)));
}

// What `write` puts into a stream.
template <typename Write>
std::string written(Write write) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);
    write(stream);
    std::fclose(stream);
    std::string result(text, size);
    std::free(text);
    return result;
}

// The OBJ text of `group` (with its materials into `materials`, when given), as
// kelvaro-batch writes the model's own geometry.
std::string objText(const Group& group, batch::MaterialLibrary* materials = nullptr) {
    return written([&](std::FILE* stream) {
        batch::ObjWriter obj(stream);
        if (materials) obj.useMaterials(*materials);
        obj.beginGroup("model");
        for (std::int32_t i = 0; i < group.count(); ++i) obj.write(group.child(i));
    });
}

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const unsigned char byte : bytes) hash = (hash ^ byte) * 0x100000001b3u;
    return hash;
}

// The charges' spheres (and the axes) of `kelvaro-batch obj MODEL`: a compiler that
// vectorises the sphere's mesh differently must not change a bit of them. The hashes are
// those of the files that kelvaro-batch wrote before the mesh's directions were tabled.
TEST(WrittenText, ChargeSpheresHaveTheSameBytesInEveryBuild) {
    const struct {
        const char* model;
        std::uint64_t hash;
    } expected[] = {{"cloud.txt", 0x1e51bcab06d37828u}, {"dipole.txt", 0x3f1b572204565252u}, {"ring.txt", 0xe13c0deb936dc8f9u}};
    for (const auto& [name, hash] : expected) {
        const auto model = readExample(name);
        ASSERT_TRUE(model);
        EXPECT_EQ(fnv1a(objText(*model->buildModelGeometry())), hash) << name;
    }
}

// A host program (a Python session inside a GUI program) may set a locale that writes a
// decimal comma; every number written stays as in the C locale.
TEST(WrittenText, NumbersAreTheSameInEveryLocale) {
    testing::ScratchDirectory scratch;
    const auto dipole = readExample("dipole.txt"), tour = readExample("lexical_tour.txt");
    ASSERT_TRUE(dipole && tour);
    const Ref<Group> geometry = dipole->buildModelGeometry();
    geometry->add(*makePotentialSurface(*dipole, 2.0, 1));
    const Ref<Group> lines = makeHedgehog(*dipole, 20);
    std::string error;
    const auto plane = parseRequestText("plane x 0.25 potentials 0.5,-1.5 fieldlines 3", error);
    ASSERT_TRUE(plane) << error;
    const Ref<Group> planeBuilt = buildRequest(*plane, *dipole);
    ASSERT_TRUE(planeBuilt);
    FieldPlane outside;
    outside.offset = 2.5f;
    const auto texts = [&] {
        batch::MaterialLibrary materials;
        std::vector<std::string> result{objText(*geometry, &materials),
                                        written([&](std::FILE* stream) { materials.write(stream); }),
                                        written([&](std::FILE* stream) { lines->print(stream); }),
                                        written([&](std::FILE* stream) { dipole->buildModelGeometry()->print(stream); }),
                                        modelFileText(*tour).value_or("not written")};
        result.push_back(written([&](std::FILE* stream) { planeBuilt->print(stream); }));
        result.push_back(describe(*plane) + planeProblem(*dipole, outside) + requestWords(*plane));
        const std::string saved = saveModelFile(*dipole, "saved.txt");
        result.push_back(saved.empty() ? fileContents("saved.txt") : saved);
        return result;
    };
    const std::vector<std::string> inC = texts();

    std::string why;
    const auto locale = testing::commaLocale(why);
    if (!locale) GTEST_SKIP() << why;
    std::vector<std::string> inGerman;
    {
        const testing::CommaLocaleScope scope(*locale);
        ASSERT_TRUE(testing::CommaLocaleScope::active());
        inGerman = texts();
    }
    ASSERT_EQ(inGerman.size(), inC.size());
    for (std::size_t i = 0; i < inC.size(); ++i) {
        const auto [german, c] = std::mismatch(inGerman[i].begin(), inGerman[i].end(), inC[i].begin(), inC[i].end());
        EXPECT_TRUE(german == inGerman[i].end() && c == inC[i].end())
            << "text " << i << " differs from \"" << std::string(german, std::min(german + 40, inGerman[i].end()))
            << "\" on, where the C locale gave \"" << std::string(c, std::min(c + 40, inC[i].end())) << '"';
    }
    EXPECT_NE(inC[0].find("\nv -0.5 0 0.00999999978\n"), std::string::npos);
    EXPECT_NE(inC[5].find("ShadedGrid(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\nx = 0.25; -1.5, 1.5, 256;"), std::string::npos);
    EXPECT_EQ(inC[6], "Plane x = 0.25, levels 0.5, -1.5, 3 lines a charge"
                      "The plane z = 2.5 lies outside the box (z from -1.5 to 1.5)."
                      "plane x 0.25 potentials 0.5,-1.5 fieldlines 3");
}

}  // namespace
}  // namespace kelvaro

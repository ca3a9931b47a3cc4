// Field lines, hedgehog lines and equipotential surfaces as NumPy arrays: the builders'
// scene objects copied, in the order the program draws them, into arrays of their own.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <span>

#include "python/bindings.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/seed_directions.h"

namespace kelvaro::python {
namespace {

struct Surface {
    py::array_t<float> vertices;
    py::array_t<float> normals;
    py::array_t<std::int64_t> triangles;
};

// Calls `visit` for every object below `object` that is no group, in drawing order. The
// objects are told apart by their type codes: a dynamic_cast across the module's boundary
// compares type names and cost more than the copy itself.
template <class Visit>
void forEachLeaf(const SceneObject& object, Visit& visit) {
    if (object.typeCode() == GroupType) {
        const auto& group = static_cast<const Group&>(object);
        for (std::int32_t i = 0; i < group.count(); ++i) forEachLeaf(group.child(i), visit);
    } else {
        visit(object);
    }
}

void store(float* to, const Vector3& p) {
    to[0] = p.x;
    to[1] = p.y;
    to[2] = p.z;
}

}  // namespace

Lines linesOf(const Group& built) {
    py::ssize_t lineCount = 0;
    py::ssize_t pointCount = 0;
    auto count = [&](const SceneObject& leaf) {
        if (leaf.typeCode() == PolyLineType) {
            ++lineCount;
            pointCount += static_cast<const PolyLine&>(leaf).count();
        } else if (leaf.typeCode() == LineType) {
            ++lineCount;
            pointCount += 2;
        }
    };
    forEachLeaf(built, count);
    Lines lines{py::array_t<float>({pointCount, py::ssize_t{3}}), py::array_t<std::int64_t>(lineCount + 1)};
    float* point = lines.points.mutable_data();
    std::int64_t* offset = lines.offsets.mutable_data();
    *offset = 0;
    auto copy = [&](const SceneObject& leaf) {
        if (leaf.typeCode() == PolyLineType) {
            const auto& polyLine = static_cast<const PolyLine&>(leaf);
            for (std::int32_t i = 0; i < polyLine.count(); ++i, point += 3) store(point, polyLine.point(i));
            offset[1] = offset[0] + polyLine.count();
            ++offset;
        } else if (leaf.typeCode() == LineType) {
            const auto& line = static_cast<const Line&>(leaf);
            store(point, line.start);
            store(point + 3, line.end);
            point += 6;
            offset[1] = offset[0] + 2;
            ++offset;
        }
    };
    forEachLeaf(built, copy);
    return lines;
}

namespace {

// Every Triangle of `built`: its corners, and their normals, three rows each.
Surface surfaceOf(const Group& built) {
    py::ssize_t triangleCount = 0;
    auto count = [&](const SceneObject& leaf) { triangleCount += leaf.typeCode() == TriangleType; };
    forEachLeaf(built, count);
    Surface surface{py::array_t<float>({3 * triangleCount, py::ssize_t{3}}),
                    py::array_t<float>({3 * triangleCount, py::ssize_t{3}}),
                    py::array_t<std::int64_t>({triangleCount, py::ssize_t{3}})};
    float* vertex = surface.vertices.mutable_data();
    float* normal = surface.normals.mutable_data();
    auto copy = [&](const SceneObject& leaf) {
        if (leaf.typeCode() != TriangleType) return;
        const auto& triangle = static_cast<const Triangle&>(leaf);
        for (int corner = 0; corner < 3; ++corner, vertex += 3, normal += 3) {
            store(vertex, triangle.vertices[corner]);
            store(normal, triangle.normals[corner]);
        }
    };
    forEachLeaf(built, copy);
    std::int64_t* index = surface.triangles.mutable_data();
    for (std::int64_t i = 0; i < 3 * triangleCount; ++i) index[i] = i;
    return surface;
}

// Runs `build` without holding the interpreter; MemoryError when it yields nothing (the
// builders' one failure once their input has been checked).
template <class Build>
Ref<Group> builtFreely(Build build) {
    Ref<Group> built;
    {
        const py::gil_scoped_release free;
        built = build();
    }
    if (!built) throw std::bad_alloc();
    return built;
}

Lines fieldLines(const Model& model, const py::object& perCharge, const std::optional<std::filesystem::path>& seeds,
                 bool proportional) {
    const auto count = static_cast<int>(integerIn(perCharge, 1, 100, "per_charge (lines a charge)"));
    if (proportional) return proportionalFieldLines(model, count, seeds.value_or(seedFileName));
    const std::unique_ptr<Vector3[]> directions = readSeeds(seeds.value_or(seedFileName), count);
    const std::span<const Vector3> seedSpan(directions.get(), static_cast<std::size_t>(count));
    return linesOf(*builtFreely([&] { return makeFieldLines(model, seedSpan, BuildOptions{}); }));
}

py::tuple hedgehog(const Model& model, const py::object& count, const py::object& generator) {
    const auto lines = static_cast<int>(integerIn(count, 1, 100000, "count (hedgehog lines)"));
    Random15 random;
    if (!generator.is_none()) random = Random15(static_cast<std::uint32_t>(integerIn(generator, 0, 0xFFFFFFFFll, "generator (a state)")));
    const Ref<Group> built = builtFreely([&] { return makeHedgehog(model, lines, random, BuildOptions{}); });
    return py::make_tuple(linesOf(*built), random.state());
}

Surface surface(const Model& model, const py::object& level, const std::string& normals) {
    const double value = realNumber(level, "level");
    if (!(value >= -10.0 && value <= 10.0)) {
        throw py::value_error("level must be from -10 to 10, not " + std::string(py::str(level)));
    }
    if (normals != "leave" && normals != "enter") throw py::value_error("normals must be \"leave\" or \"enter\", not \"" + normals + "\"");
    // Single precision, as the dialog's field holds it.
    const auto potential = static_cast<double>(static_cast<float>(value));
    const int direction = normals == "enter" ? 1 : 0;
    return surfaceOf(*builtFreely([&] { return makePotentialSurface(model, potential, direction, BuildOptions{}); }));
}

std::string plural(py::ssize_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::unique_ptr<Vector3[]> readSeeds(const std::filesystem::path& path, int count) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        PyErr_SetFromErrnoWithFilename(PyExc_OSError, path.c_str());
        throw py::error_already_set();
    }
    std::unique_ptr<Vector3[]> directions = readSeedDirections(file, count);
    std::fclose(file);
    if (!directions) {
        throw py::value_error("the seed file " + path.string() + " holds no set of " + std::to_string(count) +
                              " directions");
    }
    return directions;
}

void bindBuilders(py::module_& module, ModelClass& model) {
    py::class_<Lines>(module, "Lines",
                      "Lines as NumPy arrays: `points` (P, 3) float32 and `offsets` (L + 1,) int64; line i is\n"
                      "points[offsets[i]:offsets[i + 1]], also lines[i] (a copy). In the program's order.")
        .def_readonly("points", &Lines::points, "Every line's points, one line after the other, (P, 3) float32.")
        .def_readonly("offsets", &Lines::offsets, "Where each line starts in points, and the end, (L + 1,) int64.")
        .def("__len__", [](const Lines& lines) { return lines.offsets.size() - 1; }, "The number of lines.")
        .def(
            "__getitem__",
            [](const Lines& lines, py::ssize_t i) {
                const py::ssize_t count = lines.offsets.size() - 1;
                if (i < 0) i += count;
                if (i < 0 || i >= count) throw py::index_error("line index out of range");
                // Sliced through NumPy, which keeps within the arrays whatever they were changed to.
                const py::object offsets = lines.offsets;
                const py::slice line(offsets[py::int_(i)], offsets[py::int_(i + 1)], py::none());
                return lines.points[line].attr("copy")();
            },
            py::arg("i"), "The points of line i, a new (n, 3) float32 array.")
        .def("__repr__", [](const Lines& lines) {
            return "<kelvaro.Lines: " + plural(lines.offsets.size() - 1, "line", "lines") + ", " +
                   plural(lines.points.shape(0), "point", "points") + ">";
        });

    py::class_<Surface>(module, "Surface",
                        "A triangulated surface as NumPy arrays, in the program's triangle order: `vertices` and\n"
                        "`normals` (T * 3, 3) float32, three rows per triangle, and `triangles` (T, 3) int64,\n"
                        "the rows of each triangle's corners.")
        .def_readonly("vertices", &Surface::vertices, "The corners, three rows per triangle, (T * 3, 3) float32.")
        .def_readonly("normals", &Surface::normals, "The corners' normals, (T * 3, 3) float32.")
        .def_readonly("triangles", &Surface::triangles, "Each triangle's rows of vertices, (T, 3) int64.")
        .def("__len__", [](const Surface& s) { return s.triangles.shape(0); }, "The number of triangles.")
        .def("__repr__", [](const Surface& s) {
            return "<kelvaro.Surface: " + plural(s.triangles.shape(0), "triangle", "triangles") + ">";
        });

    model.def("field_lines", &fieldLines, py::arg("per_charge"), py::arg("seeds") = py::none(), py::kw_only(),
              py::arg("proportional") = false,
              "field_lines(per_charge, seeds=None, *, proportional=False) -> Lines\n\n"
              "Traces per_charge lines (1 to 100) from every charge, as Add Field Lines does. `seeds` is\n"
              "the path of the seed file (default: ElectronData in the current folder). With\n"
              "`proportional`, a charge q gets round(per_charge |q| / max|q|) lines (at least one unless\n"
              "q is 0), started at the seed file's set of that many directions.");
    model.def("hedgehog", &hedgehog, py::arg("count"), py::arg("generator") = py::none(),
              "hedgehog(count, generator=None) -> (Lines, generator)\n\n"
              "count (1 to 100000) hedgehog lines at random points of the box, as two-point lines.\n"
              "`generator` is the random generator's state (an int; None: the state of a freshly\n"
              "started program); the answer's is where it stands afterwards, so passing it on\n"
              "repeats the program's sequence of hedgehog requests.");
    model.def("surface", &surface, py::arg("level"), py::arg("normals") = "leave",
              "surface(level, normals='leave') -> Surface\n\n"
              "The equipotential surface of `level` (-10 to 10, rounded to single precision as the\n"
              "dialog holds it), with normals along the field ('leave') or against it ('enter').");
}

}  // namespace kelvaro::python

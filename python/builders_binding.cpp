// Field lines, hedgehog lines and equipotential surfaces as NumPy arrays: the builders'
// scene objects copied, in the order the program draws them, into arrays of their own.

#include <cstdint>
#include <new>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "python/bindings.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "scene/shaded_primitives.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/request_grammar.h"
#include "viz/visualisation_request.h"
#include "viz/strength_colours.h"

namespace kelvaro::python {
namespace {

struct Surface {
    py::array_t<float> vertices;
    py::array_t<float> normals;
    py::array_t<std::int64_t> triangles;
};

}  // namespace
}  // namespace kelvaro::python

KELVARO_PYTHON_CLASS(kelvaro::python::Surface)

namespace kelvaro::python {
namespace {

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

SeedSets seedSetsFor(const Model& model, const VisualisationRequest& lines, const py::handle& seeds) {
    SeedSets sets;
    const std::vector<int> counts =
        lines.proportional ? proportionalLineCounts(model, lines.count) : std::vector<int>{lines.count};
    for (const int count : counts) {
        if (count > 0 && !sets.contains(count)) sets[count] = readSeeds(seeds, count);
    }
    return sets;
}

Ref<Group> buildFieldLines(const Model& model, const VisualisationRequest& lines, const SeedSets& sets,
                           const BuildOptions& options) {
    Ref<Group> built;
    if (lines.proportional) {
        const SeedReader fromSets = [&](int count) {
            auto set = std::make_unique<Vector3[]>(static_cast<std::size_t>(count));
            std::copy(sets.at(count).get(), sets.at(count).get() + count, set.get());
            return set;
        };
        built = makeProportionalFieldLines(model, lines.count, lines.method, fromSets, options);
    } else {
        const std::span<const Vector3> directions(sets.at(lines.count).get(), static_cast<std::size_t>(lines.count));
        built = makeFieldLines(model, directions, lines.method, options);
    }
    if (built && lines.strengthColours) built = shadedByStrength(model, *built, options);
    return built;
}

namespace {

// A corner with its normal, bit by bit: corners that share both are one vertex.
struct Corner {
    Vector3 position;
    Vector3 normal;
    std::string_view bits() const { return {reinterpret_cast<const char*>(this), sizeof(Corner)}; }
};
static_assert(sizeof(Corner) == 6 * sizeof(float), "a corner's bits are its six floats");

// Every Triangle of `built`, in drawing order: as an indexed mesh whose vertices are the
// distinct corners in order of first use (`weld`), or three rows of its own per triangle.
Surface surfaceOf(const Group& built, bool weld) {
    std::vector<Corner> corners;
    auto collect = [&](const SceneObject& leaf) {
        if (leaf.typeCode() != TriangleType) return;
        const auto& triangle = static_cast<const Triangle&>(leaf);
        for (int c = 0; c < 3; ++c) corners.push_back({triangle.vertices[c], triangle.normals[c]});
    };
    forEachLeaf(built, collect);
    const auto triangleCount = static_cast<py::ssize_t>(corners.size() / 3);
    std::vector<std::int64_t> indices(corners.size());
    std::vector<const Corner*> vertices;
    if (weld) {
        std::unordered_map<std::string_view, std::int64_t> numbers;
        numbers.reserve(corners.size() / 2);
        for (std::size_t c = 0; c < corners.size(); ++c) {
            const auto [at, added] = numbers.try_emplace(corners[c].bits(), static_cast<std::int64_t>(vertices.size()));
            if (added) vertices.push_back(&corners[c]);
            indices[c] = at->second;
        }
    } else {
        for (std::size_t c = 0; c < corners.size(); ++c) {
            vertices.push_back(&corners[c]);
            indices[c] = static_cast<std::int64_t>(c);
        }
    }
    const auto vertexCount = static_cast<py::ssize_t>(vertices.size());
    Surface surface{py::array_t<float>({vertexCount, py::ssize_t{3}}), py::array_t<float>({vertexCount, py::ssize_t{3}}),
                    py::array_t<std::int64_t>({triangleCount, py::ssize_t{3}})};
    float* position = surface.vertices.mutable_data();
    float* normal = surface.normals.mutable_data();
    for (const Corner* vertex : vertices) {
        store(position, vertex->position);
        store(normal, vertex->normal);
        position += 3;
        normal += 3;
    }
    std::copy(indices.begin(), indices.end(), surface.triangles.mutable_data());
    return surface;
}

// Runs `build` through runStoppable; MemoryError when it yields nothing (the builders' one
// failure once their input has been checked).
template <class Build>
Ref<Group> built(Build build) {
    Ref<Group> result;
    runStoppable([&] { result = build(); });
    if (!result) throw std::bad_alloc();
    return result;
}

// The colour of every point of `built`'s lines, in linesOf's order, as (P, 3) float32: the
// lines of a group that shadedByStrength made are ShadedPolyLines and ShadedLines.
py::array_t<float> pointColoursOf(const Group& built, py::ssize_t pointCount) {
    py::array_t<float> colours({pointCount, py::ssize_t{3}});
    float* colour = colours.mutable_data();
    auto copy = [&](const SceneObject& leaf) {
        if (leaf.typeCode() == PolyLineType) {
            const auto& line = static_cast<const ShadedPolyLine&>(leaf);
            for (std::int32_t i = 0; i < line.count(); ++i, colour += 3) store(colour, line.colour(i));
        } else if (leaf.typeCode() == LineType) {
            const auto& line = static_cast<const ShadedLine&>(leaf);
            store(colour, line.startColour);
            store(colour + 3, line.endColour);
            colour += 6;
        }
    };
    forEachLeaf(built, copy);
    return colours;
}

py::object fieldLines(const Model& model, const py::object& perCharge, const py::object& seeds,
                      const py::object& methodWord, const py::object& proportional, const py::object& strength) {
    VisualisationRequest request{VisualisationRequest::Kind::FieldLines};
    request.count = static_cast<int>(integerIn(perCharge, 1, maxLinesPerCharge, "per_charge"));
    const std::string method = textOf(methodWord, "method");
    if (method != "euler" && method != "accurate") {
        throw py::value_error("method must be \"euler\" or \"accurate\", not \"" + method + "\"");
    }
    request.method = method == "accurate" ? FieldLineMethod::Accurate : FieldLineMethod::Euler;
    request.proportional = flagOf(proportional, "proportional");
    request.strengthColours = flagOf(strength, "strength");
    const SeedSets sets = seedSetsFor(model, request, seeds);
    const Ref<Group> lines = built([&] { return buildFieldLines(model, request, sets); });
    Lines result = linesOf(*lines);
    if (!request.strengthColours) return py::cast(std::move(result));
    py::array_t<float> colours = pointColoursOf(*lines, result.points.shape(0));
    return py::make_tuple(std::move(result), std::move(colours));
}

py::tuple hedgehog(const Model& model, const py::object& count, const py::object& generator) {
    const auto lines = static_cast<int>(integerIn(count, 1, maxHedgehogLines, "count"));
    Random15 random;
    if (!generator.is_none()) random = Random15(static_cast<std::uint32_t>(integerIn(generator, 0, 0xFFFFFFFFll, "generator")));
    const Ref<Group> result = built([&] { return makeHedgehog(model, lines, random); });
    return py::make_tuple(linesOf(*result), random.state());
}

Surface surface(const Model& model, const py::object& level, const py::object& normals, const py::object& weld) {
    const double value = realNumber(level, "level");
    if (!(value >= minSurfaceLevel && value <= maxSurfaceLevel)) {
        throw py::value_error("level must be from -10 to 10, not " + std::string(py::str(level)));
    }
    const std::string side = textOf(normals, "normals");
    if (side != "leave" && side != "enter") throw py::value_error("normals must be \"leave\" or \"enter\", not " + std::string(py::repr(normals)));
    // Single precision, as the dialog's field holds it.
    const auto potential = static_cast<double>(static_cast<float>(value));
    const int direction = side == "enter" ? 1 : 0;
    const Ref<Group> result = built([&] { return makePotentialSurface(model, potential, direction); });
    const VisualisationRequest request{VisualisationRequest::Kind::Surface, 0, static_cast<float>(potential), direction};
    std::string note = emptyResultNote(request, *result, model);
    if (!note.empty()) {
        note.pop_back();  // the line feed
        // A warning filter may make it an error; then it propagates.
        if (PyErr_WarnEx(PyExc_UserWarning, note.c_str(), 1) != 0) throw py::error_already_set();
    }
    return surfaceOf(*result, flagOf(weld, "weld"));
}

std::string plural(py::ssize_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void bindBuilders(py::module_& module, ModelClass& model) {
    py::class_<Lines>(module, "Lines",
                      "Lines as NumPy arrays, in the program's order: `points` (P, 3) float32 and `offsets`\n"
                      "(L + 1,) int64; line i is points[offsets[i]:offsets[i + 1]], also lines[i] (a copy).\n"
                      "len(lines) is L; iterating gives each line's (n, 3) array. Made by the builders;\n"
                      "copies and pickles hold copies of the arrays.\n\n"
                      "Example: for line in model.field_lines(10): plt.plot(line[:, 0], line[:, 1])")
        .def(py::init([](const py::object& points, const py::object& offsets) {
                 Lines lines{py::array_t<float>::ensure(arrayOf(points, py::dtype::of<float>(), {-1, 3}, "points")),
                             py::array_t<std::int64_t>::ensure(arrayOf(offsets, py::dtype::of<std::int64_t>(), {-1}, "offsets"))};
                 if (lines.offsets.size() == 0) throw py::value_error("offsets must hold at least the end (0 for no lines)");
                 return lines;
             }),
             py::arg("points"), py::arg("offsets"),
             "Lines(points: ArrayLike, offsets: ArrayLike)\n\n"
             "Lines from copies of `points` (P, 3), as float32, and `offsets` (L + 1,), as int64.\n\n"
             "Raises TypeError for arrays NumPy cannot convert, ValueError for other shapes.\n\n"
             "Example: kelvaro.Lines([[0, 0, 0], [1, 1, 1]], [0, 2])")
        .def("__reduce__", [](const Lines& lines) {
            return py::make_tuple(py::type::of<Lines>(), py::make_tuple(lines.points, lines.offsets));
        })
        .def_readonly("points", &Lines::points, "points: (P, 3) float32, every line's points, one line after the other.")
        .def_readonly("offsets", &Lines::offsets, "offsets: (L + 1,) int64, where each line starts in points, and the end.")
        .def("__len__", [](const Lines& lines) { return lines.offsets.size() - 1; }, "The number of lines.")
        .def(
            "__getitem__",
            [](const Lines& lines, const py::object& index) {
                const py::ssize_t count = lines.offsets.size() - 1;
                long long i = 0;
                try {
                    i = integerIn(index, -count, count - 1, "the line index");
                } catch (const py::value_error&) {
                    throw py::index_error("line index out of range");
                }
                if (i < 0) i += count;
                // Sliced through NumPy, which keeps within the arrays whatever they were changed to.
                const py::object offsets = lines.offsets;
                const py::slice line(offsets[py::int_(i)], offsets[py::int_(i + 1)], py::none());
                return lines.points[line].attr("copy")();
            },
            py::arg("i"), "lines[i] -> (n, 3) float32, a new array of the points of line i; IndexError outside.")
        .def(
            "__iter__",
            [](const py::object& self) {
                const py::object count = self.attr("__len__")();
                return py::iter(py::module_::import("builtins").attr("map")(self.attr("__getitem__"),
                                                                            py::module_::import("builtins").attr("range")(count)));
            },
            "iter(lines): each line's points in turn, new (n, 3) float32 arrays.")
        .def("__repr__", [](const Lines& lines) {
            return "<kelvaro.Lines: " + plural(lines.offsets.size() - 1, "line", "lines") + ", " +
                   plural(lines.points.shape(0), "point", "points") + ">";
        });

    py::class_<Surface>(module, "Surface",
                        "A triangulated surface as an indexed mesh of NumPy arrays, as plotting and mesh\n"
                        "libraries take it (matplotlib's plot_trisurf, PyVista, trimesh): `vertices` and\n"
                        "`normals` (V, 3) float32 and `triangles` (T, 3) int64, each row the vertex numbers of\n"
                        "one triangle's corners, in the program's triangle order. Corners with the same position\n"
                        "and normal, bit for bit, are one vertex; surface(..., weld=False) gives three vertices\n"
                        "of its own to every triangle (V = 3T) instead. len(surface) is T. Made by\n"
                        "Model.surface; copies and pickles hold copies of the arrays.\n\n"
                        "Example: axes.plot_trisurf(*s.vertices.T, triangles=s.triangles)")
        .def(py::init([](const py::object& vertices, const py::object& normals, const py::object& triangles) {
                 const py::dtype single = py::dtype::of<float>();
                 return Surface{py::array_t<float>::ensure(arrayOf(vertices, single, {-1, 3}, "vertices")),
                                py::array_t<float>::ensure(arrayOf(normals, single, {-1, 3}, "normals")),
                                py::array_t<std::int64_t>::ensure(
                                    arrayOf(triangles, py::dtype::of<std::int64_t>(), {-1, 3}, "triangles"))};
             }),
             py::arg("vertices"), py::arg("normals"), py::arg("triangles"),
             "Surface(vertices: ArrayLike, normals: ArrayLike, triangles: ArrayLike)\n\n"
             "A surface from copies of `vertices` and `normals` (V, 3), as float32, and `triangles`\n"
             "(T, 3), as int64.\n\n"
             "Raises TypeError for arrays NumPy cannot convert, ValueError for other shapes.\n\n"
             "Example: kelvaro.Surface(s.vertices, s.normals, s.triangles[:10])")
        .def("__reduce__", [](const Surface& s) {
            return py::make_tuple(py::type::of<Surface>(), py::make_tuple(s.vertices, s.normals, s.triangles));
        })
        .def_readonly("vertices", &Surface::vertices, "vertices: (V, 3) float32, the corners' positions.")
        .def_readonly("normals", &Surface::normals, "normals: (V, 3) float32, unit normals at the vertices.")
        .def_readonly("triangles", &Surface::triangles, "triangles: (T, 3) int64, each triangle's vertex numbers.")
        .def("__len__", [](const Surface& s) { return s.triangles.shape(0); }, "The number of triangles.")
        .def("__repr__", [](const Surface& s) {
            return "<kelvaro.Surface: " + plural(s.triangles.shape(0), "triangle", "triangles") + ", " +
                   plural(s.vertices.shape(0), "vertex", "vertices") + ">";
        });

    model.def("field_lines", &fieldLines, py::arg("per_charge"), py::arg("seeds") = py::none(),
              py::arg("method") = "euler", py::kw_only(), py::arg("proportional") = false, py::arg("strength") = false,
              "field_lines(per_charge: int, seeds: str | bytes | os.PathLike | None = None, method: str = 'euler', *,\n"
              "            proportional: bool = False, strength: bool = False)\n"
              "    -> Lines | tuple[Lines, numpy.ndarray]\n\n"
              "Traces per_charge lines (1 to 100) from every charge, as Add Field Lines does: started at\n"
              "the charge radius, 0.01 in model units, around each charge in the directions of the seed\n"
              "file `seeds` (default: kelvaro.seed_file(), the ElectronData installed with the module),\n"
              "away from a positive charge along the field, towards the others against it.\n"
              "`method` 'euler' is the program's own tracer: a line ends at its first point outside the\n"
              "box or within 0.01 of a charge, one step beyond the last point inside; the step (0.05 at\n"
              "first) doubles along straight stretches, so that last segment may be as long as the rest\n"
              "of the line plus 0.05 (on the axis of a dipole, about a fifth of the box's side). A line\n"
              "starting at a charge outside the box is its start and that one step. `method` 'accurate'\n"
              "takes error-controlled Runge-Kutta steps, each line ending exactly on the box's face or at\n"
              "the stop distance of the charge it meets. Lines of one recorded point are left out.\n"
              "With `proportional`, a charge q gets round(per_charge |q| / max|q|) lines (at least one\n"
              "unless q is 0), started at the seed file's set of that many directions. With `strength`\n"
              "the answer is (lines, colours): colours (P, 3) float32, each point's colour by log10 |E|\n"
              "as the program draws it (viridis over the model's strength scale).\n\n"
              "Raises TypeError / ValueError for a count that is no whole number from 1 to 100 or another\n"
              "method, TypeError for options that are not True or False; OSError when the seed file\n"
              "cannot be opened, ValueError when it holds no set of that many directions;\n"
              "KeyboardInterrupt on Ctrl+C.\n\n"
              "Example: lines = model.field_lines(20, method=\"accurate\"); lines[0]  # (n, 3) float32");
    model.def("hedgehog", &hedgehog, py::arg("count"), py::arg("generator") = py::none(),
              "hedgehog(count: int, generator: int | None = None) -> tuple[Lines, int]\n\n"
              "count (1 to 100000) hedgehog lines at random points of the box, as two-point lines: each\n"
              "starts at its point (samples within 0.01 of a charge are drawn again) and runs 0.2 along\n"
              "the field, both in model units, so it may end up to 0.2 outside the box. `generator` is\n"
              "the random generator's state (an int from 0 to 2**32 - 1; None: the state of a freshly\n"
              "started program); the answer's is where it stands afterwards, so passing it on repeats\n"
              "the program's sequence of hedgehog requests.\n\n"
              "Raises TypeError / ValueError for a count or state of the wrong type or range;\n"
              "KeyboardInterrupt on Ctrl+C.\n\n"
              "Example: lines, state = model.hedgehog(1000)");
    model.def("surface", &surface, py::arg("level"), py::arg("normals") = "leave", py::kw_only(),
              py::arg("weld") = true,
              "surface(level: float, normals: str = 'leave', *, weld: bool = True) -> Surface\n\n"
              "The equipotential surface of `level`, a potential (q / r, model units) from -10 to 10,\n"
              "rounded to single precision as the dialog holds it, sampled on a 40 x 40 x 40 grid over\n"
              "the box; with normals along the field ('leave') or against it ('enter'). Its vertices lie\n"
              "on the grid's edges, inside the box up to the rounding of single precision (a few units\n"
              "in the last place of the box's coordinates). `weld` gives the indexed mesh (see Surface).\n\n"
              "Raises TypeError for a level that is no real number (a bool included), ValueError for one\n"
              "outside -10 to 10 (also an int too large for a float) or other normals;\n"
              "KeyboardInterrupt on Ctrl+C.\n\n"
              "Example: s = model.surface(5); s.vertices[s.triangles]  # (T, 3, 3) corners");
}

}  // namespace kelvaro::python

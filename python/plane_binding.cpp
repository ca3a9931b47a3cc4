// A plane through the field as NumPy arrays (Model.plane), and field lines in proportion to
// charge: the samples of the potential, the equipotential lines with their levels and the
// field lines round the charges in the plane, every number the program's.

#include <pybind11/stl.h>

#include <cmath>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "python/bindings.h"
#include "scene/primitives.h"
#include "viz/field_lines.h"
#include "viz/field_plane.h"

namespace kelvaro::python {
namespace {

struct Plane {
    std::string axis;
    double offset;
    py::array_t<float> u, v;
    py::array_t<double> potential;
    py::array_t<double> levels;
    Lines equipotentials;
    py::array_t<double> equipotentialLevels;
    Lines fieldLines;
};

// `count` levels, or the levels of a sequence of real numbers.
void levelsOf(const py::object& given, FieldPlane& plane) {
    if (PyLong_Check(given.ptr()) || PyIndex_Check(given.ptr())) {
        plane.levelCount = static_cast<int>(integerIn(given, 0, maxPlaneLevels, "levels (a number of them)"));
        return;
    }
    if (PyUnicode_Check(given.ptr()) || !py::isinstance<py::sequence>(given)) {
        throw py::type_error("levels must be a whole number of levels or a sequence of potentials, not " +
                             typeName(given));
    }
    for (const py::handle level : given) {
        const double value = realNumber(level, "each level");
        // Single precision, as the dialog's field and the batch tool's words hold a level.
        const auto single = static_cast<float>(value);
        if (!std::isfinite(single)) throw py::value_error("every level must be a finite number, not " + std::string(py::str(level)));
        plane.levels.push_back(single);
    }
    if (plane.levels.size() > static_cast<std::size_t>(maxPlaneLevels)) {
        throw py::value_error("a plane takes at most " + std::to_string(maxPlaneLevels) + " levels");
    }
}

FieldPlane planeOf(const Model& model, const std::string& axis, const py::object& offset, const py::object& levels,
                   const py::object& lines) {
    FieldPlane plane;
    if (axis != "x" && axis != "y" && axis != "z") throw py::value_error("axis must be \"x\", \"y\" or \"z\", not \"" + axis + "\"");
    plane.axis = axis[0] - 'x';
    if (!offset.is_none()) {
        const auto single = static_cast<float>(realNumber(offset, "offset"));
        if (!std::isfinite(single)) throw py::value_error("offset must be a finite number, not " + std::string(py::str(offset)));
        plane.offset = single;
    }
    levelsOf(levels, plane);
    plane.linesPerCharge = static_cast<int>(integerIn(lines, 0, maxPlaneLinesPerCharge, "lines (a charge)"));
    const std::string problem = planeProblem(model, plane);
    if (!problem.empty()) throw py::value_error(problem);
    return plane;
}

template <class Value>
py::array_t<Value> arrayOf(const std::vector<Value>& values) {
    py::array_t<Value> array(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

Lines equipotentialLines(const std::vector<Equipotential>& lines) {
    py::ssize_t points = 0;
    for (const Equipotential& line : lines) points += static_cast<py::ssize_t>(line.points.size());
    Lines result{py::array_t<float>({points, py::ssize_t{3}}), py::array_t<std::int64_t>(static_cast<py::ssize_t>(lines.size()) + 1)};
    float* point = result.points.mutable_data();
    std::int64_t* offset = result.offsets.mutable_data();
    offset[0] = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (const Vector3& p : lines[i].points) {
            *point++ = p.x;
            *point++ = p.y;
            *point++ = p.z;
        }
        offset[i + 1] = offset[i] + static_cast<std::int64_t>(lines[i].points.size());
    }
    return result;
}

Plane plane(const Model& model, const std::string& axis, const py::object& offset, const py::object& levels,
            const py::object& lines) {
    const FieldPlane wanted = planeOf(model, axis, offset, levels, lines);
    PlaneSamples samples;
    std::vector<double> drawnLevels;
    std::vector<Equipotential> equipotentials;
    Ref<Group> fieldLines;
    {
        const py::gil_scoped_release free;
        samples = samplePlane(model, wanted);
        drawnLevels = planeLevels(model, wanted);
        for (double level : drawnLevels) {
            for (Equipotential& line : traceEquipotentials(model, samples, level)) equipotentials.push_back(std::move(line));
        }
        fieldLines = wanted.linesPerCharge > 0 ? planeFieldLines(model, wanted) : create<Group>(20, 20);
    }
    if (!fieldLines) throw std::bad_alloc();
    std::vector<double> lineLevels;
    for (const Equipotential& line : equipotentials) lineLevels.push_back(line.level);
    const auto side = static_cast<py::ssize_t>(samples.us.size());
    py::array_t<double> potential({static_cast<py::ssize_t>(samples.vs.size()), side});
    std::copy(samples.potentials.begin(), samples.potentials.end(), potential.mutable_data());
    return {axis,
            static_cast<double>(samples.level),
            arrayOf(samples.us),
            arrayOf(samples.vs),
            potential,
            arrayOf(drawnLevels),
            equipotentialLines(equipotentials),
            arrayOf(lineLevels),
            linesOf(*fieldLines)};
}

}  // namespace

Lines proportionalFieldLines(const Model& model, int linesForLargest, const std::filesystem::path& seeds) {
    std::map<int, std::unique_ptr<Vector3[]>> sets;
    for (int count : proportionalLineCounts(model, linesForLargest)) {
        if (count > 0 && !sets.count(count)) sets[count] = readSeeds(seeds, count);
    }
    const SeedReader fromSets = [&](int count) {
        auto set = std::make_unique<Vector3[]>(static_cast<std::size_t>(count));
        std::copy(sets.at(count).get(), sets.at(count).get() + count, set.get());
        return set;
    };
    Ref<Group> built;
    {
        const py::gil_scoped_release free;
        built = makeProportionalFieldLines(model, linesForLargest, fromSets);
    }
    if (!built) throw std::bad_alloc();
    return linesOf(*built);
}

void bindPlane(py::module_& module, ModelClass& model) {
    py::class_<Plane>(module, "Plane",
                      "A plane through the field as NumPy arrays: the potential sampled on a grid of the box's\n"
                      "square (`u` and `v` its coordinates along the plane's two other axes, in turn: y and z\n"
                      "for x, z and x for y, x and y for z), the equipotential lines and the field lines.")
        .def_readonly("axis", &Plane::axis, "The axis the plane is normal to: \"x\", \"y\" or \"z\".")
        .def_readonly("offset", &Plane::offset, "Where it cuts that axis.")
        .def_readonly("u", &Plane::u, "The grid's first coordinates, (N,) float32.")
        .def_readonly("v", &Plane::v, "The grid's second coordinates, (N,) float32.")
        .def_readonly("potential", &Plane::potential,
                      "The potential at the grid's nodes, (N, N) float64: potential[j, i] at (u[i], v[j]).")
        .def_readonly("levels", &Plane::levels, "The levels of the equipotential lines, (L,) float64.")
        .def_readonly("equipotentials", &Plane::equipotentials,
                      "The equipotential lines (Lines), each point on its level to the root finder's tolerance.")
        .def_readonly("equipotential_levels", &Plane::equipotentialLevels,
                      "The level of each equipotential line, one a line, float64.")
        .def_readonly("field_lines", &Plane::fieldLines, "The field lines round the charges in the plane (Lines).")
        .def("__repr__", [](const Plane& p) {
            return "<kelvaro.Plane " + p.axis + " = " + std::string(py::str(py::float_(p.offset))) + ": " +
                   std::to_string(p.levels.size()) + " levels, " + std::to_string(p.equipotentialLevels.size()) +
                   " equipotential lines, " + std::to_string(p.fieldLines.offsets.size() - 1) + " field lines>";
        });
    model.def("plane", &plane, py::arg("axis") = "z", py::arg("offset") = py::none(), py::kw_only(),
              py::arg("levels") = defaultPlaneLevels, py::arg("lines") = 0,
              "plane(axis='z', offset=None, *, levels=15, lines=0) -> Plane\n\n"
              "The plane normal to `axis` at `offset` (None: through the box's centre; rounded to single\n"
              "precision), as Add Plane and kelvaro-batch's \"plane\" make it: the potential on 256 x 256\n"
              "nodes, the equipotential lines of `levels` levels spread over the colour scale (0 to 100)\n"
              "or of a sequence of potentials, and `lines` field lines (0 to 100) round each charge that\n"
              "lies in the plane. ValueError for an offset outside the box, a level that is not finite,\n"
              "an axis other than x, y or z.");
}

}  // namespace kelvaro::python

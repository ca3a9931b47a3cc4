// A plane through the field as NumPy arrays (Model.plane): the samples of the potential,
// the equipotential lines with their levels and the field lines round the charges in the
// plane, every number the program's.

#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "python/bindings.h"
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

}  // namespace
}  // namespace kelvaro::python

KELVARO_PYTHON_CLASS(kelvaro::python::Plane)

namespace kelvaro::python {
namespace {

// `count` levels, or the levels of a sequence of real numbers.
void levelsOf(const py::object& given, FieldPlane& plane) {
    if (PyLong_Check(given.ptr()) || PyIndex_Check(given.ptr())) {
        plane.levelCount = static_cast<int>(integerIn(given, 0, maxPlaneLevels, "levels (a number of them)"));
        return;
    }
    if (PyUnicode_Check(given.ptr()) || PyBytes_Check(given.ptr()) || !py::isinstance<py::sequence>(given)) {
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
    if (axis != "x" && axis != "y" && axis != "z") {
        throw py::value_error("axis must be \"x\", \"y\" or \"z\", not \"" + axis + "\"");
    }
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
py::array_t<Value> vectorArray(const std::vector<Value>& values) {
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

Plane plane(const Model& model, const py::object& axisWord, const py::object& offset, const py::object& levels,
            const py::object& lines) {
    const std::string axis = textOf(axisWord, "axis");
    const FieldPlane wanted = planeOf(model, axis, offset, levels, lines);
    PlaneSamples samples;
    std::vector<double> drawnLevels;
    std::vector<Equipotential> equipotentials;
    Ref<Group> fieldLines;
    runStoppable([&] {
        samples = samplePlane(model, wanted);
        drawnLevels = planeLevels(model, wanted);
        for (double level : drawnLevels) {
            for (Equipotential& line : traceEquipotentials(model, samples, level)) equipotentials.push_back(std::move(line));
        }
        fieldLines = wanted.linesPerCharge > 0 ? planeFieldLines(model, wanted) : create<Group>(20, 20);
    });
    if (!fieldLines) throw std::bad_alloc();
    std::vector<double> lineLevels;
    for (const Equipotential& line : equipotentials) lineLevels.push_back(line.level);
    const auto side = static_cast<py::ssize_t>(samples.us.size());
    py::array_t<double> potential({static_cast<py::ssize_t>(samples.vs.size()), side});
    std::copy(samples.potentials.begin(), samples.potentials.end(), potential.mutable_data());
    return {axis,
            static_cast<double>(samples.level),
            vectorArray(samples.us),
            vectorArray(samples.vs),
            potential,
            vectorArray(drawnLevels),
            equipotentialLines(equipotentials),
            vectorArray(lineLevels),
            linesOf(*fieldLines)};
}

}  // namespace

void bindPlane(py::module_& module, ModelClass& model) {
    py::class_<Plane>(module, "Plane",
                      "A plane through the field as NumPy arrays: the potential sampled on a grid of the box's\n"
                      "square (`u` and `v` its coordinates along the plane's two other axes, in turn: y and z\n"
                      "for x, z and x for y, x and y for z), the equipotential lines and the field lines. Made by\n"
                      "Model.plane; copies and pickles hold copies of the arrays.\n\n"
                      "Example: plt.contourf(p.u, p.v, p.potential, levels=p.levels)")
        .def(py::init([](const py::object& axis, const py::object& offset, const py::object& u, const py::object& v,
                         const py::object& potential, const py::object& levels, const Lines& equipotentials,
                         const py::object& equipotentialLevels, const Lines& fieldLines) {
                 const std::string normal = textOf(axis, "axis");
                 if (normal != "x" && normal != "y" && normal != "z") {
                     throw py::value_error("axis must be \"x\", \"y\" or \"z\", not \"" + normal + "\"");
                 }
                 const py::dtype single = py::dtype::of<float>(), wide = py::dtype::of<double>();
                 return Plane{normal,
                              realNumber(offset, "offset"),
                              py::array_t<float>::ensure(arrayOf(u, single, {-1}, "u")),
                              py::array_t<float>::ensure(arrayOf(v, single, {-1}, "v")),
                              py::array_t<double>::ensure(arrayOf(potential, wide, {-1, -1}, "potential")),
                              py::array_t<double>::ensure(arrayOf(levels, wide, {-1}, "levels")),
                              equipotentials,
                              py::array_t<double>::ensure(arrayOf(equipotentialLevels, wide, {-1}, "equipotential_levels")),
                              fieldLines};
             }),
             py::arg("axis"), py::arg("offset"), py::arg("u"), py::arg("v"), py::arg("potential"), py::arg("levels"),
             py::arg("equipotentials"), py::arg("equipotential_levels"), py::arg("field_lines"),
             "Plane(axis: str, offset: float, u: ArrayLike, v: ArrayLike, potential: ArrayLike, levels: ArrayLike,\n"
             "      equipotentials: Lines, equipotential_levels: ArrayLike, field_lines: Lines)\n\n"
             "A plane from its parts, the arrays copied: u and v (N,) as float32, potential (M, N),\n"
             "levels and equipotential_levels (one a line) as float64.\n\n"
             "Raises TypeError for arrays NumPy cannot convert or parts of the wrong type, ValueError for\n"
             "other shapes or an axis other than x, y or z.\n\n"
             "Example: kelvaro.Plane(p.axis, p.offset, p.u, p.v, p.potential, p.levels, p.equipotentials,\n"
             "                       p.equipotential_levels, p.field_lines)")
        .def("__reduce__", [](const Plane& p) {
            return py::make_tuple(py::type::of<Plane>(),
                                  py::make_tuple(p.axis, p.offset, p.u, p.v, p.potential, p.levels, p.equipotentials,
                                                 p.equipotentialLevels, p.fieldLines));
        })
        .def_property_readonly("axis", [](const Plane& p) { return p.axis; },
                               "axis: str, the axis the plane is normal to: \"x\", \"y\" or \"z\".")
        .def_property_readonly("offset", [](const Plane& p) { return p.offset; },
                               "offset: float, where it cuts that axis.")
        .def_property_readonly("u", [](const Plane& p) { return p.u; }, "u: (N,) float32, the grid's first coordinates.")
        .def_property_readonly("v", [](const Plane& p) { return p.v; }, "v: (M,) float32, the grid's second coordinates.")
        .def_property_readonly(
            "potential", [](const Plane& p) { return p.potential; },
            "potential: (M, N) float64, the potential at the grid's nodes: potential[j, i] at (u[i], v[j]).")
        .def_property_readonly("levels", [](const Plane& p) { return p.levels; },
                               "levels: (L,) float64, the levels of the equipotential lines.")
        .def_property_readonly("equipotentials", [](const Plane& p) { return p.equipotentials; },
                               "equipotentials: Lines, the equipotential lines, each point on its level to the root\n"
                               "finder's tolerance.")
        .def_property_readonly("equipotential_levels", [](const Plane& p) { return p.equipotentialLevels; },
                               "equipotential_levels: (E,) float64, the level of each equipotential line.")
        .def_property_readonly("field_lines", [](const Plane& p) { return p.fieldLines; },
                               "field_lines: Lines, the field lines round the charges in the plane, traced accurately.")
        .def("__repr__", [](const Plane& p) {
            return "<kelvaro.Plane " + p.axis + " = " + std::string(py::str(py::float_(p.offset))) + ": " +
                   std::to_string(p.levels.size()) + " levels, " + std::to_string(p.equipotentialLevels.size()) +
                   " equipotential lines, " + std::to_string(p.fieldLines.offsets.size() - 1) + " field lines>";
        });
    model.def("plane", &plane, py::arg("axis") = "z", py::arg("offset") = py::none(), py::kw_only(),
              py::arg("levels") = defaultPlaneLevels, py::arg("lines") = 0,
              "plane(axis: str = 'z', offset: float | None = None, *, levels: int | Sequence[float] = 15,\n"
              "      lines: int = 0) -> Plane\n\n"
              "The plane normal to `axis` at `offset` (None: through the box's centre; rounded to single\n"
              "precision), as Add Plane and kelvaro-batch's \"plane\" make it: the potential on 256 x 256\n"
              "nodes, the equipotential lines of `levels` levels spread over the colour scale (0 to 100)\n"
              "or of a sequence of potentials (at most 100, rounded to single precision), and `lines` field\n"
              "lines (0 to 100) round each charge that lies in the plane, traced accurately in 3D (a plane\n"
              "of symmetry keeps them).\n\n"
              "Raises ValueError for an offset outside the box, a level that is not finite, an axis other\n"
              "than x, y or z or a count outside its limits; TypeError for values of the wrong type;\n"
              "KeyboardInterrupt on Ctrl+C.\n\n"
              "Example: p = model.plane(\"z\", 0, lines=8); p.field_lines[0]  # (n, 3) float32");
}

}  // namespace kelvaro::python

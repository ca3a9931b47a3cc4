// kelvaro.load, kelvaro.Model (comparison, pickling and copies included) and the
// evaluation of potentials and fields at NumPy points.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "model/model_writer.h"
#include "model/read_errors.h"
#include "model/read_report.h"
#include "python/bindings.h"
#include "viz/worker_threads.h"

namespace kelvaro::python {
namespace {

static_assert(sizeof(Vector3) == 3 * sizeof(float), "a (N, 3) float32 array is read as N Vector3");

// ModelError's and ModelWarning's classes, made when the module is imported. The module
// holds them; these references are never released, so nothing is released after the
// interpreter has ended.
PyObject* modelErrorClass = nullptr;
PyObject* modelWarningClass = nullptr;

[[noreturn]] void raiseModelError(const std::string& path, int code, int line) {
    const std::string message = "Failed to read in model correctly. " + formatReadFailure(path, code, line);
    const py::object error = py::reinterpret_borrow<py::object>(modelErrorClass)(message);
    error.attr("code") = code;
    error.attr("line") = line;
    PyErr_SetObject(modelErrorClass, error.ptr());
    throw py::error_already_set();
}

// Issues a ModelWarning for every statement the reader dropped and every line it
// discarded, located at the file and line (and with the line number as `line`).
void warnAbout(const std::vector<ReadWarning>& warnings, const GivenPath& path) {
    const py::object file = py::module_::import("os").attr("fsdecode")(path.given);
    for (const ReadWarning& dropped : warnings) {
        const std::string text = dropped.text.empty() ? dropped.reason : dropped.reason + ": " + dropped.text;
        const py::object warning = py::reinterpret_borrow<py::object>(modelWarningClass)(text);
        warning.attr("line") = dropped.line;
        // A warning filter may make it an error; then it propagates.
        if (PyErr_WarnExplicitObject(modelWarningClass, warning.ptr(), file.ptr(), dropped.line, nullptr, nullptr) != 0) {
            throw py::error_already_set();
        }
    }
}

std::unique_ptr<Model> load(const py::object& given) {
    const GivenPath path = pathOf(given, "path");
    ModelFileRead read = readModelFile(path.bytes);
    // The program's words, the system's code, which makes the matching subclass
    // (FileNotFoundError, IsADirectoryError, ...).
    if (read.openError != 0) raiseOSError(read.openError, "Could not open file", path);
    warnAbout(read.warnings, path);
    if (read.model) return std::move(read.model);
    if (read.error == static_cast<int>(ReadError::OutOfMemory)) throw std::bad_alloc();
    raiseModelError(shownPath(path), read.error, read.errorLine);
}

void save(const Model& model, const py::object& given) {
    const GivenPath path = pathOf(given, "path");
    if (path.bytes.empty()) throw py::value_error("path is empty");
    if (!modelFileText(model)) throw py::value_error("the model's name holds a character that a model file cannot state");
    const std::string problem = saveModelFile(model, path.bytes);
    if (!problem.empty()) {
        PyErr_SetString(PyExc_OSError, ("cannot save the model as " + shownPath(path) + ": " + problem).c_str());
        throw py::error_already_set();
    }
}

// The items of `value`, a sequence that is no text.
py::sequence sequenceOf(const py::handle& value, const std::string& what) {
    if (PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()) || !PySequence_Check(value.ptr())) {
        throw py::type_error(what + " must be a sequence, not " + typeName(value));
    }
    return py::reinterpret_borrow<py::sequence>(value);
}

// A number rounded to single precision as the reader stores it; ValueError when the
// result is not finite and `finite` is asked for.
float singleOf(const py::handle& value, const std::string& what, bool finite) {
    const auto single = static_cast<float>(realNumber(value, what.c_str()));
    if (finite && !std::isfinite(single)) throw py::value_error(what + " is not finite in single precision");
    return single;
}

Vector3 pointOf(const py::handle& value, const std::string& what, bool finite) {
    const py::sequence items = sequenceOf(value, what);
    if (items.size() != 3) throw py::value_error(what + " must hold 3 numbers, x, y and z");
    return {singleOf(items[0], what + " x", finite), singleOf(items[1], what + " y", finite),
            singleOf(items[2], what + " z", finite)};
}

// A charge as (value, (x, y, z)) or as a row (value, x, y, z).
Charge chargeOf(const py::handle& value, const std::string& what, bool finite) {
    const py::sequence items = sequenceOf(value, what);
    Charge charge;
    if (items.size() == 2) {
        charge.position = pointOf(items[1], what + " position", finite);
    } else if (items.size() == 4) {
        charge.position = {singleOf(items[1], what + " x", finite), singleOf(items[2], what + " y", finite),
                           singleOf(items[3], what + " z", finite)};
    } else {
        throw py::value_error(what + " must be (value, (x, y, z)) or (value, x, y, z)");
    }
    charge.value = singleOf(items[0], what + " value", finite);
    return charge;
}

std::vector<Charge> chargesFrom(const py::handle& charges, bool finite) {
    const py::sequence rows = sequenceOf(charges, "charges");
    if (rows.size() > static_cast<std::size_t>(Model::maxCharges)) {
        throw py::value_error("a model holds at most 99 charges, not " + std::to_string(rows.size()));
    }
    std::vector<Charge> values;
    for (std::size_t i = 0; i < rows.size(); ++i) values.push_back(chargeOf(rows[i], "charge " + std::to_string(i), finite));
    return values;
}

std::unique_ptr<Model> makeModel(const py::object& bounds, const py::object& charges, const py::object& name,
                                 const py::object& axes, const py::object& box) {
    const py::sequence corners = sequenceOf(bounds, "bounds");
    if (corners.size() != 2) throw py::value_error("bounds must be two corners, ((x0, y0, z0), (x1, y1, z1))");
    const Vector3 corner = pointOf(corners[0], "bounds corner 0", true);
    const Vector3 opposite = pointOf(corners[1], "bounds corner 1", true);
    if (corner.x == opposite.x || corner.y == opposite.y || corner.z == opposite.z) {
        throw py::value_error("bounds must span every axis: the corners share an x, y or z");
    }
    const std::vector<Charge> values = chargesFrom(charges, true);
    if (!PyUnicode_Check(name.ptr())) throw py::type_error("name must be a str, not " + typeName(name));
    const py::bytes encoded = py::reinterpret_steal<py::bytes>(PyUnicode_AsEncodedString(name.ptr(), "utf-8", "surrogateescape"));
    if (!encoded) throw py::error_already_set();
    return std::make_unique<Model>(std::string_view(encoded), corner, opposite, values, flagOf(axes, "axes"),
                                   flagOf(box, "box"));
}

// ---- comparison, hashing and pickling

// Everything that makes a model, as bytes: two models are the same when these are.
std::string identityBytes(const Model& model) {
    std::string bytes(model.name());
    bytes.push_back('\0');
    const auto append = [&](const auto& value) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    append(model.bounds().min);
    append(model.bounds().max);
    append(model.axesOn());
    append(model.boxOn());
    for (const Charge& charge : model.charges()) {
        append(charge.value);
        append(charge.position);
    }
    return bytes;
}

py::object equals(const Model& model, const py::object& other) {
    if (!py::isinstance<Model>(other)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
    return py::bool_(identityBytes(model) == identityBytes(other.cast<const Model&>()));
}

py::tuple cornerOf(const Vector3& p) {
    return py::make_tuple(static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z));
}

py::tuple boundsOf(const Model& model) { return py::make_tuple(cornerOf(model.bounds().min), cornerOf(model.bounds().max)); }

// The state that pickle keeps: the name's bytes, the bounds, the charges as (value, x, y,
// z) and the flags, every number exactly (a double holds a float).
py::tuple stateOf(const Model& model) {
    py::list charges;
    for (const Charge& charge : model.charges()) {
        charges.append(py::make_tuple(charge.value, static_cast<double>(charge.position.x),
                                      static_cast<double>(charge.position.y), static_cast<double>(charge.position.z)));
    }
    return py::make_tuple(py::bytes(std::string(model.name())), boundsOf(model), charges, model.axesOn(), model.boxOn());
}

// The model of a state, made as it was: nothing is refused that a model may hold (a file
// may state a box of no size or an overflowed number).
std::unique_ptr<Model> modelOfState(const py::object& given) {
    if (!PyTuple_Check(given.ptr())) throw py::type_error("not the state of a kelvaro.Model");
    const auto state = py::reinterpret_borrow<py::tuple>(given);
    if (state.size() != 5 || !PyBytes_Check(state[0].ptr())) throw py::value_error("not the state of a kelvaro.Model");
    const py::sequence corners = sequenceOf(state[1], "bounds");
    if (corners.size() != 2) throw py::value_error("not the state of a kelvaro.Model");
    return std::make_unique<Model>(std::string_view(py::bytes(state[0])), pointOf(corners[0], "bounds corner 0", false),
                                   pointOf(corners[1], "bounds corner 1", false), chargesFrom(state[2], false),
                                   flagOf(state[3], "axes"), flagOf(state[4], "box"));
}

py::str nameOf(const Model& model) {
    const std::string_view name = model.name();
    PyObject* text = PyUnicode_DecodeUTF8(name.data(), static_cast<py::ssize_t>(name.size()), "surrogateescape");
    if (text == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

py::array_t<double> chargesOf(const Model& model) {
    py::array_t<double> rows({static_cast<py::ssize_t>(model.chargeCount()), py::ssize_t{4}});
    auto at = rows.mutable_unchecked<2>();
    for (py::ssize_t i = 0; i < model.chargeCount(); ++i) {
        const Charge& charge = model.charges()[static_cast<std::size_t>(i)];
        at(i, 0) = charge.value;
        at(i, 1) = charge.position.x;
        at(i, 2) = charge.position.y;
        at(i, 3) = charge.position.z;
    }
    return rows;
}

std::string reprOf(const Model& model) {
    const int count = model.chargeCount();
    return py::str("<kelvaro.Model {!r}: {} {} in {}>")
        .format(nameOf(model), count, count == 1 ? "charge" : "charges", boundsOf(model));
}

// ---- potentials and fields

// Points times charges below which an evaluation runs on the calling thread, without a
// thread of its own to watch for Ctrl+C: some milliseconds of work.
constexpr std::size_t stoppableWork = std::size_t{1} << 20;

// Runs `evaluate` over the points, slice by slice on the worker threads and without the
// interpreter, each slice rounded to single precision as it goes; ValueError for the first
// point with a coordinate that is not finite in single precision.
template <class Out, class Evaluate>
void evaluatePoints(const Model& model, const GivenPoints& points, Out* out, Evaluate evaluate) {
    constexpr int pointsPerTask = 1024;
    constexpr std::size_t largestPart = std::size_t{1} << 30;  // tasks are counted in int
    const auto* floats = static_cast<const float*>(points.array.data());
    const auto* doubles = static_cast<const double*>(points.array.data());
    std::atomic<std::size_t> firstBad{points.count};
    const auto task = [&](std::size_t begin, std::size_t end) {
        Vector3 rounded[pointsPerTask];
        const Vector3* at = rounded;
        if (points.single) {
            at = reinterpret_cast<const Vector3*>(floats) + begin;
        } else {
            for (std::size_t i = begin; i < end; ++i) {
                const double* p = doubles + 3 * i;
                rounded[i - begin] = {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
            }
        }
        for (std::size_t i = 0; i < end - begin; ++i) {
            if (std::isfinite(at[i].x) && std::isfinite(at[i].y) && std::isfinite(at[i].z)) continue;
            std::size_t known = firstBad.load();
            while (begin + i < known && !firstBad.compare_exchange_weak(known, begin + i)) {
            }
            break;
        }
        evaluate(std::span(at, end - begin), out + begin);
    };
    const auto all = [&] {
        const int threads = BuildOptions{}.threadCount();
        for (std::size_t part = 0; part < points.count; part += largestPart) {
            const auto count = static_cast<int>(std::min(largestPart, points.count - part));
            forEachChunk(threads, count, pointsPerTask, [&](int begin, int end) {
                task(part + static_cast<std::size_t>(begin), part + static_cast<std::size_t>(end));
            });
        }
    };
    if (points.count * static_cast<std::size_t>(std::max(model.chargeCount(), 1)) >= stoppableWork) {
        runStoppable(all);
    } else {
        const py::gil_scoped_release free;
        all();
    }
    if (firstBad.load() < points.count) {
        throw py::value_error(pointName(points, firstBad.load()) + " has a coordinate that is not finite in single precision");
    }
}

py::object potential(const Model& model, const py::object& given) {
    const GivenPoints points = pointsOf(given);
    py::array_t<double> result(resultShape(points));
    evaluatePoints(model, points, result.mutable_data(),
                   [&](std::span<const Vector3> slice, double* out) { model.potentialsAt(slice, out); });
    return scalarWhenOnePoint(points, result);
}

py::array_t<float> field(const Model& model, const py::object& given) {
    const GivenPoints points = pointsOf(given);
    py::array_t<float> result(resultShape(points, {3}));
    evaluatePoints(model, points, reinterpret_cast<Vector3*>(result.mutable_data()),
                   [&](std::span<const Vector3> slice, Vector3* out) { model.fieldsAt(slice, out); });
    return result;
}

}  // namespace

void bindModel(py::module_& module, ModelClass& model) {
    modelErrorClass = PyErr_NewExceptionWithDoc(
        "kelvaro.ModelError",
        "A model file that the program cannot read: a ValueError with the reader's error code\n"
        "(`code`, 37000 and on) and the line where reading stopped (`line`).",
        PyExc_ValueError, nullptr);
    if (modelErrorClass == nullptr) throw py::error_already_set();
    module.add_object("ModelError", py::reinterpret_borrow<py::object>(modelErrorClass));
    modelWarningClass = PyErr_NewExceptionWithDoc(
        "kelvaro.ModelWarning",
        "A statement of a model file that the reader dropped, or a line it discarded: the reason in\n"
        "words and the line's text, located at the file and line (also as `line`).",
        PyExc_UserWarning, nullptr);
    if (modelWarningClass == nullptr) throw py::error_already_set();
    module.add_object("ModelWarning", py::reinterpret_borrow<py::object>(modelWarningClass));

    module.def("load", &load, py::arg("path"),
               "load(path: str | bytes | os.PathLike) -> Model\n\n"
               "Reads the model file at `path` exactly as the program does. Every statement the reader\n"
               "drops and every line it discards is told as a ModelWarning.\n\n"
               "Raises ModelError (a ValueError, with `code`, `line` and the reason in words) for a file\n"
               "the program cannot read; OSError(errno, 'Could not open file', path) for one that cannot\n"
               "be opened (FileNotFoundError, IsADirectoryError for a folder, PermissionError);\n"
               "TypeError for a path of another type, ValueError for one with a NUL character.\n\n"
               "Example: model = kelvaro.load(\"examples/dipole.txt\")");

    model.doc() =
        "A box and up to 99 point charges, stored as the program stores a model file: charge\n"
        "values and coordinates in single precision. Immutable; made by kelvaro.load or from values.\n"
        "Two models are == when their bounds, charges, flags and name are the same, bit for bit\n"
        "(and then hash alike); copy.copy, copy.deepcopy and pickle give an equal model. In Jupyter\n"
        "a model shows itself as its picture in the teaching style.\n\n"
        "Example: kelvaro.Model(((-1, -1, -1), (1, 1, 1)), [(1, (-0.5, 0, 0)), (-1, (0.5, 0, 0))])";
    model.def(py::init(&makeModel), py::arg("bounds"), py::arg("charges"), py::arg("name") = "",
              py::arg("axes") = false, py::arg("box") = false,
              "Model(bounds, charges, name: str = '', axes: bool = False, box: bool = False)\n\n"
              "`bounds`: two opposite corners ((x0, y0, z0), (x1, y1, z1)), apart on every axis, in\n"
              "model units. `charges`: a sequence of (value, (x, y, z)), or an array of shape (n, 4)\n"
              "holding value, x, y, z; at most 99. Values are rounded to single precision as the reader\n"
              "rounds a file's numbers and must stay finite; the model equals the one read from a file\n"
              "that states the same numbers. `name` is cut to 62 bytes.\n\n"
              "Raises TypeError for a value of the wrong type (a bool as a number included), ValueError\n"
              "for one out of range (a flat box, a number not finite in single precision, a 100th charge).\n\n"
              "Example: kelvaro.Model(((0, 0, 0), (1, 1, 1)), [(1, (0.5, 0.5, 0.5))], name=\"one\")");
    model.def_property_readonly("name", &nameOf, "name: str, the model's name (at most 62 bytes).");
    model.def_property_readonly(
        "bounds", &boundsOf,
        "bounds: ((x0, y0, z0), (x1, y1, z1)), the box in floats, the smaller corner first.");
    model.def_property_readonly("axes", &Model::axesOn, "axes: bool, whether the model shows its axes.");
    model.def_property_readonly("box", &Model::boxOn, "box: bool, whether the model asks for its box.");
    model.def_property_readonly("charges", &chargesOf,
                                "charges: (n, 4) float64, a new array of each charge's value, x, y and z as stored.");
    model.def_property_readonly(
        "potential_range", [](const Model& m) { return py::make_tuple(m.potentialMin(), m.potentialMax()); },
        "potential_range: (float, float), the least and the greatest potential near the charges and\n"
        "at the box's corner, as the program finds them.");
    model.def("save", &save, py::arg("path"),
              "save(path: str | bytes | os.PathLike) -> None\n\n"
              "Writes the model as a model file that kelvaro.load (and the program) reads back into the\n"
              "same model, bit for bit; whole or not at all. A file that exists is replaced and keeps its\n"
              "owner, group, permissions and hard links; a symbolic link is followed.\n\n"
              "Raises OSError, with the reason, when the file cannot be written (\"it is read-only\" for\n"
              "a file that may not be written); ValueError for an empty path, one with a NUL character,\n"
              "or a name that no model file can state.\n\n"
              "Example: model.save(\"copy.txt\")");
    model.def("__len__", &Model::chargeCount, "The number of charges.");
    model.def("__repr__", &reprOf);
    model.def("__eq__", &equals, py::arg("other"));
    model.def("__hash__", [](const Model& m) { return py::hash(py::bytes(identityBytes(m))); });
    // Pickled (by every protocol) and copied as its state, which kelvaro._model_of_state
    // makes again (a function of the package: pickle cannot name one of this module).
    module.def("_model_of_state", &modelOfState, py::arg("state"),
               "_model_of_state(state) -> Model: the model that pickle and copy keep as `state`.");
    model.def("__reduce__", [](const Model& m) {
        return py::make_tuple(py::module_::import("kelvaro").attr("_model_of_state"), py::make_tuple(stateOf(m)));
    });
    model.def("potential", &potential, py::arg("points"),
              "potential(points: ArrayLike) -> numpy.ndarray | numpy.float64\n\n"
              "The potential at each point: the sum of q / r over the charges (Coulomb's constant 1,\n"
              "model units), in double precision as the program computes it. `points` is any array-like\n"
              "of shape (..., 3) and real dtype (integers included); the answer is float64 of the\n"
              "leading shape (a (100, 100, 3) grid gives (100, 100); one point (3,), a numpy.float64).\n"
              "Each point is first rounded to single precision, as the program stores coordinates.\n"
              "Infinite at a charge (or not a number where charges cancel there).\n\n"
              "Raises TypeError for points that hold no real numbers (bool, complex, text), ValueError\n"
              "for another shape or a coordinate that is not finite in single precision (|x| > 3.4e38).\n\n"
              "Example: model.potential([[0.0, 0.5, 0.0], [1.0, 1.0, 1.0]])  # array([..., ...])");
    model.def("field", &field, py::arg("points"),
              "field(points: ArrayLike) -> numpy.ndarray\n\n"
              "The electric field at each point, computed and summed in single precision as in the\n"
              "program, hence float32, of shape (..., 3) for points of shape (..., 3) (one point gives\n"
              "(3,)). Points as for potential. Not a number at a charge; infinite within about 1e-13\n"
              "of a unit charge, where 1 / r^2 passes the float32 range; points whose differences\n"
              "overflow single precision (coordinates near 3.4e38) give infinities or not-a-numbers.\n\n"
              "Raises as potential does.\n\n"
              "Example: model.field(np.zeros((10, 10, 3)))  # (10, 10, 3) float32");
}

}  // namespace kelvaro::python

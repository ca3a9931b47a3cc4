// kelvaro.load, kelvaro.Model and the evaluation of potentials and fields at NumPy points.

#include <pybind11/numpy.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <span>
#include <vector>

#include "model/read_errors.h"
#include "model/read_report.h"
#include "model/model_writer.h"
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
void warnAbout(const std::vector<ReadWarning>& warnings, const std::string& path) {
    const py::object file = py::str(path);
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

std::unique_ptr<Model> load(const std::filesystem::path& path) {
    ModelFileRead read = readModelFile(path.string());
    if (read.openError != 0) {
        // OSError(errno, "Could not open file", path): the program's words, the system's code,
        // which makes the matching subclass (FileNotFoundError, IsADirectoryError, ...).
        const py::object error = py::reinterpret_borrow<py::object>(PyExc_OSError)(read.openError, "Could not open file",
                                                                                  path.string());
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
        throw py::error_already_set();
    }
    warnAbout(read.warnings, path.string());
    if (read.model) return std::move(read.model);
    if (read.error == static_cast<int>(ReadError::OutOfMemory)) throw std::bad_alloc();
    raiseModelError(path.string(), read.error, read.errorLine);
}

void save(const Model& model, const std::filesystem::path& path) {
    if (path.empty()) throw py::value_error("the file name is empty");
    if (!modelFileText(model)) throw py::value_error("the model's name holds a character that a model file cannot state");
    const std::string problem = saveModelFile(model, path.string());
    if (!problem.empty()) {
        PyErr_SetString(PyExc_OSError, ("cannot save the model as " + path.string() + ": " + problem).c_str());
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
// result is not finite.
float singleOf(const py::handle& value, const std::string& what) {
    const auto single = static_cast<float>(realNumber(value, what.c_str()));
    if (!std::isfinite(single)) throw py::value_error(what + " is not finite in single precision");
    return single;
}

Vector3 pointOf(const py::handle& value, const std::string& what) {
    const py::sequence items = sequenceOf(value, what);
    if (items.size() != 3) throw py::value_error(what + " must hold 3 numbers, x, y and z");
    return {singleOf(items[0], what + " x"), singleOf(items[1], what + " y"), singleOf(items[2], what + " z")};
}

// A charge as (value, (x, y, z)) or as a row (value, x, y, z).
Charge chargeOf(const py::handle& value, const std::string& what) {
    const py::sequence items = sequenceOf(value, what);
    Charge charge;
    if (items.size() == 2) {
        charge.position = pointOf(items[1], what + " position");
    } else if (items.size() == 4) {
        charge.position = {singleOf(items[1], what + " x"), singleOf(items[2], what + " y"),
                           singleOf(items[3], what + " z")};
    } else {
        throw py::value_error(what + " must be (value, (x, y, z)) or (value, x, y, z)");
    }
    charge.value = singleOf(items[0], what + " value");
    return charge;
}

std::unique_ptr<Model> makeModel(const py::object& bounds, const py::object& charges, const py::object& name,
                                 bool axes, bool box) {
    const py::sequence corners = sequenceOf(bounds, "bounds");
    if (corners.size() != 2) throw py::value_error("bounds must be two corners, ((x0, y0, z0), (x1, y1, z1))");
    const Vector3 corner = pointOf(corners[0], "bounds corner 0");
    const Vector3 opposite = pointOf(corners[1], "bounds corner 1");
    if (corner.x == opposite.x || corner.y == opposite.y || corner.z == opposite.z) {
        throw py::value_error("bounds must span every axis: the corners share an x, y or z");
    }
    const py::sequence rows = sequenceOf(charges, "charges");
    if (rows.size() > static_cast<std::size_t>(Model::maxCharges)) {
        throw py::value_error("a model holds at most 99 charges, not " + std::to_string(rows.size()));
    }
    std::vector<Charge> values;
    for (std::size_t i = 0; i < rows.size(); ++i) values.push_back(chargeOf(rows[i], "charge " + std::to_string(i)));
    if (!PyUnicode_Check(name.ptr())) throw py::type_error("name must be a str, not " + typeName(name));
    const py::bytes encoded = py::reinterpret_steal<py::bytes>(PyUnicode_AsEncodedString(name.ptr(), "utf-8", "surrogateescape"));
    if (!encoded) throw py::error_already_set();
    return std::make_unique<Model>(std::string_view(encoded), corner, opposite, values, axes, box);
}

// Points as given to potential or field: rows of x, y, z in C order, float32 or float64
// as NumPy holds them (another float dtype is converted to float32 first).
struct GivenPoints {
    py::array array;
    bool single = false;  // float32
    bool one = false;     // shape (3,)
    std::size_t count() const { return static_cast<std::size_t>(array.size() / 3); }
};

GivenPoints pointsOf(const py::handle& points) {
    const py::array given = py::array::ensure(points);
    if (!given) throw py::type_error("points must be an array of shape (N, 3) or (3,), not " + typeName(points));
    if (given.dtype().kind() != 'f') {
        throw py::type_error("points must hold floating-point numbers, not " + std::string(py::str(given.dtype())) +
                             " (numpy.asarray(points, dtype=float) converts them)");
    }
    GivenPoints result;
    result.one = given.ndim() == 1 && given.shape(0) == 3;
    if (!result.one && !(given.ndim() == 2 && given.shape(1) == 3)) {
        throw py::value_error("points must have shape (N, 3) or (3,), not " + std::string(py::str(given.attr("shape"))));
    }
    constexpr int inOrder = py::array::c_style | py::array::forcecast;
    if (given.dtype().is(py::dtype::of<double>())) {
        result.array = py::array_t<double, inOrder>::ensure(given);
    } else {
        result.array = py::array_t<float, inOrder>::ensure(given);
        result.single = true;
    }
    if (!result.array) throw py::error_already_set();
    return result;
}

// Runs `evaluate` over the points, slice by slice on the worker threads and without the
// interpreter, each slice rounded to single precision as it goes; ValueError for the first
// point with a coordinate that is not finite in single precision.
template <class Out, class Evaluate>
void evaluatePoints(const GivenPoints& points, Out* out, Evaluate evaluate) {
    constexpr int pointsPerTask = 1024;
    constexpr std::size_t largestPart = std::size_t{1} << 30;  // tasks are counted in int
    const auto* floats = static_cast<const float*>(points.array.data());
    const auto* doubles = static_cast<const double*>(points.array.data());
    std::atomic<std::size_t> firstBad{points.count()};
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
    {
        const py::gil_scoped_release free;
        const int threads = BuildOptions{}.threadCount();
        for (std::size_t part = 0; part < points.count(); part += largestPart) {
            const auto count = static_cast<int>(std::min(largestPart, points.count() - part));
            forEachChunk(threads, count, pointsPerTask, [&](int begin, int end) {
                task(part + static_cast<std::size_t>(begin), part + static_cast<std::size_t>(end));
            });
        }
    }
    if (firstBad.load() < points.count()) {
        throw py::value_error("point " + std::to_string(firstBad.load()) +
                              " has a coordinate that is not finite in single precision");
    }
}

py::object potential(const Model& model, const py::object& points) {
    const GivenPoints given = pointsOf(points);
    py::array_t<double> result(static_cast<py::ssize_t>(given.count()));
    evaluatePoints(given, result.mutable_data(),
                   [&](std::span<const Vector3> slice, double* out) { model.potentialsAt(slice, out); });
    if (given.one) return py::float_(result.at(0));
    return result;
}

py::array_t<float> field(const Model& model, const py::object& points) {
    const GivenPoints given = pointsOf(points);
    py::array_t<float> result(given.one ? std::vector<py::ssize_t>{3}
                                        : std::vector<py::ssize_t>{static_cast<py::ssize_t>(given.count()), 3});
    evaluatePoints(given, reinterpret_cast<Vector3*>(result.mutable_data()),
                   [&](std::span<const Vector3> slice, Vector3* out) { model.fieldsAt(slice, out); });
    return result;
}

py::tuple cornerOf(const Vector3& p) {
    return py::make_tuple(static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z));
}

py::str nameOf(const Model& model) {
    const std::string_view name = model.name();
    PyObject* text = PyUnicode_DecodeUTF8(name.data(), static_cast<py::ssize_t>(name.size()), "surrogateescape");
    if (text == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

py::tuple boundsOf(const Model& model) { return py::make_tuple(cornerOf(model.bounds().min), cornerOf(model.bounds().max)); }

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
    return py::str("<kelvaro.Model {!r}: {} charges in {}>").format(nameOf(model), model.chargeCount(), boundsOf(model));
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
               "load(path) -> Model\n\n"
               "Reads the model file at `path` exactly as the program does. Every statement the reader\n"
               "drops and every line it discards is told as a ModelWarning. A file the program cannot\n"
               "read raises ModelError (with `code`, `line` and the reason in words); one that cannot\n"
               "be opened, OSError.");

    model.doc() =
        "A box and up to 99 point charges, stored as the program stores a model file: charge\n"
        "values and coordinates in single precision. Read-only; made by kelvaro.load or from values.";
    model.def(py::init(&makeModel), py::arg("bounds"), py::arg("charges"), py::arg("name") = "",
              py::arg("axes") = false, py::arg("box") = false,
              "Model(bounds, charges, name='', axes=False, box=False)\n\n"
              "`bounds`: two opposite corners ((x0, y0, z0), (x1, y1, z1)), apart on every axis.\n"
              "`charges`: a sequence of (value, (x, y, z)), or an array of shape (n, 4) holding value,\n"
              "x, y, z; at most 99. Values are rounded to single precision as the reader rounds a\n"
              "file's numbers and must stay finite; the model equals the one read from a file that\n"
              "states the same numbers. `name` is cut to 62 bytes.");
    model.def_property_readonly("name", &nameOf, "The model's name (at most 62 bytes).");
    model.def_property_readonly("bounds", &boundsOf, "The box as ((x0, y0, z0), (x1, y1, z1)), the smaller corner first.");
    model.def_property_readonly("axes", &Model::axesOn, "Whether the model shows its axes.");
    model.def_property_readonly("box", &Model::boxOn, "Whether the model asks for its box.");
    model.def_property_readonly("charges", &chargesOf,
                                "The charges as stored, a new (n, 4) float64 array of value, x, y, z.");
    model.def_property_readonly(
        "potential_range", [](const Model& m) { return py::make_tuple(m.potentialMin(), m.potentialMax()); },
        "(potentialMin, potentialMax): the range of potentials near the charges and at the box's corner.");
    model.def("save", &save, py::arg("path"),
              "save(path)\n\n"
              "Writes the model as a model file that kelvaro.load (and the program) reads back into the\n"
              "same model, bit for bit; whole or not at all. A file that exists is replaced and keeps its\n"
              "owner, group, permissions and hard links; a symbolic link is followed. OSError, with the\n"
              "reason, when the file cannot be written (\"it is read-only\" for a file that may not be\n"
              "written); ValueError for an empty path or a name that no model file can state.");
    model.def("__len__", &Model::chargeCount, "The number of charges.");
    model.def("__repr__", &reprOf);
    model.def("potential", &potential, py::arg("points"),
              "potential(points) -> (N,) float64\n\n"
              "The potential at each of `points`, (N, 3) or (3,) of any float dtype (one point gives a\n"
              "float), rounded to single precision first as the program would; infinite at a charge.");
    model.def("field", &field, py::arg("points"),
              "field(points) -> (N, 3) float32\n\n"
              "The field at each of `points` (as for potential; one point gives shape (3,)), in single\n"
              "precision as in the program; not a number at a charge.");
}

}  // namespace kelvaro::python

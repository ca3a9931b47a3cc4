#pragma once
// The compiled part of the Python module kelvaro (kelvaro._kelvaro), one binding file per
// area; module.cpp puts them together. The bindings only check Python's values and copy
// results into NumPy arrays: every number comes from the C++ core unchanged.
//
// What every binding takes from Python goes through the helpers below, so that all of the
// module takes its values alike: numbers (a bool is no number), points (any array-like of
// shape (..., 3) and real dtype), paths (str, bytes or os.PathLike) and seed files, each
// refused with TypeError or ValueError naming the parameter. A bound class is declared
// with KELVARO_PYTHON_CLASS, and long work runs through runStoppable.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "common/vector3.h"
#include "model/model.h"
#include "scene/group.h"
#include "viz/visualisation_request.h"

namespace kelvaro::python {

namespace py = pybind11;

using ModelClass = py::class_<Model>;

// kelvaro.load, kelvaro.Model with its properties, comparison, pickling, potential and
// field; ModelError and ModelWarning.
void bindModel(py::module_& module, ModelClass& model);
// Lines, Surface, and Model.field_lines, .hedgehog and .surface.
void bindBuilders(py::module_& module, ModelClass& model);
// kelvaro.picture, kelvaro.Picture and Model._repr_png_.
void bindPicture(py::module_& module, ModelClass& model);
// Model.probe and Model.flux.
void bindProbe(ModelClass& model);
// Plane, and Model.plane (plane_binding.cpp).
void bindPlane(py::module_& module, ModelClass& model);

// ---- lines

// Lines as NumPy arrays (kelvaro.Lines): `points` (P, 3) float32 and `offsets` (L + 1,)
// int64; line i is points[offsets[i]:offsets[i + 1]].
struct Lines {
    py::array_t<float> points;
    py::array_t<std::int64_t> offsets;
};
// Every PolyLine below `built` as a line of its points and every Line as a line of two, in
// drawing order.
Lines linesOf(const Group& built);

// The seed sets that field lines of `lines` (a FieldLines request) start from, read from
// the seed file `seeds` as readSeeds does (its errors raised): the set of its count, or
// for lines in proportion the set of each count a charge gets. Needs the interpreter.
using SeedSets = std::map<int, std::unique_ptr<Vector3[]>>;
SeedSets seedSetsFor(const Model& model, const VisualisationRequest& lines, const py::handle& seeds);
// The field lines of `lines` from those sets, as buildRequest builds them (in proportion,
// coloured by strength, by their tracer); needs no interpreter. An empty Ref when memory
// runs out.
Ref<Group> buildFieldLines(const Model& model, const VisualisationRequest& lines, const SeedSets& sets,
                           const BuildOptions& options = {});

// ---- numbers and words

// The name of `value`'s type, for messages.
std::string typeName(const py::handle& value);
// `value` as an int from `low` to `high`: TypeError for anything but an integer (a bool
// included), ValueError naming `what` and the limits outside them.
long long integerIn(const py::handle& value, long long low, long long high, const char* what);
// `value` as a double: TypeError for anything but a real number (an int or a float, a
// NumPy scalar included; a bool is refused), ValueError for an int too large for a double.
double realNumber(const py::handle& value, const char* what);
// `value` as a truth value: TypeError for anything but True or False (NumPy's included).
bool flagOf(const py::handle& value, const char* what);
// A str as UTF-8: TypeError for anything else, ValueError when it holds a NUL character.
std::string textOf(const py::handle& value, const char* what);

// ---- points

// Points as a caller gives them: any array-like of shape (..., 3) of a real dtype, held as
// a C-ordered, aligned array of float64 (float64 given) or float32 (any other dtype,
// converted by NumPy: integers and other floats rounded once to single precision).
struct GivenPoints {
    py::array array;
    bool single = false;               // float32
    std::vector<py::ssize_t> leading;  // the shape before the last axis
    std::size_t count = 0;             // points, the product of `leading`
};

// TypeError for a value or dtype that holds no real numbers (bool, complex, text), ValueError
// for another shape or a number too large for a float, each naming `what`.
GivenPoints pointsOf(const py::handle& points, const char* what = "points");

// The shape of a result with one value (or one row of `trailing`) per given point.
std::vector<py::ssize_t> resultShape(const GivenPoints& points, std::initializer_list<py::ssize_t> trailing = {});

// `what` and the index of point `flat` (counted in C order) in the points' leading shape,
// such as "points[2, 7]", for messages.
std::string pointName(const GivenPoints& points, std::size_t flat, const char* what = "points");

// A result array as NumPy gives one for a single point: its 0-d element as a NumPy scalar
// when the points had no leading axes, otherwise the array itself.
py::object scalarWhenOnePoint(const GivenPoints& points, py::array result);

// `value` as a new C-ordered array of dtype `dtype` and of shape `shape` (-1: any length on
// that axis), converted by NumPy: TypeError when it cannot be, ValueError for another
// shape, naming `what`.
py::array arrayOf(const py::handle& value, const py::dtype& dtype, std::initializer_list<py::ssize_t> shape,
                  const char* what);

// ---- paths and seed files

// A path as the system takes it (os.fsencode: any bytes but NUL), and as it was given
// (str or bytes), which OSError names.
struct GivenPath {
    std::string bytes;
    py::object given;
};

// `value` as a path: str, bytes or os.PathLike (TypeError otherwise), ValueError naming
// `what` when it holds a NUL character.
GivenPath pathOf(const py::handle& value, const char* what);
// The path for a message, its undecodable bytes escaped.
std::string shownPath(const GivenPath& path);
// Raises OSError(code, reason, path): the subclass for the code (FileNotFoundError,
// IsADirectoryError, PermissionError...), with the path as its filename.
[[noreturn]] void raiseOSError(int code, const std::string& reason, const GivenPath& path);

// The `count` seed directions of the seed file `seeds` (None: kelvaro.seed_file(), the
// ElectronData installed with the module), read as the field-line builder reads it:
// OSError when it cannot be opened (IsADirectoryError for a folder), ValueError when it
// holds no such set.
std::unique_ptr<Vector3[]> readSeeds(const py::handle& seeds, int count);

// ---- long work

// Runs `work`, which must not touch Python objects, without the interpreter's lock on a
// thread of its own, while this thread looks for a pending signal every 20 ms. When a
// signal's handler raises (Ctrl+C: KeyboardInterrupt) the builders inside `work` are
// stopped (BuildStopScope) and, once `work` has ended, that exception is raised here.
// Exceptions of `work` are raised again here.
void runStoppable(const std::function<void()>& work);

// ---- classes

// Makes pybind11's base class refuse to be instantiated on its own (TypeError) instead of
// ending the process; the module does it before it makes its classes.
void guardBaseClass();

// Loads an instance of a bound class as pybind11 does, but raises TypeError for one whose
// __init__ never ran (made by Class.__new__(Class)), for which pybind11 would hand the
// method uninitialised memory.
void refuseUninitialised(py::handle instance, const std::type_info& type);

template <class T>
class InitialisedCaster : public py::detail::type_caster_base<T> {
public:
    bool load(py::handle source, bool convert) {
        refuseUninitialised(source, typeid(T));
        return py::detail::type_caster_base<T>::load(source, convert);
    }
};

}  // namespace kelvaro::python

// Declares a class bound by the module, in every file that uses it (at namespace scope,
// before its first use): its instances are loaded through InitialisedCaster.
#define KELVARO_PYTHON_CLASS(Type)                                                                  \
    namespace pybind11::detail {                                                                   \
    template <>                                                                                    \
    class type_caster<Type> : public kelvaro::python::InitialisedCaster<Type> {};                  \
    }

KELVARO_PYTHON_CLASS(kelvaro::Model)
KELVARO_PYTHON_CLASS(kelvaro::python::Lines)

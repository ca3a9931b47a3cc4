// The module kelvaro: its documentation, its parts, and the checks of Python values that
// all of them share.

#include <cmath>

#include "python/bindings.h"

namespace kelvaro::python {

std::string typeName(const py::handle& value) { return py::str(py::type::of(value).attr("__name__")); }

long long integerIn(const py::handle& value, long long low, long long high, const char* what) {
    if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr())) {
        throw py::type_error(std::string(what) + " must be a whole number, not " + typeName(value));
    }
    const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long result = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (overflow != 0 || result < low || result > high) {
        throw py::value_error(std::string(what) + " must be from " + std::to_string(low) + " to " +
                              std::to_string(high) + ", not " + std::string(py::repr(number)));
    }
    return result;
}

double realNumber(const py::handle& value, const char* what) {
    const bool text = PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr());
    if (text || !PyNumber_Check(value.ptr()) || PyComplex_Check(value.ptr())) {
        throw py::type_error(std::string(what) + " must be a real number, not " + typeName(value));
    }
    const double result = PyFloat_AsDouble(value.ptr());
    if (result == -1.0 && PyErr_Occurred()) throw py::error_already_set();
    return result;
}

}  // namespace kelvaro::python

PYBIND11_MODULE(kelvaro, module) {
    using namespace kelvaro::python;
    module.doc() =
        "Exact electrostatic fields of point charges in 3D, from the C++ core of Kelvaro.\n"
        "\n"
        "load(path) -> Model                 reads a model file as the program does\n"
        "Model(bounds, charges, name='', axes=False, box=False)\n"
        "                                     a model from Python values\n"
        "Model.potential(points)             potentials, (N,) float64\n"
        "Model.field(points)                 fields, (N, 3) float32\n"
        "Model.field_lines(per_charge, seeds=None) -> Lines\n"
        "Model.hedgehog(count, generator=None) -> (Lines, generator)\n"
        "Model.surface(level, normals='leave') -> Surface\n"
        "Model.plane(axis='z', offset=None, *, levels=15, lines=0) -> Plane\n"
        "picture(model, requests=(), size=(626, 520), turn=(0, 0))\n"
        "                                     the picture of kelvaro-batch png, (H, W, 3) uint8\n"
        "\n"
        "Coordinates are single precision, as in the program; every number is the one the\n"
        "program computes, bit for bit. The builders run on KELVARO_THREADS threads (default:\n"
        "the processor's) and give the same numbers on any number of them.";
    ModelClass model(module, "Model");
    bindModel(module, model);
    bindBuilders(module, model);
    bindPicture(module);
    bindPlane(module, model);
}

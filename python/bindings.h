#pragma once
// The Python module kelvaro, one binding file per area; module.cpp puts them together.
// The bindings only check Python's values and copy results into NumPy arrays: every
// number comes from the C++ core unchanged.

#include <pybind11/pybind11.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/vector3.h"
#include "model/model.h"

namespace kelvaro::python {

namespace py = pybind11;

using ModelClass = py::class_<Model>;

// kelvaro.load, kelvaro.Model with its properties, potential and field; ModelError and
// ModelWarning.
void bindModel(py::module_& module, ModelClass& model);
// Lines, Surface, and Model.field_lines, .hedgehog and .surface.
void bindBuilders(py::module_& module, ModelClass& model);
// kelvaro.picture.
void bindPicture(py::module_& module);
// Model.probe and Model.flux.
void bindProbe(ModelClass& model);

// The name of `value`'s type, for messages.
std::string typeName(const py::handle& value);
// `value` as an int from `low` to `high`: TypeError for anything but an integer (a bool
// included), ValueError naming `what` and the limits outside them.
long long integerIn(const py::handle& value, long long low, long long high, const char* what);
// `value` as a double: TypeError for anything but a real number (an int or a float, a
// NumPy scalar included).
double realNumber(const py::handle& value, const char* what);

// The `count` seed directions of the seed file at `path`, read as the field-line builder
// reads "ElectronData": OSError when it cannot be opened, ValueError when it holds no
// such set.
std::unique_ptr<Vector3[]> readSeeds(const std::filesystem::path& path, int count);

}  // namespace kelvaro::python

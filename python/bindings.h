#pragma once
// The Python module kelvaro, one binding file per area; module.cpp puts them together.
// The bindings only check Python's values and copy results into NumPy arrays: every
// number comes from the C++ core unchanged.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/vector3.h"
#include "model/model.h"
#include "scene/group.h"

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
// Plane, and Model.plane (plane_binding.cpp).
void bindPlane(py::module_& module, ModelClass& model);

// Lines as NumPy arrays (kelvaro.Lines): `points` (P, 3) float32 and `offsets` (L + 1,)
// int64; line i is points[offsets[i]:offsets[i + 1]].
struct Lines {
    py::array_t<float> points;
    py::array_t<std::int64_t> offsets;
};
// Every PolyLine below `built` as a line of its points and every Line as a line of two, in
// drawing order.
Lines linesOf(const Group& built);
// Field lines in proportion to charge (makeProportionalFieldLines), their seed sets read
// from the seed file at `seeds` first (OSError or ValueError as readSeeds raises them).
Lines proportionalFieldLines(const Model& model, int linesForLargest, const std::filesystem::path& seeds);

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

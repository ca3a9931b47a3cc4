// Model.probe and Model.flux: the numbers of the program's probe and of its Gauss spheres.

#include <cmath>
#include <string>

#include "python/bindings.h"
#include "viz/gauss_flux.h"

namespace kelvaro::python {
namespace {

// A number rounded to single precision, as the program reads what is typed; ValueError
// naming `what` when it is not finite.
float typedNumber(const py::handle& value, const std::string& what) {
    const auto single = static_cast<float>(realNumber(value, what.c_str()));
    if (!std::isfinite(single)) throw py::value_error(what + " must be a finite number");
    return single;
}

double flux(const Model& model, const py::object& center, const py::object& radius) {
    if (PyUnicode_Check(center.ptr()) || !PySequence_Check(center.ptr()) || py::len(center) != 3) {
        throw py::value_error("center must be three numbers (x, y, z)");
    }
    const py::sequence xyz = py::reinterpret_borrow<py::sequence>(center);
    const Vector3 middle{typedNumber(xyz[0], "center x"), typedNumber(xyz[1], "center y"), typedNumber(xyz[2], "center z")};
    const float size = typedNumber(radius, "radius");
    if (!(size > 0.0f)) throw py::value_error("radius must be above 0");
    SphereFlux result;
    {
        const py::gil_scoped_release free;
        result = fluxThroughSphere(model, middle, size);
    }
    if (!result.known) {
        std::string why = fluxLine(result);
        why.pop_back();  // its line feed
        throw py::value_error(why);
    }
    return result.flux;
}

}  // namespace

void bindProbe(ModelClass& model) {
    model.def(
        "probe",
        [](const py::object& self, const py::object& points) {
            return py::make_tuple(self.attr("potential")(points), self.attr("field")(points));
        },
        py::arg("points"),
        "probe(points: ArrayLike) -> tuple[numpy.ndarray | numpy.float64, numpy.ndarray]\n\n"
        "What the program's probe reads at each of `points`: the potentials and the fields, exactly as\n"
        "potential(points) and field(points) answer them.\n\n"
        "Raises as potential does.\n\n"
        "Example: v, e = model.probe([0.0, 0.5, 0.0])");
    model.def("flux", &flux, py::arg("center"), py::arg("radius"),
              "flux(center: Sequence[float], radius: float) -> float\n\n"
              "The flux of the field out through the sphere of `radius` round `center` (both rounded to\n"
              "single precision, as the program reads them), by a product rule (Gauss-Legendre in the\n"
              "cosine of the polar angle, equal steps in the azimuth) whose error is held below a millionth\n"
              "of 4π times the sum of the charges' magnitudes. By Gauss's law it equals 4π times the\n"
              "charge inside (Coulomb's constant is 1 in model units). ValueError for a radius not above\n"
              "0 and for a sphere that passes through or so near a charge that the rule cannot keep its error.\n\n"
              "Raises ValueError as above, TypeError for a centre or radius that holds no real numbers.\n\n"
              "Example: model.flux((0.5, 0.0, 0.0), 0.25)  # 4π for a unit charge inside");
}

}  // namespace kelvaro::python

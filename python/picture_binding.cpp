// kelvaro.picture: the picture that kelvaro-batch png draws, from the batch tool's own
// request words, scene and drawing through EGL.

#include <pybind11/numpy.h>

#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "python/bindings.h"
#include "tools/batch/batch_command.h"
#include "tools/batch/batch_run.h"
#include "tools/batch/picture_output.h"
#include "viz/seed_directions.h"

namespace kelvaro::python {
namespace {

// One request as kelvaro-batch reads its words; a number outside the dialog's limits,
// which the tool clamps, is refused here.
batch::Request requestOf(const py::handle& given) {
    if (!PyUnicode_Check(given.ptr())) throw py::type_error("each request must be a str such as \"lines 20\"");
    const std::string text = py::str(given);
    std::istringstream split(text);
    std::vector<std::string> words;
    for (std::string word; split >> word;) words.push_back(word);
    if (words.empty()) throw py::value_error("a request must not be empty");
    std::size_t at = 0;
    std::string error;
    const std::optional<batch::Request> request = batch::parseRequest(words, at, error);
    if (!request) throw py::value_error("request \"" + text + "\": " + error);
    if (at != words.size()) throw py::value_error("request \"" + text + "\" has words after its end");
    if (request->clamped) {
        throw py::value_error("request \"" + text +
                              "\": the number is outside the limits (1 to 100 lines a charge, 1 to 100000 "
                              "hedgehog lines, levels from -10 to 10)");
    }
    return *request;
}

batch::Command commandOf(const py::handle& requests, const py::handle& size, const py::handle& turn) {
    batch::Command command{batch::Mode::Png, {}, {}, {}};
    if (PyUnicode_Check(requests.ptr())) throw py::type_error("requests must be a sequence of str, such as (\"lines 20\",)");
    for (const py::handle request : requests) command.requests.push_back(requestOf(request));
    const py::tuple sides = py::tuple(py::reinterpret_borrow<py::object>(size));
    if (sides.size() != 2) throw py::value_error("size must be (width, height)");
    command.width = static_cast<int>(integerIn(sides[0], 1, batch::maxPictureSide, "the width"));
    command.height = static_cast<int>(integerIn(sides[1], 1, batch::maxPictureSide, "the height"));
    const py::tuple angles = py::tuple(py::reinterpret_borrow<py::object>(turn));
    if (angles.size() != 2) throw py::value_error("turn must be (degrees about the vertical, degrees about the horizontal)");
    command.turnAboutVertical = realNumber(angles[0], "turn");
    command.turnAboutHorizontal = realNumber(angles[1], "turn");
    if (!std::isfinite(command.turnAboutVertical) || !std::isfinite(command.turnAboutHorizontal)) {
        throw py::value_error("turn must be finite");
    }
    return command;
}

py::array_t<std::uint8_t> picture(const Model& model, const py::object& requests, const py::object& size,
                                  const py::object& turn) {
    const batch::Command command = commandOf(requests, size, turn);
    for (const batch::Request& request : command.requests) {
        // As the batch tool, field lines read ElectronData in the current folder; read here
        // first so that a missing one is told apart from a lack of memory.
        if (request.kind == batch::Request::Kind::FieldLines) readSeeds(seedFileName, request.count);
    }
    Ref<Group> scene;
    {
        const py::gil_scoped_release free;
        scene = model.buildModelGeometry();
        // A new generator for every picture, as each run of kelvaro-batch starts with one.
        Random15 generator;
        for (const batch::Request& request : command.requests) {
            if (!scene) break;
            const Ref<Group> built = batch::buildRequest(model, request, BuildOptions{}, &generator);
            if (built) {
                scene->add(*built);
            } else {
                scene.reset();
            }
        }
    }
    if (!scene) throw std::bad_alloc();
    Picture drawn;
    std::string error;
    if (!batch::drawPicture(*scene, command, drawn, error)) throw std::runtime_error("no usable GL context: " + error);
    const py::ssize_t height = drawn.height;
    const py::ssize_t width = drawn.width;
    py::array_t<std::uint8_t> rows({height, width, py::ssize_t{3}});
    // GL reads the rows from the bottom up; the picture's first row is its top.
    const auto rowBytes = static_cast<std::size_t>(3 * width);
    for (py::ssize_t y = 0; y < height; ++y) {
        std::memcpy(rows.mutable_data(y), drawn.rgb.data() + static_cast<std::size_t>(height - 1 - y) * rowBytes, rowBytes);
    }
    return rows;
}

}  // namespace

void bindPicture(py::module_& module) {
    module.def("picture", &picture, py::arg("model"), py::arg("requests") = py::tuple(),
               py::arg("size") = py::make_tuple(startSceneWidth, startSceneHeight), py::arg("turn") = py::make_tuple(0, 0),
               "picture(model, requests=(), size=(626, 520), turn=(0, 0)) -> (H, W, 3) uint8\n\n"
               "The picture that kelvaro-batch png draws of `model` with `requests`, pixel for pixel: the\n"
               "program's start view at `size` (width, height; sides up to 8192), turned by turn[0]\n"
               "degrees about the vertical axis and then turn[1] about the horizontal one. Requests are\n"
               "the batch tool's words: \"lines 20\", \"hedgehog 1000\", \"surface 5 leave\"; field lines\n"
               "read ElectronData in the current folder. Drawn without a display through EGL;\n"
               "RuntimeError when no GL context can be had.");
}

}  // namespace kelvaro::python

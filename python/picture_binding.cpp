// kelvaro.picture: the picture that kelvaro-batch png draws, from the batch tool's own
// request words, scene and drawing through EGL.

#include <pybind11/numpy.h>

#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "python/bindings.h"
#include "render/offscreen_picture.h"
#include "viz/field_plane.h"
#include "viz/request_grammar.h"
#include "viz/seed_directions.h"

namespace kelvaro::python {
namespace {

// One request as kelvaro-batch reads its words; a number outside the dialog's limits,
// which the tool clamps, is refused here.
ParsedRequest requestOf(const py::handle& given) {
    if (!PyUnicode_Check(given.ptr())) throw py::type_error("each request must be a str such as \"lines 20\"");
    const std::string text = py::str(given);
    std::string error;
    const std::optional<ParsedRequest> request = parseRequestText(text, error);
    if (!request) throw py::value_error("request \"" + text + "\": " + error);
    if (request->clamped) {
        throw py::value_error("request \"" + text +
                              "\": the number is outside the limits (1 to 100 lines a charge, 1 to 100000 "
                              "hedgehog lines, levels from -10 to 10, 0 to 100 plane levels and field lines)");
    }
    return *request;
}

// The value named `word` among `names` (a table of name, value pairs); ValueError naming
// the choices for any other word.
template <class Value, std::size_t count>
Value named(const py::handle& word, const std::pair<const char*, Value> (&names)[count], const char* what) {
    if (!PyUnicode_Check(word.ptr())) throw py::type_error(std::string(what) + " must be a str");
    const std::string given = py::str(word);
    std::string choices;
    for (const auto& [name, value] : names) {
        if (given == name) return value;
        choices += std::string(choices.empty() ? "" : " or ") + "\"" + name + "\"";
    }
    throw py::value_error(std::string(what) + " must be " + choices);
}

struct PictureArguments {
    py::object size, turn, zoom, samples, style, background;
    bool fit, labels, legend;
};

PictureOptions optionsOf(const PictureArguments& given) {
    PictureOptions options;
    const py::tuple sides = py::tuple(given.size);
    if (sides.size() != 2) throw py::value_error("size must be (width, height)");
    options.width = static_cast<int>(integerIn(sides[0], 1, maxPictureSide, "the width"));
    options.height = static_cast<int>(integerIn(sides[1], 1, maxPictureSide, "the height"));
    const py::tuple angles = py::tuple(given.turn);
    if (angles.size() != 2) throw py::value_error("turn must be (degrees about the vertical, degrees about the horizontal)");
    options.turnAboutVertical = realNumber(angles[0], "turn");
    options.turnAboutHorizontal = realNumber(angles[1], "turn");
    if (!std::isfinite(options.turnAboutVertical) || !std::isfinite(options.turnAboutHorizontal)) {
        throw py::value_error("turn must be finite");
    }
    options.fit = given.fit;
    options.zoom = realNumber(given.zoom, "zoom");
    if (!(options.zoom >= minZoom && options.zoom <= maxZoom)) {
        throw py::value_error("zoom must be a number from 0.01 to 100 (above 1 nearer)");
    }
    options.samples = static_cast<int>(integerIn(given.samples, 1, maxSamples, "samples"));
    options.style = named(given.style, pictureStyleNames, "style");
    options.background = named(given.background, pictureBackgroundNames, "background");
    options.chargeLabels = given.labels;
    options.legend = given.legend;
    return options;
}

py::array_t<std::uint8_t> picture(const Model& model, const py::object& requestWords, const PictureArguments& given) {
    if (PyUnicode_Check(requestWords.ptr())) {
        throw py::type_error("requests must be a sequence of str, such as (\"lines 20\",)");
    }
    std::vector<ParsedRequest> requests;
    for (const py::handle request : requestWords) requests.push_back(requestOf(request));
    const PictureOptions options = optionsOf(given);
    std::string why;
    if (options.fit && !pictureCameras(options, model.bounds(), 1, why)) {
        throw py::value_error("cannot frame the model: " + why);
    }
    for (const ParsedRequest& request : requests) {
        // As the batch tool, field lines read ElectronData in the current folder; read here
        // first so that a missing one is told apart from a lack of memory.
        if (request.kind == VisualisationRequest::Kind::FieldLines) readSeeds(seedFileName, request.count);
        // A plane that cannot be made on this model is told as such, not as a lack of memory.
        if (request.kind == VisualisationRequest::Kind::Plane) {
            const std::string problem = planeProblem(model, request.plane);
            if (!problem.empty()) throw py::value_error("request \"" + request.text + "\": " + problem);
        }
    }
    Ref<Group> scene;
    {
        const py::gil_scoped_release free;
        scene = model.buildModelGeometry();
        // A new generator for every picture, as each run of kelvaro-batch starts with one.
        Random15 generator;
        for (const ParsedRequest& request : requests) {
            if (!scene) break;
            const Ref<Group> built = buildRequest(request, model, &generator);
            if (built) {
                scene->add(*built);
            } else {
                scene.reset();
            }
        }
    }
    if (!scene) throw std::bad_alloc();
    std::vector<Picture> drawn;
    std::string error;
    if (!drawPictures(model, *scene, options, 1, drawn, error)) throw std::runtime_error(error);
    const Picture& only = drawn.front();
    const py::ssize_t height = only.height;
    const py::ssize_t width = only.width;
    py::array_t<std::uint8_t> rows({height, width, py::ssize_t{3}});
    // GL reads the rows from the bottom up; the picture's first row is its top.
    const auto rowBytes = static_cast<std::size_t>(3 * width);
    for (py::ssize_t y = 0; y < height; ++y) {
        std::memcpy(rows.mutable_data(y), only.rgb.data() + static_cast<std::size_t>(height - 1 - y) * rowBytes, rowBytes);
    }
    return rows;
}

}  // namespace

void bindPicture(py::module_& module) {
    module.def(
        "picture",
        [](const Model& model, const py::object& requests, const py::object& size, const py::object& turn, bool fit,
           const py::object& zoom, const py::object& samples, const py::object& style, const py::object& background,
           bool labels, bool legend) {
            return picture(model, requests, {size, turn, zoom, samples, style, background, fit, labels, legend});
        },
        py::arg("model"), py::arg("requests") = py::tuple(),
        py::arg("size") = py::make_tuple(startSceneWidth, startSceneHeight), py::arg("turn") = py::make_tuple(0, 0),
        py::kw_only(), py::arg("fit") = false, py::arg("zoom") = 1.0, py::arg("samples") = 1, py::arg("style") = "plain",
        py::arg("background") = "dark", py::arg("labels") = false, py::arg("legend") = false,
        "picture(model, requests=(), size=(626, 520), turn=(0, 0), *, fit=False, zoom=1.0, samples=1,\n"
        "        style=\"plain\", background=\"dark\", labels=False, legend=False) -> (H, W, 3) uint8\n\n"
        "The picture that kelvaro-batch png draws of `model` with `requests` and the same options,\n"
        "pixel for pixel: by default the program's start view at `size` (width, height; sides up to\n"
        "8192), turned by turn[0] degrees about the vertical axis and then turn[1] about the\n"
        "horizontal one. Requests are the batch tool's words: \"lines 20\", \"hedgehog 1000\",\n"
        "\"surface 5 leave\"; field lines read ElectronData in the current folder. `fit` places the\n"
        "camera so that the model's box fills the picture, `zoom` scales the view (0.01 to 100, above\n"
        "1 nearer), `samples` (1 to 4) draws samples x samples times larger and averages down,\n"
        "`style` is \"plain\" or \"teaching\" (red and blue charges, arrows, wide smooth lines) and\n"
        "`background` \"dark\" or \"light\" (white, with darker print colours), `labels` writes each\n"
        "charge's value beside it and `legend` adds the colour bars of a plane's potential and of\n"
        "lines coloured by strength (\"plane z 0\", \"lines 20 strength\"). Drawn without a\n"
        "display through EGL; ValueError when the box cannot be framed, RuntimeError when no GL\n"
        "context can be had or the picture is too large for it.");
}

}  // namespace kelvaro::python

// kelvaro.picture: the picture that kelvaro-batch png draws, from the batch tool's own
// request words, scene and drawing through EGL; kelvaro.Picture, a picture that shows
// itself in Jupyter, and Model._repr_png_.

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "python/bindings.h"
#include "render/offscreen_picture.h"
#include "render/picture_file.h"
#include "viz/request_grammar.h"

namespace kelvaro::python {
namespace {

// A drawn picture for Python: its pixels, rows from the top.
struct ShownPicture {
    py::array_t<std::uint8_t> pixels;
};

}  // namespace
}  // namespace kelvaro::python

KELVARO_PYTHON_CLASS(kelvaro::python::ShownPicture)

namespace kelvaro::python {
namespace {

// No GL context could be had, or the picture is too large for the one there is.
struct NoPicture : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One drawing at a time: the EGL display of the offscreen contexts is the process's own,
// and one drawing ends it.
std::mutex drawing;

// One request as kelvaro-batch reads its words; a number outside the dialog's limits,
// which the tool clamps, is refused here.
ParsedRequest requestOf(const py::handle& given) {
    const std::string text = textOf(given, "each request");
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
    const std::string given = textOf(word, what);
    std::string choices;
    for (const auto& [name, value] : names) {
        if (given == name) return value;
        choices += std::string(choices.empty() ? "" : " or ") + "\"" + name + "\"";
    }
    throw py::value_error(std::string(what) + " must be " + choices);
}

// The two items of `value`, a sequence of two that is no text.
std::pair<py::object, py::object> pairOf(const py::handle& value, const char* what, const char* form) {
    if (PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()) || !PySequence_Check(value.ptr())) {
        throw py::type_error(std::string(what) + " must be " + form + ", not " + typeName(value));
    }
    const py::sequence items = py::reinterpret_borrow<py::sequence>(value);
    if (items.size() != 2) throw py::value_error(std::string(what) + " must be " + form);
    return {items[0], items[1]};
}

struct PictureArguments {
    py::object size, turn, fit, zoom, samples, style, background, labels, legend;
};

PictureOptions optionsOf(const PictureArguments& given) {
    PictureOptions options;
    const auto [width, height] = pairOf(given.size, "size", "(width, height)");
    options.width = static_cast<int>(integerIn(width, 1, maxPictureSide, "size (the width)"));
    options.height = static_cast<int>(integerIn(height, 1, maxPictureSide, "size (the height)"));
    const auto [aboutVertical, aboutHorizontal] =
        pairOf(given.turn, "turn", "(degrees about the vertical, degrees about the horizontal)");
    options.turnAboutVertical = realNumber(aboutVertical, "turn");
    options.turnAboutHorizontal = realNumber(aboutHorizontal, "turn");
    if (!std::isfinite(options.turnAboutVertical) || !std::isfinite(options.turnAboutHorizontal)) {
        throw py::value_error("turn must be finite");
    }
    options.fit = flagOf(given.fit, "fit");
    options.zoom = realNumber(given.zoom, "zoom");
    if (!(options.zoom >= minZoom && options.zoom <= maxZoom)) {
        throw py::value_error("zoom must be a number from 0.01 to 100 (above 1 nearer)");
    }
    options.samples = static_cast<int>(integerIn(given.samples, 1, maxSamples, "samples"));
    options.style = named(given.style, pictureStyleNames, "style");
    options.background = named(given.background, pictureBackgroundNames, "background");
    options.chargeLabels = flagOf(given.labels, "labels");
    options.legend = flagOf(given.legend, "legend");
    return options;
}

// The picture of `model` with `requests`, as kelvaro-batch png draws it, rows from the
// bottom; field lines from the seed sets `seeds` holds, one entry a request.
Picture drawn(const Model& model, const std::vector<ParsedRequest>& requests, const std::vector<SeedSets>& seeds,
              const PictureOptions& options) {
    std::string why;
    if (options.fit && !pictureCameras(options, model.bounds(), 1, why)) throw py::value_error("cannot frame the model: " + why);
    std::vector<Picture> pictures;
    bool builtWhole = true;
    std::string error;
    runStoppable([&] {
        Ref<Group> scene = model.buildModelGeometry();
        // A new generator for every picture, as each run of kelvaro-batch starts with one.
        Random15 generator;
        for (std::size_t r = 0; r < requests.size() && scene; ++r) {
            const ParsedRequest& request = requests[r];
            const Ref<Group> built = request.kind == VisualisationRequest::Kind::FieldLines
                                         ? buildFieldLines(model, request, seeds[r])
                                         : buildRequest(request, model, &generator);
            if (built) {
                scene->add(*built);
            } else {
                scene.reset();
            }
        }
        builtWhole = static_cast<bool>(scene);
        if (!builtWhole) return;
        const std::lock_guard oneAtATime(drawing);
        if (!drawPictures(model, *scene, options, 1, pictures, error)) pictures.clear();
    });
    if (!builtWhole) throw std::bad_alloc();
    if (pictures.empty()) throw NoPicture(error);
    return std::move(pictures.front());
}

// The picture's rows from the top, as an (H, W, 3) uint8 array.
py::array_t<std::uint8_t> pixelsOf(const Picture& picture) {
    const py::ssize_t height = picture.height;
    const py::ssize_t width = picture.width;
    py::array_t<std::uint8_t> rows({height, width, py::ssize_t{3}});
    const auto rowBytes = static_cast<std::size_t>(3 * width);
    for (py::ssize_t y = 0; y < height; ++y) {
        std::memcpy(rows.mutable_data(y), picture.rgb.data() + static_cast<std::size_t>(height - 1 - y) * rowBytes, rowBytes);
    }
    return rows;
}

// The pixels of a Picture (any (H, W, 3) array) as a picture with its rows from the bottom.
Picture pictureOf(const ShownPicture& shown) {
    const auto pixels = py::array_t<std::uint8_t, py::array::c_style | py::array::forcecast>::ensure(shown.pixels);
    // libpng's own limit on a side, far below what the sizes here are counted in.
    constexpr py::ssize_t largestSide = 1000000;
    if (!pixels || pixels.ndim() != 3 || pixels.shape(2) != 3 || pixels.size() == 0 || pixels.shape(0) > largestSide ||
        pixels.shape(1) > largestSide) {
        throw py::value_error("pixels must be a non-empty (H, W, 3) array of uint8, sides up to 1000000");
    }
    Picture picture{static_cast<int>(pixels.shape(1)), static_cast<int>(pixels.shape(0)), {}};
    const auto rowBytes = static_cast<std::size_t>(3 * picture.width);
    picture.rgb.resize(rowBytes * static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(picture.rgb.data() + static_cast<std::size_t>(picture.height - 1 - y) * rowBytes, pixels.data(y), rowBytes);
    }
    return picture;
}

py::bytes pngOf(const ShownPicture& shown) {
    std::string error;
    const std::vector<std::uint8_t> bytes = pngBytes(pictureOf(shown), error);
    if (bytes.empty()) throw std::runtime_error("cannot encode the picture as PNG: " + error);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void savePng(const ShownPicture& shown, const py::object& given) {
    const GivenPath path = pathOf(given, "path");
    if (path.bytes.empty()) throw py::value_error("path is empty");
    const Picture picture = pictureOf(shown);
    std::string problem;
    {
        const py::gil_scoped_release free;
        problem = writePng(picture, path.bytes);
    }
    if (!problem.empty()) {
        PyErr_SetString(PyExc_OSError, ("cannot save the picture as " + shownPath(path) + ": " + problem).c_str());
        throw py::error_already_set();
    }
}

py::object picture(const Model& model, const py::object& requestWords, const PictureArguments& arguments,
                   const py::object& seeds, const py::object& asPicture) {
    const char* const sequenceOfWords = "requests must be a sequence of str, such as (\"lines 20\",)";
    if (PyUnicode_Check(requestWords.ptr()) || PyBytes_Check(requestWords.ptr())) throw py::type_error(sequenceOfWords);
    const py::object items = py::reinterpret_steal<py::object>(PyObject_GetIter(requestWords.ptr()));
    if (!items) {
        PyErr_Clear();
        throw py::type_error(sequenceOfWords);
    }
    std::vector<ParsedRequest> requests;
    for (const py::handle request : py::reinterpret_borrow<py::iterator>(items)) requests.push_back(requestOf(request));
    const PictureOptions options = optionsOf(arguments);
    const bool wanted = flagOf(asPicture, "as_picture");
    std::vector<SeedSets> seedSets(requests.size());
    for (std::size_t r = 0; r < requests.size(); ++r) {
        ParsedRequest& request = requests[r];
        settleLineMethod(request, options.style == PictureStyle::Teaching);
        if (request.kind == VisualisationRequest::Kind::FieldLines) seedSets[r] = seedSetsFor(model, request, seeds);
        // A probe outside the box or a plane that cannot be made is refused here, not taken
        // for a lack of memory.
        std::string refused = requestProblem(request, model);
        if (!refused.empty()) {
            refused.pop_back();
            throw py::value_error("request \"" + request.text + "\": " + refused);
        }
    }
    py::array_t<std::uint8_t> pixels = pixelsOf(drawn(model, requests, seedSets, options));
    if (wanted) return py::cast(ShownPicture{std::move(pixels)});
    return pixels;
}

}  // namespace

void bindPicture(py::module_& module, ModelClass& model) {
    py::class_<ShownPicture>(module, "Picture",
                             "A drawn picture that shows itself in Jupyter (_repr_png_): `pixels`, its (H, W, 3)\n"
                             "uint8 array (rows from the top), also np.asarray(picture); save(path) writes it as a PNG\n"
                             "file, the bytes kelvaro-batch png writes. Made by kelvaro.picture(..., as_picture=True).\n\n"
                             "Example: kelvaro.picture(model, [\"lines 10\"], as_picture=True).save(\"dipole.png\")")
        .def(py::init([](const py::object& pixels) {
                 return ShownPicture{py::array_t<std::uint8_t>::ensure(
                     arrayOf(pixels, py::dtype::of<std::uint8_t>(), {-1, -1, 3}, "pixels"))};
             }),
             py::arg("pixels"),
             "Picture(pixels: ArrayLike)\n\n"
             "A picture of a copy of `pixels`, (H, W, 3), as uint8.\n\n"
             "Raises TypeError for an array NumPy cannot convert, ValueError for another shape.\n\n"
             "Example: kelvaro.Picture(np.zeros((120, 160, 3), np.uint8))")
        .def("__reduce__", [](const ShownPicture& shown) {
            return py::make_tuple(py::type::of<ShownPicture>(), py::make_tuple(shown.pixels));
        })
        .def_readonly("pixels", &ShownPicture::pixels, "pixels: (H, W, 3) uint8, the picture's rows from the top.")
        .def(
            "__array__",
            [](const ShownPicture& shown, const py::object& dtype, const py::object&) {
                return dtype.is_none() ? py::object(shown.pixels) : shown.pixels.attr("astype")(dtype);
            },
            py::arg("dtype") = py::none(), py::arg("copy") = py::none(),
            "__array__(dtype=None, copy=None) -> numpy.ndarray: the pixels, for np.asarray(picture).")
        .def("_repr_png_", &pngOf, "_repr_png_() -> bytes: the picture as a PNG file, for Jupyter.")
        .def("save", &savePng, py::arg("path"),
             "save(path: str | bytes | os.PathLike) -> None\n\n"
             "Writes the picture as a PNG file, whole or not at all.\n\n"
             "Raises OSError, with the reason, when the file cannot be written; ValueError for an\n"
             "empty path or one with a NUL character.\n\n"
             "Example: picture.save(\"dipole.png\")")
        .def("__repr__", [](const ShownPicture& shown) {
            const py::tuple shape = shown.pixels.attr("shape");
            return "<kelvaro.Picture " + std::string(py::str(shape[1])) + "x" + std::string(py::str(shape[0])) + ">";
        });

    module.def(
        "picture",
        [](const Model& m, const py::object& requests, const py::object& size, const py::object& turn,
           const py::object& fit, const py::object& zoom, const py::object& samples, const py::object& style,
           const py::object& background, const py::object& labels, const py::object& legend, const py::object& seeds,
           const py::object& asPicture) {
            return picture(m, requests, {size, turn, fit, zoom, samples, style, background, labels, legend}, seeds,
                           asPicture);
        },
        py::arg("model"), py::arg("requests") = py::tuple(),
        py::arg("size") = py::make_tuple(startSceneWidth, startSceneHeight), py::arg("turn") = py::make_tuple(0, 0),
        py::kw_only(), py::arg("fit") = false, py::arg("zoom") = 1.0, py::arg("samples") = 1, py::arg("style") = "plain",
        py::arg("background") = "dark", py::arg("labels") = false, py::arg("legend") = false,
        py::arg("seeds") = py::none(), py::arg("as_picture") = false,
        "picture(model: Model, requests: Iterable[str] = (), size: tuple[int, int] = (626, 520),\n"
        "        turn: tuple[float, float] = (0, 0), *, fit: bool = False, zoom: float = 1.0, samples: int = 1,\n"
        "        style: str = 'plain', background: str = 'dark', labels: bool = False, legend: bool = False,\n"
        "        seeds: path | None = None, as_picture: bool = False) -> numpy.ndarray | Picture\n\n"
        "The picture that kelvaro-batch png draws of `model` with `requests` and the same options,\n"
        "pixel for pixel, as an (H, W, 3) uint8 array (rows from the top), or as a kelvaro.Picture\n"
        "that shows itself in Jupyter with `as_picture`. By default the program's start view at\n"
        "`size` (width, height in pixels; sides up to 8192), turned by turn[0] degrees about the\n"
        "vertical axis and then turn[1] about the horizontal one. Requests are the batch tool's\n"
        "words: \"lines 20\", \"lines 20 accurate proportional strength\", \"hedgehog 1000\",\n"
        "\"surface 5 leave\", \"plane z 0 fieldlines 8\", \"probe 0 0.5 0\", \"gauss 0 0 0 1\"; field lines\n"
        "read the seed file `seeds` (default: kelvaro.seed_file()) and are traced accurately in the\n"
        "teaching style unless their words say \"euler\". `fit` places the camera so that the model's\n"
        "box fills the picture, `zoom` scales the view (0.01 to 100, above 1 nearer), `samples` (1 to\n"
        "4) draws samples x samples times larger and averages down, `style` is \"plain\" or \"teaching\"\n"
        "(red and blue charges, arrows, wide smooth lines) and `background` \"dark\" or \"light\"\n"
        "(white, with darker print colours), `labels` writes each charge's value beside it and\n"
        "`legend` adds the colour bars of a plane's potential and of lines coloured by strength.\n"
        "Drawn without a display through EGL, the interpreter free meanwhile.\n\n"
        "Raises TypeError / ValueError naming the argument for a wrong value (a request with a\n"
        "number the batch tool would clamp, or with a NUL character, is refused whole, as is a plane\n"
        "the model's box does not hold), ValueError when the box cannot be framed, OSError / ValueError for the seed file as field_lines does,\n"
        "RuntimeError when no GL context can be had or the picture is too large for it;\n"
        "KeyboardInterrupt on Ctrl+C while the scene is built.\n\n"
        "Example: plt.imshow(kelvaro.picture(model, [\"lines 20\", \"surface 5 leave\"]))");

    model.def(
        "_repr_png_",
        [](const Model& m) -> py::object {
            PictureOptions options;
            options.style = PictureStyle::Teaching;
            Picture drawnPicture;
            try {
                drawnPicture = drawn(m, {}, {}, options);
            } catch (const NoPicture&) {
                return py::none();  // no GL here: Jupyter shows the text form instead
            }
            return pngOf(ShownPicture{pixelsOf(drawnPicture)});
        },
        "_repr_png_() -> bytes | None: the model's default picture in the teaching style, as a PNG\n"
        "file, for Jupyter (None where no GL context can be had).");
}

}  // namespace kelvaro::python

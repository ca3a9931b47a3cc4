#pragma once
// Pictures of a scene beside the window's own frames: their options in one plain struct,
// the cameras that frame the model, and drawing a picture larger and averaging it down.
// Works in whatever GL context is current; opens no window.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/frame.h"
#include "render/picture_file.h"

namespace kelvaro {

class ABox;

// Plain: the window's own look (--style plain); Teaching: see FrameLook::teaching.
enum class PictureStyle { Plain, Teaching };
enum class PictureBackground { Dark, Light };
// The words that name them, as kelvaro-batch's options and the Python module take them.
inline constexpr std::pair<const char*, PictureStyle> pictureStyleNames[] = {{"plain", PictureStyle::Plain},
                                                                          {"teaching", PictureStyle::Teaching}};
inline constexpr std::pair<const char*, PictureBackground> pictureBackgroundNames[] = {
    {"dark", PictureBackground::Dark}, {"light", PictureBackground::Light}};
inline constexpr std::pair<const char*, ViewAxis> viewAxisNames[] = {
    {"x", ViewAxis::X},        {"y", ViewAxis::Y},        {"z", ViewAxis::Z},
    {"-x", ViewAxis::MinusX}, {"-y", ViewAxis::MinusY}, {"-z", ViewAxis::MinusZ}};

// The largest width or height of a picture.
inline constexpr int maxPictureSide = 8192;
inline constexpr int maxSamples = 4;
inline constexpr double minZoom = 0.01;
inline constexpr double maxZoom = 100.0;

// How a picture is drawn. The defaults give the main window's start picture.
struct PictureOptions {
    int width = startSceneWidth;
    int height = startSceneHeight;
    std::optional<ViewAxis> view;      // the axis looked along before any turn (none: the start view)
    double turnAboutVertical = 0.0;    // degrees, first
    double turnAboutHorizontal = 0.0;  // degrees, then
    bool fit = false;                  // the camera placed so that the model's box fills the picture
    double zoom = 1.0;                 // the picture scaled about its centre (> 1 nearer), minZoom..maxZoom
    int samples = 1;                   // drawn samples x samples times larger and averaged down, 1..maxSamples
    PictureStyle style = PictureStyle::Plain;
    PictureBackground background = PictureBackground::Dark;
    bool chargeLabels = false;  // each charge's value beside it (FrameLook::chargeLabels)
    bool legend = false;        // the colour bars of the colours shown (FrameLook::legend)
};

// The frame look of the options.
FrameLook frameLook(const PictureOptions& options);

// The cameras of `frames` pictures that turn the scene once about the vertical axis:
// picture i is turned 360 i / frames degrees further about it than `options` asks (one
// picture: just as asked). With `fit` the camera stands, for all pictures alike, where
// the box's centre is in the middle of the picture and, in the picture where the box is
// largest, the box fills the picture up to a small margin at its nearest edge. Answers
// none, with the reason in `error`, when the box cannot be framed (flat, empty, not
// finite, or too small for its distance from the origin to place the camera in single
// precision).
std::optional<std::vector<Camera>> pictureCameras(const PictureOptions& options, const ABox& bounds, int frames,
                                                  std::string& error);

// Frames the box as `fit` does, in the camera's own direction and field of view: sets
// its pan, dolly and clipping planes. Answers why it cannot (the camera stays as it was),
// or an empty text.
std::string fitCamera(Camera& camera, const ABox& bounds);

// The part of the current drawable that the tiles of a picture are drawn in, in GL's
// window coordinates (y up).
struct DrawArea {
    int x = 0, y = 0, width = 0, height = 0;
};

// Draws a picture of width x height pixels at samples x samples per pixel: `draw` draws
// a frame into whatever viewport is set (it must not set one), as often as the larger
// picture needs tiles of `area`; each tile is read back and averaged down into `picture`.
// The viewport and scissor are restored afterwards. Answers false, with the reason in
// `error`, when the larger picture exceeds what the GL driver can draw.
bool drawSampled(int width, int height, int samples, const DrawArea& area, const std::function<void()>& draw,
                 Picture& picture, std::string& error);

}  // namespace kelvaro

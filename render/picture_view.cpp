#include "render/picture_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>

#include "scene/primitives.h"

namespace kelvaro {
namespace {

// The share of the picture's half-width (or half-height) that a fitted box may fill.
constexpr double fitFill = 0.95;
// The camera's fixed distance before the dolly (see drawFrame).
constexpr float fixedDistance = 2.6f;

double degreesToRadians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// The zoom (degrees added to the 30 degree field of view) that scales the picture by
// `factor`; exactly 0 for 1, so that an unzoomed picture keeps the start view's numbers.
float zoomForScale(double factor) {
    if (factor == 1.0) return 0.0f;
    const double fieldOfView = 2.0 * std::atan(std::tan(degreesToRadians(15.0)) / factor) * 180.0 / std::numbers::pi;
    return static_cast<float>(fieldOfView - 30.0);
}

struct Point3 {
    double x, y, z;
};

// The camera's rotation applied to p (the rotation is column-major, as GL uses it).
Point3 rotated(const float (&rotation)[16], const Point3& p) {
    return {rotation[0] * p.x + rotation[4] * p.y + rotation[8] * p.z,
            rotation[1] * p.x + rotation[5] * p.y + rotation[9] * p.z,
            rotation[2] * p.x + rotation[6] * p.y + rotation[10] * p.z};
}

// Why the box cannot be framed, or empty.
std::string unframeable(const ABox& box) {
    const float corners[6] = {box.min.x, box.min.y, box.min.z, box.max.x, box.max.y, box.max.z};
    for (float corner : corners) {
        if (!std::isfinite(corner)) return "the model's box has corners that are not finite";
    }
    if (!(box.max.x > box.min.x && box.max.y > box.min.y && box.max.z > box.min.z)) {
        return "the model's box is flat or empty";
    }
    return {};
}

// Where the camera stands: the box's centre straight ahead of the eye, `distance` away,
// and the nearest and farthest depths of the box.
struct Placement {
    double distance, nearest, farthest;
};

// The placement from which all `offsets` (corners relative to the box's centre, already
// turned into eye space) lie within the filled share of the picture, as near as possible,
// with the centre in the middle of the picture. A point at (x, y, z) from the centre, the
// centre `distance` away, appears at f x / aspect / (distance - z) across and
// f y / (distance - z) up, f being the cotangent of half the field of view; it stays
// within the share when |x| <= s (distance - z) with s = fitFill aspect / f (and likewise
// up), that is when distance >= |x| / s + z.
Placement placement(const std::vector<Point3>& offsets, double aspect, double halfViewTangent) {
    const double f = 1.0 / halfViewTangent;
    const double across = fitFill * aspect / f, up = fitFill / f;
    Placement result{-1e300, 1e300, -1e300};
    for (const Point3& p : offsets) {
        result.distance = std::max({result.distance, std::fabs(p.x) / across + p.z, std::fabs(p.y) / up + p.z});
    }
    for (const Point3& p : offsets) {
        result.nearest = std::min(result.nearest, result.distance - p.z);
        result.farthest = std::max(result.farthest, result.distance - p.z);
    }
    return result;
}

// Sets the pan, dolly and clipping planes of `camera` (its rotation set) for `place`.
// Answers false when single precision cannot hold that place closely enough.
bool placeCamera(Camera& camera, const Point3& centre, const Placement& place) {
    const Point3 turnedCentre = rotated(camera.rotation, centre);
    camera.pan[0] = static_cast<float>(-turnedCentre.x);
    camera.pan[1] = static_cast<float>(-turnedCentre.y);
    camera.dolly = static_cast<float>(place.distance - fixedDistance + turnedCentre.z);
    camera.nearPlane = static_cast<float>(0.9 * place.nearest);
    camera.farPlane = static_cast<float>(1.1 * place.farthest);
    // Where the centre lands as GL adds the single-precision shifts.
    const float depth = -fixedDistance - camera.dolly;
    const double tolerance = 1e-3 * place.distance;
    return std::isfinite(camera.dolly) && camera.nearPlane > 0.0f && std::isfinite(camera.farPlane) &&
           std::fabs(camera.pan[0] + turnedCentre.x) <= tolerance &&
           std::fabs(camera.pan[1] + turnedCentre.y) <= tolerance &&
           std::fabs(depth + turnedCentre.z + place.distance) <= tolerance;
}

// Places every camera (its rotation and aspect set) at one place from which the box, its
// centre in the middle, fits the picture of each, seen with a field of view whose half has
// the tangent `halfViewTangent`. Answers why it cannot, or an empty text.
std::string fitCameras(std::span<Camera> cameras, const ABox& bounds, double halfViewTangent) {
    std::string error = unframeable(bounds);
    if (!error.empty()) return error;
    const Point3 low{bounds.min.x, bounds.min.y, bounds.min.z}, high{bounds.max.x, bounds.max.y, bounds.max.z};
    const Point3 centre{0.5 * (low.x + high.x), 0.5 * (low.y + high.y), 0.5 * (low.z + high.z)};
    // The corners of every picture, turned into eye space, framed together: one place
    // for all, so that a turntable turns about a fixed point of the picture.
    std::vector<Point3> turnedCorners;
    for (const Camera& camera : cameras) {
        for (int k = 0; k < 8; ++k) {
            const Point3 corner{(k & 1 ? high.x : low.x) - centre.x, (k & 2 ? high.y : low.y) - centre.y,
                                (k & 4 ? high.z : low.z) - centre.z};
            turnedCorners.push_back(rotated(camera.rotation, corner));
        }
    }
    const Placement place = placement(turnedCorners, static_cast<double>(cameras.front().aspect), halfViewTangent);
    for (Camera& camera : cameras) {
        if (!std::isfinite(place.distance) || !placeCamera(camera, centre, place)) {
            return "the model's box is too small for its distance from the origin to frame it";
        }
    }
    return {};
}

}  // namespace

FrameLook frameLook(const PictureOptions& options) {
    return {options.style == PictureStyle::Teaching, options.background == PictureBackground::Light, options.samples,
            options.chargeLabels, options.legend};
}

std::optional<std::vector<Camera>> pictureCameras(const PictureOptions& options, const ABox& bounds, int frames,
                                                  std::string& error) {
    std::vector<Camera> cameras(static_cast<std::size_t>(std::max(frames, 1)));
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        Camera& camera = cameras[i];
        camera.aspect = aspectRatio(options.width, options.height);
        if (options.view) lookAlong(camera, *options.view);
        turnCamera(camera, options.turnAboutVertical + 360.0 * static_cast<double>(i) / static_cast<double>(cameras.size()),
                   options.turnAboutHorizontal);
        camera.zoom = zoomForScale(options.zoom);
    }
    if (!options.fit) return cameras;
    // Framed in the start view's field of view; the zoom scales the framed picture.
    error = fitCameras(cameras, bounds, std::tan(degreesToRadians(15.0)));
    if (!error.empty()) return std::nullopt;
    return cameras;
}

std::string fitCamera(Camera& camera, const ABox& bounds) {
    const double halfViewTangent = std::tan(degreesToRadians((static_cast<double>(camera.zoom) + 30.0) / 2.0));
    if (!(halfViewTangent > 0.0) || !std::isfinite(halfViewTangent)) return "the zoom leaves no field of view";
    Camera fitted = camera;
    const std::string error = fitCameras(std::span<Camera>(&fitted, 1), bounds, halfViewTangent);
    if (error.empty()) camera = fitted;
    return error;
}

bool drawSampled(int width, int height, int samples, const DrawArea& area, const std::function<void()>& draw,
                 Picture& picture, std::string& error) {
    const long long largeWidth = static_cast<long long>(width) * samples;
    const long long largeHeight = static_cast<long long>(height) * samples;
    GLint largest[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    if (largeWidth > largest[0] || largeHeight > largest[1]) {
        error = "the GL driver draws at most " + std::to_string(largest[0]) + "x" + std::to_string(largest[1]) +
                " pixels, and " + std::to_string(width) + "x" + std::to_string(height) + " at " +
                std::to_string(samples) + "x" + std::to_string(samples) + " samples needs " +
                std::to_string(largeWidth) + "x" + std::to_string(largeHeight);
        return false;
    }
    // Tiles hold whole blocks of samples x samples, so each picture pixel is made in one.
    const int tileWidth = area.width - area.width % samples, tileHeight = area.height - area.height % samples;
    if (tileWidth <= 0 || tileHeight <= 0) {
        error = "no room to draw in";
        return false;
    }
    const bool oneTile = tileWidth >= largeWidth && tileHeight >= largeHeight;
    picture = Picture{width, height, {}};
    picture.rgb.assign(3u * static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::vector<std::uint8_t> tile(3u * static_cast<std::size_t>(tileWidth) * static_cast<std::size_t>(tileHeight));
    const int blockArea = samples * samples;
    glPushAttrib(GL_VIEWPORT_BIT | GL_SCISSOR_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int top = 0; top < largeHeight; top += tileHeight) {
        for (int left = 0; left < largeWidth; left += tileWidth) {
            const int w = static_cast<int>(std::min<long long>(tileWidth, largeWidth - left));
            const int h = static_cast<int>(std::min<long long>(tileHeight, largeHeight - top));
            glViewport(area.x - left, area.y - top, static_cast<GLsizei>(largeWidth), static_cast<GLsizei>(largeHeight));
            if (!oneTile) {
                glEnable(GL_SCISSOR_TEST);
                glScissor(area.x, area.y, w, h);
            }
            draw();
            glReadPixels(area.x, area.y, w, h, GL_RGB, GL_UNSIGNED_BYTE, tile.data());
            // Rows run from the bottom up, in the tile as in the picture.
            for (int row = 0; row < h / samples; ++row) {
                for (int column = 0; column < w / samples; ++column) {
                    const std::size_t out = 3u * ((static_cast<std::size_t>(top / samples + row) * width) +
                                                  static_cast<std::size_t>(left / samples + column));
                    for (int channel = 0; channel < 3; ++channel) {
                        int sum = 0;
                        for (int dy = 0; dy < samples; ++dy) {
                            const std::size_t in = 3u * (static_cast<std::size_t>(row * samples + dy) * w +
                                                         static_cast<std::size_t>(column * samples));
                            for (int dx = 0; dx < samples; ++dx) sum += tile[in + 3u * dx + channel];
                        }
                        picture.rgb[out + channel] = static_cast<std::uint8_t>((sum + blockArea / 2) / blockArea);
                    }
                }
            }
        }
    }
    glPopAttrib();
    return true;
}

}  // namespace kelvaro

#include "render/offscreen_picture.h"

#include <algorithm>

#include "render/print_colours.h"
#include "model/model.h"
#include "render/offscreen_gl.h"

namespace kelvaro {
namespace {

// The largest side of the pbuffer that tiles are drawn in: a larger picture (at its
// samples) is drawn in several tiles.
constexpr int largestTileSide = 4096;

int tileSide(long long side, int samples) {
    const int largest = largestTileSide - largestTileSide % samples;
    return static_cast<int>(std::min<long long>(side, largest));
}

}  // namespace

bool drawPictures(const Model& model, const Group& scene, const PictureOptions& options, int frames,
                  std::vector<Picture>& pictures, std::string& error) {
    const auto cameras = pictureCameras(options, model.bounds(), frames, error);
    if (!cameras) {
        error = "cannot frame the model: " + error;
        return false;
    }
    const long long pixels = static_cast<long long>(options.width) * options.height * static_cast<long long>(cameras->size());
    if (pixels > maxPicturePixels) {
        error = "too large: " + std::to_string(cameras->size()) + " pictures of " + std::to_string(options.width) + "x" +
                std::to_string(options.height) + " exceed " + std::to_string(maxPicturePixels) + " pixels in all";
        return false;
    }
    const int samples = options.samples;
    const int tileWidth = tileSide(static_cast<long long>(options.width) * samples, samples);
    const int tileHeight = tileSide(static_cast<long long>(options.height) * samples, samples);
    const FrameLook look = frameLook(options);
    bool contextMade = false;
    const auto drawAll = [&](const DrawArea& area, std::string& why) {
        contextMade = true;
        if (look.light && !PrintColours(true).ok()) {
            why = "the GL driver cannot draw print colours (it compiles no GLSL fragment shader)";
            return false;
        }
        pictures.assign(cameras->size(), Picture{});
        for (std::size_t i = 0; i < cameras->size(); ++i) {
            const Camera& camera = (*cameras)[i];
            const auto drawOne = [&] {
                setUpLighting();
                drawFrame(camera, &scene, &model, look);
            };
            if (!drawSampled(options.width, options.height, samples, area, drawOne, pictures[i], why)) {
                why = "too large: " + why;
                return false;
            }
        }
        return true;
    };
    std::string why;
    if (withOffscreenGl(tileWidth, tileHeight, drawAll, why)) return true;
    error = contextMade ? why : "no usable GL context: " + why;
    return false;
}

}  // namespace kelvaro

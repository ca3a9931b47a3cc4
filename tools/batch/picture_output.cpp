#include "tools/batch/picture_output.h"

#include <string>

#include "app/frame.h"
#include "app/picture_file.h"
#include "tools/batch/batch_run.h"
#include "tools/batch/offscreen_gl.h"

namespace kelvaro::batch {

bool drawPicture(const Group& scene, const Command& command, Picture& picture, std::string& error) {
    Camera camera;
    camera.aspect = aspectRatio(command.width, command.height);
    turnCamera(camera, command.turnAboutVertical, command.turnAboutHorizontal);
    const auto drawStartView = [&] {
        setUpLighting();
        drawFrame(camera, &scene);
    };
    return drawOffscreen(command.width, command.height, drawStartView, picture, error);
}

bool writePicture(const Group& scene, const Command& command, std::FILE* err) {
    Picture picture;
    std::string error;
    if (!drawPicture(scene, command, picture, error)) {
        std::fprintf(err, "kelvaro-batch: no usable GL context: %s\n", error.c_str());
        return false;
    }
    error = writePng(picture, command.outputPath);
    return error.empty() || cannotWrite(command.outputPath, error, err);
}

}  // namespace kelvaro::batch

#include "tools/batch/picture_output.h"

#include <string>

#include "app/frame.h"
#include "app/picture_file.h"
#include "tools/batch/batch_run.h"
#include "tools/batch/offscreen_gl.h"

namespace kelvaro::batch {

bool writePicture(const Group& scene, const Command& command, std::FILE* err) {
    Camera camera;
    camera.aspect = aspectRatio(command.width, command.height);
    turnCamera(camera, command.turnAboutVertical, command.turnAboutHorizontal);
    Picture picture;
    std::string error;
    const auto drawStartView = [&] {
        setUpLighting();
        drawFrame(camera, &scene);
    };
    if (!drawOffscreen(command.width, command.height, drawStartView, picture, error)) {
        std::fprintf(err, "kelvaro-batch: no usable GL context: %s\n", error.c_str());
        return false;
    }
    error = writePng(picture, command.outputPath);
    return error.empty() || cannotWrite(command.outputPath, error, err);
}

}  // namespace kelvaro::batch

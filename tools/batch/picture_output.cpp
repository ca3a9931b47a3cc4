#include "tools/batch/picture_output.h"

#include <string>
#include <vector>

#include "render/gif_file.h"
#include "render/picture_file.h"
#include "tools/batch/batch_run.h"
#include "render/offscreen_picture.h"

namespace kelvaro::batch {

bool writePicture(const Model& model, const Group& scene, const Command& command, std::FILE* err) {
    const bool gif = command.mode == Mode::Gif;
    std::vector<Picture> pictures;
    std::string error;
    if (!drawPictures(model, scene, command.picture, gif ? command.frames : 1, pictures, error)) {
        std::fprintf(err, "kelvaro-batch: %s\n", error.c_str());
        return false;
    }
    error = gif ? writeGif(pictures, command.seconds, command.outputPath) : writePng(pictures.front(), command.outputPath);
    return error.empty() || cannotWrite(command.outputPath, error, err);
}

}  // namespace kelvaro::batch

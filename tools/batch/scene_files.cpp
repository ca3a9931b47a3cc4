#include "tools/batch/scene_files.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/frame.h"
#include "app/picture_file.h"
#include "app/whole_file.h"
#include "tools/batch/material_library.h"
#include "tools/batch/offscreen_gl.h"

namespace kelvaro::batch {
namespace {

bool cannotWrite(const std::string& path, const std::string& why, std::FILE* err) {
    std::fprintf(err, "kelvaro-batch: cannot write %s: %s\n", path.c_str(), why.c_str());
    return false;
}

std::string materialPathFor(const std::string& objPath) {
    const std::size_t stem = objPath.size() >= 4 && strcasecmp(objPath.c_str() + objPath.size() - 4, ".obj") == 0
                                 ? objPath.size() - 4
                                 : objPath.size();
    return objPath.substr(0, stem) + ".mtl";
}

}  // namespace

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

bool writeObjFiles(const std::string& objPath, const std::function<void(ObjWriter&)>& writeElements, std::FILE* err) {
    const std::string mtlPath = materialPathFor(objPath);
    WholeFile objFile(objPath);
    if (!objFile.stream()) return cannotWrite(objPath, objFile.error(), err);
    WholeFile mtlFile(mtlPath);
    if (!mtlFile.stream()) return cannotWrite(mtlPath, mtlFile.error(), err);

    MaterialLibrary materials;
    ObjWriter obj(objFile.stream());
    obj.useMaterials(materials);
    const std::string mtlName = std::filesystem::path(mtlPath).filename().string();
    const bool headed = std::fprintf(objFile.stream(), "mtllib %s\n", mtlName.c_str()) >= 0;
    writeElements(obj);
    if (!headed || !obj.good()) return cannotWrite(objPath, std::strerror(errno), err);
    if (!materials.write(mtlFile.stream())) return cannotWrite(mtlPath, std::strerror(errno), err);
    if (!mtlFile.commit()) return cannotWrite(mtlPath, mtlFile.error(), err);
    if (!objFile.commit()) {
        std::remove(mtlPath.c_str());  // of no use without its OBJ file
        return cannotWrite(objPath, objFile.error(), err);
    }
    return true;
}

}  // namespace kelvaro::batch

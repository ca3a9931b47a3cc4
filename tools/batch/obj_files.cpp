#include "tools/batch/obj_files.h"

#include <strings.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/whole_file.h"
#include "tools/batch/batch_run.h"
#include "tools/batch/material_library.h"

namespace kelvaro::batch {
namespace {

std::string materialPathFor(const std::string& objPath) {
    const std::size_t stem = objPath.size() >= 4 && strcasecmp(objPath.c_str() + objPath.size() - 4, ".obj") == 0
                                 ? objPath.size() - 4
                                 : objPath.size();
    return objPath.substr(0, stem) + ".mtl";
}

}  // namespace

std::string objNameProblem(const std::string& objPath) {
    const std::string name = std::filesystem::path(objPath).filename().string();
    if (name.find_first_of(" \t\n\r\v\f") == std::string::npos) return {};
    return "the name after -o holds a blank or a line break, where OBJ readers would cut the name of its MTL file "
           "(on the OBJ file's mtllib line); choose a name without them";
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
    // The MTL file takes its place first: an OBJ file never names materials it lacks.
    const WholeFile* failed = commitTogether({&mtlFile, &objFile});
    return failed == nullptr || cannotWrite(failed == &objFile ? objPath : mtlPath, failed->error(), err);
}

}  // namespace kelvaro::batch

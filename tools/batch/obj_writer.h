#pragma once
// Writes scene objects as a Wavefront OBJ file: lines and polylines as "l" elements,
// triangles as "f" elements with their vertex normals, spheres as small meshes. Given a
// material library, each element also names the material it is drawn with.

#include <cstdio>
#include <string>

#include "scene/primitives.h"
#include "scene/scene_object.h"
#include "tools/batch/material_library.h"

namespace kelvaro::batch {

class ObjWriter {
public:
    explicit ObjWriter(std::FILE* stream) : stream_(stream) {}

    // From now on, elements are preceded by "usemtl" with the material of the attribute
    // set that the program would have applied last when drawing them, as `materials`
    // names it (which must outlive the writer). Elements drawn before any set name none.
    void useMaterials(MaterialLibrary& materials) { materials_ = &materials; }

    // Starts the named group that the following elements belong to.
    void beginGroup(const std::string& name);
    // Writes `object` and, for a Group, everything below it. Objects without geometry of
    // their own (attribute sets, lone points, boxes) are skipped.
    void write(const SceneObject& object);
    // True while every write so far has succeeded.
    bool good() const { return good_; }

private:
    void element();  // before each element: its material, when that changed
    void putVector(const char* key, const Vector3& v);
    void vertex(const Vector3& p);
    void normal(const Vector3& n);
    void writeSphere(const Sphere& sphere);
    void writeLine(const Line& line);
    void writePolyLine(const PolyLine& line);
    void writeTriangle(const Triangle& triangle);
    void put(const char* format, ...) __attribute__((format(printf, 2, 3)));

    std::FILE* stream_;
    long vertices_ = 0;  // written so far; OBJ numbers them from 1
    long normals_ = 0;
    bool good_ = true;
    MaterialLibrary* materials_ = nullptr;
    std::string currentMaterial_;  // of the last set met in drawing order
    std::string usedMaterial_;     // named by the last "usemtl" in the present group
};

}  // namespace kelvaro::batch

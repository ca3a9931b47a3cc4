#pragma once
// Writes scene objects as a Wavefront OBJ file: lines and polylines as "l" elements,
// triangles as "f" elements with their vertex normals, spheres as small meshes, the colour
// map of a plane as a mesh of its cells. Given a material library, each element also names
// the material it is drawn with. OBJ has no colour at a vertex: an element with vertex
// colours (lines coloured by strength, a plane's cells) takes a plain material of the mean
// colour of its vertices, rounded to 32 steps a channel (colourStep), and a polyline is
// split into runs of one such material.

#include <cstdio>
#include <initializer_list>
#include <string>

#include "scene/primitives.h"
#include "scene/scene_object.h"
#include "scene/shaded_primitives.h"
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
    void writeShadedLine(const ShadedLine& line);
    void writeShadedPolyLine(const ShadedPolyLine& line);
    void writeShadedGrid(const ShadedGrid& grid);
    // Makes the material of the mean of `colours` the current one (with a library).
    void useMeanColour(std::initializer_list<Vector3> colours);
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

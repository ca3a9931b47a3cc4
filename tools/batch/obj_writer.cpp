#include "tools/batch/obj_writer.h"

#include <cmath>
#include <cstdarg>

#include "common/number_text.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "tools/batch/sphere_directions.h"

namespace kelvaro::batch {
namespace {

// The steps a channel of a vertex colour is rounded to for its material.
constexpr float colourStep = 32.0f;

}  // namespace

void ObjWriter::put(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    if (std::vfprintf(stream_, format, arguments) < 0) good_ = false;
    va_end(arguments);
}

// Nine significant digits give every float back exactly.
void ObjWriter::putVector(const char* key, const Vector3& v) {
    put("%s %s %s %s\n", key, numberText(v.x, 9).c_str(), numberText(v.y, 9).c_str(), numberText(v.z, 9).c_str());
}

void ObjWriter::vertex(const Vector3& p) {
    putVector("v", p);
    ++vertices_;
}

void ObjWriter::normal(const Vector3& n) {
    putVector("vn", n);
    ++normals_;
}

void ObjWriter::beginGroup(const std::string& name) {
    put("g %s\n", name.c_str());
    usedMaterial_.clear();
}

void ObjWriter::element() {
    if (currentMaterial_ == usedMaterial_) return;
    put("usemtl %s\n", currentMaterial_.c_str());
    usedMaterial_ = currentMaterial_;
}

void ObjWriter::write(const SceneObject& object) {
    // A set without a colour draws nothing, so the one before it stays in effect.
    const auto* attributed = dynamic_cast<const AttributedObject*>(&object);
    if (materials_ && attributed && attributed->attributes() && attributed->attributes()->has(AttributeSet::ColorSet)) {
        currentMaterial_ = materials_->nameFor(*attributed->attributes());
    }
    if (const auto* group = dynamic_cast<const Group*>(&object)) {
        for (std::int32_t i = 0; i < group->count(); ++i) write(group->child(i));
    } else if (const auto* shadedLine = dynamic_cast<const ShadedLine*>(&object)) {
        writeShadedLine(*shadedLine);
    } else if (const auto* shadedPolyLine = dynamic_cast<const ShadedPolyLine*>(&object)) {
        writeShadedPolyLine(*shadedPolyLine);
    } else if (const auto* grid = dynamic_cast<const ShadedGrid*>(&object)) {
        writeShadedGrid(*grid);
    } else if (const auto* line = dynamic_cast<const Line*>(&object)) {
        writeLine(*line);
    } else if (const auto* polyLine = dynamic_cast<const PolyLine*>(&object)) {
        writePolyLine(*polyLine);
    } else if (const auto* triangle = dynamic_cast<const Triangle*>(&object)) {
        writeTriangle(*triangle);
    } else if (const auto* sphere = dynamic_cast<const Sphere*>(&object)) {
        writeSphere(*sphere);
    }
}

void ObjWriter::writeLine(const Line& line) {
    element();
    vertex(line.start);
    vertex(line.end);
    put("l %ld %ld\n", vertices_ - 1, vertices_);
}

void ObjWriter::writePolyLine(const PolyLine& line) {
    if (line.count() < 2) return;  // draws nothing
    element();
    for (std::int32_t i = 0; i < line.count(); ++i) vertex(line.point(i));
    put("l");
    for (long i = vertices_ - line.count() + 1; i <= vertices_; ++i) put(" %ld", i);
    put("\n");
}

void ObjWriter::writeTriangle(const Triangle& triangle) {
    element();
    for (const Vector3& corner : triangle.vertices) vertex(corner);
    long normalIndex[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (!triangle.hasNormal[i]) continue;
        normal(triangle.normals[i]);
        normalIndex[i] = normals_;
    }
    put("f");
    for (int i = 0; i < 3; ++i) {
        const long v = vertices_ - 2 + i;
        if (normalIndex[i] != 0) {
            put(" %ld//%ld", v, normalIndex[i]);
        } else {
            put(" %ld", v);
        }
    }
    put("\n");
}

void ObjWriter::useMeanColour(std::initializer_list<Vector3> colours) {
    if (!materials_) return;
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (const Vector3& colour : colours) {
        sum[0] += colour.x;
        sum[1] += colour.y;
        sum[2] += colour.z;
    }
    const auto rounded = [&](float total) {
        return std::round(total / static_cast<float>(colours.size()) * colourStep) / colourStep;
    };
    currentMaterial_ = materials_->nameForColour({rounded(sum[0]), rounded(sum[1]), rounded(sum[2])});
}

void ObjWriter::writeShadedLine(const ShadedLine& line) {
    const std::string own = currentMaterial_;
    useMeanColour({line.startColour, line.endColour});
    writeLine(line);
    currentMaterial_ = own;
}

// The points once, then the segments in runs of one material.
void ObjWriter::writeShadedPolyLine(const ShadedPolyLine& line) {
    if (line.count() < 2) return;  // draws nothing
    const std::string own = currentMaterial_;
    const long first = vertices_ + 1;
    for (std::int32_t i = 0; i < line.count(); ++i) vertex(line.point(i));
    for (std::int32_t from = 0; from + 1 < line.count();) {
        useMeanColour({line.colour(from), line.colour(from + 1)});
        const std::string material = currentMaterial_;
        std::int32_t to = from + 1;
        for (; to + 1 < line.count(); ++to) {
            useMeanColour({line.colour(to), line.colour(to + 1)});
            if (currentMaterial_ != material) break;
        }
        currentMaterial_ = material;
        element();
        put("l");
        for (std::int32_t i = from; i <= to; ++i) put(" %ld", first + i);
        put("\n");
        from = to;
    }
    currentMaterial_ = own;
}

// Every node once, then every cell as a quad.
void ObjWriter::writeShadedGrid(const ShadedGrid& grid) {
    const std::string own = currentMaterial_;
    const long first = vertices_ + 1;
    const int columns = grid.columns();
    for (int j = 0; j < grid.rows(); ++j) {
        for (int i = 0; i < columns; ++i) vertex(grid.node(i, j));
    }
    for (int j = 0; j + 1 < grid.rows(); ++j) {
        for (int i = 0; i + 1 < columns; ++i) {
            useMeanColour({grid.colour(i, j), grid.colour(i + 1, j), grid.colour(i + 1, j + 1), grid.colour(i, j + 1)});
            element();
            const long corner = first + i + static_cast<long>(columns) * j;
            put("f %ld %ld %ld %ld\n", corner, corner + 1, corner + 1 + columns, corner + columns);
        }
    }
    currentMaterial_ = own;
}

// A latitude-longitude mesh around the centre, of the radius the program draws (the x
// of the first semi-axis): poles shared, quads as two triangles, outward normals.
void ObjWriter::writeSphere(const Sphere& sphere) {
    element();
    const double radius = sphere.axes[0].x;
    const long first = vertices_ + 1;
    const long firstNormal = normals_ + 1;
    for (const Vector3& direction : sphereDirections) {
        vertex({static_cast<float>(sphere.center.x + radius * direction.x),
                static_cast<float>(sphere.center.y + radius * direction.y),
                static_cast<float>(sphere.center.z + radius * direction.z)});
        normal(direction);
    }
    const long south = first + 1 + static_cast<long>(sphereSlices) * (sphereStacks - 1);
    const auto ring = [&](int stack, int slice) { return first + 1 + (stack - 1) * sphereSlices + slice % sphereSlices; };
    const auto face = [&](long a, long b, long c) {
        put("f %ld//%ld %ld//%ld %ld//%ld\n", a, a - first + firstNormal, b, b - first + firstNormal, c,
            c - first + firstNormal);
    };
    for (int slice = 0; slice < sphereSlices; ++slice) {
        face(first, ring(1, slice), ring(1, slice + 1));
        for (int stack = 1; stack + 1 < sphereStacks; ++stack) {
            face(ring(stack, slice), ring(stack + 1, slice), ring(stack + 1, slice + 1));
            face(ring(stack, slice), ring(stack + 1, slice + 1), ring(stack, slice + 1));
        }
        face(ring(sphereStacks - 1, slice), south, ring(sphereStacks - 1, slice + 1));
    }
}

}  // namespace kelvaro::batch

#include "tools/batch/request_stats.h"

#include "scene/group.h"
#include "scene/primitives.h"

namespace kelvaro::batch {

SceneSize measure(const SceneObject& object) {
    SceneSize size;
    if (const auto* group = dynamic_cast<const Group*>(&object)) {
        for (std::int32_t i = 0; i < group->count(); ++i) {
            const SceneSize child = measure(group->child(i));
            size.polylines += child.polylines;
            size.linePoints += child.linePoints;
            size.triangles += child.triangles;
        }
    } else if (dynamic_cast<const Line*>(&object) != nullptr) {
        size.linePoints = 2;
    } else if (const auto* polyLine = dynamic_cast<const PolyLine*>(&object)) {
        size.polylines = 1;
        size.linePoints = polyLine->count();
    } else if (dynamic_cast<const Triangle*>(&object) != nullptr) {
        size.triangles = 1;
    }
    return size;
}

void writeRequestStats(std::FILE* out, const ParsedRequest& request, double buildMilliseconds, const SceneObject* built) {
    const SceneSize size = built != nullptr ? measure(*built) : SceneSize{};
    std::fprintf(out, "request: %s\nbuild_ms: %.3f\npolylines: %ld\nline_points: %ld\ntriangles: %ld\n",
                 request.text.c_str(), buildMilliseconds, size.polylines, size.linePoints, size.triangles);
}

}  // namespace kelvaro::batch

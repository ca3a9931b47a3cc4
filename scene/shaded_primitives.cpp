#include "scene/shaded_primitives.h"

#include <stdexcept>
#include <utility>

#include "common/number_text.h"
#include "scene/print_checked.h"

namespace kelvaro {
ShadedGrid::ShadedGrid(int axis, float level, std::vector<float> us, std::vector<float> vs, std::vector<Vector3> colours)
    : AttributedObject(ShadedGridType),
      axis_(axis),
      level_(level),
      us_(std::move(us)),
      vs_(std::move(vs)),
      colours_(std::move(colours)) {
    if (axis_ < 0 || axis_ > 2 || colours_.size() != us_.size() * vs_.size()) {
        throw std::invalid_argument("a shaded grid needs an axis and a colour for every node");
    }
}

Vector3 pointInPlane(int axis, float level, float u, float v) {
    float coordinates[3];
    coordinates[axis] = level;
    coordinates[(axis + 1) % 3] = u;
    coordinates[(axis + 2) % 3] = v;
    return {coordinates[0], coordinates[1], coordinates[2]};
}

Vector3 ShadedGrid::node(int i, int j) const {
    return pointInPlane(axis_, level_, us_[static_cast<std::size_t>(i)], vs_[static_cast<std::size_t>(j)]);
}

bool ShadedGrid::print(std::FILE* stream) const {
    const auto range = [&](const std::vector<float>& values, const char* ending) {
        return values.empty() ? printChecked(stream, "0%s", ending)
                              : printChecked(stream, "%s, %s, %d%s", numberText(values.front()).c_str(),
                                             numberText(values.back()).c_str(), static_cast<int>(values.size()), ending);
    };
    return printChecked(stream, "ShadedGrid(") && printAttributes(stream) &&
           printChecked(stream, "%c = %s; ", "xyz"[axis_], numberText(level_).c_str()) && range(us_, "; ") &&
           range(vs_, ")\n");
}

}  // namespace kelvaro

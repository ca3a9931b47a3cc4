#include "scene/point_array.h"

#include <algorithm>
#include <utility>

namespace kelvaro {

PointArray::PointArray(std::int32_t capacity)
    : points_(new Vector3[static_cast<std::size_t>(std::max(capacity, 0))]), capacity_(capacity) {}

PointArray::PointArray(const PointArray& source)
    : points_(new Vector3[static_cast<std::size_t>(source.count_)]), count_(source.count_), capacity_(source.count_) {
    std::copy(source.points_.get(), source.points_.get() + source.count_, points_.get());
}

PointArray::PointArray(std::unique_ptr<Vector3[]> points, std::int32_t count)
    : points_(std::move(points)), count_(count), capacity_(count) {}

void PointArray::append(const Vector3& point) {
    if (count_ < capacity_) points_[count_++] = point;
}

}  // namespace kelvaro

#pragma once
// PointArray: a fixed-capacity sequence of points; the storage of a PolyLine.

#include <cstdint>
#include <memory>

#include "common/vector3.h"

namespace kelvaro {

class PointArray {
public:
    // Room for `capacity` points, none stored. The capacity never changes.
    explicit PointArray(std::int32_t capacity);
    // An exact-size copy: its capacity is the source's count.
    PointArray(const PointArray& source);
    // Takes over `points`, holding `count` points, as exactly-sized storage.
    PointArray(std::unique_ptr<Vector3[]> points, std::int32_t count);
    PointArray& operator=(const PointArray&) = delete;
    virtual ~PointArray() = default;

    // Stores `point` after the others while there is room; a full array drops it.
    void append(const Vector3& point);
    // Forgets every stored point (the count becomes 0), keeping the storage.
    void clear() { count_ = 0; }

    std::int32_t count() const { return count_; }
    std::int32_t capacity() const { return capacity_; }
    const Vector3& point(std::int32_t index) const { return points_[index]; }

private:
    std::unique_ptr<Vector3[]> points_;
    std::int32_t count_ = 0;
    std::int32_t capacity_;
};

}  // namespace kelvaro

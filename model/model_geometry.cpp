#include <new>

#include "model/model.h"
#include "model/model_colors.h"

namespace kelvaro {
namespace {

// Colours `object`, adds it to `group` (which retains it) and lets the creator's
// reference go with the Ref; false when the object could not be created.
template <class T>
bool addColored(Group& group, Ref<T> object, const Vector3& color) {
    if (!object) return false;
    object->setColor(color);
    group.add(*object);
    return true;
}

}  // namespace

Ref<Group> Model::buildModelGeometry() const {
    try {
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return result;
        const auto radius = static_cast<float>(chargeRadius_);
        for (const Charge& charge : charges()) {
            Ref<Sphere> sphere = create<Sphere>(radius);
            if (sphere) sphere->setCenter(charge.position);
            if (!addColored(*result, std::move(sphere), chargeColor)) return {};
        }
        if (axesOn_ && !addAxes(*result)) return {};
        return result;
    } catch (const std::bad_alloc&) {  // the group's array could not grow
        return {};
    }
}

bool Model::addAxes(Group& group) const {
    const Vector3& low = bounds_->min;
    const Vector3& high = bounds_->max;
    return addColored(group, create<Line>(Vector3{low.x, 0.0f, 0.0f}, Vector3{high.x, 0.0f, 0.0f}), axisColor) &&
           addColored(group, create<Line>(Vector3{0.0f, low.y, 0.0f}, Vector3{0.0f, high.y, 0.0f}), axisColor) &&
           addColored(group, create<Line>(Vector3{0.0f, 0.0f, low.z}, Vector3{0.0f, 0.0f, high.z}), axisColor);
}

}  // namespace kelvaro

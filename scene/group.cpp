#include "scene/group.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace kelvaro {

namespace {

SceneObject** resizedSlots(SceneObject** slots, std::int32_t count) {
    const std::size_t bytes = sizeof(SceneObject*) * static_cast<std::size_t>(count);
    auto* resized = static_cast<SceneObject**>(std::realloc(slots, bytes));
    if (resized == nullptr) throw std::bad_alloc();
    return resized;
}

}  // namespace

Group::Group(std::int32_t capacity, std::int32_t growthStep)
    : AttributedObject(GroupType),
      capacity_(capacity),
      growthStep_(growthStep),
      reserved_(std::max(capacity, 1)),
      children_(resizedSlots(nullptr, reserved_)) {}

Group::~Group() {
    for (std::int32_t i = 0; i < count_; ++i) children_[i]->release();
    std::free(children_);
}

Group& Group::add(SceneObject& child) {
    if (count_ >= capacity_ - 1) {
        // A growth step below one would leave no free slot and write past the array.
        const std::int32_t grown = capacity_ + std::max(growthStep_, 1);
        if (grown > reserved_) {
            const std::int32_t reserve = std::max(grown, reserved_ + reserved_ / 2);
            children_ = resizedSlots(children_, reserve);
            reserved_ = reserve;
        }
        capacity_ = grown;
    }
    child.retain();
    children_[count_++] = &child;
    return *this;
}

bool Group::print(std::FILE* stream) const {
    std::fputs("Group(", stream);
    for (std::int32_t i = 0; i < count_; ++i) {
        if (!children_[i]->print(stream)) return false;
        if (i + 1 < count_) std::fputs(";", stream);
    }
    std::fputs(")", stream);
    return true;
}

void Group::draw() const {
    drawAttributes();
    for (std::int32_t i = 0; i < count_; ++i) children_[i]->draw();
}

}  // namespace kelvaro

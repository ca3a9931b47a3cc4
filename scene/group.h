#pragma once
// Group: an ordered list of child scene objects, drawn in insertion order.

#include <cstdint>

#include "scene/scene_object.h"

namespace kelvaro {

class Group : public AttributedObject {
public:
    // Room for `capacity` children; the array grows by `growthStep` slots at a time.
    Group(std::int32_t capacity, std::int32_t growthStep);

    // Appends `child` after the existing children and retains it; answers this group.
    // The array grows once `count` reaches `capacity` - 1, so a slot is always free.
    // Raises std::bad_alloc, leaving the group and the child as they were, when the array
    // cannot grow; the builders answer none then.
    Group& add(SceneObject& child);

    std::int32_t count() const { return count_; }
    std::int32_t capacity() const { return capacity_; }
    std::int32_t growthStep() const { return growthStep_; }
    SceneObject& child(std::int32_t index) const { return *children_[index]; }

    // "Group(" then the children's text forms separated by ";" then ")". The group's own
    // writes are not checked and its attribute set is not printed; a child that fails
    // ends the print with false.
    bool print(std::FILE* stream) const override;
    // Applies the group's set, if any, then draws every child in order.
    void draw() const override;

protected:
    // Releases the children in order, then the attribute set.
    ~Group() override;

private:
    std::int32_t count_ = 0;
    std::int32_t capacity_;  // slots for children: grows by growthStep_ whenever one slot is left
    std::int32_t growthStep_;
    // The slots allocated, at least capacity_. They grow by half again at least, so that a
    // group of many children (100000 hedgehog lines, thousands of surface cells) copies its
    // array a few dozen times rather than once every growthStep_ children.
    std::int32_t reserved_;
    SceneObject** children_;
};

}  // namespace kelvaro

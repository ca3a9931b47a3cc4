#include "scene/scene_object.h"

#include "scene/attribute_set.h"

namespace kelvaro {

void SceneObject::release() {
    if (--refCount_ == 0) delete this;
}

bool SceneObject::matches(const void*) const { return false; }

void AttributedObject::releaseAttributes() { attributes_->release(); }

void AttributedObject::setAttributes(Ref<AttributeSet> set) {
    if (attributes_) attributes_->release();
    attributes_ = set.detach();
}

void AttributedObject::setColor(const Vector3& color) {
    if (attributes_) {
        attributes_->setColor(color);
        return;
    }
    attributes_ = create<AttributeSet>(color).detach();
}

void AttributedObject::drawAttributes() const {
    if (attributes_) attributes_->draw();
}

bool AttributedObject::printAttributes(std::FILE* stream) const {
    return attributes_ == nullptr || attributes_->print(stream);
}

}  // namespace kelvaro

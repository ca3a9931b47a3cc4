#pragma once
// The base of the scene graph: reference-counted objects that draw themselves in
// immediate-mode OpenGL and write a text form of themselves.
//
// Ownership: a constructed object holds one reference, its creator's. retain() adds one,
// release() drops one and destroys the object at zero. Destructors are protected, so an
// object is destroyed only through release(). Ref<T> is a handle that does the counting.

#include <cstdint>
#include <cstdio>
#include <new>
#include <utility>

#include "common/vector3.h"

namespace kelvaro {

// Class codes of the concrete scene classes; codes 3, 4, 8, 12 and 13 are unused. The
// polylines and lines with a colour at every vertex keep the codes of their bases.
enum TypeCode : std::int32_t {
    AttributeSetType = 1,
    PointType = 2,
    LineType = 5,
    PolyLineType = 6,
    ABoxType = 7,
    TriangleType = 9,
    SphereType = 10,
    GroupType = 11,
    GridEdgeType = 14,
    GridCellType = 15,
    PotentialGridType = 16,
    LabelType = 17,
    // The colour map of a plane through the field (a grid of coloured nodes).
    ShadedGridType = 18,
};

class SceneObject {
public:
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    std::int32_t typeCode() const { return typeCode_; }
    std::int32_t refCount() const { return refCount_; }

    // Adds one reference.
    void retain() { ++refCount_; }
    // Drops one reference; at zero the object is destroyed and must not be used again.
    void release();

    // Writes the object's text form; answers false as soon as one write fails.
    virtual bool print(std::FILE* stream) const = 0;
    // A yes/no query kept for the shape of the class interface; every scene class answers false.
    virtual bool matches(const void* key) const;
    // Issues the object's OpenGL calls (an attribute set applies its state instead).
    virtual void draw() const = 0;

protected:
    explicit SceneObject(std::int32_t typeCode) : typeCode_(typeCode) {}
    virtual ~SceneObject() = default;

private:
    std::int32_t typeCode_;
    std::int32_t refCount_ = 1;
};

// An owning handle: holds one reference and releases it when it goes away.
// Assignment takes the new reference before dropping the old one.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref& other) : object_(other.object_) {
        if (object_) object_->retain();
    }
    Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <class U>
    Ref(const Ref<U>& other) : object_(other.get()) {
        if (object_) object_->retain();
    }
    template <class U>
    Ref(Ref<U>&& other) noexcept : object_(other.detach()) {}
    Ref& operator=(Ref other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Ref() {
        if (object_) object_->release();
    }

    // Takes over a reference the caller holds (usually the creation reference).
    static Ref adopt(T* object) {
        Ref ref;
        ref.object_ = object;
        return ref;
    }
    // Retains the object and holds that new reference.
    static Ref share(T* object) {
        if (object) object->retain();
        return adopt(object);
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Gives up the held reference without releasing it; the caller now owns it.
    T* detach() { return std::exchange(object_, nullptr); }
    // Releases the held reference, if any.
    void reset() {
        if (object_) std::exchange(object_, nullptr)->release();
    }

private:
    T* object_ = nullptr;
};

// Creates a scene object and hands back its creation reference; empty when memory runs
// out, for the object or for storage its constructor allocates (a group's child slots, a
// point array's points).
template <class T, class... Arguments>
Ref<T> create(Arguments&&... arguments) {
    try {
        return Ref<T>::adopt(new T(std::forward<Arguments>(arguments)...));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

class AttributeSet;

// A scene object that may carry an AttributeSet, applied before it draws itself and
// written inside its text form. Every scene class except AttributeSet derives from it.
class AttributedObject : public SceneObject {
public:
    // The set, or null. The object holds one reference to it.
    AttributeSet* attributes() const { return attributes_; }
    // Releases the current set, if any, and holds `set` in its place. The reference in
    // `set` passes to this object (pass a copy of a Ref to keep using the set yourself).
    void setAttributes(Ref<AttributeSet> set);
    // Recolours the existing set (shared holders see the change) and sets its ColorSet
    // flag; without a set, creates a plain-colour one held only by this object.
    void setColor(const Vector3& color);

protected:
    explicit AttributedObject(std::int32_t typeCode) : SceneObject(typeCode) {}
    // Inline, so that destroying the arrays of grid objects (which hold no set) costs
    // no call per object.
    ~AttributedObject() override {
        if (attributes_ != nullptr) releaseAttributes();
    }

    // Applies the set's state when there is one.
    void drawAttributes() const;
    // Writes the set's text form when there is one; answers false when that fails.
    bool printAttributes(std::FILE* stream) const;

private:
    void releaseAttributes();

    AttributeSet* attributes_ = nullptr;
};

}  // namespace kelvaro

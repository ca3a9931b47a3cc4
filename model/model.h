#pragma once
// Model: a bounding box, up to 99 point charges, two display flags, a name and the
// numeric settings the visualisations read; it evaluates the Coulomb field of its charges
// (constant 1: a charge q at distance r has potential q / r). A Model is made by reading a
// model file or from values stored as the reader stores them; no field changes after its
// constructor has finished (an edit makes a new Model).

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "common/vector3.h"
#include "model/field_kernels.h"
#include "model/read_warning.h"
#include "scene/group.h"
#include "scene/primitives.h"

namespace kelvaro {

struct Charge {
    double value = 0.0;  // read in single precision, widened
    Vector3 position;
};

class Model {
public:
    static constexpr int maxCharges = 99;
    static constexpr int maxNameLength = 62;

    // Reads a model file from `stream` (positioned at its start; it is left open wherever
    // reading stopped) and finishes the model. On a lexical error, an unknown statement
    // word, a file without BOUNDS or exhausted memory it raises the ReadError code as a
    // plain int (see read_errors.h; readErrorWords in read_report.h gives its words); the
    // partly built model is destroyed then. Statements with wrong arguments are dropped,
    // and so is the line after a statement that ended with its line; when `warnings` is
    // given, one ReadWarning for each is appended to it, in file order (also those read
    // before a failure). The model is the same with or without them. Either way
    // lastReadLine() tells where reading stopped.
    explicit Model(std::FILE* stream, std::vector<ReadWarning>* warnings = nullptr);
    // Makes a model from values, stored and finished as the reading constructor stores and
    // finishes a file that states them: the name cut to maxNameLength characters, the
    // corners ordered per axis as BOUNDS orders them, each charge value rounded to single
    // precision. Raises std::length_error for more than maxCharges charges and
    // std::bad_alloc when the box cannot be made. It checks nothing else: a caller with
    // rules of its own (finite values, a box of some size) checks them first.
    Model(std::string_view name, const Vector3& corner, const Vector3& oppositeCorner,
          std::span<const Charge> charges, bool axesOn, bool boxOn);
    // Releases the model's reference to `bounds`, destroying the box.
    ~Model() = default;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // The line (1 = first) on which the most recent run of the reading constructor
    // stopped: the line of the offending character or token after a failure, the last line
    // after success. 0 before any read.
    static int lastReadLine() { return lastReadLine_; }

    // The potential at `p`: the sum of value / distance over the charges in order, in
    // double precision, times potentialScale. Infinite (or not a number) at a charge.
    double potentialAt(const Vector3& p) const;
    // The field at `p`, summed in single precision; not scaled by potentialScale. Not a
    // number at a charge's exact position.
    Vector3 fieldAt(const Vector3& p) const;
    // True when `p` lies outside bounds (faces count as inside) or closer to a charge than
    // its radius (a not-a-number distance counts as closer).
    bool isStopPoint(const Vector3& p) const;

    // The batched forms: out[i] has exactly the bits that potentialAt, fieldAt and
    // isStopPoint (1 for true) answer for points[i]. Several points are computed at once
    // with the processor's SIMD instructions. `out` holds at least points.size() entries.
    // Nothing is allocated; safe to call from several threads at once.
    void potentialsAt(std::span<const Vector3> points, double* out) const;
    void fieldsAt(std::span<const Vector3> points, Vector3* out) const;
    void stopPointsAt(std::span<const Vector3> points, std::uint8_t* out) const;
    // The same with a chosen kernel set (tests compare every set the processor runs).
    void potentialsAt(const FieldKernels& kernels, std::span<const Vector3> points, double* out) const;
    void fieldsAt(const FieldKernels& kernels, std::span<const Vector3> points, Vector3* out) const;
    void stopPointsAt(const FieldKernels& kernels, std::span<const Vector3> points, std::uint8_t* out) const;

    // The field at `p` in double precision (the charges' positions widened, every sum in
    // double precision), for the work that needs more than fieldAt's single precision
    // where fields cancel; with the sum of the magnitudes of the charges' separate fields
    // (PreciseField). Not a number at a charge's exact position. The batched forms answer
    // the same bits, as above.
    PreciseField preciseFieldAt(const Vector3d& p) const;
    void preciseFieldsAt(std::span<const Vector3d> points, PreciseField* out) const;
    void preciseFieldsAt(const FieldKernels& kernels, std::span<const Vector3d> points, PreciseField* out) const;

    // A new Group (reference count 1, owned by the caller) holding a white sphere of radius
    // chargeRadius for every charge, in charge order, then the x, y and z axis lines when
    // axesOn. Each child has its own attribute set; the group holds their only references.
    // Answers an empty Ref when the group or one of its children cannot be created.
    Ref<Group> buildModelGeometry() const;
    // Appends grey lines along the x, y and z axes through the origin, each spanning the
    // box along its own axis, to `group` (which retains them). Answers false, having added
    // what it could, when a line cannot be created; raises std::bad_alloc when the group's
    // array cannot grow.
    bool addAxes(Group& group) const;

    // At most 62 characters; name().data() is also NUL-terminated.
    std::string_view name() const { return {name_, nameLength_}; }
    const ABox& bounds() const { return *bounds_; }
    bool boxOn() const { return boxOn_; }
    bool axesOn() const { return axesOn_; }
    std::int32_t chargeCount() const { return chargeCount_; }
    // The charges in file order, chargeCount() of them.
    std::span<const Charge> charges() const { return {charges_, static_cast<std::size_t>(chargeCount_)}; }
    double traceStep() const { return traceStep_; }
    double pointSpacing() const { return pointSpacing_; }
    double chargeRadius() const { return chargeRadius_; }
    double chargeRadiusSquared() const { return chargeRadiusSquared_; }
    double hedgehogLength() const { return hedgehogLength_; }
    double potentialMax() const { return potentialMax_; }
    double potentialMin() const { return potentialMin_; }
    double potentialScale() const { return potentialScale_; }

    // A new model with the same name, bounds and flags and `charges` instead of these
    // (raises as the value constructor does).
    std::unique_ptr<Model> withCharges(std::span<const Charge> charges) const;

private:
    friend class ModelReader;

    // The box from two opposite corners: per axis the smaller value becomes the minimum.
    void setBounds(const Vector3& corner, const Vector3& oppositeCorner);
    // Keeps at most maxNameLength characters of `name`.
    void setName(std::string_view name);

    // Fills the charge columns, then derives pointSpacing and the potential range from
    // the bounds and the charges.
    void finishModel();

    static inline int lastReadLine_ = 0;

    char name_[maxNameLength + 1] = {};
    std::uint8_t nameLength_ = 0;
    Ref<ABox> bounds_;
    bool boxOn_ = false;
    bool axesOn_ = false;
    std::int32_t chargeCount_ = 0;
    Charge charges_[100];
    // The charges by column (positions also widened to double), the stop radius, the box
    // and the scale, set by finishModel. The one-point evaluations read the widened
    // positions too: a distance from them equals one taken from the floats.
    ChargeColumns columns_;
    // Settings written as single-precision constants keep that value when widened.
    double traceStep_ = static_cast<double>(0.05f);
    double pointSpacing_ = static_cast<double>(0.01f);
    double chargeRadius_ = static_cast<double>(0.01f);
    double chargeRadiusSquared_ = static_cast<double>(0.01f) * static_cast<double>(0.01f);
    double hedgehogLength_ = static_cast<double>(0.2f);
    double potentialMax_ = 0.0;
    double potentialMin_ = 0.0;
    double potentialScale_ = 1.0;
};

}  // namespace kelvaro

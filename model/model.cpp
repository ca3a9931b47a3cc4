#include "model/model.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

#include "model/keyword_table.h"
#include "model/model_lexer.h"
#include "model/model_reader.h"
#include "model/read_errors.h"

namespace kelvaro {
namespace {

// Notes the lexer's line as the place where reading stopped, on success or failure.
class StopLineRecorder {
public:
    StopLineRecorder(const ModelLexer& lexer, int& target) : lexer_(lexer), target_(target) {}
    ~StopLineRecorder() { target_ = lexer_.line(); }
    StopLineRecorder(const StopLineRecorder&) = delete;
    StopLineRecorder& operator=(const StopLineRecorder&) = delete;

private:
    const ModelLexer& lexer_;
    int& target_;
};

// Squared distance from `p` to the widened position of charge i: differences and sum in
// double precision. Widening is exact, so this is the distance of the single-precision points.
double squaredDistance(const Vector3& p, const ChargeColumns& charges, int i) {
    const double dx = static_cast<double>(p.x) - charges.x[i];
    const double dy = static_cast<double>(p.y) - charges.y[i];
    const double dz = static_cast<double>(p.z) - charges.z[i];
    return dx * dx + dy * dy + dz * dz;
}

}  // namespace

Model::Model(std::FILE* stream, std::vector<ReadWarning>* warnings) {
    lastReadLine_ = 0;
    KeywordTable& keywords = KeywordTable::processTable();
    if (keywords.count() == 0) keywords.fillKeywords();
    bounds_ = create<ABox>();
    if (!bounds_) failRead(ReadError::OutOfMemory);

    ModelLexer lexer(stream);
    const StopLineRecorder recorder(lexer, lastReadLine_);
    ModelReader reader(lexer, keywords, *this, warnings);
    while (reader.readStatement() != StatementOutcome::EndOfInput) {
    }
    // A box with unset corners would make every evaluation meaningless.
    if (!reader.boundsRead()) failRead(ReadError::MissingBounds);
    finishModel();
}

Model::Model(std::string_view name, const Vector3& corner, const Vector3& oppositeCorner,
             std::span<const Charge> charges, bool axesOn, bool boxOn)
    : boxOn_(boxOn), axesOn_(axesOn) {
    if (charges.size() > static_cast<std::size_t>(maxCharges)) {
        throw std::length_error("a model holds at most 99 charges");
    }
    bounds_ = create<ABox>();
    if (!bounds_) throw std::bad_alloc();
    setName(name);
    setBounds(corner, oppositeCorner);
    for (const Charge& charge : charges) {
        charges_[chargeCount_++] = Charge{static_cast<double>(static_cast<float>(charge.value)), charge.position};
    }
    finishModel();
}

std::unique_ptr<Model> Model::withCharges(std::span<const Charge> charges) const {
    return std::make_unique<Model>(name(), bounds_->min, bounds_->max, charges, axesOn_, boxOn_);
}

void Model::setBounds(const Vector3& corner, const Vector3& oppositeCorner) {
    Vector3 low = corner;
    Vector3 high = oppositeCorner;
    // Per axis: exchange only when the first is greater, so equal values stay.
    if (low.x > high.x) std::swap(low.x, high.x);
    if (low.y > high.y) std::swap(low.y, high.y);
    if (low.z > high.z) std::swap(low.z, high.z);
    bounds_->min = low;
    bounds_->max = high;
}

void Model::setName(std::string_view name) {
    const std::size_t kept = std::min(name.size(), static_cast<std::size_t>(maxNameLength));
    std::copy_n(name.data(), kept, name_);
    name_[kept] = '\0';
    nameLength_ = static_cast<std::uint8_t>(kept);
}

double Model::potentialAt(const Vector3& p) const {
    double sum = 0.0;
    for (std::int32_t i = 0; i < chargeCount_; ++i) {
        sum += charges_[i].value / std::sqrt(squaredDistance(p, columns_, i));
    }
    return sum * potentialScale_;
}

Vector3 Model::fieldAt(const Vector3& p) const {
    Vector3 field;
    for (const Charge& charge : charges()) {
        Vector3 d = difference(p, charge.position);
        const double x = d.x;
        const double y = d.y;
        const double z = d.z;
        const double r = std::sqrt(x * x + y * y + z * z);
        const auto scale = static_cast<float>(charge.value / (r * r * r));
        scaleInPlace(d, scale);
        addInPlace(field, d);
    }
    return field;
}

bool Model::isStopPoint(const Vector3& p) const {
    if (!bounds_->contains(p)) return true;
    for (std::int32_t i = 0; i < chargeCount_; ++i) {
        // Written so that a not-a-number distance also counts as inside the charge.
        if (!(squaredDistance(p, columns_, i) >= chargeRadiusSquared_)) return true;
    }
    return false;
}

void Model::potentialsAt(std::span<const Vector3> points, double* out) const {
    potentialsAt(bestKernels(), points, out);
}

void Model::fieldsAt(std::span<const Vector3> points, Vector3* out) const { fieldsAt(bestKernels(), points, out); }

void Model::stopPointsAt(std::span<const Vector3> points, std::uint8_t* out) const {
    stopPointsAt(bestKernels(), points, out);
}

void Model::potentialsAt(const FieldKernels& kernels, std::span<const Vector3> points, double* out) const {
    kernels.potentials(columns_, points.data(), static_cast<int>(points.size()), out);
}

void Model::fieldsAt(const FieldKernels& kernels, std::span<const Vector3> points, Vector3* out) const {
    kernels.fields(columns_, points.data(), static_cast<int>(points.size()), out);
}

void Model::stopPointsAt(const FieldKernels& kernels, std::span<const Vector3> points, std::uint8_t* out) const {
    kernels.stopPoints(columns_, points.data(), static_cast<int>(points.size()), out);
}

PreciseField Model::preciseFieldAt(const Vector3d& p) const {
    PreciseField result;
    Vector3d& field = result.field;
    for (std::int32_t i = 0; i < chargeCount_; ++i) {
        const double dx = p.x - columns_.x[i];
        const double dy = p.y - columns_.y[i];
        const double dz = p.z - columns_.z[i];
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        const double scale = columns_.value[i] / (r * r * r);
        field.x = field.x + dx * scale;
        field.y = field.y + dy * scale;
        field.z = field.z + dz * scale;
        const double sign = columns_.value[i] < 0.0 ? -1.0 : 1.0;
        result.separateSum = result.separateSum + scale * (r * sign);
    }
    return result;
}

void Model::preciseFieldsAt(std::span<const Vector3d> points, PreciseField* out) const {
    preciseFieldsAt(bestKernels(), points, out);
}

void Model::preciseFieldsAt(const FieldKernels& kernels, std::span<const Vector3d> points, PreciseField* out) const {
    kernels.preciseFields(columns_, points.data(), static_cast<int>(points.size()), out);
}

void Model::finishModel() {
    columns_.count = chargeCount_;
    for (std::int32_t i = 0; i < chargeCount_; ++i) {
        const Charge& charge = charges_[i];
        columns_.x[i] = charge.position.x;
        columns_.y[i] = charge.position.y;
        columns_.z[i] = charge.position.z;
        columns_.fx[i] = charge.position.x;
        columns_.fy[i] = charge.position.y;
        columns_.fz[i] = charge.position.z;
        columns_.value[i] = charge.value;
    }
    columns_.radiusSquared = chargeRadiusSquared_;
    columns_.boxMin = bounds_->min;
    columns_.boxMax = bounds_->max;
    potentialScale_ = 1.0;
    columns_.potentialScale = potentialScale_;
    const double atCorner = potentialAt(bounds_->max);
    potentialMax_ = atCorner;
    potentialMin_ = atCorner;
    const double dx = static_cast<double>(bounds_->max.x) - bounds_->min.x;
    const double dy = static_cast<double>(bounds_->max.y) - bounds_->min.y;
    const double dz = static_cast<double>(bounds_->max.z) - bounds_->min.z;
    pointSpacing_ *= std::sqrt(dx * dx + dy * dy + dz * dz);
    for (const Charge& charge : charges()) {
        // A point at distance sqrt(3) * chargeRadius, just outside the charge.
        const Vector3 sample{static_cast<float>(charge.position.x + chargeRadius_),
                             static_cast<float>(charge.position.y + chargeRadius_),
                             static_cast<float>(charge.position.z + chargeRadius_)};
        const double value = potentialAt(sample);
        if (value > potentialMax_) potentialMax_ = value;
        if (value < potentialMin_) potentialMin_ = value;
    }
}

}  // namespace kelvaro

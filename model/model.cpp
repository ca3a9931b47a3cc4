#include "model/model.h"

#include <cmath>

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

// Widening is exact: distances from widened points equal those taken from the floats.
WidePoint widened(const Vector3& p) { return {p.x, p.y, p.z}; }

// Squared distance, differences and sum in double precision.
double squaredDistance(const WidePoint& a, const WidePoint& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

}  // namespace

Model::Model(std::FILE* stream) {
    lastReadLine_ = 0;
    KeywordTable& keywords = KeywordTable::processTable();
    if (keywords.count() == 0) keywords.fillKeywords();
    bounds_ = create<ABox>();
    if (!bounds_) failRead(ReadError::OutOfMemory);

    ModelLexer lexer(stream);
    const StopLineRecorder recorder(lexer, lastReadLine_);
    ModelReader reader(lexer, keywords, *this);
    while (reader.readStatement() != StatementOutcome::EndOfInput) {
    }
    // A box with unset corners would make every evaluation meaningless.
    if (!reader.boundsRead()) failRead(ReadError::MissingBounds);
    finishModel();
}

double Model::potentialAt(const Vector3& p) const {
    const WidePoint at = widened(p);
    double sum = 0.0;
    for (std::int32_t i = 0; i < chargeCount_; ++i) {
        sum += charges_[i].value / std::sqrt(squaredDistance(at, widePositions_[i]));
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
    const WidePoint at = widened(p);
    for (std::int32_t i = 0; i < chargeCount_; ++i) {
        // Written so that a not-a-number distance also counts as inside the charge.
        if (!(squaredDistance(at, widePositions_[i]) >= chargeRadiusSquared_)) return true;
    }
    return false;
}

void Model::finishModel() {
    for (std::int32_t i = 0; i < chargeCount_; ++i) {
        widePositions_[i] = widened(charges_[i].position);
    }
    potentialScale_ = 1.0;
    const double atCorner = potentialAt(bounds_->max);
    potentialMax_ = atCorner;
    potentialMin_ = atCorner;
    pointSpacing_ *= std::sqrt(squaredDistance(widened(bounds_->max), widened(bounds_->min)));
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

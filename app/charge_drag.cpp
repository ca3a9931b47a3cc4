#include "app/charge_drag.h"

#include <cmath>

#include "app/charge_edits.h"
#include "app/model_edits.h"
#include "app/session.h"

namespace kelvaro {

bool ChargeDrag::begin(int index) {
    active_ = currentModel && index >= 0 && index < currentModel->chargeCount();
    if (!active_) return false;
    index_ = index;
    before_.assign(currentModel->charges().begin(), currentModel->charges().end());
    waiting_.reset();
    return true;
}

void ChargeDrag::moveTo(const Vector3& position) {
    if (active_ && std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z)) {
        waiting_ = position;
    }
}

bool ChargeDrag::buildWaiting() {
    if (!active_ || !waiting_) return false;
    const Vector3 wanted = *waiting_;
    waiting_.reset();
    if (!currentModel || index_ >= currentModel->chargeCount()) return false;
    std::vector<Charge> charges(currentModel->charges().begin(), currentModel->charges().end());
    Vector3& position = charges[static_cast<std::size_t>(index_)].position;
    const Vector3 kept = keptInBox(wanted, currentModel->bounds());
    // Held beyond a face, the charge stays where it is: nothing to build.
    if (kept.x == position.x && kept.y == position.y && kept.z == position.z) return false;
    position = kept;
    return setCharges(charges);
}

bool ChargeDrag::end() {
    if (!active_) return false;
    const bool built = buildWaiting();
    recordChargeStep(std::move(before_));
    active_ = false;
    return built;
}

}  // namespace kelvaro

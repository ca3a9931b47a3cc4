#include "app/charge_drag.h"

#include <cmath>

#include "app/session.h"
#include "app/typed_charge.h"

namespace kelvaro {

bool ChargeDrag::begin(Session& session, int index) {
    const Model* model = session.model();
    session_ = model && index >= 0 && index < model->chargeCount() ? &session : nullptr;
    if (!session_) return false;
    index_ = index;
    before_.assign(model->charges().begin(), model->charges().end());
    waiting_.reset();
    return true;
}

void ChargeDrag::moveTo(const Vector3& position) {
    if (session_ && std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z)) {
        waiting_ = position;
    }
}

bool ChargeDrag::buildWaiting() {
    if (!session_ || !waiting_) return false;
    const Vector3 wanted = *waiting_;
    waiting_.reset();
    const Model* model = session_->model();
    if (!model || index_ >= model->chargeCount()) return false;
    std::vector<Charge> charges(model->charges().begin(), model->charges().end());
    Vector3& position = charges[static_cast<std::size_t>(index_)].position;
    const Vector3 kept = keptInBox(wanted, model->bounds());
    // Held beyond a face, the charge stays where it is: nothing to build.
    if (kept.x == position.x && kept.y == position.y && kept.z == position.z) return false;
    position = kept;
    return session_->setCharges(charges);
}

bool ChargeDrag::end() {
    if (!session_) return false;
    const bool built = buildWaiting();
    session_->recordChargeStep(std::move(before_));
    session_ = nullptr;
    return built;
}

}  // namespace kelvaro

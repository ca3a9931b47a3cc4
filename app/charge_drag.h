#pragma once
// A charge dragged in the scene. The pointer moves faster than the scene can be built
// again, so a move only notes the position wanted; buildWaiting (called when the program
// is idle) builds the latest one, so that at most one build runs and the latest position
// wins. The end of the drag builds the last position if it still waits, and the whole
// drag becomes one step of the edit history.

#include <optional>
#include <vector>

#include "model/model.h"

namespace kelvaro {
class Session;
}

namespace kelvaro {

class ChargeDrag {
public:
    // Starts dragging charge `index` of the session's model; false (no drag) when there is
    // none. The session must outlive the drag.
    bool begin(Session& session, int index);
    bool active() const { return session_ != nullptr; }
    // The position the charge should take now, in place of any that still waits. A point
    // that is not finite is ignored.
    void moveTo(const Vector3& position);
    // Moves the charge to the waiting position, kept in the model's box, and builds the
    // scene again; false when nothing waits (or the model no longer has the charge).
    bool buildWaiting();
    // Builds what still waits and records the drag as one step (none when the charge is
    // back where it started). Answers whether the charges changed since the last build.
    bool end();

private:
    Session* session_ = nullptr;  // while a drag is active
    int index_ = -1;
    std::vector<Charge> before_;
    std::optional<Vector3> waiting_;
};

}  // namespace kelvaro

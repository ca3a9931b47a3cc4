#pragma once
// Hedgehog lines: short segments along the field at random points of the model's box.

#include <cstdint>
#include <optional>

#include "common/vector3.h"
#include "model/model.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// Every hedgehog line's colour.
inline constexpr Vector3 hedgehogColor{1.0f, 0.7f, 0.49f};

// A 15-bit linear congruential generator: state = state * 214013 + 2531011 (mod 2^32),
// each draw yielding bits 16 to 30 of the new state, 0 to 32767.
class Random15 {
public:
    // A generator at `state` (1: where the process-wide one starts).
    explicit Random15(std::uint32_t state = 1) : state_(state) {}
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    std::uint32_t state() const { return state_; }
    // The generator as it will be after `draws` more draws, found without drawing them
    // (the recurrence composed with itself by repeated squaring).
    Random15 skipped(std::uint64_t draws) const;

private:
    std::uint32_t state_ = 1;
};

// The process-wide generator of hedgehog samples: state 1 at start, never reseeded, so
// each run draws the same sequence and each request continues where the last one ended.
// Read-only here; only the hedgehog builder draws from it.
const Random15& hedgehogRandom();

// One uniform sample from `low` to `high`, both included: low + r * ((high - low) / 32767)
// for the next draw r of `generator`, in double precision, rounded to single at the end.
float randomBetween(Random15& generator, double low, double high);
// The same, drawn from the process-wide hedgehog generator.
float randomBetween(double low, double high);

// Draws sample points in the model's box (x, y, z in that order) from the process-wide
// generator until `count` are accepted: stop points are discarded, every other point
// counts, and makes one line where the field has a direction (see makeHedgehogLine).
// Answers a new Group (one reference, the caller's) of Lines, empty when `count` <= 0
// (nothing is drawn then); after a very long run of discarded samples in a row (a box that
// lies within a charge) it gives up and answers the lines made so far. An empty Ref when
// memory runs out, for any line or the group. `options` choose how the numbers are
// computed: the same lines either way, and the generator ends in the same state. The fast
// path makes the lines and their attribute sets in a few large blocks (see SceneArena).
Ref<Group> makeHedgehog(const Model& model, int count, const BuildOptions& options = {});
// The same, drawing from `generator` instead of the process-wide one.
Ref<Group> makeHedgehog(const Model& model, int count, Random15& generator, const BuildOptions& options = {});

// A new Line (one reference, the caller's) from `point` along the unit field direction
// there, of the model's hedgehogLength, with a plain attribute set of hedgehogColor.
// Answers an empty Ref when the field there has no direction (zero, infinite or not a
// number) or memory runs out.
Ref<Line> makeHedgehogLine(const Model& model, const Vector3& point);

// The end of the hedgehog line from `point` where the field is `field`: point plus the
// unit field direction times the model's hedgehogLength; none when the field has no
// direction (zero, infinite or not a number). Plain numbers: any thread may call it.
std::optional<Vector3> hedgehogLineEnd(const Model& model, const Vector3& point, Vector3 field);

}  // namespace kelvaro

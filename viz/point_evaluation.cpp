#include "viz/point_evaluation.h"

namespace kelvaro {
namespace {

// Points per task: enough to make a thread's start worth it, few enough to share the work evenly.
constexpr int pointsPerTask = 1024;

// Runs `batched` over slices of the points on the threads, or `single` point by point.
template <class Out, class Single, class Batched>
void evaluate(std::span<const Vector3> points, Out* out, const BuildOptions& options,
              const std::function<void()>& alongside, Single single, Batched batched) {
    if (options.reference) {
        if (alongside) alongside();
        for (std::size_t i = 0; i < points.size(); ++i) out[i] = single(points[i]);
        return;
    }
    forEachChunk(
        options.threadCount(), static_cast<int>(points.size()), pointsPerTask,
        [&](int begin, int end) {
            batched(points.subspan(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)), out + begin);
        },
        alongside);
}

}  // namespace

void potentialsOf(const Model& model, std::span<const Vector3> points, double* out, const BuildOptions& options,
                  const std::function<void()>& alongside) {
    evaluate(
        points, out, options, alongside, [&](const Vector3& p) { return model.potentialAt(p); },
        [&](std::span<const Vector3> slice, double* to) { model.potentialsAt(slice, to); });
}

void fieldsOf(const Model& model, std::span<const Vector3> points, Vector3* out, const BuildOptions& options,
              const std::function<void()>& alongside) {
    evaluate(
        points, out, options, alongside, [&](const Vector3& p) { return model.fieldAt(p); },
        [&](std::span<const Vector3> slice, Vector3* to) { model.fieldsAt(slice, to); });
}

void stopPointsOf(const Model& model, std::span<const Vector3> points, std::uint8_t* out,
                  const BuildOptions& options, const std::function<void()>& alongside) {
    evaluate(
        points, out, options, alongside, [&](const Vector3& p) -> std::uint8_t { return model.isStopPoint(p) ? 1 : 0; },
        [&](std::span<const Vector3> slice, std::uint8_t* to) { model.stopPointsAt(slice, to); });
}

}  // namespace kelvaro

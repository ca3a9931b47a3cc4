#pragma once
// The field evaluations of many points at once, for the builders: on the reference path
// one point at a time through the model's one-point evaluations, on the calling thread;
// otherwise batched (Model::potentialsAt and its kin) and shared out among the threads.
// Either way out[i] has the same bits. `out` holds at least points.size() entries.
// `alongside`, when given, runs first on the calling thread while the workers start on the
// points: work of its own, such as making the scene objects of earlier results.

#include <cstdint>
#include <functional>
#include <span>

#include "common/vector3.h"
#include "model/model.h"
#include "viz/worker_threads.h"

namespace kelvaro {

void potentialsOf(const Model& model, std::span<const Vector3> points, double* out, const BuildOptions& options,
                  const std::function<void()>& alongside = {});
void fieldsOf(const Model& model, std::span<const Vector3> points, Vector3* out, const BuildOptions& options,
              const std::function<void()>& alongside = {});
// 1 for a stop point, 0 otherwise.
void stopPointsOf(const Model& model, std::span<const Vector3> points, std::uint8_t* out, const BuildOptions& options,
                  const std::function<void()>& alongside = {});

}  // namespace kelvaro

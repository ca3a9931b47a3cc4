#pragma once
// Traces of field lines run side by side on one thread: each trace asks for the field at
// one point at a time, and the fields of all the traces' points are computed together
// with the batched evaluations. Every trace gets exactly the bits the one-point
// evaluations give, so its result does not depend on which traces ran beside it.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "model/model.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// The batched evaluation that answers a job's question: fieldsAt for single-precision
// points, preciseFieldsAt for double-precision ones.
inline void fieldsOfBatch(const Model& model, std::span<const Vector3> points, Vector3* out) {
    model.fieldsAt(points, out);
}
inline void fieldsOfBatch(const Model& model, std::span<const Vector3d> points, PreciseField* out) {
    model.preciseFieldsAt(points, out);
}

// Traces the jobs whose indices (below `total`) it takes from `next`, up to 32 at a time.
// `start(index, slot)` emplaces the job of `index` in the empty std::optional `slot`;
// `keep(index, job)` receives each job once it is done. A Job has done(), query() (the
// point, of type Job::Point, whose field it wants) and supply(field, stop), the field of
// type Job::Field; it gets the stop test of its point (Model::isStopPoint) only when
// Job::wantsStopTests is true, and false otherwise.
template <class Job, class Start, class Keep>
void traceSideBySide(const Model& model, std::atomic<int>& next, int total, Start start, Keep keep) {
    constexpr int slots = 32;
    std::vector<std::optional<Job>> jobs(slots);
    std::vector<int> indices(slots, -1);
    std::vector<typename Job::Point> points(slots);
    std::vector<typename Job::Field> fields(slots);
    std::vector<std::uint8_t> stops(slots, 0);
    bool more = true;
    while (true) {
        // A pass costs a field evaluation of up to `slots` points: a build asked to stop ends within one.
        stopIfAsked();
        int count = 0;
        for (int s = 0; s < slots; ++s) {
            if (indices[s] < 0 && more) {
                const int index = next++;
                more = index < total;
                if (more) {
                    indices[s] = index;
                    start(index, jobs[s]);
                }
            }
            if (indices[s] >= 0) points[count++] = jobs[s]->query();
        }
        if (count == 0) return;
        const std::span<const typename Job::Point> asked(points.data(), static_cast<std::size_t>(count));
        fieldsOfBatch(model, asked, fields.data());
        if constexpr (Job::wantsStopTests) model.stopPointsAt(asked, stops.data());
        int k = 0;
        for (int s = 0; s < slots; ++s) {
            if (indices[s] < 0) continue;
            jobs[s]->supply(fields[k], stops[k] != 0);
            ++k;
            if (!jobs[s]->done()) continue;
            keep(indices[s], *jobs[s]);
            jobs[s].reset();
            indices[s] = -1;
        }
    }
}

}  // namespace kelvaro

#pragma once
// The undo and redo stacks of edit steps. A new step drops every undone one; at most
// `limit` steps are kept, the oldest going first.

#include <cstddef>
#include <deque>
#include <vector>

namespace kelvaro {

template <class Step>
class UndoHistory {
public:
    static constexpr std::size_t limit = 100;

    void record(Step step) {
        undone_.clear();
        done_.push_back(std::move(step));
        if (done_.size() > limit) done_.pop_front();
    }
    // The step to take back, now first in line to be redone; null when there is none. The
    // pointer holds until the history changes again.
    const Step* undo() { return moveLast(done_, undone_); }
    // The step to do again, now last in line to be undone; null when there is none.
    const Step* redo() { return moveLast(undone_, done_); }
    void clear() {
        done_.clear();
        undone_.clear();
    }

private:
    template <class From, class To>
    static const Step* moveLast(From& from, To& to) {
        if (from.empty()) return nullptr;
        to.push_back(std::move(from.back()));
        from.pop_back();
        return &to.back();
    }

    std::deque<Step> done_;
    std::vector<Step> undone_;
};

}  // namespace kelvaro

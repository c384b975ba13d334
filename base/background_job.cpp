#include "base/background_job.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace mt {

struct BackgroundJob::State {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false, succeeded = false;
};

BackgroundJob::BackgroundJob(std::function<bool()> work) : state_(std::make_shared<State>()) {
    // The thread's own share of the state; the work, and what it holds, go once
    // the end is told.
    std::thread([state = state_, work = std::move(work)]() noexcept {
        bool succeeded = false;
        try {
            succeeded = work();
        } catch (...) {
        }
        {
            std::lock_guard<std::mutex> hold(state->lock);
            state->done = true;
            state->succeeded = succeeded;
        }
        state->ended.notify_all();
    }).detach();
}

BackgroundJob::~BackgroundJob() = default;

bool BackgroundJob::Finish(unsigned ms) const {
    std::unique_lock<std::mutex> hold(state_->lock);
    return state_->ended.wait_for(hold, std::chrono::milliseconds(ms), [&] { return state_->done; });
}

bool BackgroundJob::Succeeded() const {
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->done && state_->succeeded;
}

}  // namespace mt

// Work on a thread of its own that nothing waits for at the end: the thread
// holds, with the job object, the state it writes its outcome into, so the
// object may go (and the program end) while the work runs, and the thread never
// writes into memory that has been freed. What the work throws ends it without
// success and is shown to nobody: the work of such a thread has no one to tell.
// No window needed.
#pragma once
#include <functional>
#include <memory>

namespace mt {

class BackgroundJob {
public:
    // Starts work() on a new thread; throws std::system_error where no thread can
    // be started.
    explicit BackgroundJob(std::function<bool()> work);
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;
    // Does not wait for the work: it runs on, and ends, by itself.
    ~BackgroundJob();
    // Waits up to `ms` for the work to end; true when it has.
    bool Finish(unsigned ms) const;
    // True when the work has ended and returned true.
    bool Succeeded() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace mt

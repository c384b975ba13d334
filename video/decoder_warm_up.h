// The platform's decoder prepared on a worker thread of its own when the video
// dialog first opens (video/warm_up.h says where): one source reader created over a tiny clip (video/tiny_clip.h)
// and dropped. Nothing waits for the thread: the owner, and the program, may end
// while it runs (the thread holds what it writes to, base/background_job.h), and
// it tells the user nothing.
#pragma once
#include <windows.h>

#include <memory>

#include "base/background_job.h"

namespace mt {

class DecoderWarmUp {
public:
    // Started where PrepareDecoderAtStart says so; nullptr elsewhere.
    static std::unique_ptr<DecoderWarmUp> AtStart(bool fileOnCommandLine);
    // Started whatever the decision (for the measurements and tests); nullptr
    // where no thread can be started.
    static std::unique_ptr<DecoderWarmUp> Start();
    DecoderWarmUp(const DecoderWarmUp&) = delete;
    DecoderWarmUp& operator=(const DecoderWarmUp&) = delete;
    // Does not wait for the thread.
    ~DecoderWarmUp() = default;
    // Waits up to `ms` for the thread to end; true when it has.
    bool Finish(DWORD ms) const { return job_.Finish(ms); }
    // True when a source reader was created (read once finished).
    bool Prepared() const { return job_.Succeeded(); }

private:
    DecoderWarmUp();
    BackgroundJob job_;
};

}  // namespace mt

// The platform's decoder prepared on a worker thread of its own when the video
// dialog first opens (video/warm_up.h says where): one source reader created over a tiny clip (video/tiny_clip.h)
// and dropped. The owner waits for the thread as it ends (10 s at most).
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>

#include "base/handles.h"

namespace mt {

class DecoderWarmUp {
public:
    // Started where PrepareDecoderAtStart says so; nullptr elsewhere.
    static std::unique_ptr<DecoderWarmUp> AtStart(bool fileOnCommandLine);
    // Started whatever the decision (for the measurements and tests).
    static std::unique_ptr<DecoderWarmUp> Start();
    DecoderWarmUp(const DecoderWarmUp&) = delete;
    DecoderWarmUp& operator=(const DecoderWarmUp&) = delete;
    ~DecoderWarmUp();
    // Waits up to `ms` for the thread to end; true when it has.
    bool Finish(DWORD ms) const noexcept;
    // True when a source reader was created (read once finished).
    bool Prepared() const noexcept { return prepared_.load(); }

private:
    DecoderWarmUp() = default;
    static DWORD WINAPI Run(void* self) noexcept;
    OwnedHandle thread_;
    std::atomic<bool> prepared_{false};
};

}  // namespace mt

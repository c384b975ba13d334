// Work on a thread of its own that nothing waits for (the decoder's warm-up runs
// so). No window needed: tests/fuzz/run-fuzz.sh also builds and runs these tests
// natively under the address and undefined-behaviour checks.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

#include "base/background_job.h"

namespace mt::test {
namespace {

constexpr auto kBound = std::chrono::seconds(30);

// Tells when it goes: the work holding it has been let go.
struct GoneSignal {
    ~GoneSignal() { gone.set_value(); }
    std::promise<void> gone;
};

TEST(BackgroundJob, AJobWhoseOwnerGoesAtOnceRunsToItsEndOnStateOfItsOwn) {
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    auto signal = std::make_shared<GoneSignal>();
    std::future<void> let = signal->gone.get_future();
    {
        BackgroundJob job([started, signal = std::move(signal)] {
            started.wait();
            return true;
        });
    }  // the owner goes while the work waits
    go.set_value();
    // The work ends and tells its end into the state (a write into freed memory
    // the address checks would stop), then its work is let go.
    EXPECT_EQ(let.wait_for(kBound), std::future_status::ready);
}

TEST(BackgroundJob, FinishWaitsForTheOutcomeAndAThrowIsNoSuccess) {
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    BackgroundJob waiting([started] {
        started.wait();
        return true;
    });
    EXPECT_FALSE(waiting.Finish(0));
    EXPECT_FALSE(waiting.Succeeded());
    go.set_value();
    ASSERT_TRUE(waiting.Finish(30000));
    EXPECT_TRUE(waiting.Succeeded());

    BackgroundJob failing([]() -> bool { throw std::runtime_error("no decoder"); });
    ASSERT_TRUE(failing.Finish(30000));
    EXPECT_FALSE(failing.Succeeded());
    BackgroundJob refusing([] { return false; });
    ASSERT_TRUE(refusing.Finish(30000));
    EXPECT_FALSE(refusing.Succeeded());
}

}  // namespace
}  // namespace mt::test

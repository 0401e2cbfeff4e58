// GoogleTest's own Notification for the Windows builds. The win32 thread
// model's libstdc++ has no std::mutex or std::condition_variable, out of
// which GoogleTest builds it; the tests run on one thread and never start
// the threads it is for, so a flag is all it needs to be.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }

    void WaitForNotification()
    {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing

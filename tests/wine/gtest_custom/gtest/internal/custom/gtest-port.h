#ifndef POSRELAY_TESTS_WINE_GTEST_CUSTOM_GTEST_PORT_H
#define POSRELAY_TESTS_WINE_GTEST_CUSTOM_GTEST_PORT_H

// GoogleTest's hook for a platform's own parts, for the Windows build of the
// unit tests. This compiler's threads model has no std::mutex or
// std::condition_variable, which GoogleTest's Notification is made of; only
// GoogleTest's own tests of threads use it, so a flag that is polled does.
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : notified_(false) {}
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_;
};

}  // namespace internal
}  // namespace testing

#endif

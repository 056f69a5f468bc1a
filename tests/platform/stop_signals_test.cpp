// What the layer's stop thread does when the one it tells fails.

#include "platform/stop_signals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

class ThrowingListener : public platform::IStopSignalListener {
 public:
  long long onStop(int) override { throw std::bad_alloc(); }
  long long onLaterSignal(int, long long) override { throw std::bad_alloc(); }
  long long onTimeUp(long long) override { throw std::bad_alloc(); }
};

[[noreturn]] void stopWithAListenerThatThrows() {
  static ThrowingListener listener;
  if (platform::listenForStopSignals(&listener) != 0) std::exit(1);
  std::raise(SIGTERM);
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

// Not through std::terminate, whose SIGABRT would tell whoever waits a crash, not a stop.
TEST(StopSignalsTest, AListenerThatFailsEndsTheProgramByTheStopSignal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(stopWithAListenerThatThrows(), ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace

// Faults on purpose, for the test programs that check how a process ends
// when one reaches the fatal-exception filter.
#pragma once

#include <atomic>
#include <thread>

namespace faults {

inline volatile int* volatile nowhere = nullptr;

// Writes through a null pointer: an access violation.
inline void WriteToNowhere() { *nowhere = 1; }

// Two threads write through a null pointer at the same moment, so both
// faults reach the filter together.
inline void WriteToNowhereOnTwoThreadsAtOnce() {
  std::atomic<int> ready{0};
  auto fault = [&] {
    ready.fetch_add(1);
    while (ready.load() < 2) {
    }
    WriteToNowhere();
  };
  std::thread first(fault);
  std::thread second(fault);
  first.join();
  second.join();
}

}  // namespace faults

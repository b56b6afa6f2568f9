// Faults on purpose, for the test programs that check how a process ends
// when one reaches the fatal-exception filter.
#pragma once

#ifndef _WIN32
#include <sys/mman.h>
#endif

#include <atomic>
#include <thread>

#ifndef _WIN32
// A program that faults on purpose must see its own fault signals, not the
// address sanitizer's handling of them, when built with the sanitizers.
// Defined here, not inline, so the sanitizer finds it: include this header
// in one source file of a program.
extern "C" const char* __asan_default_options() {
  return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:use_sigaltstack=0:"
         "detect_leaks=0";
}
#endif

namespace faults {

inline volatile int* volatile nowhere = nullptr;

// Writes through a null pointer: an access violation.
inline void WriteToNowhere() { *nowhere = 1; }

#ifndef _WIN32
// Writes to a page that may not be touched: a real fault that the
// undefined-behaviour sanitizer does not stop before the fault handler.
inline void WriteToUnmappedPage() {
  void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  *static_cast<volatile int*>(page) = 1;
}
#endif

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

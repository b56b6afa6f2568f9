#include "system/at_exit.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

std::vector<std::function<void()>>& Handlers() {
  static auto* handlers = new std::vector<std::function<void()>>();  // never destroyed
  return *handlers;
}

// Runs the handlers newest first. A handler registered while the handlers
// run (a module started during exit) runs too, before the older ones.
void RunHandlers() {
  auto& handlers = Handlers();
  while (!handlers.empty()) {
    std::function<void()> handler = std::move(handlers.back());
    handlers.pop_back();
    if (handler) handler();
  }
}

}  // namespace

void AtExit(std::function<void()> handler) {
  static const bool registered = [] {
    std::atexit(RunHandlers);
    return true;
  }();
  (void)registered;
  Handlers().push_back(std::move(handler));
}

// Process-exit handlers: run at normal exit (std::exit or return from main)
// in reverse order of registration. Modules register theirs when they start.
#pragma once

#include <functional>

void AtExit(std::function<void()> handler);

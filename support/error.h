// The raised error of the system: an exception carrying the system's exact
// text. The program entry, RunProgram (system/startup.h), catches it at one
// place, writes the text to standard error and exits with status -1.
#pragma once

#include <stdexcept>
#include <string>

#include "support/text.h"

class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(const std::string& utf8) : std::runtime_error(utf8) {}
  explicit RuntimeError(const Text& text) : std::runtime_error(ToUtf8(text)) {}
  Text ToString() const { return FromUtf8(what()); }
};

// The framework's version. The build takes its package version (CMake
// package, pkg-config file) from these lines, so the two always agree.
#pragma once

#define VUBLE_VERSION_MAJOR 0
#define VUBLE_VERSION_MINOR 1
#define VUBLE_VERSION_PATCH 0
#define VUBLE_VERSION_STRING "0.1.0"
// One number that grows with each release, for #if comparisons:
// VUBLE_VERSION >= VUBLE_VERSION_NUMBER(0, 2, 0).
#define VUBLE_VERSION_NUMBER(major, minor, patch) ((major)*10000 + (minor)*100 + (patch))
#define VUBLE_VERSION \
  VUBLE_VERSION_NUMBER(VUBLE_VERSION_MAJOR, VUBLE_VERSION_MINOR, VUBLE_VERSION_PATCH)

// The GL table filled with the system's OpenGL functions.
#include "gfx/gl_api.h"

#include <GL/gl.h>

// From here on the GL_* names are the system header's macros, so each check
// compares the system's value with ours.
#define GL_API_CHECK_CONSTANT(name, value, kind) \
  static_assert(name == value, "GL constant differs from the system header");
GL_API_CONSTANTS(GL_API_CHECK_CONSTANT)
#undef GL_API_CHECK_CONSTANT

namespace {

// Constant-initialised: the addresses are known at link time, so the table
// is complete before any other static initialiser could draw.
constexpr GlApi kSystemGl = {
#define GL_API_SYSTEM_SLOT(ret, name, params, ...) &::gl##name,
    GL_API_FUNCTIONS(GL_API_SYSTEM_SLOT)
#undef GL_API_SYSTEM_SLOT
};

}  // namespace

GlApi gl = kSystemGl;

const GlApi& SystemGlApi() { return kSystemGl; }

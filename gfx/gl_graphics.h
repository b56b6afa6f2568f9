// The OpenGL graphics driver: graphics objects that are a native GL context
// with its window (gfx/gl_context.h). The 2D GL driver forwards to
// glGraphicsDriver and wraps what it makes.
#pragma once

#include <memory>

#include "gfx/gl_context.h"
#include "gfx/graphics.h"

class TGLGraphics : public TGraphics {
 public:
  explicit TGLGraphics(GLContextRecordPtr context) : _context(std::move(context)) {}

  std::shared_ptr<TGraphicsDriver> Driver() override;
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  void Close() override;

  // The native record; Null once closed.
  GLContextRecordPtr _context;
};

class TGLGraphicsDriver : public TGraphicsDriver {
 public:
  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(platform::Handle widget, int flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                            int flags) override;
  // Binds a TGLGraphics' context; Null or any other graphics unbinds.
  void SetGraphics(const std::shared_ptr<TGraphics>& graphics) override;
  void Flip(int sync) override;
};

// The one GL graphics driver, made when the module starts; lives for the process.
extern std::shared_ptr<TGLGraphicsDriver> glGraphicsDriver;

// Starts the graphics front end, makes glGraphicsDriver and selects it with
// BackBufferFlag. A second call does nothing.
void StartGLGraphicsModule();

namespace testing_only {
// Drops glGraphicsDriver; the next start makes and selects a new one.
void ResetGLGraphics();
}  // namespace testing_only

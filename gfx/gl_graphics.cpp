#include "gfx/gl_graphics.h"

#include "system/module_resets.h"

std::shared_ptr<TGLGraphicsDriver> glGraphicsDriver;

namespace {

struct GLGraphicsModuleState {
  bool started = false;
};
GLGraphicsModuleState module;

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kGLGraphics,
                                       testing_only::ResetGLGraphics);

}  // namespace

std::shared_ptr<TGraphicsDriver> TGLGraphics::Driver() { return glGraphicsDriver; }

void TGLGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  GLContextSettings(_context, width, height, depth, hertz, flags);
}

void TGLGraphics::Close() {
  if (!_context) return;
  CloseGLContext(_context);
  _context = nullptr;
}

std::vector<std::shared_ptr<TGraphicsMode>> TGLGraphicsDriver::GraphicsModes() {
  static constexpr std::size_t kRoom = 1024;
  std::vector<GLDisplayMode> buffer(kRoom);
  const int count = ListDisplayModes(buffer);
  std::vector<std::shared_ptr<TGraphicsMode>> modes;
  modes.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const GLDisplayMode& entry = buffer[static_cast<std::size_t>(i)];
    auto mode = std::make_shared<TGraphicsMode>();
    mode->width = entry.width;
    mode->height = entry.height;
    mode->depth = entry.depth;
    mode->hertz = entry.hertz;
    modes.push_back(std::move(mode));
  }
  return modes;
}

std::shared_ptr<TGraphics> TGLGraphicsDriver::AttachGraphics(platform::Handle widget, int flags) {
  GLContextRecordPtr record = AttachGLContext(widget, flags);
  if (!record) return nullptr;
  return std::make_shared<TGLGraphics>(std::move(record));
}

std::shared_ptr<TGraphics> TGLGraphicsDriver::CreateGraphics(int width, int height, int depth,
                                                             int hertz, int flags) {
  GLContextRecordPtr record = CreateGLContext(width, height, depth, hertz, flags);
  if (!record) return nullptr;
  return std::make_shared<TGLGraphics>(std::move(record));
}

void TGLGraphicsDriver::SetGraphics(const std::shared_ptr<TGraphics>& graphics) {
  auto* gl = dynamic_cast<TGLGraphics*>(graphics.get());
  MakeGLContextCurrent(gl != nullptr ? gl->_context : nullptr);
}

void TGLGraphicsDriver::Flip(int sync) { FlipGLContext(sync); }

void StartGLGraphicsModule() {
  if (module.started) return;
  module.started = true;
  StartGraphicsModule();
  glGraphicsDriver = std::make_shared<TGLGraphicsDriver>();
  SelectGraphicsDriver(glGraphicsDriver, BackBufferFlag);
}

namespace testing_only {
void ResetGLGraphics() {
  glGraphicsDriver = nullptr;
  module = GLGraphicsModuleState{};
}
}  // namespace testing_only

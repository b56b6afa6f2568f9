#include "gfx/gl_flat2d_driver.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "gfx/gl_api.h"
#include "gfx/gl_context.h"
#include "gfx/gl_graphics.h"
#include "gfx/gl_image_frame.h"
#include "gfx/overlay.h"
#include "system/module_resets.h"

std::shared_ptr<TGLFlat2DDriver> glFlat2DDriver;

namespace {

struct GLFlat2DModuleState {
  bool started = false;
};
GLFlat2DModuleState module;

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kGLFlat2D,
                                       testing_only::ResetGLFlat2D);

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

int Clamped(int value, int low, int high) {
  return value < low ? low : value > high ? high : value;
}

std::shared_ptr<TGLFlat2DDriver> Self(TGLFlat2DDriver& driver) {
  return std::static_pointer_cast<TGLFlat2DDriver>(driver.shared_from_this());
}

}  // namespace

std::shared_ptr<TGLFlat2DDriver> TGLFlat2DDriver::Create() {
  return glGraphicsDriver ? Self(*this) : nullptr;
}

void TGLFlat2DDriver::ResetGLContext(TGraphics& graphics) {
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  graphics.GetSettings(width, height, depth, hertz, flags);
  stateBlend = 0;
  boundTexture = 0;
  textureEnabled = false;
  gl.Disable(GL_TEXTURE_2D);
  gl.MatrixMode(GL_PROJECTION);
  gl.LoadIdentity();
  gl.Ortho(0, width, height, 0, -1, 1);
  // All transformation happens on the vertices; the model-view stays identity.
  gl.MatrixMode(GL_MODELVIEW);
  gl.LoadIdentity();
  gl.Viewport(0, 0, width, height);
}

Text TGLFlat2DDriver::ToString() const { return u"OpenGL"; }

// The graphics-driver half forwards to glGraphicsDriver, which the module
// start makes before this driver; without it nothing can be opened.

std::vector<std::shared_ptr<TGraphicsMode>> TGLFlat2DDriver::GraphicsModes() {
  if (!glGraphicsDriver) return {};
  return glGraphicsDriver->GraphicsModes();
}

std::shared_ptr<TGraphics> TGLFlat2DDriver::AttachGraphics(platform::Handle widget, int flags) {
  if (!glGraphicsDriver) return nullptr;
  std::shared_ptr<TGraphics> graphics = glGraphicsDriver->AttachGraphics(widget, flags);
  if (!graphics) return nullptr;
  return TFlat2DGraphics::Create(std::move(graphics), Self(*this));
}

std::shared_ptr<TGraphics> TGLFlat2DDriver::CreateGraphics(int width, int height, int depth,
                                                           int hertz, int flags) {
  if (!glGraphicsDriver) return nullptr;
  std::shared_ptr<TGraphics> graphics =
      glGraphicsDriver->CreateGraphics(width, height, depth, hertz, flags);
  if (!graphics) return nullptr;
  return TFlat2DGraphics::Create(std::move(graphics), Self(*this));
}

void TGLFlat2DDriver::SetGraphics(const std::shared_ptr<TGraphics>& graphics) {
  if (!glGraphicsDriver) return;
  auto t = std::dynamic_pointer_cast<TFlat2DGraphics>(graphics);
  // Anything without a live wrapped graphics has no context to bind.
  if (!t || !t->_graphics) {
    TFlat2DGraphics::ClearCurrent();
    glGraphicsDriver->SetGraphics(nullptr);
    return;
  }
  glGraphicsDriver->SetGraphics(t->_graphics);
  ResetGLContext(*t);
  t->MakeCurrent();
}

void TGLFlat2DDriver::Flip(int sync) {
  if (glGraphicsDriver) glGraphicsDriver->Flip(sync);
}

std::shared_ptr<TImageFrame> TGLFlat2DDriver::CreateFrameFromPixmap(const TPixmapPtr& pixmap,
                                                                    int flags) {
  return TGLImageFrame::CreateFromPixmap(pixmap, flags);
}

void TGLFlat2DDriver::SetBlend(int blend) {
  if (blend == stateBlend) return;
  stateBlend = blend;
  switch (blend) {
    case MaskedBlend:
      gl.Disable(GL_BLEND);
      gl.Enable(GL_ALPHA_TEST);
      gl.AlphaFunc(GL_GEQUAL, 0.5f);
      break;
    case OpaqueBlend:
      gl.Disable(GL_BLEND);
      gl.Disable(GL_ALPHA_TEST);
      break;
    case AlphaBlend:
      gl.Enable(GL_BLEND);
      gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      gl.Disable(GL_ALPHA_TEST);
      break;
    case AdditiveBlend:
      gl.Enable(GL_BLEND);
      gl.BlendFunc(GL_SRC_ALPHA, GL_ONE);
      gl.Disable(GL_ALPHA_TEST);
      break;
    case MultiplyBlend:
      gl.Enable(GL_BLEND);
      gl.BlendFunc(GL_DST_COLOR, GL_ZERO);
      gl.Disable(GL_ALPHA_TEST);
      break;
    default:
      gl.Disable(GL_BLEND);
      gl.Disable(GL_ALPHA_TEST);
      break;
  }
}

void TGLFlat2DDriver::SetAlpha(float alpha) {
  // Written so that not-a-number fails the first test and becomes 0.
  if (!(alpha >= 0.0f)) alpha = 0.0f;
  if (alpha > 1.0f) alpha = 1.0f;
  colorBytes[3] = static_cast<std::uint8_t>(alpha * 255.0f);
  gl.Color4ubv(colorBytes.data());
}

void TGLFlat2DDriver::SetColor(int red, int green, int blue) {
  colorBytes[0] = static_cast<std::uint8_t>(Clamped(red, 0, 255));
  colorBytes[1] = static_cast<std::uint8_t>(Clamped(green, 0, 255));
  colorBytes[2] = static_cast<std::uint8_t>(Clamped(blue, 0, 255));
  gl.Color4ubv(colorBytes.data());
}

void TGLFlat2DDriver::SetClsColor(int red, int green, int blue) {
  gl.ClearColor(static_cast<float>(Clamped(red, 0, 255)) / 255.0f,
                static_cast<float>(Clamped(green, 0, 255)) / 255.0f,
                static_cast<float>(Clamped(blue, 0, 255)) / 255.0f, 1.0f);
}

void TGLFlat2DDriver::SetViewport(int x, int y, int width, int height) {
  const int window_height = CurrentGraphicsHeight();
  if (x == 0 && y == 0 && width == CurrentGraphicsWidth() && height == window_height) {
    gl.Disable(GL_SCISSOR_TEST);
    return;
  }
  gl.Enable(GL_SCISSOR_TEST);
  // GL counts rows from the bottom of the window.
  const std::int64_t bottom = static_cast<std::int64_t>(window_height) - y - height;
  const int gl_y = bottom < std::numeric_limits<int>::min()   ? std::numeric_limits<int>::min()
                   : bottom > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                              : static_cast<int>(bottom);
  gl.Scissor(x, gl_y, width, height);
}

void TGLFlat2DDriver::SetTransform(float ix, float iy, float jx, float jy) {
  driverMatrix = {ix, iy, jx, jy};
}

void TGLFlat2DDriver::SetLineWidth(float width) { gl.LineWidth(width); }

void TGLFlat2DDriver::Cls() { gl.Clear(GL_COLOR_BUFFER_BIT); }

void TGLFlat2DDriver::Plot(float x, float y) {
  DisableTexture();
  gl.Begin(GL_POINTS);
  gl.Vertex2f(x + 0.5f, y + 0.5f);
  gl.End();
}

void TGLFlat2DDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  const auto [ix, iy, jx, jy] = driverMatrix;
  DisableTexture();
  gl.Begin(GL_LINES);
  gl.Vertex2f(x0 * ix + y0 * iy + tx + 0.5f, x0 * jx + y0 * jy + ty + 0.5f);
  gl.Vertex2f(x1 * ix + y1 * iy + tx + 0.5f, x1 * jx + y1 * jy + ty + 0.5f);
  gl.End();
}

void TGLFlat2DDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  const auto [ix, iy, jx, jy] = driverMatrix;
  DisableTexture();
  gl.Begin(GL_QUADS);
  gl.Vertex2f(x0 * ix + y0 * iy + tx, x0 * jx + y0 * jy + ty);
  gl.Vertex2f(x1 * ix + y0 * iy + tx, x1 * jx + y0 * jy + ty);
  gl.Vertex2f(x1 * ix + y1 * iy + tx, x1 * jx + y1 * jy + ty);
  gl.Vertex2f(x0 * ix + y1 * iy + tx, x0 * jx + y1 * jy + ty);
  gl.End();
}

void TGLFlat2DDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  const auto [ix, iy, jx, jy] = driverMatrix;
  const float xr = (x1 - x0) * 0.5f;
  const float yr = (y1 - y0) * 0.5f;
  int segments = TruncatedInt(std::fabs(xr) + std::fabs(yr));
  if (segments < 12) segments = 12;
  segments &= ~3;
  const float cx = x0 + xr;
  const float cy = y0 + yr;
  DisableTexture();
  gl.Begin(GL_POLYGON);
  for (int i = 0; i < segments; ++i) {
    const float theta = static_cast<float>(i) * 360.0f / static_cast<float>(segments);
    const double radians = static_cast<double>(theta) * kRadiansPerDegree;
    // Angles grow toward smaller y: counter-clockwise on screen.
    const float px = static_cast<float>(cx + std::cos(radians) * xr);
    const float py = static_cast<float>(cy - std::sin(radians) * yr);
    gl.Vertex2f(px * ix + py * iy + tx, px * jx + py * jy + ty);
  }
  gl.End();
}

void TGLFlat2DDriver::DrawPoly(const std::vector<float>& xy, float handleX, float handleY,
                               float originX, float originY) {
  if (xy.size() < 6 || xy.size() % 2 != 0) return;
  const auto [ix, iy, jx, jy] = driverMatrix;
  DisableTexture();
  gl.Begin(GL_POLYGON);
  for (std::size_t i = 0; i < xy.size(); i += 2) {
    const float x = xy[i] + handleX;
    const float y = xy[i + 1] + handleY;
    gl.Vertex2f(x * ix + y * iy + originX, x * jx + y * jy + originY);
  }
  gl.End();
}

void TGLFlat2DDriver::DrawPixmap(const TPixmapPtr& pixmap, int x, int y) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return;
  const TPixmapPtr source = GLReadableRgba(pixmap);
  const int saved_blend = stateBlend;
  DisableTexture();
  SetBlend(OpaqueBlend);
  // Rows go downward from the raster position; the empty bitmap moves the
  // raster position by (x, -y) without being clipped away off-screen.
  gl.PixelZoom(1.0f, -1.0f);
  gl.RasterPos2i(0, 0);
  gl.Bitmap(0, 0, 0.0f, 0.0f, static_cast<float>(x), -static_cast<float>(y), nullptr);
  gl.PixelStorei(GL_UNPACK_ROW_LENGTH, source->pitch / 4);
  gl.DrawPixels(source->width, source->height, GL_RGBA, GL_UNSIGNED_BYTE, source->pixels);
  gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  gl.PixelZoom(1.0f, 1.0f);
  SetBlend(saved_blend);
}

TPixmapPtr TGLFlat2DDriver::GrabPixmap(int x, int y, int width, int height) {
  const int saved_blend = stateBlend;
  SetBlend(OpaqueBlend);
  TPixmapPtr read = TPixmap::Create(width, height, RGBAFormat, 4);
  const std::int64_t bottom = static_cast<std::int64_t>(CurrentGraphicsHeight()) - height - y;
  const int gl_y = bottom < std::numeric_limits<int>::min()   ? std::numeric_limits<int>::min()
                   : bottom > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                              : static_cast<int>(bottom);
  if (width > 0 && height > 0) {
    gl.ReadPixels(x, gl_y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, read->pixels);
  }
  // GL reads bottom row first.
  TPixmapPtr turned = MirrorBufferY(read);
  SetBlend(saved_blend);
  return turned;
}

void TGLFlat2DDriver::SetResolution(float width, float height) {
  gl.MatrixMode(GL_PROJECTION);
  gl.LoadIdentity();
  gl.Ortho(0, width, height, 0, -1, 1);
  gl.MatrixMode(GL_MODELVIEW);
}

void TGLFlat2DDriver::BindTexture(unsigned name) {
  if (name == boundTexture) return;
  gl.BindTexture(GL_TEXTURE_2D, name);
  boundTexture = name;
}

void TGLFlat2DDriver::EnableTexture(unsigned name) {
  BindTexture(name);
  if (textureEnabled) return;
  gl.Enable(GL_TEXTURE_2D);
  textureEnabled = true;
}

void TGLFlat2DDriver::DisableTexture() {
  if (textureEnabled) gl.Disable(GL_TEXTURE_2D);
  textureEnabled = false;
}

void StartGLFlat2DModule() {
  if (module.started) return;
  module.started = true;
  StartGLGraphicsModule();
  glFlat2DDriver = std::make_shared<TGLFlat2DDriver>();
  SelectGraphicsDriver(glFlat2DDriver->Create(), BackBufferFlag);
}

namespace testing_only {
void ResetGLFlat2D() {
  TFlat2DGraphics::ClearCurrent();
  glFlat2DDriver = nullptr;
  module = GLFlat2DModuleState{};
}
}  // namespace testing_only

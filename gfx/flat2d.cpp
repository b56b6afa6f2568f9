#include "gfx/flat2d.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "gfx/image_font.h"
#include "system/polled_input.h"
#include "system/system_driver.h"

std::shared_ptr<TFlat2DGraphics> currentFlat2DGraphics;
std::shared_ptr<TFlat2DDriver> currentFlat2DDriver;
std::shared_ptr<TImageFont> defaultImageFont;

int TruncatedInt(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  return static_cast<int>(value);
}

int FlooredInt(double value) { return TruncatedInt(std::floor(value)); }

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

int ClampedInt(std::int64_t value) {
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

// The operations below act on one graphics object and its driver: the front
// end passes the current pair, Validate its own object and driver. The
// driver is Null for a closed object; its state still changes.

void SetColorOn(TFlat2DGraphics& g, TFlat2DDriver* d, int red, int green, int blue) {
  g.color_red = red;
  g.color_green = green;
  g.color_blue = blue;
  if (d) d->SetColor(red, green, blue);
}

void SetClsColorOn(TFlat2DGraphics& g, TFlat2DDriver* d, int red, int green, int blue) {
  g.clscolor_red = red;
  g.clscolor_green = green;
  g.clscolor_blue = blue;
  if (d) d->SetClsColor(red, green, blue);
}

void SetBlendOn(TFlat2DGraphics& g, TFlat2DDriver* d, int blend) {
  g.blend_mode = blend;
  if (d) d->SetBlend(blend);
}

void SetAlphaOn(TFlat2DGraphics& g, TFlat2DDriver* d, float alpha) {
  g.color_alpha = alpha;
  if (d) d->SetAlpha(alpha);
}

void SetLineWidthOn(TFlat2DGraphics& g, TFlat2DDriver* d, float width) {
  g.line_width = width;
  if (d) d->SetLineWidth(width);
}

void SetVirtualSizeOn(TFlat2DGraphics& g, TFlat2DDriver* d, float width, float height) {
  g.vres_width = width;
  g.vres_height = height;
  // A window of size 0 gives infinite scales, as float division does.
  g.vres_mousexscale = width / static_cast<float>(CurrentGraphicsWidth());
  g.vres_mouseyscale = height / static_cast<float>(CurrentGraphicsHeight());
  if (d) d->SetResolution(width, height);
}

void SetViewportOn(TFlat2DGraphics& g, TFlat2DDriver* d, int x, int y, int width, int height) {
  g.viewport_x = x;
  g.viewport_y = y;
  g.viewport_w = width;
  g.viewport_h = height;
  const float right = static_cast<float>(static_cast<std::int64_t>(x) + width);
  const float bottom = static_cast<float>(static_cast<std::int64_t>(y) + height);
  const int x0 = FlooredInt(static_cast<float>(x) / g.vres_mousexscale);
  const int y0 = FlooredInt(static_cast<float>(y) / g.vres_mouseyscale);
  const int x1 = FlooredInt(right / g.vres_mousexscale);
  const int y1 = FlooredInt(bottom / g.vres_mouseyscale);
  if (d) {
    d->SetViewport(x0, y0, ClampedInt(static_cast<std::int64_t>(x1) - x0),
                   ClampedInt(static_cast<std::int64_t>(y1) - y0));
  }
}

void RecomputeMatrixOn(TFlat2DGraphics& g, TFlat2DDriver* d) {
  const double radians = static_cast<double>(g.tform_rot) * kRadiansPerDegree;
  const double s = std::sin(radians);
  const double c = std::cos(radians);
  g.tform_ix = static_cast<float>(c * g.tform_scale_x);
  g.tform_iy = static_cast<float>(-s * g.tform_scale_y);
  g.tform_jx = static_cast<float>(s * g.tform_scale_x);
  g.tform_jy = static_cast<float>(c * g.tform_scale_y);
  if (d) d->SetTransform(g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy);
}

void SetDrawRotationOn(TFlat2DGraphics& g, TFlat2DDriver* d, float degrees) {
  g.tform_rot = degrees;
  RecomputeMatrixOn(g, d);
}

void SetDrawScaleOn(TFlat2DGraphics& g, TFlat2DDriver* d, float scaleX, float scaleY) {
  g.tform_scale_x = scaleX;
  g.tform_scale_y = scaleY;
  RecomputeMatrixOn(g, d);
}

void SetDrawOriginOn(TFlat2DGraphics& g, float x, float y) {
  g.origin_x = x;
  g.origin_y = y;
}

void SetDrawHandleOn(TFlat2DGraphics& g, float x, float y) {
  g.handle_x = -x;
  g.handle_y = -y;
}

void SelectImageFontOn(TFlat2DGraphics& g, std::shared_ptr<TImageFont> font) {
  g.image_font = font ? std::move(font) : defaultImageFont;
}

}  // namespace

std::shared_ptr<TGraphicsDriver> TFlat2DGraphics::Driver() { return _driver; }

void TFlat2DGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  if (!_graphics) {
    width = height = depth = hertz = flags = 0;
    return;
  }
  _graphics->GetSettings(width, height, depth, hertz, flags);
}

void TFlat2DGraphics::Close() {
  if (!_graphics) return;
  _graphics->Close();
  _graphics = nullptr;
  _driver = nullptr;
}

void TFlat2DGraphics::Validate() {
  if (!_graphics) return;
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  _graphics->GetSettings(width, height, depth, hertz, flags);
  if (width != g_width || height != g_height) {
    g_width = width;
    g_height = height;
    vres_width = static_cast<float>(width);
    vres_height = static_cast<float>(height);
    vres_mousexscale = 1.0f;
    vres_mouseyscale = 1.0f;
  }
  TFlat2DDriver* d = _driver.get();
  SetVirtualSizeOn(*this, d, vres_width, vres_height);
  SetBlendOn(*this, d, blend_mode);
  SetColorOn(*this, d, color_red, color_green, color_blue);
  SetAlphaOn(*this, d, color_alpha);
  SetClsColorOn(*this, d, clscolor_red, clscolor_green, clscolor_blue);
  SetLineWidthOn(*this, d, line_width);
  SetDrawRotationOn(*this, d, tform_rot);
  SetDrawScaleOn(*this, d, tform_scale_x, tform_scale_y);
  SetViewportOn(*this, d, viewport_x, viewport_y, viewport_w, viewport_h);
  SetDrawOriginOn(*this, origin_x, origin_y);
  SetDrawHandleOn(*this, -handle_x, -handle_y);
  SelectImageFontOn(*this, image_font);
}

void TFlat2DGraphics::MakeCurrent() {
  currentFlat2DGraphics = shared_from_this();
  currentFlat2DDriver = _driver;
  Validate();
  if (_setup == 0) {
    // A new double-buffered window shows garbage until both buffers have
    // been cleared once.
    ::Cls();
    ::Flip(0);
    ::Cls();
    ::Flip(0);
    _setup = 1;
  }
}

void TFlat2DGraphics::ClearCurrent() {
  currentFlat2DGraphics = nullptr;
  currentFlat2DDriver = nullptr;
}

std::shared_ptr<TFlat2DGraphics> TFlat2DGraphics::Current() { return currentFlat2DGraphics; }

std::shared_ptr<TFlat2DGraphics> TFlat2DGraphics::Create(std::shared_ptr<TGraphics> graphics,
                                                         std::shared_ptr<TFlat2DDriver> driver) {
  if (!graphics) return nullptr;
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  graphics->GetSettings(width, height, depth, hertz, flags);
  if (!defaultImageFont) defaultImageFont = TImageFont::CreateDefault();
  auto g = std::make_shared<TFlat2DGraphics>();
  g->viewport_w = width;
  g->viewport_h = height;
  g->image_font = defaultImageFont;
  g->vres_width = static_cast<float>(width);
  g->vres_height = static_cast<float>(height);
  g->g_width = width;
  g->g_height = height;
  g->_graphics = std::move(graphics);
  g->_driver = std::move(driver);
  return g;
}

// The front end: every operation needs a current 2D graphics object; with
// none, setters and primitives do nothing and queries answer 0.

void Cls() {
  if (currentFlat2DGraphics && currentFlat2DDriver) currentFlat2DDriver->Cls();
}

void SetColor(int red, int green, int blue) {
  if (!currentFlat2DGraphics) return;
  SetColorOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), red, green, blue);
}

void CurrentColor(int& red, int& green, int& blue) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  red = g ? g->color_red : 0;
  green = g ? g->color_green : 0;
  blue = g ? g->color_blue : 0;
}

void SetClsColor(int red, int green, int blue) {
  if (!currentFlat2DGraphics) return;
  SetClsColorOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), red, green, blue);
}

void CurrentClsColor(int& red, int& green, int& blue) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  red = g ? g->clscolor_red : 0;
  green = g ? g->clscolor_green : 0;
  blue = g ? g->clscolor_blue : 0;
}

void SetBlend(int blend) {
  if (!currentFlat2DGraphics) return;
  SetBlendOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), blend);
}

int CurrentBlend() { return currentFlat2DGraphics ? currentFlat2DGraphics->blend_mode : 0; }

void SetAlpha(float alpha) {
  if (!currentFlat2DGraphics) return;
  SetAlphaOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), alpha);
}

float CurrentAlpha() { return currentFlat2DGraphics ? currentFlat2DGraphics->color_alpha : 0.0f; }

void SetLineWidth(float width) {
  if (!currentFlat2DGraphics) return;
  SetLineWidthOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), width);
}

float CurrentLineWidth() {
  return currentFlat2DGraphics ? currentFlat2DGraphics->line_width : 0.0f;
}

void SetVirtualSize(float width, float height) {
  if (!currentFlat2DGraphics) return;
  SetVirtualSizeOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), width, height);
}

float VirtualWidth() { return currentFlat2DGraphics ? currentFlat2DGraphics->vres_width : 0.0f; }

float VirtualHeight() { return currentFlat2DGraphics ? currentFlat2DGraphics->vres_height : 0.0f; }

float VirtualPointerX() {
  if (!currentFlat2DGraphics) return 0.0f;
  return static_cast<float>(PointerX()) * currentFlat2DGraphics->vres_mousexscale;
}

float VirtualPointerY() {
  if (!currentFlat2DGraphics) return 0.0f;
  return static_cast<float>(PointerY()) * currentFlat2DGraphics->vres_mouseyscale;
}

float VirtualPointerXDelta() {
  if (!currentFlat2DGraphics) return 0.0f;
  return static_cast<float>(PointerXDelta()) * currentFlat2DGraphics->vres_mousexscale;
}

float VirtualPointerYDelta() {
  if (!currentFlat2DGraphics) return 0.0f;
  return static_cast<float>(PointerYDelta()) * currentFlat2DGraphics->vres_mouseyscale;
}

void PlaceVirtualPointer(float x, float y) {
  if (!currentFlat2DGraphics) return;
  const TFlat2DGraphics& g = *currentFlat2DGraphics;
  PlacePointer(TruncatedInt(x / g.vres_mousexscale), TruncatedInt(y / g.vres_mouseyscale));
}

void SetViewport(int x, int y, int width, int height) {
  if (!currentFlat2DGraphics) return;
  SetViewportOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), x, y, width, height);
}

void CurrentViewport(int& x, int& y, int& width, int& height) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  x = g ? g->viewport_x : 0;
  y = g ? g->viewport_y : 0;
  width = g ? g->viewport_w : 0;
  height = g ? g->viewport_h : 0;
}

void SetDrawOrigin(float x, float y) {
  if (currentFlat2DGraphics) SetDrawOriginOn(*currentFlat2DGraphics, x, y);
}

void CurrentDrawOrigin(float& x, float& y) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  x = g ? g->origin_x : 0.0f;
  y = g ? g->origin_y : 0.0f;
}

void SetDrawHandle(float x, float y) {
  if (currentFlat2DGraphics) SetDrawHandleOn(*currentFlat2DGraphics, x, y);
}

void CurrentDrawHandle(float& x, float& y) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  x = g ? -g->handle_x : 0.0f;
  y = g ? -g->handle_y : 0.0f;
}

void SetDrawRotation(float degrees) {
  if (!currentFlat2DGraphics) return;
  SetDrawRotationOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), degrees);
}

float CurrentDrawRotation() {
  return currentFlat2DGraphics ? currentFlat2DGraphics->tform_rot : 0.0f;
}

void SetDrawScale(float scaleX, float scaleY) {
  if (!currentFlat2DGraphics) return;
  SetDrawScaleOn(*currentFlat2DGraphics, currentFlat2DDriver.get(), scaleX, scaleY);
}

void CurrentDrawScale(float& scaleX, float& scaleY) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  scaleX = g ? g->tform_scale_x : 0.0f;
  scaleY = g ? g->tform_scale_y : 0.0f;
}

void SetRotationScale(float degrees, float scaleX, float scaleY) {
  if (!currentFlat2DGraphics) return;
  TFlat2DGraphics& g = *currentFlat2DGraphics;
  g.tform_rot = degrees;
  g.tform_scale_x = scaleX;
  g.tform_scale_y = scaleY;
  RecomputeMatrixOn(g, currentFlat2DDriver.get());
}

void SelectImageFont(std::shared_ptr<TImageFont> font) {
  if (currentFlat2DGraphics) SelectImageFontOn(*currentFlat2DGraphics, std::move(font));
}

std::shared_ptr<TImageFont> CurrentImageFont() {
  return currentFlat2DGraphics ? currentFlat2DGraphics->image_font : nullptr;
}

void Plot(float x, float y) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!g || !currentFlat2DDriver) return;
  currentFlat2DDriver->Plot(x + g->origin_x, y + g->origin_y);
}

void DrawRect(float x, float y, float width, float height) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!g || !currentFlat2DDriver) return;
  currentFlat2DDriver->DrawRect(g->handle_x, g->handle_y, g->handle_x + width, g->handle_y + height,
                                x + g->origin_x, y + g->origin_y);
}

void DrawOval(float x, float y, float width, float height) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!g || !currentFlat2DDriver) return;
  currentFlat2DDriver->DrawOval(g->handle_x, g->handle_y, g->handle_x + width, g->handle_y + height,
                                x + g->origin_x, y + g->origin_y);
}

void DrawLine(float x0, float y0, float x1, float y1, int drawLastPixel) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!g || !currentFlat2DDriver) return;
  const float ex = g->handle_x + x1 - x0;
  const float ey = g->handle_y + y1 - y0;
  currentFlat2DDriver->DrawLine(g->handle_x, g->handle_y, ex, ey, x0 + g->origin_x,
                                y0 + g->origin_y);
  if (drawLastPixel != 0) {
    // GL leaves a line's last pixel out; plot it where the end maps to.
    currentFlat2DDriver->Plot(ex * g->tform_ix + ey * g->tform_iy + x0 + g->origin_x,
                              ex * g->tform_jx + ey * g->tform_jy + y0 + g->origin_y);
  }
}

void DrawPoly(const std::vector<float>& xy) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!g || !currentFlat2DDriver) return;
  currentFlat2DDriver->DrawPoly(xy, g->handle_x, g->handle_y, g->origin_x, g->origin_y);
}

void DrawPixmap(const TPixmapPtr& pixmap, int x, int y) {
  if (currentFlat2DGraphics && currentFlat2DDriver) currentFlat2DDriver->DrawPixmap(pixmap, x, y);
}

TPixmapPtr GrabPixmap(int x, int y, int width, int height) {
  if (!currentFlat2DGraphics || !currentFlat2DDriver) return nullptr;
  return currentFlat2DDriver->GrabPixmap(x, y, width, height);
}

void RecomputeMatrix() {
  if (currentFlat2DGraphics) RecomputeMatrixOn(*currentFlat2DGraphics, currentFlat2DDriver.get());
}

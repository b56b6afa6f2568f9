// The 2D drawing layer: the abstract 2D driver, the 2D graphics object with
// its drawing state, and the front-end operations that change the current
// graphics' state and draw through its driver. The program draws every
// frame with these; the GL implementation is gfx/gl_flat2d_driver.h.
#pragma once

#include <memory>
#include <vector>

#include "gfx/graphics.h"
#include "support/pixmap.h"

class TImageFont;   // gfx/image_font.h
class TImageFrame;  // gfx/image.h

// Blend modes. Any other value turns blending and alpha testing off. Their
// own namespace is inline, so they are named as globals; a program that
// also includes <windows.h>, whose GDI declares a function AlphaBlend,
// writes blend_modes::AlphaBlend.
inline namespace blend_modes {
inline constexpr int MaskedBlend = 1;    // no blending; alpha below 0.5 is not drawn
inline constexpr int OpaqueBlend = 2;    // no blending, no alpha test
inline constexpr int AlphaBlend = 3;     // source over destination by source alpha
inline constexpr int AdditiveBlend = 4;  // source times alpha added to destination
inline constexpr int MultiplyBlend = 5;  // destination times source colour
}  // namespace blend_modes

// A driver that draws 2D shapes. Colours, viewport and pixmap coordinates
// are ints; alpha, widths, coordinates and matrix entries are floats.
// Shapes are given in local coordinates: a local point (x, y) lands at
// (x·ix + y·iy + tx, x·jx + y·jy + ty) with the matrix of SetTransform.
class TFlat2DDriver : public TGraphicsDriver {
 public:
  // A drawable frame of an image made from its pixels with the image flags,
  // or Null when none can be made.
  virtual std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmapPtr& pixmap,
                                                             int flags) = 0;
  virtual void SetBlend(int blend) = 0;
  virtual void SetAlpha(float alpha) = 0;
  virtual void SetColor(int red, int green, int blue) = 0;
  virtual void SetClsColor(int red, int green, int blue) = 0;
  // Pixels of the window, y down from the top.
  virtual void SetViewport(int x, int y, int width, int height) = 0;
  virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
  virtual void SetLineWidth(float width) = 0;
  virtual void Cls() = 0;
  virtual void Plot(float x, float y) = 0;
  virtual void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  // xy holds x, y pairs; fewer than three pairs or an odd count draws nothing.
  virtual void DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float originX,
                        float originY) = 0;
  // Window pixels: the pixmap's top-left pixel lands on (x, y).
  virtual void DrawPixmap(const TPixmapPtr& pixmap, int x, int y) = 0;
  // A new RGBA pixmap of the window rectangle, its top row first.
  virtual TPixmapPtr GrabPixmap(int x, int y, int width, int height) = 0;
  // The virtual resolution: (0, 0) top-left, (width, height) bottom-right.
  virtual void SetResolution(float width, float height) = 0;
};

// A graphics object wrapped for 2D drawing, with its drawing state. The
// state survives while another graphics is current and is pushed back to
// the driver whenever this one is made current again.
class TFlat2DGraphics : public TGraphics, public std::enable_shared_from_this<TFlat2DGraphics> {
 public:
  // As last set, unclamped (the driver clamps what it sends).
  int color_red = 255;
  int color_green = 255;
  int color_blue = 255;
  float color_alpha = 1.0f;
  int clscolor_red = 0;
  int clscolor_green = 0;
  int clscolor_blue = 0;
  float line_width = 1.0f;
  float tform_rot = 0.0f;  // degrees; positive turns clockwise on screen
  float tform_scale_x = 1.0f;
  float tform_scale_y = 1.0f;
  // Derived from rotation and scale by RecomputeMatrix.
  float tform_ix = 1.0f;
  float tform_iy = 0.0f;
  float tform_jx = 0.0f;
  float tform_jy = 1.0f;
  // The clipping rectangle in virtual units.
  int viewport_x = 0;
  int viewport_y = 0;
  int viewport_w = 0;
  int viewport_h = 0;
  float origin_x = 0.0f;
  float origin_y = 0.0f;
  // The handle, stored negated: the top-left corner of a shape's local box.
  float handle_x = 0.0f;
  float handle_y = 0.0f;
  std::shared_ptr<TImageFont> image_font;
  int blend_mode = MaskedBlend;
  float vres_width = 0.0f;
  float vres_height = 0.0f;
  // Virtual units per window pixel.
  float vres_mousexscale = 1.0f;
  float vres_mouseyscale = 1.0f;
  // The wrapped graphics' size as last seen.
  int g_width = 0;
  int g_height = 0;
  std::shared_ptr<TGraphics> _graphics;
  std::shared_ptr<TFlat2DDriver> _driver;
  int _setup = 0;  // 1 once the first MakeCurrent has cleared both buffers

  std::shared_ptr<TGraphicsDriver> Driver() override;
  // Forwarded to the wrapped graphics; all 0 once closed.
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  // Closes the wrapped graphics and forgets it and the driver.
  void Close() override;

  // Re-reads the wrapped size (a change resets the virtual resolution) and
  // pushes the whole state to the driver.
  void Validate();
  // Makes this object and its driver current and validates; the first time
  // also clears and presents twice, so both buffers start in the clear
  // colour. Called by the driver's SetGraphics once the context is bound.
  void MakeCurrent();

  static void ClearCurrent();
  static std::shared_ptr<TFlat2DGraphics> Current();
  // Wraps graphics (a GL graphics object) with the initial state for its size.
  static std::shared_ptr<TFlat2DGraphics> Create(std::shared_ptr<TGraphics> graphics,
                                                 std::shared_ptr<TFlat2DDriver> driver);
};

// The current 2D graphics and its driver (both Null when none is current),
// and the font new 2D graphics start with (made when the first is created).
extern std::shared_ptr<TFlat2DGraphics> currentFlat2DGraphics;
extern std::shared_ptr<TFlat2DDriver> currentFlat2DDriver;
extern std::shared_ptr<TImageFont> defaultImageFont;

// Front-end operations on the current 2D graphics. With no current 2D
// graphics they do nothing and the queries answer 0 (or Null).
void Cls();
void SetColor(int red, int green, int blue);
void CurrentColor(int& red, int& green, int& blue);
void SetClsColor(int red, int green, int blue);
void CurrentClsColor(int& red, int& green, int& blue);
void SetBlend(int blend);
int CurrentBlend();
void SetAlpha(float alpha);
float CurrentAlpha();
void SetLineWidth(float width);
float CurrentLineWidth();
// Drawing coordinates become virtual units: (width, height) is the window's
// bottom-right corner.
void SetVirtualSize(float width, float height);
float VirtualWidth();
float VirtualHeight();
float VirtualPointerX();
float VirtualPointerY();
float VirtualPointerXDelta();
float VirtualPointerYDelta();
void PlaceVirtualPointer(float x, float y);
// In virtual units; scissors drawing and Cls to that rectangle.
void SetViewport(int x, int y, int width, int height);
void CurrentViewport(int& x, int& y, int& width, int& height);
void SetDrawOrigin(float x, float y);
void CurrentDrawOrigin(float& x, float& y);
void SetDrawHandle(float x, float y);
void CurrentDrawHandle(float& x, float& y);
void SetDrawRotation(float degrees);
float CurrentDrawRotation();
void SetDrawScale(float scaleX, float scaleY);
void CurrentDrawScale(float& scaleX, float& scaleY);
void SetRotationScale(float degrees, float scaleX, float scaleY);
// Null selects defaultImageFont.
void SelectImageFont(std::shared_ptr<TImageFont> font);
std::shared_ptr<TImageFont> CurrentImageFont();

// Primitives. Plot takes the origin only; the shapes take origin, handle,
// rotation and scale.
void Plot(float x, float y);
void DrawRect(float x, float y, float width, float height);
void DrawOval(float x, float y, float width, float height);
// drawLastPixel not 0 (IncludeLastPixel) also plots the end point, which GL
// lines leave out; 0 (ExcludeLastPixel) does not.
inline constexpr int IncludeLastPixel = 1;
inline constexpr int ExcludeLastPixel = 0;
void DrawLine(float x0, float y0, float x1, float y1, int drawLastPixel);
void DrawPoly(const std::vector<float>& xy);
// Window pixels, without origin, handle, transform or virtual resolution.
void DrawPixmap(const TPixmapPtr& pixmap, int x, int y);
TPixmapPtr GrabPixmap(int x, int y, int width, int height);

// Derives the matrix from the current rotation and scale and hands it to
// the driver.
void RecomputeMatrix();

// A float as an int, rounded toward zero (or down), for sizes and pixel
// positions: not-a-number gives 0, values beyond the int range the nearest
// int.
int TruncatedInt(double value);
int FlooredInt(double value);

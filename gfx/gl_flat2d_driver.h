// The OpenGL 2D driver: opens GL graphics through glGraphicsDriver, wraps
// them for 2D drawing and draws with fixed-function immediate-mode GL (all
// calls through the `gl` table). Started by the program's start-up; image
// frames use its texture switches.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/flat2d.h"

class TGLFlat2DDriver : public TFlat2DDriver {
 public:
  // The GL state as last sent, so that unchanged state makes no call. The
  // driver is one per process, so this is the process's view of GL.
  int stateBlend = 0;  // 0: none applied since the last reset
  unsigned boundTexture = 0;
  bool textureEnabled = false;
  std::array<std::uint8_t, 4> colorBytes{0, 0, 0, 0};         // red, green, blue, alpha
  std::array<float, 4> driverMatrix{0.0f, 0.0f, 0.0f, 0.0f};  // ix, iy, jx, jy

  // Itself once glGraphicsDriver exists, else Null.
  std::shared_ptr<TGLFlat2DDriver> Create();
  // Brings GL and the state above in step after a context was bound: no
  // texture, the projection for the graphics' size, identity model-view,
  // the viewport over the whole window.
  void ResetGLContext(TGraphics& graphics);

  // "OpenGL"
  Text ToString() const override;

  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(platform::Handle widget, int flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                            int flags) override;
  // Binds a 2D graphics' context, resets GL and makes its state current.
  // Null, a closed 2D graphics or any other graphics unbinds.
  void SetGraphics(const std::shared_ptr<TGraphics>& graphics) override;
  void Flip(int sync) override;

  // A texture frame (gfx/gl_image_frame.h).
  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmapPtr& pixmap, int flags) override;
  void SetBlend(int blend) override;
  // Clamped to 0..1 (not-a-number: 0) and sent with the colour.
  void SetAlpha(float alpha) override;
  // Each channel clamped to 0..255 and sent with the alpha.
  void SetColor(int red, int green, int blue) override;
  void SetClsColor(int red, int green, int blue) override;
  void SetViewport(int x, int y, int width, int height) override;
  void SetTransform(float ix, float iy, float jx, float jy) override;
  void SetLineWidth(float width) override;
  void Cls() override;
  // Points and lines sit on pixel centres (+0.5); quads and polygons cover
  // pixels edge to edge.
  void Plot(float x, float y) override;
  void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  // A polygon of |xr| + |yr| vertices, at least 12 and a multiple of 4.
  void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float originX,
                float originY) override;
  void DrawPixmap(const TPixmapPtr& pixmap, int x, int y) override;
  TPixmapPtr GrabPixmap(int x, int y, int width, int height) override;
  void SetResolution(float width, float height) override;

  // Texture switches, filtered through boundTexture and textureEnabled.
  void BindTexture(unsigned name);
  void EnableTexture(unsigned name);
  void DisableTexture();
};

// The one GL 2D driver, made when the module starts.
extern std::shared_ptr<TGLFlat2DDriver> glFlat2DDriver;

// Starts the GL graphics module, makes glFlat2DDriver and selects it with
// BackBufferFlag, so every graphics opened is double-buffered and wrapped
// for 2D drawing. A second call does nothing.
void StartGLFlat2DModule();

namespace testing_only {
// Drops glFlat2DDriver and the current 2D graphics; the next start makes and
// selects a new driver.
void ResetGLFlat2D();
}  // namespace testing_only

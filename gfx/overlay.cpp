#include "gfx/overlay.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "gfx/font_resources.h"
#include "gfx/gl_api.h"
#include "gfx/graphics.h"
#include "support/error.h"

unsigned overlayFontTexture = 0;
int overlayFontTextureSeq = 0;
std::array<double, 16> savedModelview{};
std::array<double, 16> savedProjection{};

namespace {

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;
constexpr int kGlyphCount = 96;  // codes 32 to 127
constexpr int kFontTextureWidth = 1024;

// The built-in font as a 1024 × 16 RGBA picture: glyph g in columns 8g to
// 8g + 7, ink opaque white, everything else transparent black.
TPixmapPtr OverlayFontPixmap() {
  const std::span<const std::uint8_t> bits = FindResource(u"gldrawtextfont.bin");
  if (bits.size() != static_cast<std::size_t>(kGlyphCount * kGlyphHeight)) {
    throw RuntimeError(u"Font resource gldrawtextfont.bin is missing");
  }
  TPixmapPtr pixmap = TPixmap::Create(kFontTextureWidth, kGlyphHeight, RGBAFormat, 4);
  pixmap->ClearPixels(0);
  for (int r = 0; r < kGlyphHeight; ++r) {
    for (int g = 0; g < kGlyphCount; ++g) {
      const std::uint8_t row = bits[static_cast<std::size_t>(kGlyphCount * r + g)];
      for (int k = 0; k < kGlyphWidth; ++k) {
        if (row & (1u << k)) pixmap->WritePixel(kGlyphWidth * g + k, r, 0xFFFFFFFFu);
      }
    }
  }
  return pixmap;
}

// start + length, worked out wide: past the int range the sum is cut at its
// edge instead of wrapping round to the other side (what lies beyond is far
// outside any viewport).
int FarEdge(int start, int length) {
  const std::int64_t end = std::int64_t{start} + length;
  return static_cast<int>(std::clamp<std::int64_t>(end, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

// The pixmap with its rows in reverse order, in RGBA, tightly packed.
TPixmapPtr BottomUpRgba(const TPixmapPtr& pixmap) {
  TPixmapPtr turned = TPixmap::Create(pixmap->width, pixmap->height, RGBAFormat, 4);
  for (int y = 0; y < pixmap->height; ++y) {
    ConvertPixelRow(pixmap->PixelPtr(0, y), pixmap->format,
                    turned->PixelPtr(0, pixmap->height - 1 - y), RGBAFormat, pixmap->width);
  }
  return turned;
}

}  // namespace

void BeginPixelOverlay() {
  gl.PushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_TRANSFORM_BIT);
  std::array<GLint, 4> viewport{0, 0, 0, 0};
  gl.GetIntegerv(GL_VIEWPORT, viewport.data());
  gl.GetDoublev(GL_MODELVIEW_MATRIX, savedModelview.data());
  gl.GetDoublev(GL_PROJECTION_MATRIX, savedProjection.data());
  gl.MatrixMode(GL_MODELVIEW);
  gl.LoadIdentity();
  gl.MatrixMode(GL_PROJECTION);
  gl.LoadIdentity();
  gl.Ortho(0, viewport[2], viewport[3], 0, -1, 1);
  gl.Disable(GL_CULL_FACE);
  gl.Disable(GL_ALPHA_TEST);
  gl.Disable(GL_DEPTH_TEST);
}

void EndPixelOverlay() {
  gl.MatrixMode(GL_PROJECTION);
  gl.LoadMatrixd(savedProjection.data());
  gl.MatrixMode(GL_MODELVIEW);
  gl.LoadMatrixd(savedModelview.data());
  // Also brings back the matrix mode, the enables and the texture binding.
  gl.PopAttrib();
}

void OverlayRect(int x, int y, int width, int height) {
  const int right = FarEdge(x, width);
  const int bottom = FarEdge(y, height);
  BeginPixelOverlay();
  // A plain fill: a texture left enabled by earlier drawing would tint it
  // (the enable comes back with the attributes).
  gl.Disable(GL_TEXTURE_2D);
  gl.Begin(GL_QUADS);
  gl.Vertex2i(x, y);
  gl.Vertex2i(right, y);
  gl.Vertex2i(right, bottom);
  gl.Vertex2i(x, bottom);
  gl.End();
  EndPixelOverlay();
}

void OverlayText(const Text& text, int x, int y) {
  // Glyphs reaching past the int range lie far outside any viewport.
  if (y > std::numeric_limits<int>::max() - kGlyphHeight) return;
  if (overlayFontTexture == 0 || overlayFontTextureSeq != graphicsSeq()) {
    overlayFontTexture = UploadPixmapTexture(OverlayFontPixmap(), 1);
    overlayFontTextureSeq = graphicsSeq();
  }
  BeginPixelOverlay();
  gl.Enable(GL_TEXTURE_2D);
  gl.BindTexture(GL_TEXTURE_2D, overlayFontTexture);
  constexpr float kGlyphU = 1.0f / 128.0f;
  constexpr std::int64_t kLastLeft = std::numeric_limits<int>::max() - kGlyphWidth;
  // A glyph reaching past the int range is left out, as is every glyph
  // after it.
  std::int64_t pen = x;
  for (const char16_t c : text) {
    if (pen > kLastLeft) break;
    const int left = static_cast<int>(pen);
    if (c >= 32 && c <= 127) {
      const float u = static_cast<float>(c - 32) / 128.0f;
      gl.Begin(GL_QUADS);
      gl.TexCoord2f(u, 0.0f);
      gl.Vertex2i(left, y);
      gl.TexCoord2f(u + kGlyphU, 0.0f);
      gl.Vertex2i(left + kGlyphWidth, y);
      gl.TexCoord2f(u + kGlyphU, 1.0f);
      gl.Vertex2i(left + kGlyphWidth, y + kGlyphHeight);
      gl.TexCoord2f(u, 1.0f);
      gl.Vertex2i(left, y + kGlyphHeight);
      gl.End();
    }
    pen += kGlyphWidth;
  }
  EndPixelOverlay();
}

void OverlayPixmap(const TPixmapPtr& pixmap, int x, int y) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return;
  BeginPixelOverlay();
  // Pixel rectangles are textured too while a texture is enabled.
  gl.Disable(GL_TEXTURE_2D);
  TPixmapPtr turned = BottomUpRgba(pixmap);
  // The raster position starts at the top-left corner; the empty bitmap
  // moves it to the target's bottom-left corner without being clipped.
  gl.RasterPos2i(0, 0);
  gl.Bitmap(0, 0, 0.0f, 0.0f, static_cast<float>(x),
            static_cast<float>(-static_cast<std::int64_t>(y) - turned->height), nullptr);
  gl.DrawPixels(turned->width, turned->height, GL_RGBA, GL_UNSIGNED_BYTE, turned->pixels);
  EndPixelOverlay();
}

TPixmapPtr GLReadableRgba(const TPixmapPtr& pixmap) {
  const std::int64_t row_bytes = std::int64_t{pixmap->width} * 4;
  const bool in_place =
      pixmap->format == RGBAFormat && pixmap->pitch % 4 == 0 && pixmap->pitch >= row_bytes;
  return in_place ? pixmap : pixmap->Convert(RGBAFormat);
}

unsigned UploadPixmapTexture(const TPixmapPtr& pixmap, int mipmap) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return 0;
  TPixmapPtr level_pixels = GLReadableRgba(pixmap);
  int w = level_pixels->width;
  int h = level_pixels->height;
  FitTextureSize(w, h);
  if (w != level_pixels->width || h != level_pixels->height) {
    level_pixels = ResampledPixelBuffer(level_pixels, w, h);
  }
  GLint saved_binding = 0;
  GLint saved_row_length = 0;
  gl.GetIntegerv(GL_TEXTURE_BINDING_2D, &saved_binding);
  gl.GetIntegerv(GL_UNPACK_ROW_LENGTH, &saved_row_length);
  GLuint name = 0;
  gl.GenTextures(1, &name);
  gl.BindTexture(GL_TEXTURE_2D, name);
  for (int level = 0;; ++level) {
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, level_pixels->pitch / 4);
    gl.TexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(GL_RGBA8), w, h, 0, GL_RGBA,
                  GL_UNSIGNED_BYTE, level_pixels->pixels);
    if (mipmap == 0 || (w == 1 && h == 1)) break;
    if (w > 1) w /= 2;
    if (h > 1) h /= 2;
    level_pixels = ResampledPixelBuffer(level_pixels, w, h);
  }
  gl.BindTexture(GL_TEXTURE_2D, static_cast<GLuint>(saved_binding));
  gl.PixelStorei(GL_UNPACK_ROW_LENGTH, saved_row_length);
  return name;
}

void FitTextureSize(int& width, int& height) {
  width = PowerOfTwoAtLeast(width);
  height = PowerOfTwoAtLeast(height);
  for (;;) {
    gl.TexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint accepted = 0;
    gl.GetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
    if (accepted != 0) return;
    if (width == 1 && height == 1) throw RuntimeError(u"Unable to calculate tex size");
    if (width > 1) width /= 2;
    if (height > 1) height /= 2;
  }
}

int PowerOfTwoAtLeast(int n) {
  constexpr int kLargest = 1 << 30;
  if (n > kLargest) return kLargest;
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

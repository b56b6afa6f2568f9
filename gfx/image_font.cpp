#include "gfx/image_font.h"

#include <cstdint>
#include <span>
#include <utility>

#include "gfx/flat2d.h"
#include "gfx/font_resources.h"
#include "support/error.h"

namespace {

constexpr int kDefaultGlyphCount = 96;  // codes 32 to 127
constexpr int kDefaultGlyphWidth = 8;
constexpr int kDefaultGlyphHeight = 16;

std::shared_ptr<TFontLoader> fontLoaders;

[[noreturn]] void AbstractMethod() { throw RuntimeError(u"Attempt to call abstract method"); }

}  // namespace

ObjectPtr TGlyph::Pixels() { AbstractMethod(); }
float TGlyph::Advance() { AbstractMethod(); }
void TGlyph::GetRect(int&, int&, int&, int&) { AbstractMethod(); }

int TFont::Style() { AbstractMethod(); }
int TFont::Height() { AbstractMethod(); }
int TFont::CountGlyphs() { AbstractMethod(); }
int TFont::CharToGlyph(int) { AbstractMethod(); }
std::shared_ptr<TGlyph> TFont::LoadGlyph(int) { AbstractMethod(); }

std::shared_ptr<TFont> TFontLoader::LoadFont(const ObjectPtr&, int, int) { AbstractMethod(); }

void TImageGlyph::GetRect(int& x, int& y, int& width, int& height) const {
  x = _x;
  y = _y;
  width = _w;
  height = _h;
}

int TImageFont::Style() { return _src_font ? _src_font->Style() : 0; }

int TImageFont::Height() { return _src_font ? _src_font->Height() : kDefaultGlyphHeight; }

int TImageFont::CountGlyphs() { return static_cast<int>(_glyphs.size()); }

int TImageFont::CharToGlyph(int character) {
  if (_src_font) return _src_font->CharToGlyph(character);
  return character >= 32 && character < 128 ? character - 32 : -1;
}

std::shared_ptr<TImageGlyph> TImageFont::LoadGlyph(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= _glyphs.size()) return nullptr;
  std::shared_ptr<TImageGlyph>& slot = _glyphs[static_cast<std::size_t>(index)];
  if (slot || !_src_font) return slot;
  slot = std::make_shared<TImageGlyph>();
  std::shared_ptr<TGlyph> source = _src_font->LoadGlyph(index);
  if (!source) return slot;
  slot->_advance = source->Advance();
  source->GetRect(slot->_x, slot->_y, slot->_w, slot->_h);
  if (auto pixels = std::dynamic_pointer_cast<TPixmap>(source->Pixels())) {
    slot->_image = TImage::Load(pixels->Copy(), _imageFlags, 0, 0, 0);
  }
  return slot;
}

void TImageFont::Draw(const Text& text, float x, float y, float ix, float iy, float jx, float jy) {
  for (const char16_t c : text) {
    const int g = CharToGlyph(c);
    if (g < 0) continue;
    std::shared_ptr<TImageGlyph> glyph = LoadGlyph(g);
    if (!glyph) continue;
    if (glyph->_image) {
      const TImagePtr& image = glyph->_image;
      if (std::shared_ptr<TImageFrame> frame = image->Frame(0)) {
        const float gx = static_cast<float>(glyph->_x);
        const float gy = static_cast<float>(glyph->_y);
        const float w = static_cast<float>(image->width);
        const float h = static_cast<float>(image->height);
        frame->Draw(0.0f, 0.0f, w, h, x + gx * ix + gy * iy, y + gx * jx + gy * jy, 0.0f, 0.0f, w,
                    h);
      }
    }
    x += ix * glyph->_advance;
    y += jx * glyph->_advance;
  }
}

TImageFontPtr TImageFont::Load(const ObjectPtr& source, int size, int style) {
  std::shared_ptr<TFont> font = LoadFontFrom(source, size, style);
  if (!font) return nullptr;
  auto imageFont = std::make_shared<TImageFont>();
  imageFont->_src_font = font;
  const int count = font->CountGlyphs();
  imageFont->_glyphs.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
  if (style & SmoothFontStyle) imageFont->_imageFlags = FilteredImageFlag | MipmappedImageFlag;
  return imageFont;
}

TImageFontPtr TImageFont::CreateDefault() {
  const std::span<const std::uint8_t> bits = FindResource(u"quillfont.bin");
  if (bits.size() != kFontResourceSize) {
    throw RuntimeError(u"Font resource quillfont.bin is missing");
  }
  auto font = std::make_shared<TImageFont>();
  font->_glyphs.resize(kDefaultGlyphCount);
  TPixmapPtr strip =
      TPixmap::Create(kDefaultGlyphCount * kDefaultGlyphWidth, kDefaultGlyphHeight, RGBAFormat, 4);
  for (int r = 0; r < kDefaultGlyphHeight; ++r) {
    for (int g = 0; g < kDefaultGlyphCount; ++g) {
      const std::uint8_t row = bits[static_cast<std::size_t>(kDefaultGlyphCount * r + g)];
      for (int k = 0; k < kDefaultGlyphWidth; ++k) {
        strip->WritePixel(kDefaultGlyphWidth * g + k, r, (row & (1u << k)) ? 0xFFFFFFFFu : 0u);
      }
    }
  }
  for (int g = 0; g < kDefaultGlyphCount; ++g) {
    auto glyph = std::make_shared<TImageGlyph>();
    glyph->_advance = static_cast<float>(kDefaultGlyphWidth);
    glyph->_w = kDefaultGlyphWidth;
    glyph->_h = kDefaultGlyphHeight;
    TPixmapPtr cell =
        strip->Window(kDefaultGlyphWidth * g, 0, kDefaultGlyphWidth, kDefaultGlyphHeight)->Copy();
    glyph->_image = TImage::Load(cell, 0, 0, 0, 0);
    font->_glyphs[static_cast<std::size_t>(g)] = glyph;
  }
  return font;
}

void AddFontLoader(const std::shared_ptr<TFontLoader>& loader) {
  if (!loader || loader->_succ) return;
  // The last loader of the chain has no successor either; putting it at the
  // head again would close the chain into a ring.
  for (auto l = fontLoaders; l; l = l->_succ) {
    if (l == loader) return;
  }
  loader->_succ = fontLoaders;
  fontLoaders = loader;
}

std::shared_ptr<TFontLoader> FirstFontLoader() { return fontLoaders; }

void testing_only::ResetFontLoaders() {
  // Unlinked one by one, so that a long chain is not freed recursively.
  while (fontLoaders) fontLoaders = std::exchange(fontLoaders->_succ, nullptr);
}

std::shared_ptr<TFont> LoadFontFrom(const ObjectPtr& source, int size, int style) {
  for (auto l = fontLoaders; l; l = l->_succ) {
    if (std::shared_ptr<TFont> font = l->LoadFont(source, size, style)) return font;
  }
  return nullptr;
}

void DrawTextString(const Text& text, float x, float y) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!g || !g->image_font) return;
  g->image_font->Draw(text, x + g->origin_x + g->handle_x * g->tform_ix + g->handle_y * g->tform_iy,
                      y + g->origin_y + g->handle_x * g->tform_jx + g->handle_y * g->tform_jy,
                      g->tform_ix, g->tform_iy, g->tform_jx, g->tform_jy);
}

int TextPixelWidth(const Text& text) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!g || !g->image_font) return 0;
  TImageFont& font = *g->image_font;
  int width = 0;
  for (const char16_t c : text) {
    const int index = font.CharToGlyph(c);
    if (index < 0) continue;
    std::shared_ptr<TImageGlyph> glyph = font.LoadGlyph(index);
    if (!glyph) continue;
    width = TruncatedInt(static_cast<float>(width) + glyph->_advance);
  }
  return width;
}

int TextPixelHeight(const Text& /*text*/) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  return g && g->image_font ? g->image_font->Height() : 0;
}

// Image fonts and text drawing: glyph, font and font-loader abstractions,
// the image font that turns each glyph into a small image drawn with the 2D
// state, the default 8 by 16 font built from the embedded "quillfont.bin",
// and the text front end. The 2D layer makes the default font when the
// first 2D graphics object is created; programs draw and measure text here.
#pragma once

#include <memory>
#include <vector>

#include "gfx/image.h"
#include "support/object.h"
#include "support/text.h"

// Each operation of these bases raises "Attempt to call abstract method";
// font sources override them.
class TGlyph : public Object {
 public:
  // The glyph's picture: a pixel buffer, or anything else for no ink.
  virtual ObjectPtr Pixels();
  // How far the pen moves after the glyph, in pixels.
  virtual float Advance();
  // The picture's offset from the pen and the glyph box's size.
  virtual void GetRect(int& x, int& y, int& width, int& height);
};

class TFont : public Object {
 public:
  virtual int Style();
  virtual int Height();
  virtual int CountGlyphs();
  // The glyph index of a character, or -1 when the font has none.
  virtual int CharToGlyph(int character);
  virtual std::shared_ptr<TGlyph> LoadGlyph(int index);
};

class TFontLoader : public Object {
 public:
  std::shared_ptr<TFontLoader> _succ;  // the next loader of the chain
  // A font made from source, or Null when this loader can't read it.
  virtual std::shared_ptr<TFont> LoadFont(const ObjectPtr& source, int size, int style);
};

// Font style bit: glyph images are filtered and mipmapped.
inline constexpr int SmoothFontStyle = 4;

class TImageGlyph : public Object {
 public:
  TImagePtr _image;  // Null for a glyph without ink
  float _advance = 0.0f;
  int _x = 0;  // offset of the picture from the pen
  int _y = 0;
  int _w = 0;  // size of the glyph's box
  int _h = 0;

  TImagePtr Pixels() const { return _image; }
  float Advance() const { return _advance; }
  void GetRect(int& x, int& y, int& width, int& height) const;
};

class TImageFont;
using TImageFontPtr = std::shared_ptr<TImageFont>;

class TImageFont : public Object {
 public:
  std::shared_ptr<TFont> _src_font;                   // Null for the default font
  std::vector<std::shared_ptr<TImageGlyph>> _glyphs;  // filled on first use
  int _imageFlags = 0;  // 0, or filtered and mipmapped for a smooth font

  int Style();
  int Height();
  int CountGlyphs();
  int CharToGlyph(int character);
  // The glyph of slot index, made from the source font on first use. Null
  // for an index outside the font.
  std::shared_ptr<TImageGlyph> LoadGlyph(int index);
  // Draws the text with its pen starting at (x, y): each glyph's picture at
  // the pen plus its offset through the matrix (ix, iy, jx, jy), the pen
  // moving by the advance along (ix, jx). Characters without a glyph are
  // skipped and don't move the pen.
  void Draw(const Text& text, float x, float y, float ix, float iy, float jx, float jy);

  // An image font over the font the loader chain makes from source, or Null.
  static TImageFontPtr Load(const ObjectPtr& source, int size, int style);
  // The fixed 8 by 16 font of codes 32 to 127 from "quillfont.bin".
  static TImageFontPtr CreateDefault();
};

// Puts loader at the head of the font loader chain; a loader already in the
// chain is left where it is.
void AddFontLoader(const std::shared_ptr<TFontLoader>& loader);
// The head of the chain (Null while it is empty).
std::shared_ptr<TFontLoader> FirstFontLoader();
namespace testing_only {
// Empties the chain (the built-in loaders included).
void ResetFontLoaders();
}  // namespace testing_only

// The first font a loader of the chain makes from source, or Null.
std::shared_ptr<TFont> LoadFontFrom(const ObjectPtr& source, int size, int style);

// Text with the current 2D graphics' font, colour, blend, origin, handle and
// transform. Without current 2D graphics nothing is drawn and the
// measurements are 0.
void DrawTextString(const Text& text, float x, float y);
// The sum of the advances of the characters that have glyphs, truncated to
// whole pixels after each.
int TextPixelWidth(const Text& text);
int TextPixelHeight(const Text& text);

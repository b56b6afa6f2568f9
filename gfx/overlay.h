// Drawing straight on the current OpenGL context, outside the 2D layer and
// without touching its state: a pixel-exact overlay bracket, rectangles,
// text in the built-in 8 by 16 font and pixel buffers; and the texture
// upload with size fitting that the font uses. For programs that draw with
// OpenGL themselves; image frames use the size fitting too.
#pragma once

#include <array>

#include "support/pixmap.h"
#include "support/text.h"

// Saves the enables, texture binding, matrix mode and both matrices, then
// sets one unit per viewport pixel with (0, 0) at the top-left and turns off
// face culling, alpha and depth testing. One save area: overlays don't nest.
void BeginPixelOverlay();
// Restores what BeginPixelOverlay saved.
void EndPixelOverlay();

// A filled rectangle in the current GL colour, in viewport pixels,
// untextured.
void OverlayRect(int x, int y, int width, int height);
// Text in the built-in font, the first glyph's top-left at (x, y). Every
// code unit advances 8 pixels; only codes 32 to 127 draw a glyph.
void OverlayText(const Text& text, int x, int y);
// The pixmap's top-left pixel at (x, y), drawn with glDrawPixels, untextured.
void OverlayPixmap(const TPixmapPtr& pixmap, int x, int y);

// The pixmap as GL may read it in place with GL_UNPACK_ROW_LENGTH = pitch /
// 4: itself when it is RGBA with rows a whole number of pixels apart and at
// least a row wide; otherwise a tightly packed RGBA copy. GL takes a row
// length of 0 for the width and refuses a negative one, so rows that repeat
// (pitch 0) or run bottom-up (negative pitch) are copied: read in place, GL
// would step forward past the memory the buffer describes.
TPixmapPtr GLReadableRgba(const TPixmapPtr& pixmap);

// A new GL texture of the pixmap, resized to a size the GL accepts, with a
// full mipmap chain when mipmap is not 0. No texture parameters are set;
// the binding and GL_UNPACK_ROW_LENGTH are left as they were. 0 (no
// texture) for a Null pixmap or one without pixels.
unsigned UploadPixmapTexture(const TPixmapPtr& pixmap, int mipmap);
// Rounds both up to powers of two, then halves each dimension above 1 until
// a proxy texture of that size is accepted. Raises "Unable to calculate tex
// size" when even 1 by 1 is refused.
void FitTextureSize(int& width, int& height);
// The smallest power of two not below n: 1 for n up to 1. Sizes beyond
// 2^30 give 2^30, the largest int power of two.
int PowerOfTwoAtLeast(int n);

// The built-in font's texture (0 until the first OverlayText) and the
// graphics generation it was made in: a new generation remakes it, since
// the name belonged to a context that no longer exists.
extern unsigned overlayFontTexture;
extern int overlayFontTextureSeq;
// The matrices BeginPixelOverlay saved (column-major, as GL reads them).
extern std::array<double, 16> savedModelview;
extern std::array<double, 16> savedProjection;

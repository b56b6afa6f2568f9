// Images: pictures of one or more frames, kept as pixel buffers and turned
// into driver-made drawable frames on first use in each graphics
// generation; and the front end that loads, edits and draws them with the
// current 2D drawing state. Called by programs and by gfx/image_font.
#pragma once

#include <memory>
#include <vector>

#include "support/object.h"
#include "support/pixmap.h"

// Image flags (a bit set).
inline constexpr int MaskedImageFlag = 1;     // pixels of the mask colour become transparent
inline constexpr int FilteredImageFlag = 2;   // linear filtering, else nearest texel
inline constexpr int MipmappedImageFlag = 4;  // a full mipmap chain
inline constexpr int NewImageFlag = 8;        // set by NewImage; drivers ignore it

// Something a driver can draw a frame's pixels with. The local box (x0, y0)
// to (x1, y1) is mapped through the driver's transform and placed at
// (tx, ty); (sx, sy, sw, sh) is the source rectangle in picture pixels.
class TImageFrame : public Object {
 public:
  virtual void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy,
                    float sw, float sh) = 0;
};

class TImage;
using TImagePtr = std::shared_ptr<TImage>;

class TImage : public Object {
 public:
  int width = 0;
  int height = 0;
  int flags = 0;
  int mask_r = 0;
  int mask_g = 0;
  int mask_b = 0;
  // The local point drawn at the drawing position, in pixels (not negated).
  float handle_x = 0.0f;
  float handle_y = 0.0f;
  std::vector<TPixmapPtr> pixmaps;                   // per frame: pixels or Null
  std::vector<std::shared_ptr<TImageFrame>> frames;  // per frame: drawable or Null
  std::vector<int> seqs;  // per frame: graphicsSeq its drawable was made in, 0 for none

  // Does nothing: it holds a slot of the class's table, so the operations
  // after it keep their documented places.
  int _pad() { return 0; }
  // The drawable of frame index, made by the current 2D driver when there is
  // none from the current graphics generation. Null when none can be made.
  std::shared_ptr<TImageFrame> Frame(int index);
  // The pixels of frame index, made (width × height RGBA) if there are none.
  // Locking for writing drops the drawable so the next Frame remakes it.
  TPixmapPtr Lock(int index, int read, int write);
  // Stores pixmap as frame index (masked first when the image is masked and
  // the pixmap has no alpha) and drops the frame's drawable.
  void SetPixmap(int index, TPixmapPtr pixmap);

  // A new image with frames empty frames (none when frames is negative).
  static TImagePtr Create(int width, int height, int frames, int flags, int maskRed, int maskGreen,
                          int maskBlue);
  // A one-frame image of the source: a pixel buffer itself, or whatever the
  // pixel loaders read from it. Null when there are no pixels.
  static TImagePtr Load(const ObjectPtr& source, int flags, int maskRed, int maskGreen,
                        int maskBlue);
  // count frames cut from a grid of cellWidth × cellHeight cells, numbered
  // left to right then top to bottom, starting with cell first. Null when
  // there are no pixels, the cell size is not positive, first or count is
  // negative, or the grid has too few cells.
  static TImagePtr LoadAnim(const ObjectPtr& source, int cellWidth, int cellHeight, int first,
                            int count, int flags, int maskRed, int maskGreen, int maskBlue);

 private:
  // Raises a RuntimeError when index is not a frame of this image.
  std::size_t FrameIndex(int index) const;
};

// Process-wide image settings.
struct ImageMaskColor {
  int red = 0;
  int green = 0;
  int blue = 0;
};
extern ImageMaskColor imageMaskColor;
extern bool autoCentreHandles;
extern int autoImageFlags;  // MaskedImageFlag | FilteredImageFlag at start

void SetImageMaskColor(int red, int green, int blue);
void CurrentImageMaskColor(int& red, int& green, int& blue);
void CentreHandlesOnLoad(bool on);
// -1 leaves the flags unchanged.
void DefaultImageFlags(int flags);

// flags -1 means autoImageFlags; the mask colour is imageMaskColor; handles
// are centred when CentreHandlesOnLoad is on.
TImagePtr LoadImageFrom(const ObjectPtr& source, int flags);
TImagePtr LoadFramesFrom(const ObjectPtr& source, int cellWidth, int cellHeight, int first,
                         int count, int flags);
TImagePtr NewImage(int width, int height, int frames, int flags);

// These do nothing (or answer 0 / Null) for a Null image.
void PlaceImageHandle(const TImagePtr& image, float x, float y);
void CentreImageHandle(const TImagePtr& image);
int ImagePixelWidth(const TImagePtr& image);
int ImagePixelHeight(const TImagePtr& image);
TPixmapPtr LockImageFrame(const TImagePtr& image, int frame, int read, int write);
void UnlockImageFrame(const TImagePtr& image, int frame);
// Replaces the frame's pixels with the window rectangle at (x, y) of the
// image's size, masked with imageMaskColor when the image is masked.
void GrabImageFrame(const TImagePtr& image, int x, int y, int frame);

// Drawing with the current 2D graphics' origin, colour, blend and transform;
// the image's own handle is used, not the 2D state's. Nothing is drawn
// without current 2D graphics or when the frame has no drawable.
void DrawImageAt(const TImagePtr& image, float x, float y, int frame);
void DrawImageStretched(const TImagePtr& image, float x, float y, float width, float height,
                        int frame);
// The source rectangle (sx, sy, sw, sh) drawn as width × height, with the
// handle (hx, hy) given in source pixels.
void DrawImagePart(const TImagePtr& image, float x, float y, float width, float height, float sx,
                   float sy, float sw, float sh, float hx, float hy, int frame);
// Fills the viewport with unrotated, unscaled copies aligned on (x, y).
void TileImageOver(const TImagePtr& image, float x, float y, int frame);

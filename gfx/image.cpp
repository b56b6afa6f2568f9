#include "gfx/image.h"

#include <cmath>
#include <cstdint>

#include "gfx/flat2d.h"
#include "gfx/graphics.h"
#include "support/error.h"
#include "support/format.h"

ImageMaskColor imageMaskColor;
bool autoCentreHandles = false;
int autoImageFlags = MaskedImageFlag | FilteredImageFlag;

namespace {

Text lastImageError;

// The pixels of a source: the source itself when it is a pixel buffer, else
// what the loader chain reads from it. Null, with the reason kept, when
// there are none.
TPixmapPtr SourcePixmap(const ObjectPtr& source) {
  if (!source) {
    lastImageError = u"The image source is Null";
    return nullptr;
  }
  if (auto pixmap = std::dynamic_pointer_cast<TPixmap>(source)) return pixmap;
  TPixmapPtr loaded = LoadPixelBuffer(source);
  if (!loaded)
    lastImageError = u"No pixel loader could read the image source " + source->ToString();
  return loaded;
}

// a modulo b in 0 .. b - 1, for negative a too (b > 0).
std::int64_t Wrapped(std::int64_t a, std::int64_t b) {
  const std::int64_t r = a % b;
  return r < 0 ? r + b : r;
}

void CentreIfAuto(const TImagePtr& image) {
  if (image && autoCentreHandles) CentreImageHandle(image);
}

}  // namespace

std::size_t TImage::FrameIndex(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= pixmaps.size()) {
    if (pixmaps.empty()) {
      throw RuntimeError(Format("Image frame index %d: the image has no frames", index));
    }
    throw RuntimeError(Format("Image frame index %d is outside 0..%d", index,
                              static_cast<int>(pixmaps.size()) - 1));
  }
  return static_cast<std::size_t>(index);
}

std::shared_ptr<TImageFrame> TImage::Frame(int index) {
  const std::size_t i = FrameIndex(index);
  const int seq = graphicsSeq();
  if (seqs[i] != seq) {
    TPixmapPtr pixels = Lock(index, 1, 0);
    frames[i] =
        currentFlat2DDriver ? currentFlat2DDriver->CreateFrameFromPixmap(pixels, flags) : nullptr;
    // Without a drawable the next call tries again.
    seqs[i] = frames[i] ? seq : 0;
  }
  return frames[i];
}

TPixmapPtr TImage::Lock(int index, int /*read*/, int write) {
  const std::size_t i = FrameIndex(index);
  if (write) {
    seqs[i] = 0;
    frames[i] = nullptr;
  }
  if (!pixmaps[i]) pixmaps[i] = TPixmap::Create(width, height, RGBAFormat, 4);
  return pixmaps[i];
}

void TImage::SetPixmap(int index, TPixmapPtr pixmap) {
  const std::size_t i = FrameIndex(index);
  if ((flags & MaskedImageFlag) && pixmap && AlphaBits(pixmap->format) == 0) {
    pixmap = MaskedPixelBuffer(pixmap, mask_r, mask_g, mask_b);
  }
  pixmaps[i] = std::move(pixmap);
  seqs[i] = 0;
  frames[i] = nullptr;
}

TImagePtr TImage::Create(int width, int height, int frames, int flags, int maskRed, int maskGreen,
                         int maskBlue) {
  auto image = std::make_shared<TImage>();
  image->width = width;
  image->height = height;
  image->flags = flags;
  image->mask_r = maskRed;
  image->mask_g = maskGreen;
  image->mask_b = maskBlue;
  const std::size_t count = frames > 0 ? static_cast<std::size_t>(frames) : 0;
  image->pixmaps.resize(count);
  image->frames.resize(count);
  image->seqs.assign(count, 0);
  return image;
}

TImagePtr TImage::Load(const ObjectPtr& source, int flags, int maskRed, int maskGreen,
                       int maskBlue) {
  lastImageError.clear();
  TPixmapPtr pixmap = SourcePixmap(source);
  if (!pixmap) return nullptr;
  TImagePtr image = Create(pixmap->width, pixmap->height, 1, flags, maskRed, maskGreen, maskBlue);
  image->SetPixmap(0, pixmap);
  return image;
}

TImagePtr TImage::LoadAnim(const ObjectPtr& source, int cellWidth, int cellHeight, int first,
                           int count, int flags, int maskRed, int maskGreen, int maskBlue) {
  lastImageError.clear();
  // A cell of no size would divide by zero; a negative start or count would
  // cut cells outside the picture.
  if (cellWidth <= 0 || cellHeight <= 0) {
    lastImageError =
        FormatText("The cell size %d by %d is not at least 1 by 1", cellWidth, cellHeight);
    return nullptr;
  }
  if (first < 0 || count < 0) {
    lastImageError =
        FormatText("The first cell %d and the count %d must not be negative", first, count);
    return nullptr;
  }
  TPixmapPtr pixmap = SourcePixmap(source);
  if (!pixmap) return nullptr;
  const std::int64_t perRow = pixmap->width / cellWidth;
  const std::int64_t rows = pixmap->height / cellHeight;
  if (perRow * rows < static_cast<std::int64_t>(first) + count) {
    lastImageError = FromUtf8(
        Format("The %d by %d picture holds %lld cells of %d by %d, too few for %d from cell %d",
               pixmap->width, pixmap->height, static_cast<long long>(perRow * rows), cellWidth,
               cellHeight, count, first));
    return nullptr;
  }
  TImagePtr image = Create(cellWidth, cellHeight, count, flags, maskRed, maskGreen, maskBlue);
  for (int n = 0; n < count; ++n) {
    const std::int64_t cell = static_cast<std::int64_t>(first) + n;
    const auto x = static_cast<std::int32_t>(cellWidth * (cell % perRow));
    const auto y = static_cast<std::int32_t>(cellHeight * (cell / perRow));
    image->SetPixmap(n, pixmap->Window(x, y, cellWidth, cellHeight)->Copy());
  }
  return image;
}

Text LastImageError() { return lastImageError; }

void SetImageMaskColor(int red, int green, int blue) { imageMaskColor = {red, green, blue}; }

void CurrentImageMaskColor(int& red, int& green, int& blue) {
  red = imageMaskColor.red;
  green = imageMaskColor.green;
  blue = imageMaskColor.blue;
}

void CentreHandlesOnLoad(bool on) { autoCentreHandles = on; }

void DefaultImageFlags(int flags) {
  if (flags != UseDefaultImageFlags) autoImageFlags = flags;
}

TImagePtr LoadImageFrom(const ObjectPtr& source, int flags) {
  if (flags == UseDefaultImageFlags) flags = autoImageFlags;
  TImagePtr image =
      TImage::Load(source, flags, imageMaskColor.red, imageMaskColor.green, imageMaskColor.blue);
  CentreIfAuto(image);
  return image;
}

TImagePtr LoadFramesFrom(const ObjectPtr& source, int cellWidth, int cellHeight, int first,
                         int count, int flags) {
  if (flags == UseDefaultImageFlags) flags = autoImageFlags;
  TImagePtr image = TImage::LoadAnim(source, cellWidth, cellHeight, first, count, flags,
                                     imageMaskColor.red, imageMaskColor.green, imageMaskColor.blue);
  CentreIfAuto(image);
  return image;
}

TImagePtr NewImage(int width, int height, int frames, int flags) {
  if (flags == UseDefaultImageFlags) flags = autoImageFlags;
  TImagePtr image = TImage::Create(width, height, frames, flags | NewImageFlag, imageMaskColor.red,
                                   imageMaskColor.green, imageMaskColor.blue);
  CentreIfAuto(image);
  return image;
}

void PlaceImageHandle(const TImagePtr& image, float x, float y) {
  if (!image) return;
  image->handle_x = x;
  image->handle_y = y;
}

void CentreImageHandle(const TImagePtr& image) {
  if (!image) return;
  image->handle_x = static_cast<float>(image->width) * 0.5f;
  image->handle_y = static_cast<float>(image->height) * 0.5f;
}

int ImagePixelWidth(const TImagePtr& image) { return image ? image->width : 0; }

int ImagePixelHeight(const TImagePtr& image) { return image ? image->height : 0; }

TPixmapPtr LockImageFrame(const TImagePtr& image, int frame, int read, int write) {
  return image ? image->Lock(frame, read, write) : nullptr;
}

void UnlockImageFrame(const TImagePtr& /*image*/, int /*frame*/) {}

void GrabImageFrame(const TImagePtr& image, int x, int y, int frame) {
  if (!image || !currentFlat2DGraphics || !currentFlat2DDriver) return;
  TPixmapPtr pixmap = currentFlat2DDriver->GrabPixmap(x, y, image->width, image->height);
  if (!pixmap) return;
  if (image->flags & MaskedImageFlag) {
    pixmap =
        MaskedPixelBuffer(pixmap, imageMaskColor.red, imageMaskColor.green, imageMaskColor.blue);
  }
  image->SetPixmap(frame, pixmap);
}

void DrawImageAt(const TImagePtr& image, float x, float y, int frame) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!image || !g) return;
  std::shared_ptr<TImageFrame> f = image->Frame(frame);
  if (!f) return;
  const float w = static_cast<float>(image->width);
  const float h = static_cast<float>(image->height);
  f->Draw(-image->handle_x, -image->handle_y, w - image->handle_x, h - image->handle_y,
          x + g->origin_x, y + g->origin_y, 0.0f, 0.0f, w, h);
}

void DrawImageStretched(const TImagePtr& image, float x, float y, float width, float height,
                        int frame) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!image || !g) return;
  std::shared_ptr<TImageFrame> f = image->Frame(frame);
  if (!f) return;
  f->Draw(-image->handle_x, -image->handle_y, width - image->handle_x, height - image->handle_y,
          x + g->origin_x, y + g->origin_y, 0.0f, 0.0f, static_cast<float>(image->width),
          static_cast<float>(image->height));
}

void DrawImagePart(const TImagePtr& image, float x, float y, float width, float height, float sx,
                   float sy, float sw, float sh, float hx, float hy, int frame) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!image || !g) return;
  std::shared_ptr<TImageFrame> f = image->Frame(frame);
  if (!f) return;
  // The handle is in source pixels; scale it to the drawn size.
  const float x0 = width * -hx / sw;
  const float y0 = height * -hy / sh;
  f->Draw(x0, y0, x0 + width, y0 + height, x + g->origin_x, y + g->origin_y, sx, sy, sw, sh);
}

void TileImageOver(const TImagePtr& image, float x, float y, int frame) {
  const TFlat2DGraphics* g = currentFlat2DGraphics.get();
  if (!image || !g || !currentFlat2DDriver) return;
  const std::int64_t w = image->width;
  const std::int64_t h = image->height;
  // A picture without area would never advance across the viewport.
  if (w <= 0 || h <= 0) return;
  std::shared_ptr<TImageFrame> f = image->Frame(frame);
  if (!f) return;
  currentFlat2DDriver->SetTransform(1.0f, 0.0f, 0.0f, 1.0f);
  const float px = x + g->origin_x - image->handle_x;
  const float py = y + g->origin_y - image->handle_y;
  const float fx = px - std::floor(px);
  const float fy = py - std::floor(py);
  // The first tile whose right (bottom) edge passes the viewport's left
  // (top) edge, on the grid through the drawing position.
  const std::int64_t leftEdge = g->viewport_x - w + 1;
  const std::int64_t topEdge = g->viewport_y - h + 1;
  const std::int64_t startX = leftEdge + Wrapped(FlooredInt(px) - leftEdge, w);
  const std::int64_t startY = topEdge + Wrapped(FlooredInt(py) - topEdge, h);
  const std::int64_t right = static_cast<std::int64_t>(g->viewport_x) + g->viewport_w;
  const std::int64_t bottom = static_cast<std::int64_t>(g->viewport_y) + g->viewport_h;
  const float wf = static_cast<float>(w);
  const float hf = static_cast<float>(h);
  for (std::int64_t top = startY; top < bottom; top += h) {
    for (std::int64_t left = startX; left < right; left += w) {
      f->Draw(0.0f, 0.0f, wf, hf, static_cast<float>(left) + fx, static_cast<float>(top) + fy, 0.0f,
              0.0f, wf, hf);
    }
  }
  RecomputeMatrix();
}

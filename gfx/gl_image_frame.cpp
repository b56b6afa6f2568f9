#include "gfx/gl_image_frame.h"

#include <algorithm>

#include "gfx/gl_api.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "gfx/overlay.h"

std::vector<unsigned>& deadTextures = *new std::vector<unsigned>();
int deadTextureSeq = 0;

namespace {

// The next mipmap level's size: each dimension above 1 halved.
int Halved(int n) { return n > 1 ? n / 2 : n; }

// The picture in a tw × th RGBA texture image, with its last column, last
// row and bottom-right pixel repeated once beyond it so that filtering at
// the picture's edge never reads unrelated texels.
TPixmapPtr BorderedTextureImage(const TPixmapPtr& picture, int tw, int th) {
  const int w = picture->width;
  const int h = picture->height;
  TPixmapPtr image = TPixmap::Create(tw, th, RGBAFormat, 4);
  image->Paste(picture, 0, 0);
  if (w < tw) {
    for (int y = 0; y < h; ++y) {
      std::copy_n(image->PixelPtr(w - 1, y), 4, image->PixelPtr(w, y));
    }
  }
  if (h < th) {
    std::copy_n(image->PixelPtr(0, h - 1), static_cast<std::size_t>(w) * 4, image->PixelPtr(0, h));
    if (w < tw) std::copy_n(image->PixelPtr(w - 1, h - 1), 4, image->PixelPtr(w, h));
  }
  return image;
}

}  // namespace

TGLImageFrame::TGLImageFrame() : seq(graphicsSeq()) {}

TGLImageFrame::~TGLImageFrame() {
  if (name != 0) QueueTextureDeletion(name, seq);
  seq = 0;
}

void TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx,
                         float sy, float sw, float sh) {
  if (!glFlat2DDriver) return;
  const auto [ix, iy, jx, jy] = glFlat2DDriver->driverMatrix;
  const float s0 = sx * uscale;
  const float t0 = sy * vscale;
  const float s1 = (sx + sw) * uscale;
  const float t1 = (sy + sh) * vscale;
  glFlat2DDriver->EnableTexture(name);
  gl.Begin(GL_QUADS);
  gl.TexCoord2f(s0, t0);
  gl.Vertex2f(x0 * ix + y0 * iy + tx, x0 * jx + y0 * jy + ty);
  gl.TexCoord2f(s1, t0);
  gl.Vertex2f(x1 * ix + y0 * iy + tx, x1 * jx + y0 * jy + ty);
  gl.TexCoord2f(s1, t1);
  gl.Vertex2f(x1 * ix + y1 * iy + tx, x1 * jx + y1 * jy + ty);
  gl.TexCoord2f(s0, t1);
  gl.Vertex2f(x0 * ix + y1 * iy + tx, x0 * jx + y1 * jy + ty);
  gl.End();
}

std::shared_ptr<TGLImageFrame> TGLImageFrame::CreateFromPixmap(const TPixmapPtr& pixmap,
                                                               int flags) {
  // A picture without pixels cannot become a texture (and has no last
  // column or row to repeat).
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
  int tw = pixmap->width;
  int th = pixmap->height;
  FitTextureSize(tw, th);
  const int w = std::min(pixmap->width, tw);
  const int h = std::min(pixmap->height, th);
  TPixmapPtr picture = pixmap;
  if (w < pixmap->width || h < pixmap->height) picture = ResampledPixelBuffer(pixmap, w, h);
  const TPixmapPtr image = w < tw || h < th ? BorderedTextureImage(picture, tw, th) : picture;

  auto frame = std::make_shared<TGLImageFrame>();
  frame->name = AllocateFrameTexture(tw, th, flags);
  UploadFrameLevels(image, flags);
  frame->uscale = 1.0f / static_cast<float>(tw);
  frame->vscale = 1.0f / static_cast<float>(th);
  frame->u1 = static_cast<float>(w) * frame->uscale;
  frame->v1 = static_cast<float>(h) * frame->vscale;
  frame->seq = graphicsSeq();
  return frame;
}

unsigned AllocateFrameTexture(int width, int height, int flags) {
  const int seq = graphicsSeq();
  if (deadTextureSeq == seq && !deadTextures.empty()) {
    gl.DeleteTextures(static_cast<GLsizei>(deadTextures.size()), deadTextures.data());
    // GL unbinds a deleted texture; forget it too, so that a new texture
    // given the same name is really bound below.
    if (glFlat2DDriver && std::find(deadTextures.begin(), deadTextures.end(),
                                    glFlat2DDriver->boundTexture) != deadTextures.end()) {
      glFlat2DDriver->boundTexture = 0;
    }
  }
  deadTextures.clear();
  deadTextureSeq = seq;

  GLuint name = 0;
  gl.GenTextures(1, &name);
  if (glFlat2DDriver) {
    glFlat2DDriver->BindTexture(name);
  } else {
    gl.BindTexture(GL_TEXTURE_2D, name);
  }
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
  const bool mipmapped = (flags & MipmappedImageFlag) != 0;
  GLenum mag = GL_NEAREST;
  GLenum min = mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST;
  if (flags & FilteredImageFlag) {
    mag = GL_LINEAR;
    min = mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
  }
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(mag));
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(min));
  for (int level = 0;; ++level) {
    gl.TexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(GL_RGBA8), width, height, 0, GL_RGBA,
                  GL_UNSIGNED_BYTE, nullptr);
    if (!mipmapped || (width <= 1 && height <= 1)) break;
    width = Halved(width);
    height = Halved(height);
  }
  return name;
}

void UploadFrameLevels(const TPixmapPtr& pixmap, int flags) {
  TPixmapPtr level_pixels = GLReadableRgba(pixmap);
  for (int level = 0;; ++level) {
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, level_pixels->pitch / 4);
    gl.TexSubImage2D(GL_TEXTURE_2D, level, 0, 0, level_pixels->width, level_pixels->height, GL_RGBA,
                     GL_UNSIGNED_BYTE, level_pixels->pixels);
    if (!(flags & MipmappedImageFlag)) break;
    if (level_pixels->width <= 1 && level_pixels->height <= 1) break;
    level_pixels = ResampledPixelBuffer(level_pixels, Halved(level_pixels->width),
                                        Halved(level_pixels->height));
  }
  gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void QueueTextureDeletion(unsigned name, int seq) {
  if (seq != deadTextureSeq) return;
  // The queue grows by ten names at a time.
  if (deadTextures.size() == deadTextures.capacity()) {
    deadTextures.reserve(deadTextures.capacity() + 10);
  }
  deadTextures.push_back(name);
}

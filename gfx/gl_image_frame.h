// Image frames of the OpenGL 2D driver: each frame is a GL texture, sized up
// to powers of two with a one-texel border around the picture. Textures of
// discarded frames are deleted later, at the next allocation in the same
// graphics generation, while a context is surely current. Made through
// TGLFlat2DDriver::CreateFrameFromPixmap.
#pragma once

#include <memory>
#include <vector>

#include "gfx/image.h"
#include "support/pixmap.h"

class TGLImageFrame : public TImageFrame {
 public:
  // Texture coordinates of the picture's top-left and bottom-right.
  float u0 = 0.0f;
  float v0 = 0.0f;
  float u1 = 0.0f;
  float v1 = 0.0f;
  // Texture coordinates per source pixel: 1 / texture width, 1 / height.
  float uscale = 0.0f;
  float vscale = 0.0f;
  unsigned name = 0;  // GL texture name
  int seq = 0;        // graphicsSeq when made

  TGLImageFrame();
  // Queues the texture for deletion.
  ~TGLImageFrame() override;
  TGLImageFrame(const TGLImageFrame&) = delete;
  TGLImageFrame& operator=(const TGLImageFrame&) = delete;

  // One textured quad through the GL 2D driver's transform, in the current
  // colour and blend state.
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy,
            float sw, float sh) override;

  // A texture made from the pixmap with the image flags. Null for a pixmap
  // without pixels; raises "Unable to calculate tex size" when the GL takes
  // no texture at all.
  static std::shared_ptr<TGLImageFrame> CreateFromPixmap(const TPixmapPtr& pixmap, int flags);
};

// A new texture name, bound, with clamped edges, the filters of the flags
// and storage for level 0 (and every mipmap level with MipmappedImageFlag).
// Deletes the queued dead textures first when they belong to this
// generation.
unsigned AllocateFrameTexture(int width, int height, int flags);
// Uploads the pixmap into level 0 of the bound texture and, with
// MipmappedImageFlag, halved copies into the following levels down to 1 × 1.
// Any format and pitch: GL is handed RGBA rows it can read in place.
void UploadFrameLevels(const TPixmapPtr& pixmap, int flags);

// Names of discarded textures still to be deleted, and the graphics
// generation they belong to. The queue is never destroyed: frames held by
// other process-wide objects (the default font's glyphs) are discarded
// during the process's exit, after the globals of this file may be gone.
extern std::vector<unsigned>& deadTextures;
extern int deadTextureSeq;
// Queues name for deletion if it belongs to deadTextureSeq's generation;
// a name from another generation died with its context and is forgotten.
void QueueTextureDeletion(unsigned name, int seq);

// A GL table for tests: installs itself into `gl`, logs every call as text
// ("Vertex2f(10.5,20.5)", floats with %.9g so they read back exactly),
// answers queries from scripted values or from the little GL state it
// tracks, keeps the pixels handed to it and serves pixel reads.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gfx/gl_api.h"

class GlRecorder {
 public:
  // Pixels handed over by DrawPixels, TexImage2D or TexSubImage2D: tightly
  // packed rows of 4 bytes per pixel in the order GL received them (the
  // first row is GL's bottom row). Empty unless the transfer was 4-byte RGBA
  // or BGRA with data.
  struct PixelTransfer {
    std::string call;  // "DrawPixels", "TexImage2D", "TexSubImage2D"
    GLenum target = 0;
    GLint level = 0;
    GLsizei width = 0;
    GLsizei height = 0;
    std::vector<GLubyte> bytes;
  };
  using Rgba = std::array<GLubyte, 4>;

  // Installs the recorder into `gl`; only one may be installed at a time.
  GlRecorder();
  // Puts back the table that was installed before.
  ~GlRecorder();
  GlRecorder(const GlRecorder&) = delete;
  GlRecorder& operator=(const GlRecorder&) = delete;

  // Every call since construction or the last ClearCalls, oldest first.
  const std::vector<std::string>& Calls() const { return calls_; }
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
  int CountCalls(const std::string& prefix) const;
  // The calls joined by single spaces, for compact expectations.
  std::string Joined() const;
  void ClearCalls();
  // Misuse seen so far, as text: a Begin inside Begin, an End without a
  // Begin, a call other than Vertex/TexCoord/Color between Begin and End.
  const std::vector<std::string>& Errors() const { return errors_; }

  // Scripted query answers; they take precedence over the tracked state.
  void SetIntegers(GLenum pname, std::vector<GLint> values);
  void SetDoubles(GLenum pname, std::vector<GLdouble> values);
  // GL_MAX_TEXTURE_SIZE; a proxy texture larger in either direction is
  // refused (its GL_TEXTURE_WIDTH reads 0). 2048 by default.
  void SetMaxTextureSize(GLint size) { max_texture_size_ = size; }
  // The name the next GenTextures hands out (1 at first), counting up.
  void SetNextTextureName(GLuint name) { next_texture_ = name; }
  // The colour ReadPixels finds at GL window pixel (x, y), y counted from
  // the bottom. All zero when not set.
  void SetReadPixel(std::function<Rgba(GLint x, GLint y)> source) {
    read_pixel_ = std::move(source);
  }

  const std::vector<PixelTransfer>& Transfers() const { return transfers_; }

  // Tracked state.
  bool IsEnabled(GLenum cap) const { return enabled_.count(cap) != 0; }
  GLuint BoundTexture() const { return bound_texture_; }
  GLint PixelStore(GLenum pname) const;
  Rgba CurrentColor() const { return color_; }
  // Column-major, as GL_MODELVIEW_MATRIX / GL_PROJECTION_MATRIX read.
  std::array<GLdouble, 16> Matrix(GLenum mode) const;

  // The recorder behind `gl` now (the callbacks reach it through this).
  static GlRecorder& Active();

  // Recording entry points, one per table slot (public so the table can be
  // filled from them; tests call through `gl`).
#define GL_RECORDER_DECLARE(ret, name, params, ...) static ret name params;
  GL_API_FUNCTIONS(GL_RECORDER_DECLARE)
#undef GL_RECORDER_DECLARE

 private:
  using Matrix4 = std::array<GLdouble, 16>;
  struct Attributes {
    GLbitfield mask = 0;
    std::set<GLenum> enabled;
    GLuint bound_texture = 0;
    GLenum matrix_mode = 0;
  };

  void Log(std::string call, bool allowed_in_begin = false);
  Matrix4& CurrentMatrix();
  void Capture(const char* call, GLenum target, GLint level, GLsizei width, GLsizei height,
               GLenum format, GLenum type, const GLvoid* pixels);

  GlApi previous_;
  std::vector<std::string> calls_;
  std::vector<std::string> errors_;
  bool in_begin_ = false;

  std::map<GLenum, std::vector<GLint>> scripted_ints_;
  std::map<GLenum, std::vector<GLdouble>> scripted_doubles_;
  GLint max_texture_size_ = 2048;
  GLuint next_texture_ = 1;
  std::function<Rgba(GLint, GLint)> read_pixel_;
  std::vector<PixelTransfer> transfers_;

  std::set<GLenum> enabled_;
  GLuint bound_texture_ = 0;
  std::map<GLenum, GLint> pixel_store_;
  Rgba color_{255, 255, 255, 255};
  std::array<GLint, 4> viewport_{0, 0, 0, 0};
  GLenum matrix_mode_ = GL_MODELVIEW;
  std::map<GLenum, std::vector<Matrix4>> matrix_stacks_;
  std::vector<Attributes> attribute_stack_;
  std::map<GLint, std::array<GLsizei, 2>> proxy_sizes_;
};

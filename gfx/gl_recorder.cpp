#include "gfx/gl_recorder.h"

#include <cassert>
#include <cstring>

#include "support/format.h"

namespace {

GlRecorder* active = nullptr;

enum class Kind { Mode, Factor, Bit, Enum };

struct NamedConstant {
  const char* name;
  GLenum value;
  Kind kind;
};

constexpr NamedConstant kConstants[] = {
#define GL_RECORDER_NAMED(name, value, kind) {#name, value, Kind::kind},
    GL_API_CONSTANTS(GL_RECORDER_NAMED)
#undef GL_RECORDER_NAMED
};

std::string Hex(GLenum value) { return Format("0x%04X", value); }

// The name of a value of the given kind; unknown values in hexadecimal.
std::string Name(GLenum value, Kind kind) {
  for (const NamedConstant& c : kConstants) {
    if (c.kind == kind && c.value == value) return c.name;
  }
  return Hex(value);
}
std::string EnumName(GLenum value) { return Name(value, Kind::Enum); }

// An int parameter that may carry an enum (texture parameters, internal
// formats): its name when it has one, else decimal.
std::string IntOrEnum(GLint value) {
  if (value >= 0x100) {
    for (const NamedConstant& c : kConstants) {
      if (c.kind == Kind::Enum && c.value == static_cast<GLenum>(value)) return c.name;
    }
  }
  return Format("%d", value);
}

std::string Bits(GLbitfield mask) {
  std::string out;
  GLbitfield rest = mask;
  for (const NamedConstant& c : kConstants) {
    if (c.kind == Kind::Bit && (mask & c.value) == c.value) {
      if (!out.empty()) out += "|";
      out += c.name;
      rest &= ~c.value;
    }
  }
  if (rest != 0 || out.empty()) {
    if (!out.empty()) out += "|";
    out += Hex(rest);
  }
  return out;
}

std::string F(GLfloat v) { return Format("%.9g", static_cast<double>(v)); }
std::string D(GLdouble v) { return Format("%.17g", v); }
std::string I(GLint v) { return Format("%d", v); }
std::string U(GLuint v) { return Format("%u", v); }
std::string Data(const void* p) { return p ? "data" : "null"; }

using Matrix4 = std::array<GLdouble, 16>;

Matrix4 Identity() {
  Matrix4 m{};
  m[0] = m[5] = m[10] = m[15] = 1.0;
  return m;
}

// a × b, both column-major.
Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 r{};
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
      r[col * 4 + row] = sum;
    }
  }
  return r;
}

// Bytes per row for a 4-byte-per-pixel transfer under the given store state.
std::size_t RowStride(GLsizei width, GLint row_length, GLint alignment) {
  const std::size_t pixels =
      row_length > 0 ? static_cast<std::size_t>(row_length) : static_cast<std::size_t>(width);
  const std::size_t align = alignment > 0 ? static_cast<std::size_t>(alignment) : 4;
  const std::size_t bytes = pixels * 4;
  return (bytes + align - 1) / align * align;
}

}  // namespace

GlRecorder::GlRecorder() {
  assert(active == nullptr && "only one GlRecorder at a time");
  active = this;
  previous_ = gl;
#define GL_RECORDER_FILL(ret, name, params, ...) gl.name = &GlRecorder::name;
  GL_API_FUNCTIONS(GL_RECORDER_FILL)
#undef GL_RECORDER_FILL
  matrix_stacks_[GL_MODELVIEW] = {Identity()};
  matrix_stacks_[GL_PROJECTION] = {Identity()};
  matrix_stacks_[GL_TEXTURE] = {Identity()};
  pixel_store_[GL_UNPACK_ALIGNMENT] = 4;
  pixel_store_[GL_PACK_ALIGNMENT] = 4;
}

GlRecorder::~GlRecorder() {
  gl = previous_;
  active = nullptr;
}

GlRecorder& GlRecorder::Active() {
  assert(active != nullptr && "no GlRecorder installed");
  return *active;
}

std::vector<std::string> GlRecorder::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& c : calls_) {
    if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
  }
  return out;
}

int GlRecorder::CountCalls(const std::string& prefix) const {
  return static_cast<int>(CallsStartingWith(prefix).size());
}

std::string GlRecorder::Joined() const {
  std::string out;
  for (const std::string& c : calls_) {
    if (!out.empty()) out += ' ';
    out += c;
  }
  return out;
}

void GlRecorder::ClearCalls() {
  calls_.clear();
  transfers_.clear();
}

void GlRecorder::SetIntegers(GLenum pname, std::vector<GLint> values) {
  scripted_ints_[pname] = std::move(values);
}

void GlRecorder::SetDoubles(GLenum pname, std::vector<GLdouble> values) {
  scripted_doubles_[pname] = std::move(values);
}

GLint GlRecorder::PixelStore(GLenum pname) const {
  auto it = pixel_store_.find(pname);
  return it == pixel_store_.end() ? 0 : it->second;
}

std::array<GLdouble, 16> GlRecorder::Matrix(GLenum mode) const {
  auto it = matrix_stacks_.find(mode);
  return it == matrix_stacks_.end() ? Identity() : it->second.back();
}

void GlRecorder::Log(std::string call, bool allowed_in_begin) {
  if (in_begin_ && !allowed_in_begin) errors_.push_back(call + " between Begin and End");
  calls_.push_back(std::move(call));
}

GlRecorder::Matrix4& GlRecorder::CurrentMatrix() {
  std::vector<Matrix4>& stack = matrix_stacks_[matrix_mode_];
  if (stack.empty()) stack.push_back(Identity());
  return stack.back();
}

void GlRecorder::Capture(const char* call, GLenum target, GLint level, GLsizei width,
                         GLsizei height, GLenum format, GLenum type, const GLvoid* pixels) {
  PixelTransfer t;
  t.call = call;
  t.target = target;
  t.level = level;
  t.width = width;
  t.height = height;
  if (pixels != nullptr && width > 0 && height > 0 && type == GL_UNSIGNED_BYTE &&
      (format == GL_RGBA || format == GL_BGRA)) {
    const std::size_t stride =
        RowStride(width, PixelStore(GL_UNPACK_ROW_LENGTH), PixelStore(GL_UNPACK_ALIGNMENT));
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
    const auto* src = static_cast<const GLubyte*>(pixels);
    t.bytes.resize(row_bytes * static_cast<std::size_t>(height));
    for (GLsizei row = 0; row < height; ++row) {
      std::memcpy(t.bytes.data() + static_cast<std::size_t>(row) * row_bytes,
                  src + static_cast<std::size_t>(row) * stride, row_bytes);
    }
  }
  transfers_.push_back(std::move(t));
}

void GlRecorder::Begin(GLenum mode) {
  GlRecorder& r = Active();
  if (r.in_begin_) r.errors_.push_back("Begin inside Begin");
  r.Log("Begin(" + Name(mode, Kind::Mode) + ")", true);
  r.in_begin_ = true;
}

void GlRecorder::End() {
  GlRecorder& r = Active();
  if (!r.in_begin_) r.errors_.push_back("End without Begin");
  r.in_begin_ = false;
  r.Log("End()");
}

void GlRecorder::Vertex2f(GLfloat x, GLfloat y) {
  Active().Log("Vertex2f(" + F(x) + "," + F(y) + ")", true);
}

void GlRecorder::Vertex2i(GLint x, GLint y) {
  Active().Log("Vertex2i(" + I(x) + "," + I(y) + ")", true);
}

void GlRecorder::TexCoord2f(GLfloat s, GLfloat t) {
  Active().Log("TexCoord2f(" + F(s) + "," + F(t) + ")", true);
}

void GlRecorder::Color4ubv(const GLubyte* v) {
  GlRecorder& r = Active();
  for (int i = 0; i < 4; ++i) r.color_[static_cast<std::size_t>(i)] = v[i];
  r.Log(Format("Color4ubv(%u,%u,%u,%u)", v[0], v[1], v[2], v[3]), true);
}

void GlRecorder::ClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  Active().Log("ClearColor(" + F(red) + "," + F(green) + "," + F(blue) + "," + F(alpha) + ")");
}

void GlRecorder::Clear(GLbitfield mask) { Active().Log("Clear(" + Bits(mask) + ")"); }

void GlRecorder::Enable(GLenum cap) {
  GlRecorder& r = Active();
  r.enabled_.insert(cap);
  r.Log("Enable(" + EnumName(cap) + ")");
}

void GlRecorder::Disable(GLenum cap) {
  GlRecorder& r = Active();
  r.enabled_.erase(cap);
  r.Log("Disable(" + EnumName(cap) + ")");
}

void GlRecorder::AlphaFunc(GLenum func, GLclampf ref) {
  Active().Log("AlphaFunc(" + EnumName(func) + "," + F(ref) + ")");
}

void GlRecorder::BlendFunc(GLenum sfactor, GLenum dfactor) {
  Active().Log("BlendFunc(" + Name(sfactor, Kind::Factor) + "," + Name(dfactor, Kind::Factor) +
               ")");
}

void GlRecorder::LineWidth(GLfloat width) { Active().Log("LineWidth(" + F(width) + ")"); }

void GlRecorder::Scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
  Active().Log("Scissor(" + I(x) + "," + I(y) + "," + I(width) + "," + I(height) + ")");
}

void GlRecorder::Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  GlRecorder& r = Active();
  r.viewport_ = {x, y, width, height};
  r.Log("Viewport(" + I(x) + "," + I(y) + "," + I(width) + "," + I(height) + ")");
}

void GlRecorder::MatrixMode(GLenum mode) {
  GlRecorder& r = Active();
  r.matrix_mode_ = mode;
  r.Log("MatrixMode(" + EnumName(mode) + ")");
}

void GlRecorder::LoadIdentity() {
  GlRecorder& r = Active();
  r.CurrentMatrix() = Identity();
  r.Log("LoadIdentity()");
}

void GlRecorder::LoadMatrixd(const GLdouble* m) {
  GlRecorder& r = Active();
  std::string text = "LoadMatrixd(";
  for (int i = 0; i < 16; ++i) {
    r.CurrentMatrix()[static_cast<std::size_t>(i)] = m[i];
    text += (i ? "," : "") + D(m[i]);
  }
  r.Log(text + ")");
}

void GlRecorder::Ortho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                       GLdouble near_val, GLdouble far_val) {
  GlRecorder& r = Active();
  Matrix4 o{};
  o[0] = 2.0 / (right - left);
  o[5] = 2.0 / (top - bottom);
  o[10] = -2.0 / (far_val - near_val);
  o[12] = -(right + left) / (right - left);
  o[13] = -(top + bottom) / (top - bottom);
  o[14] = -(far_val + near_val) / (far_val - near_val);
  o[15] = 1.0;
  r.CurrentMatrix() = Multiply(r.CurrentMatrix(), o);
  r.Log("Ortho(" + D(left) + "," + D(right) + "," + D(bottom) + "," + D(top) + "," + D(near_val) +
        "," + D(far_val) + ")");
}

void GlRecorder::PushMatrix() {
  GlRecorder& r = Active();
  const Matrix4 top = r.CurrentMatrix();
  r.matrix_stacks_[r.matrix_mode_].push_back(top);
  r.Log("PushMatrix()");
}

void GlRecorder::PopMatrix() {
  GlRecorder& r = Active();
  std::vector<Matrix4>& stack = r.matrix_stacks_[r.matrix_mode_];
  if (stack.size() > 1) {
    stack.pop_back();
  } else {
    r.errors_.push_back("PopMatrix on an empty stack");
  }
  r.Log("PopMatrix()");
}

void GlRecorder::PushAttrib(GLbitfield mask) {
  GlRecorder& r = Active();
  r.attribute_stack_.push_back({mask, r.enabled_, r.bound_texture_, r.matrix_mode_});
  r.Log("PushAttrib(" + Bits(mask) + ")");
}

void GlRecorder::PopAttrib() {
  GlRecorder& r = Active();
  if (r.attribute_stack_.empty()) {
    r.errors_.push_back("PopAttrib on an empty stack");
  } else {
    const Attributes a = r.attribute_stack_.back();
    r.attribute_stack_.pop_back();
    if (a.mask & GL_ENABLE_BIT) r.enabled_ = a.enabled;
    if (a.mask & GL_TEXTURE_BIT) r.bound_texture_ = a.bound_texture;
    if (a.mask & GL_TRANSFORM_BIT) r.matrix_mode_ = a.matrix_mode;
  }
  r.Log("PopAttrib()");
}

void GlRecorder::GetIntegerv(GLenum pname, GLint* params) {
  GlRecorder& r = Active();
  r.Log("GetIntegerv(" + EnumName(pname) + ")");
  auto scripted = r.scripted_ints_.find(pname);
  if (scripted != r.scripted_ints_.end()) {
    for (std::size_t i = 0; i < scripted->second.size(); ++i) params[i] = scripted->second[i];
    return;
  }
  switch (pname) {
    case GL_VIEWPORT:
      for (std::size_t i = 0; i < 4; ++i) params[i] = r.viewport_[i];
      return;
    case GL_TEXTURE_BINDING_2D: params[0] = static_cast<GLint>(r.bound_texture_); return;
    case GL_MAX_TEXTURE_SIZE: params[0] = r.max_texture_size_; return;
    case GL_MATRIX_MODE: params[0] = static_cast<GLint>(r.matrix_mode_); return;
    default: params[0] = r.PixelStore(pname); return;
  }
}

void GlRecorder::GetDoublev(GLenum pname, GLdouble* params) {
  GlRecorder& r = Active();
  r.Log("GetDoublev(" + EnumName(pname) + ")");
  auto scripted = r.scripted_doubles_.find(pname);
  if (scripted != r.scripted_doubles_.end()) {
    for (std::size_t i = 0; i < scripted->second.size(); ++i) params[i] = scripted->second[i];
    return;
  }
  if (pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX) {
    const Matrix4 m = r.Matrix(pname == GL_MODELVIEW_MATRIX ? GL_MODELVIEW : GL_PROJECTION);
    for (std::size_t i = 0; i < 16; ++i) params[i] = m[i];
    return;
  }
  params[0] = 0.0;
}

void GlRecorder::GetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params) {
  GlRecorder& r = Active();
  r.Log("GetTexLevelParameteriv(" + EnumName(target) + "," + I(level) + "," + EnumName(pname) +
        ")");
  auto scripted = r.scripted_ints_.find(pname);
  if (scripted != r.scripted_ints_.end() && !scripted->second.empty()) {
    params[0] = scripted->second[0];
    return;
  }
  params[0] = 0;
  auto proxy = r.proxy_sizes_.find(level);
  if (target != GL_PROXY_TEXTURE_2D || proxy == r.proxy_sizes_.end()) return;
  if (pname == GL_TEXTURE_WIDTH) params[0] = proxy->second[0];
  if (pname == GL_TEXTURE_HEIGHT) params[0] = proxy->second[1];
}

void GlRecorder::GenTextures(GLsizei n, GLuint* textures) {
  GlRecorder& r = Active();
  for (GLsizei i = 0; i < n; ++i) textures[i] = r.next_texture_++;
  r.Log("GenTextures(" + I(n) + ")");
}

void GlRecorder::DeleteTextures(GLsizei n, const GLuint* textures) {
  GlRecorder& r = Active();
  std::string names;
  for (GLsizei i = 0; i < n; ++i) {
    names += (i ? "," : "") + U(textures[i]);
    if (textures[i] == r.bound_texture_) r.bound_texture_ = 0;
  }
  r.Log("DeleteTextures(" + I(n) + ",{" + names + "})");
}

void GlRecorder::BindTexture(GLenum target, GLuint texture) {
  GlRecorder& r = Active();
  if (target == GL_TEXTURE_2D) r.bound_texture_ = texture;
  r.Log("BindTexture(" + EnumName(target) + "," + U(texture) + ")");
}

void GlRecorder::TexParameteri(GLenum target, GLenum pname, GLint param) {
  Active().Log("TexParameteri(" + EnumName(target) + "," + EnumName(pname) + "," +
               IntOrEnum(param) + ")");
}

void GlRecorder::TexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width,
                            GLsizei height, GLint border, GLenum format, GLenum type,
                            const GLvoid* pixels) {
  GlRecorder& r = Active();
  r.Log("TexImage2D(" + EnumName(target) + "," + I(level) + "," + IntOrEnum(internalformat) + "," +
        I(width) + "," + I(height) + "," + I(border) + "," + EnumName(format) + "," +
        EnumName(type) + "," + Data(pixels) + ")");
  if (target == GL_PROXY_TEXTURE_2D) {
    const bool fits =
        width >= 0 && height >= 0 && width <= r.max_texture_size_ && height <= r.max_texture_size_;
    r.proxy_sizes_[level] =
        fits ? std::array<GLsizei, 2>{width, height} : std::array<GLsizei, 2>{0, 0};
    return;
  }
  r.Capture("TexImage2D", target, level, width, height, format, type, pixels);
}

void GlRecorder::TexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset,
                               GLsizei width, GLsizei height, GLenum format, GLenum type,
                               const GLvoid* pixels) {
  GlRecorder& r = Active();
  r.Log("TexSubImage2D(" + EnumName(target) + "," + I(level) + "," + I(xoffset) + "," + I(yoffset) +
        "," + I(width) + "," + I(height) + "," + EnumName(format) + "," + EnumName(type) + "," +
        Data(pixels) + ")");
  r.Capture("TexSubImage2D", target, level, width, height, format, type, pixels);
}

void GlRecorder::PixelStorei(GLenum pname, GLint param) {
  GlRecorder& r = Active();
  r.pixel_store_[pname] = param;
  r.Log("PixelStorei(" + EnumName(pname) + "," + I(param) + ")");
}

void GlRecorder::PixelZoom(GLfloat xfactor, GLfloat yfactor) {
  Active().Log("PixelZoom(" + F(xfactor) + "," + F(yfactor) + ")");
}

void GlRecorder::RasterPos2i(GLint x, GLint y) {
  Active().Log("RasterPos2i(" + I(x) + "," + I(y) + ")");
}

void GlRecorder::Bitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
                        GLfloat ymove, const GLubyte* bitmap) {
  Active().Log("Bitmap(" + I(width) + "," + I(height) + "," + F(xorig) + "," + F(yorig) + "," +
               F(xmove) + "," + F(ymove) + "," + Data(bitmap) + ")");
}

void GlRecorder::DrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type,
                            const GLvoid* pixels) {
  GlRecorder& r = Active();
  r.Log("DrawPixels(" + I(width) + "," + I(height) + "," + EnumName(format) + "," + EnumName(type) +
        "," + Data(pixels) + ")");
  r.Capture("DrawPixels", 0, 0, width, height, format, type, pixels);
}

void GlRecorder::ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                            GLenum type, GLvoid* pixels) {
  GlRecorder& r = Active();
  r.Log("ReadPixels(" + I(x) + "," + I(y) + "," + I(width) + "," + I(height) + "," +
        EnumName(format) + "," + EnumName(type) + ")");
  if (pixels == nullptr || width <= 0 || height <= 0 || type != GL_UNSIGNED_BYTE ||
      format != GL_RGBA) {
    return;
  }
  const std::size_t stride =
      RowStride(width, r.PixelStore(GL_PACK_ROW_LENGTH), r.PixelStore(GL_PACK_ALIGNMENT));
  auto* dst = static_cast<GLubyte*>(pixels);
  for (GLsizei row = 0; row < height; ++row) {
    for (GLsizei col = 0; col < width; ++col) {
      const Rgba c = r.read_pixel_ ? r.read_pixel_(x + col, y + row) : Rgba{0, 0, 0, 0};
      std::memcpy(dst + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(col) * 4,
                  c.data(), 4);
    }
  }
}

void GlRecorder::ReadBuffer(GLenum mode) { Active().Log("ReadBuffer(" + EnumName(mode) + ")"); }

void GlRecorder::Finish() { Active().Log("Finish()"); }

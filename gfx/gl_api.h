// The OpenGL table: every GL function the drawing layers call, reached as
// gl.Name(...). The program runs with the system's functions; tests install
// a recorder (gfx/gl_recorder.h). Only gl_api.cpp includes the GL headers.
#pragma once

#include <cstdint>

// The constants below share their names with the system header's macros.
#if defined(GL_VERSION_1_1)
#error "include gfx/gl_api.h before any system GL header"
#endif

// The GL scalar types, identical to the system header's definitions.
typedef unsigned int GLenum;
typedef unsigned int GLbitfield;
typedef unsigned int GLuint;
typedef int GLint;
typedef int GLsizei;
typedef unsigned char GLubyte;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef void GLvoid;

// The GL constants the drawing layers use, with their kind: Mode (primitive
// types), Factor (blend factors), Bit (attribute and buffer bits) or Enum
// (everything else). The kind tells the recorder how to name a value, since
// GL reuses small values across kinds. gl_api.cpp checks every value
// against the system header.
#define GL_API_CONSTANTS(X)                  \
  X(GL_POINTS, 0x0000, Mode)                 \
  X(GL_LINES, 0x0001, Mode)                  \
  X(GL_LINE_LOOP, 0x0002, Mode)              \
  X(GL_LINE_STRIP, 0x0003, Mode)             \
  X(GL_TRIANGLES, 0x0004, Mode)              \
  X(GL_TRIANGLE_STRIP, 0x0005, Mode)         \
  X(GL_TRIANGLE_FAN, 0x0006, Mode)           \
  X(GL_QUADS, 0x0007, Mode)                  \
  X(GL_QUAD_STRIP, 0x0008, Mode)             \
  X(GL_POLYGON, 0x0009, Mode)                \
  X(GL_ZERO, 0x0000, Factor)                 \
  X(GL_ONE, 0x0001, Factor)                  \
  X(GL_SRC_COLOR, 0x0300, Factor)            \
  X(GL_ONE_MINUS_SRC_COLOR, 0x0301, Factor)  \
  X(GL_SRC_ALPHA, 0x0302, Factor)            \
  X(GL_ONE_MINUS_SRC_ALPHA, 0x0303, Factor)  \
  X(GL_DST_ALPHA, 0x0304, Factor)            \
  X(GL_ONE_MINUS_DST_ALPHA, 0x0305, Factor)  \
  X(GL_DST_COLOR, 0x0306, Factor)            \
  X(GL_ONE_MINUS_DST_COLOR, 0x0307, Factor)  \
  X(GL_DEPTH_BUFFER_BIT, 0x00000100, Bit)    \
  X(GL_TRANSFORM_BIT, 0x00001000, Bit)       \
  X(GL_ENABLE_BIT, 0x00002000, Bit)          \
  X(GL_COLOR_BUFFER_BIT, 0x00004000, Bit)    \
  X(GL_TEXTURE_BIT, 0x00040000, Bit)         \
  X(GL_NEVER, 0x0200, Enum)                  \
  X(GL_LESS, 0x0201, Enum)                   \
  X(GL_EQUAL, 0x0202, Enum)                  \
  X(GL_LEQUAL, 0x0203, Enum)                 \
  X(GL_GREATER, 0x0204, Enum)                \
  X(GL_NOTEQUAL, 0x0205, Enum)               \
  X(GL_GEQUAL, 0x0206, Enum)                 \
  X(GL_ALWAYS, 0x0207, Enum)                 \
  X(GL_FRONT, 0x0404, Enum)                  \
  X(GL_BACK, 0x0405, Enum)                   \
  X(GL_CULL_FACE, 0x0B44, Enum)              \
  X(GL_DEPTH_TEST, 0x0B71, Enum)             \
  X(GL_MATRIX_MODE, 0x0BA0, Enum)            \
  X(GL_VIEWPORT, 0x0BA2, Enum)               \
  X(GL_MODELVIEW_MATRIX, 0x0BA6, Enum)       \
  X(GL_PROJECTION_MATRIX, 0x0BA7, Enum)      \
  X(GL_ALPHA_TEST, 0x0BC0, Enum)             \
  X(GL_BLEND, 0x0BE2, Enum)                  \
  X(GL_SCISSOR_TEST, 0x0C11, Enum)           \
  X(GL_UNPACK_ROW_LENGTH, 0x0CF2, Enum)      \
  X(GL_UNPACK_SKIP_ROWS, 0x0CF3, Enum)       \
  X(GL_UNPACK_SKIP_PIXELS, 0x0CF4, Enum)     \
  X(GL_UNPACK_ALIGNMENT, 0x0CF5, Enum)       \
  X(GL_PACK_ROW_LENGTH, 0x0D02, Enum)        \
  X(GL_PACK_SKIP_ROWS, 0x0D03, Enum)         \
  X(GL_PACK_SKIP_PIXELS, 0x0D04, Enum)       \
  X(GL_PACK_ALIGNMENT, 0x0D05, Enum)         \
  X(GL_MAX_TEXTURE_SIZE, 0x0D33, Enum)       \
  X(GL_TEXTURE_2D, 0x0DE1, Enum)             \
  X(GL_TEXTURE_WIDTH, 0x1000, Enum)          \
  X(GL_TEXTURE_HEIGHT, 0x1001, Enum)         \
  X(GL_UNSIGNED_BYTE, 0x1401, Enum)          \
  X(GL_MODELVIEW, 0x1700, Enum)              \
  X(GL_PROJECTION, 0x1701, Enum)             \
  X(GL_TEXTURE, 0x1702, Enum)                \
  X(GL_ALPHA, 0x1906, Enum)                  \
  X(GL_RGB, 0x1907, Enum)                    \
  X(GL_RGBA, 0x1908, Enum)                   \
  X(GL_NEAREST, 0x2600, Enum)                \
  X(GL_LINEAR, 0x2601, Enum)                 \
  X(GL_NEAREST_MIPMAP_NEAREST, 0x2700, Enum) \
  X(GL_LINEAR_MIPMAP_NEAREST, 0x2701, Enum)  \
  X(GL_NEAREST_MIPMAP_LINEAR, 0x2702, Enum)  \
  X(GL_LINEAR_MIPMAP_LINEAR, 0x2703, Enum)   \
  X(GL_TEXTURE_MAG_FILTER, 0x2800, Enum)     \
  X(GL_TEXTURE_MIN_FILTER, 0x2801, Enum)     \
  X(GL_TEXTURE_WRAP_S, 0x2802, Enum)         \
  X(GL_TEXTURE_WRAP_T, 0x2803, Enum)         \
  X(GL_CLAMP, 0x2900, Enum)                  \
  X(GL_REPEAT, 0x2901, Enum)                 \
  X(GL_RGBA8, 0x8058, Enum)                  \
  X(GL_PROXY_TEXTURE_2D, 0x8064, Enum)       \
  X(GL_TEXTURE_BINDING_2D, 0x8069, Enum)     \
  X(GL_BGRA, 0x80E1, Enum)                   \
  X(GL_CLAMP_TO_EDGE, 0x812F, Enum)

#define GL_API_DECLARE_CONSTANT(name, value, kind) inline constexpr GLenum name = value;
GL_API_CONSTANTS(GL_API_DECLARE_CONSTANT)
#undef GL_API_DECLARE_CONSTANT

// The GL functions: return type, name without the gl prefix, parameters,
// argument names.
#define GL_API_FUNCTIONS(X)                                                                      \
  X(void, Begin, (GLenum mode), mode)                                                            \
  X(void, End, (), )                                                                             \
  X(void, Vertex2f, (GLfloat x, GLfloat y), x, y)                                                \
  X(void, Vertex2i, (GLint x, GLint y), x, y)                                                    \
  X(void, TexCoord2f, (GLfloat s, GLfloat t), s, t)                                              \
  X(void, Color4ubv, (const GLubyte* v), v)                                                      \
  X(void, ClearColor, (GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha), red, green, \
    blue, alpha)                                                                                 \
  X(void, Clear, (GLbitfield mask), mask)                                                        \
  X(void, Enable, (GLenum cap), cap)                                                             \
  X(void, Disable, (GLenum cap), cap)                                                            \
  X(void, AlphaFunc, (GLenum func, GLclampf ref), func, ref)                                     \
  X(void, BlendFunc, (GLenum sfactor, GLenum dfactor), sfactor, dfactor)                         \
  X(void, LineWidth, (GLfloat width), width)                                                     \
  X(void, Scissor, (GLint x, GLint y, GLsizei width, GLsizei height), x, y, width, height)       \
  X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height), x, y, width, height)      \
  X(void, MatrixMode, (GLenum mode), mode)                                                       \
  X(void, LoadIdentity, (), )                                                                    \
  X(void, LoadMatrixd, (const GLdouble* m), m)                                                   \
  X(void, Ortho,                                                                                 \
    (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_val,            \
     GLdouble far_val),                                                                          \
    left, right, bottom, top, near_val, far_val)                                                 \
  X(void, PushMatrix, (), )                                                                      \
  X(void, PopMatrix, (), )                                                                       \
  X(void, PushAttrib, (GLbitfield mask), mask)                                                   \
  X(void, PopAttrib, (), )                                                                       \
  X(void, GetIntegerv, (GLenum pname, GLint * params), pname, params)                            \
  X(void, GetDoublev, (GLenum pname, GLdouble * params), pname, params)                          \
  X(void, GetTexLevelParameteriv, (GLenum target, GLint level, GLenum pname, GLint * params),    \
    target, level, pname, params)                                                                \
  X(void, GenTextures, (GLsizei n, GLuint * textures), n, textures)                              \
  X(void, DeleteTextures, (GLsizei n, const GLuint* textures), n, textures)                      \
  X(void, BindTexture, (GLenum target, GLuint texture), target, texture)                         \
  X(void, TexParameteri, (GLenum target, GLenum pname, GLint param), target, pname, param)       \
  X(void, TexImage2D,                                                                            \
    (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,            \
     GLint border, GLenum format, GLenum type, const GLvoid* pixels),                            \
    target, level, internalformat, width, height, border, format, type, pixels)                  \
  X(void, TexSubImage2D,                                                                         \
    (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height,    \
     GLenum format, GLenum type, const GLvoid* pixels),                                          \
    target, level, xoffset, yoffset, width, height, format, type, pixels)                        \
  X(void, PixelStorei, (GLenum pname, GLint param), pname, param)                                \
  X(void, PixelZoom, (GLfloat xfactor, GLfloat yfactor), xfactor, yfactor)                       \
  X(void, RasterPos2i, (GLint x, GLint y), x, y)                                                 \
  X(void, Bitmap,                                                                                \
    (GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,  \
     const GLubyte* bitmap),                                                                     \
    width, height, xorig, yorig, xmove, ymove, bitmap)                                           \
  X(void, DrawPixels,                                                                            \
    (GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels), width,    \
    height, format, type, pixels)                                                                \
  X(void, ReadPixels,                                                                            \
    (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,                \
     GLvoid * pixels),                                                                           \
    x, y, width, height, format, type, pixels)                                                   \
  X(void, ReadBuffer, (GLenum mode), mode)                                                       \
  X(void, Finish, (), )

struct GlApi {
#define GL_API_SLOT(ret, name, params, ...) ret(*name) params = nullptr;
  GL_API_FUNCTIONS(GL_API_SLOT)
#undef GL_API_SLOT
};

// The table the drawing code calls through. Filled with the system's GL
// functions before main runs; a test swaps in a recorder and back.
extern GlApi gl;

// The system's GL functions, as `gl` holds them at start.
const GlApi& SystemGlApi();

#include "gfx/gl_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/gl_recorder.h"

namespace {

TEST(GlApi, SystemTableIsCompleteAndComesBackAfterRecording) {
  const GlApi& system = SystemGlApi();
#define GL_API_TEST_SLOT(ret, name, params, ...) \
  EXPECT_NE(system.name, nullptr) << #name;      \
  EXPECT_EQ(gl.name, system.name) << #name;
  GL_API_FUNCTIONS(GL_API_TEST_SLOT) {
    GlRecorder recorder;
    EXPECT_NE(gl.Begin, system.Begin);
    gl.Begin(GL_QUADS);
    gl.End();
    EXPECT_EQ(recorder.Joined(), "Begin(GL_QUADS) End()");
  }
  GL_API_FUNCTIONS(GL_API_TEST_SLOT)
#undef GL_API_TEST_SLOT
}

TEST(GlRecorder, FloatsReadBackExactly) {
  GlRecorder recorder;
  const float values[] = {0.1f, 1.0f / 3.0f, 16777217.0f, -0.0f, 1e-30f};
  for (float v : values) {
    recorder.ClearCalls();
    gl.LineWidth(v);
    const std::string call = recorder.Calls().at(0);
    const float back = std::strtof(call.c_str() + std::string("LineWidth(").size(), nullptr);
    EXPECT_EQ(back, v) << call;
  }
  gl.Ortho(0, 0.1, 1, 0, -1, 1);
  EXPECT_EQ(recorder.Calls().back(), "Ortho(0,0.10000000000000001,1,0,-1,1)");
}

TEST(GlRecorder, ReportsBeginEndMisuse) {
  GlRecorder recorder;
  gl.Begin(GL_POINTS);
  gl.Vertex2f(1, 2);
  gl.Enable(GL_BLEND);
  gl.Begin(GL_LINES);
  gl.End();
  gl.End();
  EXPECT_EQ(recorder.Errors(),
            (std::vector<std::string>{"Enable(GL_BLEND) between Begin and End",
                                      "Begin inside Begin", "End without Begin"}));
}

TEST(GlRecorder, AnswersProxyTextureQueriesFromTheMaximumSize) {
  GlRecorder recorder;
  recorder.SetMaxTextureSize(256);
  GLint width = -1;
  gl.TexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, 512, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  gl.GetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 0);
  gl.TexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, 256, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  gl.GetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 256);
  EXPECT_EQ(recorder.Transfers().size(), 0u);  // proxies carry no pixels
  recorder.SetIntegers(GL_VIEWPORT, {1, 2, 3, 4});
  GLint viewport[4] = {};
  gl.GetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[3], 4);
}

TEST(GlRecorder, PixelTransfersFollowThePixelStore) {
  GlRecorder recorder;
  // Two rows of one pixel, three pixels apart.
  const GLubyte source[] = {1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 5, 6, 7, 8};
  gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 3);
  gl.DrawPixels(1, 2, GL_RGBA, GL_UNSIGNED_BYTE, source);
  EXPECT_EQ(recorder.Transfers().at(0).bytes, (std::vector<GLubyte>{1, 2, 3, 4, 5, 6, 7, 8}));

  recorder.SetReadPixel([](GLint x, GLint y) {
    return GlRecorder::Rgba{static_cast<GLubyte>(x), static_cast<GLubyte>(y), 0, 1};
  });
  gl.PixelStorei(GL_PACK_ALIGNMENT, 8);
  GLubyte read[16] = {};
  gl.ReadPixels(4, 6, 1, 2, GL_RGBA, GL_UNSIGNED_BYTE, read);
  EXPECT_EQ(read[0], 4);
  EXPECT_EQ(read[9], 7);  // the second row starts 8 bytes in
}

}  // namespace

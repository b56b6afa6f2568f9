#include "gfx/gl_graphics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gfx/gl_window_fixture.h"

namespace {

class GLGraphics : public GlWindowTest {};

class OtherGraphics : public TGraphics {
 public:
  std::shared_ptr<TGraphicsDriver> Driver() override { return glGraphicsDriver; }
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override {
    width = height = depth = hertz = flags = 0;
  }
  void Close() override {}
};

TEST_F(GLGraphics, ModulePicksTheGLDriverWithDoubleBuffering) {
  ASSERT_TRUE(glGraphicsDriver);
  StartGLGraphicsModule();  // a second start changes nothing
  EXPECT_EQ(CurrentGraphicsDriver(), glGraphicsDriver);
  EXPECT_EQ(CurrentDefaultFlags(), BackBufferFlag);
  auto g = OpenGraphics(512, 512, 0, 60, 0);
  ASSERT_TRUE(g);
  EXPECT_NE(fake_.CallsStartingWith("ChoosePixelFormat").at(0).find("flags=0x25"),
            std::string::npos);
}

TEST_F(GLGraphics, ModesComeFromTheDisplayAndAreCappedAt1024) {
  std::vector<platform::DisplayMode> modes;
  for (std::uint32_t i = 0; i < 1100; ++i) {
    platform::DisplayMode m;
    m.width = 100 + i;
    m.height = 50;
    m.bits_per_pixel = (i == 0) ? 8 : 32;
    m.frequency = 60;
    modes.push_back(m);
  }
  fake_.SetDisplayModes(modes);
  const auto list = glGraphicsDriver->GraphicsModes();
  ASSERT_EQ(list.size(), 1024u);
  EXPECT_EQ(list.front()->ToString(), u"101,50,32 60Hz");  // the 8-bit one is skipped
  EXPECT_EQ(list.back()->width, 1124);
}

TEST_F(GLGraphics, SettingsCloseAndBinding) {
  auto g =
      std::dynamic_pointer_cast<TGLGraphics>(glGraphicsDriver->CreateGraphics(300, 200, 0, 50, 6));
  ASSERT_TRUE(g);
  EXPECT_EQ(g->Driver(), glGraphicsDriver);
  int w, h, d, hz, f;
  g->GetSettings(w, h, d, hz, f);
  EXPECT_EQ((std::vector<int>{w, h, d, hz, f}), (std::vector<int>{300, 200, 0, 50, 6}));

  glGraphicsDriver->SetGraphics(g);
  EXPECT_EQ(fake_.CurrentContext(), g->_context->glContext);
  // Graphics of another kind unbind.
  glGraphicsDriver->SetGraphics(std::make_shared<OtherGraphics>());
  EXPECT_EQ(fake_.CurrentContext(), 0u);

  glGraphicsDriver->SetGraphics(g);
  g->Close();
  EXPECT_FALSE(g->_context);
  EXPECT_TRUE(fake_.LiveWindows().empty());
  EXPECT_EQ(fake_.CurrentContext(), 0u);
  fake_.ClearCalls();
  g->Close();                        // second close: nothing
  glGraphicsDriver->SetGraphics(g);  // closed graphics: stays unbound
  glGraphicsDriver->Flip(1);
  EXPECT_TRUE(CallsOf({"wgl", "DestroyWindow", "SwapBuffers"}).empty());
}

}  // namespace

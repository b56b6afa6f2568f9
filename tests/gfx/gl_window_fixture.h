// The fixture of the graphics front-end and native-layer tests: a fresh
// FakePlatform per test, the system and polled-input layers started on it,
// the GL driver selected with BackBufferFlag, and no graphics left open.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/gl_context.h"
#include "gfx/gl_graphics.h"
#include "gfx/graphics.h"
#include "platform/fake_platform.h"
#include "system/events.h"
#include "system/hooks.h"
#include "system/module_resets.h"
#include "system/polled_input.h"
#include "system/startup.h"
#include "system/system_driver.h"

class GlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::Install(fake_);
    testing_only::ResetModules();
    StartGLGraphicsModule();  // selects the GL driver with BackBufferFlag
    ApplicationTitle = u"Vuble Toy";
    fake_.ClearCalls();
  }

  void TearDown() override {
    EndOpenedGraphics();
    SetGraphics(nullptr);
    testing_only::ResetModules();
  }

  // True while the polled input listens on the emit chain.
  static bool PolledInputAttached() {
    for (auto hook = HookChainHead(EventEmitHookId); hook; hook = hook->succ) {
      if (hook->func == PolledInputHook) return true;
    }
    return false;
  }

  std::vector<std::string> CallsOf(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> out;
    for (const auto& call : fake_.Calls()) {
      for (const auto& prefix : prefixes) {
        if (call.compare(0, prefix.size(), prefix) == 0) {
          out.push_back(call);
          break;
        }
      }
    }
    return out;
  }

  platform::FakePlatform fake_;
};

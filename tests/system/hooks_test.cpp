#include "system/hooks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error.h"

namespace {

std::vector<std::string> callLog;

std::string Name(const ObjectPtr& object) {
  return object ? ToUtf8(object->ToString()) : std::string("null");
}

// Logs "context<-data" and passes the data on.
ObjectPtr LogHook(int, ObjectPtr data, ObjectPtr context) {
  callLog.push_back(Name(context) + "<-" + Name(data));
  return data;
}

// Replaces the data with its own context.
ObjectPtr ReplaceHook(int, ObjectPtr, ObjectPtr context) { return context; }

ObjectPtr NullHook(int, ObjectPtr, ObjectPtr) { return nullptr; }

ObjectPtr Named(const char* name) { return std::make_shared<TextObject>(AsciiText(name)); }

class HookChain : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_only::ResetHooks();
    StartHookModule();
    callLog.clear();
  }
  void TearDown() override { testing_only::ResetHooks(); }
};

TEST_F(HookChain, HigherPriorityRunsFirstAndEqualPrioritiesKeepInsertionOrder) {
  InsertHook(3, LogHook, Named("a0"), 0);
  InsertHook(3, LogHook, Named("b5"), 5);
  InsertHook(3, LogHook, Named("c0"), 0);
  InsertHook(3, LogHook, Named("d10"), 10);
  InsertHook(3, LogHook, Named("e-1"), -1);
  RunHookChain(3, Named("x"));
  EXPECT_EQ(callLog, (std::vector<std::string>{"d10<-x", "b5<-x", "a0<-x", "c0<-x", "e-1<-x"}));
}

TEST_F(HookChain, EachHookReceivesWhatThePreviousReturned) {
  InsertHook(7, LogHook, Named("first"), 3);
  InsertHook(7, ReplaceHook, Named("replaced"), 2);
  InsertHook(7, LogHook, Named("second"), 1);
  const ObjectPtr result = RunHookChain(7, Named("x"));
  EXPECT_EQ(callLog, (std::vector<std::string>{"first<-x", "second<-replaced"}));
  EXPECT_EQ(Name(result), "replaced");

  InsertHook(7, NullHook, nullptr, 0);
  InsertHook(7, LogHook, Named("last"), -5);
  callLog.clear();
  EXPECT_EQ(RunHookChain(7, Named("x")), nullptr);
  EXPECT_EQ(callLog.back(), "last<-null");

  const ObjectPtr data = Named("x");
  EXPECT_EQ(RunHookChain(200, data), data);  // an empty chain
}

TEST_F(HookChain, DeleteRemovesOnlyTheFirstMatchOfFunctionAndContext) {
  const ObjectPtr context = Named("ctx");
  InsertHook(4, LogHook, Named("other"), 9);
  InsertHook(4, LogHook, context, 5);
  InsertHook(4, LogHook, context, 1);

  // Unknown function, unknown context, and an equal-looking but different
  // context all leave the chain alone.
  DeleteHook(4, ReplaceHook, context);
  DeleteHook(4, LogHook, nullptr);
  DeleteHook(4, LogHook, Named("ctx"));
  RunHookChain(4, Named("x"));
  EXPECT_EQ(callLog.size(), 3u);

  DeleteHook(4, LogHook, context);
  callLog.clear();
  RunHookChain(4, Named("x"));
  EXPECT_EQ(callLog, (std::vector<std::string>{"other<-x", "ctx<-x"}));
  EXPECT_EQ(HookChainHead(4)->succ->priority, 1);  // the one nearer the head went

  DeleteHook(4, LogHook, context);
  DeleteHook(4, LogHook, HookChainHead(4)->context);
  EXPECT_EQ(HookChainHead(4), nullptr);
}

ObjectPtr DeleteSelfHook(int id, ObjectPtr data, ObjectPtr context) {
  DeleteHook(id, DeleteSelfHook, context);
  callLog.push_back("deleted itself");
  return data;
}

TEST_F(HookChain, HookMayDeleteItselfWhileItsChainRuns) {
  InsertHook(5, DeleteSelfHook, nullptr, 1);
  InsertHook(5, LogHook, Named("after"), 0);
  RunHookChain(5, Named("x"));
  RunHookChain(5, Named("y"));
  EXPECT_EQ(callLog, (std::vector<std::string>{"deleted itself", "after<-x", "after<-y"}));
}

TEST_F(HookChain, HookWithoutFunctionRaises) {
  THook hook;
  try {
    hook.func(0, nullptr, nullptr);
    FAIL() << "no error raised";
  } catch (const RuntimeError& error) {
    EXPECT_STREQ(error.what(), "Attempt to call uninitialized function pointer");
  }

  // Inserted with no function, a hook raises the same error when its chain
  // runs (instead of calling address 0), and can be deleted by no function.
  const ObjectPtr context = Named("ctx");
  InsertHook(6, nullptr, context, 0);
  try {
    RunHookChain(6, nullptr);
    FAIL() << "no error raised";
  } catch (const RuntimeError& error) {
    EXPECT_STREQ(error.what(), "Attempt to call uninitialized function pointer");
  }
  DeleteHook(6, nullptr, context);
  EXPECT_EQ(HookChainHead(6), nullptr);
}

TEST_F(HookChain, IdsOutsideTheTableRaiseInsteadOfIndexing) {
  const std::vector<std::pair<int, const char*>> cases = {{256, "Hook id 256 is outside 0..255"},
                                                          {-1, "Hook id -1 is outside 0..255"}};
  for (const auto& [id, text] : cases) {
    try {
      InsertHook(id, LogHook, nullptr, 0);
      FAIL() << "InsertHook " << id;
    } catch (const RuntimeError& error) {
      EXPECT_STREQ(error.what(), text);
    }
    EXPECT_THROW(RunHookChain(id, nullptr), RuntimeError);
    EXPECT_THROW(DeleteHook(id, LogHook, nullptr), RuntimeError);
  }
}

TEST(HookIds, AllocatesZeroTo255ThenRaisesEveryTime) {
  testing_only::ResetHooks();
  for (int expected = 0; expected < 256; ++expected) ASSERT_EQ(NewHookId(), expected);
  for (int again = 0; again < 2; ++again) {
    try {
      NewHookId();
      FAIL() << "257th hook id handed out";
    } catch (const RuntimeError& error) {
      EXPECT_STREQ(error.what(), "Too many hook ids");
    }
  }
  testing_only::ResetHooks();
}

}  // namespace

#include "system/deferred_calls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/fake_platform.h"
#include "support/error.h"

namespace {

constexpr platform::ThreadId kMainThread = 5;

struct Ran {
  std::thread::id thread;
  Object* object = nullptr;
  std::intptr_t value = 0;
};
std::vector<Ran> ran;

void Record(ObjectPtr object, std::intptr_t value) {
  ran.push_back({std::this_thread::get_id(), object.get(), value});
}

class DeferredCallsTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::Install(fake);
    fake.SetMainThread(kMainThread);
    SetMainThreadForDeferredCalls(kMainThread);
    ran.clear();
  }

  // The main thread's pump as the driver runs it: every removed message is
  // first offered to the deferred calls; the others are counted.
  int Pump() {
    int others = 0;
    platform::Msg msg;
    while (fake.PeekMessage(msg)) {
      if (!RunDeferredCall(msg)) ++others;
    }
    return others;
  }

  // Waits on the main thread until n calls have run (the fake's WaitMessage
  // blocks until something is posted).
  void PumpUntilRan(std::size_t n) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ran.size() < n && std::chrono::steady_clock::now() < deadline) {
      fake.WaitMessage();
      Pump();
    }
  }

  platform::FakePlatform fake;
};

TEST_F(DeferredCallsTest, PostedCallRunsWhenThePumpRetrievesIt) {
  auto object = std::make_shared<TextObject>(u"payload");
  PostToMainThread(Record, object, -12);
  EXPECT_TRUE(ran.empty());  // nothing runs before the pump
  EXPECT_EQ(fake.CallsStartingWith("PostThreadMessage"),
            std::vector<std::string>{"PostThreadMessage(0x7001)"});
  // The record keeps the object alive while it waits in the queue.
  EXPECT_EQ(object.use_count(), 2);

  fake.QueueMessage(0, platform::WM_PAINT, 0, 0);
  EXPECT_EQ(Pump(), 1);
  ASSERT_EQ(ran.size(), 1u);
  EXPECT_EQ(ran[0].object, object.get());
  EXPECT_EQ(ran[0].value, -12);
  EXPECT_EQ(object.use_count(), 1);  // record freed, reference dropped

  // A call that cannot be posted is dropped, its reference released.
  fake.Fail("PostThreadMessage");
  PostToMainThread(Record, object, 3);
  EXPECT_EQ(object.use_count(), 1);
  EXPECT_EQ(Pump(), 0);
  EXPECT_EQ(ran.size(), 1u);
}

TEST_F(DeferredCallsTest, ForeignAndRepeatedMessagesAreNotFollowed) {
  PostToMainThread(Record, nullptr, 1);
  platform::Msg posted;
  ASSERT_TRUE(fake.PeekMessage(posted));
  EXPECT_EQ(posted.wparam, 0u);

  // Other messages, and 0x7001 messages that carry no record of ours or are
  // sent to a window, are left to the pump.
  int local = 0;
  EXPECT_FALSE(RunDeferredCall({0, platform::WM_CLOSE, 0, posted.lparam}));
  EXPECT_FALSE(RunDeferredCall({0x100, platform::kDeferredCallMessage, 0, posted.lparam}));
  EXPECT_FALSE(RunDeferredCall(
      {0, platform::kDeferredCallMessage, 0, reinterpret_cast<std::intptr_t>(&local)}));
  EXPECT_FALSE(RunDeferredCall({0, platform::kDeferredCallMessage, 0, 0}));
  EXPECT_TRUE(ran.empty());

  EXPECT_TRUE(RunDeferredCall(posted));
  // Delivered twice: the record is gone, so the second is ignored.
  EXPECT_FALSE(RunDeferredCall(posted));
  EXPECT_EQ(ran.size(), 1u);
}

TEST_F(DeferredCallsTest, PostFromAnotherThreadRunsOnTheMainThread) {
  auto object = std::make_shared<TextObject>(u"from worker");
  std::thread worker([object] { PostToMainThread(Record, object, 99); });
  PumpUntilRan(1);
  worker.join();
  ASSERT_EQ(ran.size(), 1u);
  EXPECT_EQ(ran[0].thread, std::this_thread::get_id());
  EXPECT_EQ(ran[0].value, 99);
  EXPECT_EQ(ran[0].object, object.get());
}

std::atomic<std::thread::id> background_thread;
std::intptr_t Length(ObjectPtr arg) {
  background_thread = std::this_thread::get_id();
  return static_cast<std::intptr_t>(arg->ToString().size());
}

TEST_F(DeferredCallsTest, BackgroundResultIsHandedToTheMainThread) {
  auto main_object = std::make_shared<TextObject>(u"owner");
  StartBackgroundCall(Length, std::make_shared<TextObject>(u"twelve chars"), Record, main_object);
  PumpUntilRan(1);
  ASSERT_EQ(ran.size(), 1u);
  EXPECT_NE(background_thread.load(), std::this_thread::get_id());
  EXPECT_EQ(ran[0].thread, std::this_thread::get_id());
  EXPECT_EQ(ran[0].object, main_object.get());
  EXPECT_EQ(ran[0].value, 12);
  EXPECT_EQ(main_object.use_count(), 1);
}

std::intptr_t Fails(ObjectPtr) { throw RuntimeError(u"Download failed"); }

TEST_F(DeferredCallsTest, BackgroundErrorIsRaisedOnTheMainThread) {
  StartBackgroundCall(Fails, nullptr, Record, nullptr);
  fake.WaitMessage();
  platform::Msg msg;
  ASSERT_TRUE(fake.PeekMessage(msg));
  try {
    RunDeferredCall(msg);
    ADD_FAILURE() << "no error raised";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.ToString(), u"Download failed");
  }
  EXPECT_TRUE(ran.empty());
  EXPECT_FALSE(RunDeferredCall(msg));  // freed all the same
}

}  // namespace

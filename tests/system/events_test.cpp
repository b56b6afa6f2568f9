#include "system/events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/hooks.h"
#include "system/module_resets.h"

namespace {

std::vector<std::string> seen;

ObjectPtr RecordHook(int, ObjectPtr data, ObjectPtr context) {
  auto event = std::dynamic_pointer_cast<TEvent>(data);
  seen.push_back((context ? ToUtf8(context->ToString()) + ":" : std::string()) +
                 (event ? ToUtf8(event->ToString()) : "not an event"));
  return data;
}

// Emits a KeyUp while the outer event is still travelling along the chain.
ObjectPtr NestingHook(int, ObjectPtr data, ObjectPtr) {
  auto event = std::dynamic_pointer_cast<TEvent>(data);
  if (event && event->id == KeyDown) EmitNewEvent(KeyUp, nullptr, event->data, 0, 0, 0, nullptr);
  return data;
}

std::string Text8(const TEventPtr& event) { return ToUtf8(event->ToString()); }

class Events : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_only::ResetModules();
    StartEventModule();
    seen.clear();
  }
  void TearDown() override { testing_only::ResetModules(); }
};

TEST_F(Events, TextShowsDescriptionFieldsAndQuotedTextExtra) {
  struct Case {
    TEventPtr event;
    const char* text;
  };
  const ObjectPtr extra = std::make_shared<TextObject>(u"dropped.png");
  const Case cases[] = {
      {TEvent::Create(MouseDown, nullptr, 1, 0, 10, 20, nullptr),
       "MouseDown: data=1, mods=0, x=10, y=20, extra=\"\""},
      {TEvent::Create(AppTerminate, nullptr, 0, 0, 0, 0, nullptr),
       "AppTerminate: data=0, mods=0, x=0, y=0, extra=\"\""},
      {TEvent::Create(999, nullptr, 0, 0, 0, 0, nullptr),
       "Unknown Event, id=999: data=0, mods=0, x=0, y=0, extra=\"\""},
      {TEvent::Create(KeyDown, nullptr, -7, 15, -3, -2147483647 - 1, extra),
       "KeyDown: data=-7, mods=15, x=-3, y=-2147483648, extra=\"dropped.png\""},
      // An extra that is not a text shows as empty.
      {TEvent::Create(AppOpenFile, nullptr, 0, 0, 0, 0, std::make_shared<TEvent>()),
       "AppOpenFile: data=0, mods=0, x=0, y=0, extra=\"\""},
      {TEvent::Create(static_cast<std::int32_t>(0x80000005u), nullptr, 0, 0, 0, 0, nullptr),
       "UserEvent5: data=0, mods=0, x=0, y=0, extra=\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Text8(c.event), c.text);
}

TEST_F(Events, RegistryHoldsTheBuiltInIdsInOrder) {
  const std::string expected =
      "}257{AppSuspend}258{AppResume}259{AppTerminate}260{AppOpenFile}261{AppIdle}"
      "513{KeyDown}514{KeyUp}515{KeyChar}516{KeyRepeat}"
      "1025{MouseDown}1026{MouseUp}1027{MouseMove}1028{MouseWheel}1029{MouseEnter}"
      "1030{MouseLeave}2049{TimerTick}4097{HotkeyHit}"
      "8193{GadgetAction}8194{GadgetPaint}8195{GadgetSelect}8196{GadgetMenu}8197{GadgetOpen}"
      "8198{GadgetClose}8199{GadgetDone}8200{GadgetLostFocus}8201{GadgetShape}"
      "16385{WindowMove}16386{WindowSize}16387{WindowClose}16388{WindowActivate}"
      "16389{WindowAccept}32769{MenuAction}65537{StreamEof}65538{StreamAvail}"
      "131073{ProcessExit}";
  EXPECT_EQ(ToUtf8(RegisteredIdText()), expected);
  // A second start registers nothing more.
  StartEventModule();
  EXPECT_EQ(ToUtf8(RegisteredIdText()), expected);
}

TEST_F(Events, DescriptionLookupIsAnchoredAndKeepsTheFirstEntry) {
  EXPECT_EQ(TEvent::DescriptionForId(257), u"AppSuspend");
  EXPECT_EQ(TEvent::DescriptionForId(131073), u"ProcessExit");
  EXPECT_EQ(TEvent::DescriptionForId(1), u"");
  // "25" occurs inside "}257{" and "1025{" but is no entry of its own.
  EXPECT_EQ(TEvent::DescriptionForId(25), u"");
  EXPECT_EQ(TEvent::DescriptionForId(57), u"");

  TEvent::RegisterId(257, u"Replaced");
  EXPECT_EQ(TEvent::DescriptionForId(257), u"AppSuspend");

  TEvent::RegisterId(-12, u"Odd}tail");
  EXPECT_EQ(TEvent::DescriptionForId(-12), u"Odd");
  TEvent::RegisterId(77, u"");
  EXPECT_EQ(TEvent::DescriptionForId(77), u"");
}

TEST_F(Events, UserIdsCountUpFromBit31) {
  const std::int32_t first = NewUserEventId(u"");
  EXPECT_EQ(static_cast<std::uint32_t>(first), 0x80000001u);
  const std::size_t registry = RegisteredIdText().size();
  EXPECT_EQ(Text8(TEvent::Create(first, nullptr, 0, 0, 0, 0, nullptr)),
            "UserEvent1: data=0, mods=0, x=0, y=0, extra=\"\"");
  EXPECT_EQ(RegisteredIdText().size(), registry);  // nothing registered

  const std::int32_t second = NewUserEventId(u"Ping");
  EXPECT_EQ(static_cast<std::uint32_t>(second), 0x80000002u);
  EXPECT_EQ(TEvent::DescriptionForId(second), u"Ping");
  EXPECT_EQ(Text8(TEvent::Create(second, nullptr, 3, 0, 0, 0, nullptr)),
            "Ping: data=3, mods=0, x=0, y=0, extra=\"\"");
  EXPECT_EQ(static_cast<std::uint32_t>(TEvent::AllocUserId()), 0x80000003u);
}

TEST_F(Events, EmitRunsTheEmitChainWithTheEventItself) {
  EXPECT_EQ(EventEmitHookId, 0);
  InsertHook(EventEmitHookId, RecordHook, nullptr, 0);
  const ObjectPtr source = std::make_shared<TextObject>(u"src");
  EmitNewEvent(KeyChar, source, 97, 2, 3, 4, nullptr);
  auto event = TEvent::Create(MouseWheel, nullptr, -1, 0, 5, 6, nullptr);
  SendEvent(event);
  event->Emit();
  EXPECT_EQ(seen, (std::vector<std::string>{"KeyChar: data=97, mods=2, x=3, y=4, extra=\"\"",
                                            "MouseWheel: data=-1, mods=0, x=5, y=6, extra=\"\"",
                                            "MouseWheel: data=-1, mods=0, x=5, y=6, extra=\"\""}));
}

TEST_F(Events, NestedEmissionCompletesBeforeTheOuterContinues) {
  InsertHook(EventEmitHookId, RecordHook, std::make_shared<TextObject>(u"first"), 2);
  InsertHook(EventEmitHookId, NestingHook, nullptr, 1);
  InsertHook(EventEmitHookId, RecordHook, std::make_shared<TextObject>(u"last"), 0);
  EmitNewEvent(KeyDown, nullptr, 65, 0, 0, 0, nullptr);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"first:KeyDown: data=65, mods=0, x=0, y=0, extra=\"\"",
                                      "first:KeyUp: data=65, mods=0, x=0, y=0, extra=\"\"",
                                      "last:KeyUp: data=65, mods=0, x=0, y=0, extra=\"\"",
                                      "last:KeyDown: data=65, mods=0, x=0, y=0, extra=\"\""}));
}

class TGadgetEvent : public TEvent {
 public:
  Text DescriptionOf(std::int32_t event_id) const override {
    return event_id == 42 ? u"GadgetThing" : TEvent::DescriptionOf(event_id);
  }
};

TEST_F(Events, DerivedEventClassSuppliesItsOwnDescriptions) {
  auto event = std::make_shared<TGadgetEvent>();
  event->id = 42;
  EXPECT_EQ(ToUtf8(event->ToString()), "GadgetThing: data=0, mods=0, x=0, y=0, extra=\"\"");
  event->id = KeyUp;
  EXPECT_EQ(ToUtf8(event->ToString()), "KeyUp: data=0, mods=0, x=0, y=0, extra=\"\"");
}

}  // namespace

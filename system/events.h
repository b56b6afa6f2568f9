// Event records and their emission: a TEvent describes one happening (a key
// went down, the pointer moved, a close request) and is emitted through the
// emit hook chain. The system driver emits; polled input listens.
#pragma once

#include <cstdint>
#include <memory>

#include "support/object.h"
#include "support/text.h"

// Event ids: a group bit plus a small number. User ids have bit 31 set.
inline constexpr std::int32_t AppSuspend = 0x101;
inline constexpr std::int32_t AppResume = 0x102;
inline constexpr std::int32_t AppTerminate = 0x103;
inline constexpr std::int32_t AppOpenFile = 0x104;
inline constexpr std::int32_t AppIdle = 0x105;
inline constexpr std::int32_t KeyDown = 0x201;
inline constexpr std::int32_t KeyUp = 0x202;
inline constexpr std::int32_t KeyChar = 0x203;
inline constexpr std::int32_t KeyRepeat = 0x204;
inline constexpr std::int32_t MouseDown = 0x401;
inline constexpr std::int32_t MouseUp = 0x402;
inline constexpr std::int32_t MouseMove = 0x403;
inline constexpr std::int32_t MouseWheel = 0x404;
inline constexpr std::int32_t MouseEnter = 0x405;
inline constexpr std::int32_t MouseLeave = 0x406;
inline constexpr std::int32_t TimerTick = 0x801;
inline constexpr std::int32_t HotkeyHit = 0x1001;
inline constexpr std::int32_t GadgetAction = 0x2001;
inline constexpr std::int32_t GadgetPaint = 0x2002;
inline constexpr std::int32_t GadgetSelect = 0x2003;
inline constexpr std::int32_t GadgetMenu = 0x2004;
inline constexpr std::int32_t GadgetOpen = 0x2005;
inline constexpr std::int32_t GadgetClose = 0x2006;
inline constexpr std::int32_t GadgetDone = 0x2007;
inline constexpr std::int32_t GadgetLostFocus = 0x2008;
inline constexpr std::int32_t GadgetShape = 0x2009;
inline constexpr std::int32_t WindowMove = 0x4001;
inline constexpr std::int32_t WindowSize = 0x4002;
inline constexpr std::int32_t WindowClose = 0x4003;
inline constexpr std::int32_t WindowActivate = 0x4004;
inline constexpr std::int32_t WindowAccept = 0x4005;
inline constexpr std::int32_t MenuAction = 0x8001;
inline constexpr std::int32_t StreamEof = 0x10001;
inline constexpr std::int32_t StreamAvail = 0x10002;
inline constexpr std::int32_t ProcessExit = 0x20001;

class TEvent : public Object, public std::enable_shared_from_this<TEvent> {
 public:
  std::int32_t id = 0;
  ObjectPtr source;
  std::int32_t data = 0;
  std::int32_t mods = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  ObjectPtr extra;  // shown by ToString when it is a TextObject

  // Runs the emit hook chain with this event; the chain's result is dropped.
  // The event must be held by a shared_ptr (Create gives one).
  void Emit();
  // "MouseDown: data=1, mods=0, x=10, y=20, extra=\"\"".
  Text ToString() const override;

  static std::shared_ptr<TEvent> Create(std::int32_t id, ObjectPtr source, std::int32_t data,
                                        std::int32_t mods, std::int32_t x, std::int32_t y,
                                        ObjectPtr extra);
  // The next user id: 0x80000001, 0x80000002, ...
  static std::int32_t AllocUserId();
  // Appends an entry to the registry; an id registered twice keeps its
  // first description.
  static void RegisterId(std::int32_t id, const Text& description);
  // The registered description of id, or empty text.
  static Text DescriptionForId(std::int32_t id);

  // The description ToString uses; a derived event class may supply its own.
  virtual Text DescriptionOf(std::int32_t event_id) const { return DescriptionForId(event_id); }
};

using TEventPtr = std::shared_ptr<TEvent>;

// The hook id that Emit runs (0 once the event layer has started).
extern int EventEmitHookId;

// Creates an event and emits it at once.
void EmitNewEvent(std::int32_t id, ObjectPtr source, std::int32_t data, std::int32_t mods,
                  std::int32_t x, std::int32_t y, ObjectPtr extra);
void SendEvent(const TEventPtr& event);
// A new user id, registered with description unless that is empty.
std::int32_t NewUserEventId(const Text& description);

// The registry text: "}" then "id{description}" per registration.
const Text& RegisteredIdText();

// Starts the hook layer, takes EventEmitHookId and registers the built-in ids.
void StartEventModule();

namespace testing_only {
// Forgets the registry, the user ids and the started flag (not the hooks).
void ResetEvents();
}  // namespace testing_only

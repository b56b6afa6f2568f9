#include "system/events.h"

#include "support/error.h"
#include "system/hooks.h"
#include "system/module_resets.h"

int EventEmitHookId = -1;

namespace {

struct EventModuleState {
  bool started = false;
  Text registeredIdText = u"}";
  std::uint32_t userIdCounter = 0x80000000u;  // the last user id handed out
};
EventModuleState events;

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kEvents,
                                       testing_only::ResetEvents);

struct BuiltInId {
  std::int32_t id;
  const char* description;
};

// Registered at start in this order; the registry text is built from it.
constexpr BuiltInId kBuiltInIds[] = {
    {AppSuspend, "AppSuspend"},
    {AppResume, "AppResume"},
    {AppTerminate, "AppTerminate"},
    {AppOpenFile, "AppOpenFile"},
    {AppIdle, "AppIdle"},
    {KeyDown, "KeyDown"},
    {KeyUp, "KeyUp"},
    {KeyChar, "KeyChar"},
    {KeyRepeat, "KeyRepeat"},
    {MouseDown, "MouseDown"},
    {MouseUp, "MouseUp"},
    {MouseMove, "MouseMove"},
    {MouseWheel, "MouseWheel"},
    {MouseEnter, "MouseEnter"},
    {MouseLeave, "MouseLeave"},
    {TimerTick, "TimerTick"},
    {HotkeyHit, "HotkeyHit"},
    {GadgetAction, "GadgetAction"},
    {GadgetPaint, "GadgetPaint"},
    {GadgetSelect, "GadgetSelect"},
    {GadgetMenu, "GadgetMenu"},
    {GadgetOpen, "GadgetOpen"},
    {GadgetClose, "GadgetClose"},
    {GadgetDone, "GadgetDone"},
    {GadgetLostFocus, "GadgetLostFocus"},
    {GadgetShape, "GadgetShape"},
    {WindowMove, "WindowMove"},
    {WindowSize, "WindowSize"},
    {WindowClose, "WindowClose"},
    {WindowActivate, "WindowActivate"},
    {WindowAccept, "WindowAccept"},
    {MenuAction, "MenuAction"},
    {StreamEof, "StreamEof"},
    {StreamAvail, "StreamAvail"},
    {ProcessExit, "ProcessExit"},
};

}  // namespace

void TEvent::Emit() {
  StartEventModule();
  RunHookChain(EventEmitHookId, shared_from_this());
}

Text TEvent::ToString() const {
  Text description = DescriptionOf(id);
  if (description.empty()) {
    const auto bits = static_cast<std::uint32_t>(id);
    if (bits & 0x80000000u) {
      description = u"UserEvent" + DecimalText(bits & 0x7FFFFFFFu);
    } else {
      description = u"Unknown Event, id=" + DecimalText(id);
    }
  }
  Text extra_text;
  if (const auto* text = dynamic_cast<const TextObject*>(extra.get())) extra_text = text->value;
  return description + u": data=" + DecimalText(data) + u", mods=" + DecimalText(mods) + u", x=" +
         DecimalText(x) + u", y=" + DecimalText(y) + u", extra=\"" + extra_text + u"\"";
}

std::shared_ptr<TEvent> TEvent::Create(std::int32_t id, ObjectPtr source, std::int32_t data,
                                       std::int32_t mods, std::int32_t x, std::int32_t y,
                                       ObjectPtr extra) {
  auto event = std::make_shared<TEvent>();
  event->id = id;
  event->source = std::move(source);
  event->data = data;
  event->mods = mods;
  event->x = x;
  event->y = y;
  event->extra = std::move(extra);
  return event;
}

std::int32_t TEvent::AllocUserId() {
  ++events.userIdCounter;  // unsigned: wraps instead of overflowing
  return static_cast<std::int32_t>(events.userIdCounter);
}

void TEvent::RegisterId(std::int32_t id, const Text& description) {
  events.registeredIdText += DecimalText(id) + u"{" + description + u"}";
}

Text TEvent::DescriptionForId(std::int32_t id) {
  // Every entry is preceded by "}", so "}id{" cannot match inside another
  // entry's number.
  const Text key = u"}" + DecimalText(id) + u"{";
  const auto at = events.registeredIdText.find(key);
  if (at == Text::npos) return Text();
  const auto start = at + key.size();
  const auto end = events.registeredIdText.find(u'}', start);
  if (end == Text::npos) return Text();
  return events.registeredIdText.substr(start, end - start);
}

void EmitNewEvent(std::int32_t id, ObjectPtr source, std::int32_t data, std::int32_t mods,
                  std::int32_t x, std::int32_t y, ObjectPtr extra) {
  TEvent::Create(id, std::move(source), data, mods, x, y, std::move(extra))->Emit();
}

void SendEvent(const TEventPtr& event) {
  if (!event) throw RuntimeError(u"SendEvent called with a Null event");
  event->Emit();
}

std::int32_t NewUserEventId(const Text& description) {
  const std::int32_t id = TEvent::AllocUserId();
  if (!description.empty()) TEvent::RegisterId(id, description);
  return id;
}

const Text& RegisteredIdText() { return events.registeredIdText; }

void StartEventModule() {
  if (events.started) return;
  events.started = true;
  StartHookModule();
  EventEmitHookId = NewHookId();
  for (const auto& entry : kBuiltInIds) TEvent::RegisterId(entry.id, AsciiText(entry.description));
}

namespace testing_only {
void ResetEvents() {
  events = EventModuleState{};
  EventEmitHookId = -1;
}
}  // namespace testing_only

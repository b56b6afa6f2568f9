// Fuzz target: the event-id registry and event texts with arbitrary ids and
// descriptions, URL completion through the fake platform (existing paths,
// current folder, anchors), the requester type filter and its natural
// group, and the file requester built from arbitrary extension lists.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/fake_platform.h"
#include "support/error.h"
#include "support/text.h"
#include "system/dialogs.h"
#include "system/events.h"
#include "system/hooks.h"

namespace {

// A fresh fake per input, so paths added by one input stay out of the next.
// The last one is never destroyed, so it outlives the exit handlers.
platform::FakePlatform& FreshFake() {
  static platform::FakePlatform* current = nullptr;
  auto* next = new platform::FakePlatform();
  platform::Install(*next);
  delete current;
  current = next;
  return *current;
}

// Arbitrary UTF-16 code units, lone surrogates included, with the
// characters the parsers split on made likely.
Text ArbitraryText(FuzzedDataProvider& in, std::size_t max_length) {
  static constexpr char16_t kSpecial[] = {u':', u',',  u';', u'#', u'/',   u'.',   u'*',  u'{',
                                          u'}', u'\\', u' ', 0,    0xD800, 0xDC00, 0xFFFF};
  Text text;
  const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, max_length);
  for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
    const std::uint8_t kind = in.ConsumeIntegral<std::uint8_t>();
    if (kind < 96) {
      text.push_back(static_cast<char16_t>(u'a' + kind % 26));
    } else if (kind < 192) {
      text.push_back(in.PickValueInArray(kSpecial));
    } else {
      text.push_back(static_cast<char16_t>(in.ConsumeIntegral<std::uint16_t>()));
    }
  }
  return text;
}

std::int32_t ArbitraryId(FuzzedDataProvider& in) {
  static constexpr std::int32_t kIds[] = {
      KeyDown, MouseMove, WindowClose, AppTerminate, static_cast<std::int32_t>(0x80000001u), 0, -1};
  return in.ConsumeBool() ? in.PickValueInArray(kIds) : in.ConsumeIntegral<std::int32_t>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::FakePlatform& fake = FreshFake();
  testing_only::ResetHooks();
  testing_only::ResetEvents();
  StartEventModule();
  FuzzedDataProvider in(data, size);
  int steps = 0;
  while (in.remaining_bytes() > 0 && ++steps < 64) {
    try {
      switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0: TEvent::RegisterId(ArbitraryId(in), ArbitraryText(in, 24)); break;
        case 1: (void)NewUserEventId(ArbitraryText(in, 24)); break;
        case 2: (void)TEvent::DescriptionForId(ArbitraryId(in)); break;
        case 3: {
          ObjectPtr extra;
          if (in.ConsumeBool()) extra = std::make_shared<TextObject>(ArbitraryText(in, 24));
          auto event =
              TEvent::Create(ArbitraryId(in), nullptr, in.ConsumeIntegral<std::int32_t>(),
                             in.ConsumeIntegral<std::int32_t>(), in.ConsumeIntegral<std::int32_t>(),
                             in.ConsumeIntegral<std::int32_t>(), extra);
          (void)ToUtf8(event->ToString());
          event->Emit();
          break;
        }
        case 4: fake.AddExistingPath(ArbitraryText(in, 16)); break;
        case 5: fake.SetCurrentDirectoryText(ArbitraryText(in, 16)); break;
        case 6: (void)dialogs::CompleteURL(ArbitraryText(in, 32)); break;
        case 7: {
          const Text extensions = ArbitraryText(in, 40);
          const auto filter = dialogs::FileTypeFilter(extensions);
          (void)dialogs::NaturalFilterIndex(filter, ArbitraryText(in, 16));
          break;
        }
        case 8:
          fake.SetDialogAnswer(in.ConsumeBool() ? ArbitraryText(in, 8) : Text());
          (void)dialogs::RequestFile(ArbitraryText(in, 8), ArbitraryText(in, 40),
                                     in.ConsumeIntegral<int>(), ArbitraryText(in, 24));
          break;
        case 9: (void)dialogs::OpenURL(ArbitraryText(in, 24)); break;
      }
    } catch (const RuntimeError&) {
      // refused: an accepted outcome
    }
  }
  (void)ToUtf8(RegisteredIdText());
  return 0;
}

#include "platform/linux/linux_fatal.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace {

namespace fatal = platform::linux_fatal;

TEST(ExceptionCodeForSignal, SignalAndReasonPickTheCode) {
  struct Case {
    int signal, si_code;
    bool on_guard;
    std::uint32_t code;
  };
  const Case cases[] = {
      {SIGSEGV, SEGV_MAPERR, false, 0xC0000005u}, {SIGSEGV, SEGV_MAPERR, true, 0xC00000FDu},
      {SIGFPE, FPE_INTDIV, false, 0xC0000094u},   {SIGFPE, FPE_INTOVF, false, 0xC0000095u},
      {SIGFPE, FPE_FLTDIV, false, 0xC000008Eu},   {SIGFPE, FPE_FLTOVF, false, 0xC0000091u},
      {SIGFPE, FPE_FLTUND, false, 0xC0000093u},   {SIGFPE, FPE_FLTRES, false, 0xC000008Fu},
      {SIGFPE, FPE_FLTINV, false, 0xC0000090u},   {SIGFPE, SI_USER, false, fatal::kUnknown},
      {SIGILL, ILL_PRVOPC, false, 0xC0000096u},   {SIGILL, ILL_ILLOPN, false, 0xC000001Du},
      {SIGBUS, BUS_ADRALN, false, 0x80000002u},   {SIGBUS, BUS_ADRERR, false, 0xC0000006u},
      {SIGTRAP, TRAP_TRACE, false, 0x80000004u},  {SIGTRAP, TRAP_BRKPT, false, 0x80000003u},
      {SIGTERM, 0, false, fatal::kUnknown}};
  for (const auto& c : cases) {
    EXPECT_EQ(fatal::ExceptionCodeForSignal(c.signal, c.si_code, c.on_guard), c.code)
        << c.signal << "/" << c.si_code;
  }
}

TEST(OnStackGuard, FaultsJustBelowTheStackLimit) {
  const std::uintptr_t low = 0x7f0000000000;
  EXPECT_TRUE(fatal::OnStackGuard(low - 8, low));
  EXPECT_TRUE(fatal::OnStackGuard(low - 256 * 4096, low));  // across the kernel's gap
  EXPECT_FALSE(fatal::OnStackGuard(low + 64 * 4096, low));  // inside the stack
  EXPECT_FALSE(fatal::OnStackGuard(16, low));               // a null-pointer access
  EXPECT_TRUE(fatal::OnStackGuard(0, 4096));                // no wrap below address 0
}

}  // namespace

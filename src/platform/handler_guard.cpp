// The handler guard shared by the backends.
#include "platform/handler_guard.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "platform/dialogs.h"
#include "platform/errors.h"

namespace plat {
namespace {
std::optional<ProgramExit> g_pending;
std::atomic<int> g_pendingStatus{-1};  // g_pending's status, for signal handlers
static_assert(std::atomic<int>::is_always_lock_free);

void Remember(const ProgramExit& exit) {
  g_pending = exit;
  g_pendingStatus = exit.status;
}

void ReportFatal(const std::string& text) {
  std::fprintf(stderr, "zembrant: %s\n", text.c_str());
  Remember(ProgramExit{1});
  ShowMessageBox(text);
}
}  // namespace

void RunHandler(const std::function<void()>& handler) {
  if (g_pending || !handler) return;
  try {
    handler();
  } catch (const ProgramExit& e) {
    Remember(e);
  } catch (const std::exception& e) {
    ReportFatal(e.what());
  } catch (...) {
    ReportFatal("Unknown error");
  }
}

bool ExitPending() { return g_pending.has_value(); }

void ThrowPendingExit() {
  if (g_pending) throw *g_pending;
}

void RememberFatalExit() {
  if (!g_pending) Remember(ProgramExit{1});
}

int PendingExitStatus() { return g_pendingStatus; }

void ResetHandlerGuard() {
  g_pending.reset();
  g_pendingStatus = -1;
}

}  // namespace plat

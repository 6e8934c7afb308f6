// The handler guard shared by the backends.
#include "platform/handler_guard.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include "platform/dialogs.h"
#include "platform/errors.h"

namespace plat {
namespace {
std::optional<ProgramExit> g_pending;

void ReportFatal(const std::string& text) {
  std::fprintf(stderr, "zembrant: %s\n", text.c_str());
  g_pending = ProgramExit{1};
  ShowMessageBox(text);
}
}  // namespace

void RunHandler(const std::function<void()>& handler) {
  if (g_pending || !handler) return;
  try {
    handler();
  } catch (const ProgramExit& e) {
    g_pending = e;
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

void ResetHandlerGuard() { g_pending.reset(); }

}  // namespace plat

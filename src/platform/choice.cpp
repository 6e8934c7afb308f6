// The program's start-up choice between its real backends, and the platform
// interface forwarded to the chosen one.

#include <cstdlib>
#include <string>

#include "platform/backend_ops.h"
#include "platform/end_signals.h"
#include "platform/errors.h"

namespace plat {
namespace {

const BackendOps* g_chosen = nullptr;

// What ZEMBRANT_BACKEND asks for: "x11", "wayland", or "" to choose.
std::string Override() {
  const char* v = std::getenv("ZEMBRANT_BACKEND");
  return v ? v : "";
}

// The Wayland backend where the compositor can serve it, else X11 (through
// XWayland on a Wayland desktop without the layer shell); an unknown
// override is left for OpenPlatform to refuse.
const BackendOps* Pick() {
  const std::string forced = Override();
#if ZB_WITH_WAYLAND
  if (forced == "wayland") return &wl::Operations();
#endif
#if ZB_WITH_X11
  if (forced == "x11") return &qt::Operations();
#endif
  if (!forced.empty()) return nullptr;
#if ZB_WITH_WAYLAND
  if (wl::OffersLayerShell()) return &wl::Operations();
#endif
#if ZB_WITH_X11
  return &qt::Operations();
#else
  return &wl::Operations();
#endif
}

std::string Refusal() {
  return "ZEMBRANT_BACKEND is \"" + Override() + "\"; it can be x11 or wayland";
}

const BackendOps& Chosen() {
  if (!g_chosen) g_chosen = Pick();
  if (!g_chosen) throw RuntimeError(Refusal());  // only before OpenPlatform has refused it
  return *g_chosen;
}

}  // namespace

// Before any backend: both end the same way on the same signals, and the
// chosen one takes them over when it opens.
void PrepareProcess() {
  KeepStandardFdsOpen();
  CatchEndSignals();
}

Outcome QuitRunningCopy() {
  const BackendOps* ops = Pick();
  if (!ops) return {2, Refusal()};
  return ops->QuitRunningCopy();
}

bool StdoutClosedAtStart() { return StdoutWasClosed(); }

std::string OpenPlatform(int& argc, char** argv, int neededWidth) {
  if (!g_chosen) g_chosen = Pick();
  if (!g_chosen) return Refusal();
  // A signal that came before stays in the pipe the backend now watches.
  return g_chosen->OpenPlatform(argc, argv, neededWidth);
}

#define ZB_FORWARD_TABLE Chosen()
ZB_PLAYING_OPS(ZB_FORWARD_OP)

}  // namespace plat

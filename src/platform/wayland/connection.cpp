// The connection to the compositor: its globals, reading and dispatching
// what it sends, and the end of the program when it goes away.
#include "platform/wayland/connection.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/backend_ops.h"
#include "platform/end_signals.h"
#include "platform/handler_guard.h"
#include "platform/printable.h"
#include "platform/wayland/input.h"
#include "platform/wayland/state.h"
#include "platform/wayland/protocols.h"

namespace plat::wl {
namespace {

void OnPing(void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kWmBaseListener = {OnPing};

void OnGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  Backend& b = B();
  const std::string what = interface;
  const auto bind = [&](const wl_interface* i, std::uint32_t most) {
    return wl_registry_bind(registry, name, i, std::min(version, most));
  };
  if (what == wl_compositor_interface.name && !b.compositor) {
    b.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (what == wl_subcompositor_interface.name && !b.subcompositor) {
    b.subcompositor = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
  } else if (what == wl_shm_interface.name && !b.shm) {
    b.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (what == zwlr_layer_shell_v1_interface.name && !b.layerShell) {
    b.layerShellVersion = std::min<std::uint32_t>(version, 4);
    b.layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4));
  } else if (what == xdg_wm_base_interface.name && !b.wmBase) {
    b.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(b.wmBase, &kWmBaseListener, nullptr);
  } else if (what == wl_output_interface.name) {
    WatchOutput(static_cast<wl_output*>(bind(&wl_output_interface, 2)));
  } else if (what == zxdg_decoration_manager_v1_interface.name && !b.decorations) {
    b.decorations = static_cast<zxdg_decoration_manager_v1*>(bind(&zxdg_decoration_manager_v1_interface, 1));
  } else if (what == wl_seat_interface.name && !b.seat) {
    b.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
    WatchSeat(b.seat);
  }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

void OutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t) {}
void OutputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void OutputDone(void*, wl_output*) { UpdateScale(); }
void OutputScale(void*, wl_output* output, std::int32_t factor) { B().outputScales[output] = std::max(1, factor); }
void OutputName(void*, wl_output*, const char*) {}
void OutputDescription(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale, OutputName,
                                            OutputDescription};
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void Check(int result) {
  if (result < 0) ConnectionLost();
}

}  // namespace

void WatchOutput(wl_output* output) {
  B().outputScales[output] = 1;
  wl_output_add_listener(output, &kOutputListener, nullptr);
}

void ForgetOutputs() {
  Backend& b = B();
  for (const auto& [output, scale] : b.outputScales) wl_output_destroy(output);
  b.outputScales.clear();
  b.stageOutputs.clear();
}

std::string CompositorName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name && *name ? name : "wayland-0";
}

// Where the compositor's socket cannot be found without trying (libwayland
// would write a line of its own to stderr): why, else "".
std::string SocketUnknown() {
  const char* socket = std::getenv("WAYLAND_SOCKET");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if ((socket && *socket) || (runtime && *runtime) || CompositorName().starts_with('/')) return "";
  return "XDG_RUNTIME_DIR is not set";
}

std::string Connect() {
  Backend& b = B();
  const std::string unknown = SocketUnknown();
  b.display = unknown.empty() ? wl_display_connect(nullptr) : nullptr;
  if (!b.display) {
    return "cannot connect to the Wayland compositor \"" + Printable(CompositorName()) +
           "\": " + (unknown.empty() ? std::strerror(errno) : unknown);
  }
  b.keyQueue = wl_display_create_queue(b.display);
  b.registry = wl_display_get_registry(b.display);
  wl_registry_add_listener(b.registry, &kRegistryListener, nullptr);
  if (wl_display_roundtrip(b.display) < 0 || wl_display_roundtrip(b.display) < 0) {
    Disconnect();
    return "the Wayland compositor closed the connection";
  }
  std::string missing;
  if (!b.compositor) missing = "wl_compositor";
  if (!b.shm) missing = "wl_shm";
  if (!b.subcompositor) missing = "wl_subcompositor";
  if (!b.layerShell) missing = "layer shell (zwlr_layer_shell_v1)";
  if (!missing.empty()) {
    Disconnect();
    return "the Wayland compositor offers no " + missing;
  }
  return "";
}

namespace {

void NoteLayerShell(void* found, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
  if (std::string(interface) == zwlr_layer_shell_v1_interface.name) *static_cast<bool*>(found) = true;
}
void IgnoreRemoval(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kProbeListener = {NoteLayerShell, IgnoreRemoval};

}  // namespace

// A connection of its own, gone again before the backend's is made.
bool OffersLayerShell() {
  if (!SocketUnknown().empty()) return false;
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return false;
  bool found = false;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kProbeListener, &found);
  const bool answered = wl_display_roundtrip(display) >= 0;
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return answered && found;
}

void Disconnect() {
  Backend& b = B();
  if (!b.display) return;
  ForgetSeat();
  ForgetOutputs();
  if (b.decorations) zxdg_decoration_manager_v1_destroy(b.decorations);
  if (b.wmBase) xdg_wm_base_destroy(b.wmBase);
  if (b.layerShell) zwlr_layer_shell_v1_destroy(b.layerShell);
  if (b.shm) wl_shm_destroy(b.shm);
  if (b.subcompositor) wl_subcompositor_destroy(b.subcompositor);
  if (b.compositor) wl_compositor_destroy(b.compositor);
  if (b.registry) wl_registry_destroy(b.registry);
  wl_display_flush(b.display);
  if (b.keyQueue) wl_event_queue_destroy(b.keyQueue);
  wl_display_disconnect(b.display);
  b.wmBase = nullptr;
  b.decorations = nullptr;
  b.layerShell = nullptr;
  b.shm = nullptr;
  b.compositor = nullptr;
  b.subcompositor = nullptr;
  b.registry = nullptr;
  b.keyQueue = nullptr;
  b.display = nullptr;
}

void ConnectionLost() {
  Backend& b = B();
  const int error = b.display ? wl_display_get_error(b.display) : EPIPE;
  std::string why;
  std::uint32_t code = 0;
  const wl_interface* where = nullptr;
  if (error == EPROTO && wl_display_get_protocol_error(b.display, &where, &code)) {
    why = std::string(": protocol error ") + std::to_string(code) + " on " + (where ? where->name : "?");
  }
  std::fprintf(stderr, "zembrant: lost the connection to the Wayland compositor%s\n", why.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

void Flush() {
  Backend& b = B();
  // A full socket waits for the compositor to read; anything else is fatal.
  while (wl_display_flush(b.display) < 0) {
    if (errno != EAGAIN) ConnectionLost();
    pollfd p{wl_display_get_fd(b.display), POLLOUT, 0};
    poll(&p, 1, 100);
  }
}

void Roundtrip() {
  Flush();
  Check(wl_display_roundtrip(B().display));
}

namespace {

// Reads what has come without blocking beyond `waitMs`, into the queues.
// Returns true when an end signal came meanwhile.
bool ReadSocket(wl_event_queue* queue, int waitMs) {
  Backend& b = B();
  while ((queue ? wl_display_prepare_read_queue(b.display, queue) : wl_display_prepare_read(b.display)) != 0) {
    Check(queue ? wl_display_dispatch_queue_pending(b.display, queue) : wl_display_dispatch_pending(b.display));
    waitMs = 0;
  }
  if (wl_display_flush(b.display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(b.display);
    ConnectionLost();
  }
  pollfd fds[2] = {{wl_display_get_fd(b.display), POLLIN, 0}, {EndSignalFd(), POLLIN, 0}};
  const int n = poll(fds, EndSignalFd() >= 0 ? 2 : 1, waitMs);
  if (n > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
    Check(wl_display_read_events(b.display));
  } else {
    wl_display_cancel_read(b.display);
  }
  return n > 0 && (fds[1].revents & POLLIN) && TakeEndSignal();
}

}  // namespace

void ReadKeyboardEvents() {
  Backend& b = B();
  if (!b.display) return;
  ReadSocket(b.keyQueue, 0);
  Check(wl_display_dispatch_queue_pending(b.display, b.keyQueue));
}

bool PumpEvents(int waitMs) {
  Backend& b = B();
  const bool ended = ReadSocket(nullptr, waitMs);
  Check(wl_display_dispatch_pending(b.display));
  Check(wl_display_dispatch_queue_pending(b.display, b.keyQueue));
  return ended;
}

}  // namespace plat::wl

// One copy per display: the selection _ZEMBRANT_S<screen> held by a small
// window of ours, in the way X desktop managers hold theirs. Another copy
// finds it there and says so; `zembrant --quit` sends the window a request to
// end; a client that takes the selection away ends this copy.
#include "platform/qt/single_copy.h"

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/app.h"
#include "platform/printable.h"
#include "platform/qt/backend.h"
#include "platform/end_signals.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

constexpr char kQuitMessage[] = "_ZEMBRANT_QUIT";
constexpr int kQuitWaitMs = 5000;
// Beyond the wait, for the bound on the whole command.
constexpr int kQuitGraceMs = 500;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

std::string SelectionName(int screen) { return "_ZEMBRANT_S" + std::to_string(screen); }

std::string Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
  Reply<xcb_get_property_reply_t> r(
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_ATOM_STRING, 0, 64), nullptr),
      &std::free);
  if (!r || r->format != 8) return "";
  return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
}

// Whether `w` is the claim window of a copy of the program.
bool IsCopysClaim(xcb_connection_t* c, xcb_window_t w, const std::string& selection) {
  return Property(c, w, XCB_ATOM_WM_CLASS) == std::string(x11::kWmClass, sizeof x11::kWmClass) &&
         Property(c, w, XCB_ATOM_WM_NAME) == selection;
}

xcb_window_t Owner(xcb_connection_t* c, xcb_atom_t selection) {
  Reply<xcb_get_selection_owner_reply_t> r(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr), &std::free);
  return r ? r->owner : static_cast<xcb_window_t>(XCB_NONE);
}

// Tells the clients that watch the root that the selection has a new owner.
void AnnounceManager(xcb_connection_t* c, xcb_window_t root, xcb_atom_t selection, xcb_window_t owner) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = root;
  ev.type = x11::Atom(c, "MANAGER");
  ev.data.data32[0] = XCB_CURRENT_TIME;
  ev.data.data32[1] = selection;
  ev.data.data32[2] = owner;
  xcb_send_event(c, 0, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&ev));
}

// Waits until `owner` is destroyed, at most `ms` milliseconds.
bool AwaitDestroyed(xcb_connection_t* c, xcb_window_t owner, int ms) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + milliseconds(ms);
  for (;;) {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
      const bool gone = (ev->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
                        reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window == owner;
      // An error here is about the window: it was gone before we looked.
      const bool error = ev->response_type == 0;
      std::free(ev);
      if (gone || error) return true;
    }
    if (xcb_connection_has_error(c)) return false;
    const auto left = duration_cast<milliseconds>(end - steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd p[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {EndSignalFd(), POLLIN, 0}};
    if (poll(p, EndSignalFd() >= 0 ? 2 : 1, static_cast<int>(left)) > 0 && (p[1].revents & POLLIN)) {
      return false;
    }
  }
}

}  // namespace

std::uint32_t ClaimSelection(xcb_connection_t* c, std::uint32_t root, int screen) {
  const std::string name = SelectionName(screen);
  B().claimSelection = x11::Atom(c, name);
  B().quitAtom = x11::Atom(c, kQuitMessage);
  const xcb_window_t window = xcb_generate_id(c);
  // Override-redirect; its destruction by another client is heard.
  const std::uint32_t values[] = {1, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                    XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(name.size()), name.data());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      sizeof x11::kWmClass, x11::kWmClass);
  // Looked at and taken in one step: of copies started together, one wins.
  xcb_grab_server(c);
  const xcb_window_t before = Owner(c, B().claimSelection);
  if (before == XCB_NONE || !IsCopysClaim(c, before, name)) {
    xcb_set_selection_owner(c, window, B().claimSelection, XCB_CURRENT_TIME);
  }
  xcb_ungrab_server(c);
  if (Owner(c, B().claimSelection) == window) {
    AnnounceManager(c, root, B().claimSelection, window);
    xcb_flush(c);
    return window;
  }
  x11::DestroyWindow(c, window);
  return 0;
}

bool OnSelectionLost(const xcb_selection_clear_event_t* ev) {
  const Backend& b = B();
  if (b.displayClaim == 0 || ev->owner != b.displayClaim || ev->selection != b.claimSelection) return false;
  if (Owner(b.conn, b.claimSelection) == b.displayClaim) return true;  // made up
  std::fprintf(stderr, "zembrant: another client took this display's selection %s; ending\n",
               SelectionName(b.screen).c_str());
  EndProgram(1);
  return true;
}

bool OnClaimDestroyed(const xcb_destroy_notify_event_t* ev) {
  Backend& b = B();
  if (b.displayClaim == 0 || ev->window != b.displayClaim) return false;
  b.displayClaim = ClaimSelection(b.conn, b.root, b.screen);
  if (b.displayClaim == 0) {
    std::fprintf(stderr, "zembrant: another client destroyed this display's claim and a copy took %s; ending\n",
                 SelectionName(b.screen).c_str());
    EndProgram(1);
  }
  return true;
}

bool OnSelectionRequest(const xcb_selection_request_event_t* ev) {
  const Backend& b = B();
  if (b.displayClaim == 0 || ev->owner != b.displayClaim) return false;
  xcb_selection_notify_event_t refusal{};
  refusal.response_type = XCB_SELECTION_NOTIFY;
  refusal.time = ev->time;
  refusal.requestor = ev->requestor;
  refusal.selection = ev->selection;
  refusal.target = ev->target;
  refusal.property = XCB_NONE;
  xcb_send_event(b.conn, 0, ev->requestor, 0, reinterpret_cast<const char*>(&refusal));
  return true;
}

// The request names a window of the caller's, which lives as long as it
// waits: a copy that was stopped and comes back after the caller gave up
// does not end for a request nobody waits for any more.
bool OnQuitRequest(const xcb_client_message_event_t* ev) {
  const Backend& b = B();
  if (b.displayClaim == 0 || ev->window != b.displayClaim || ev->type != b.quitAtom) return false;
  const xcb_window_t caller = ev->data.data32[1];
  if (caller != XCB_NONE) {
    Reply<xcb_get_window_attributes_reply_t> alive(
        xcb_get_window_attributes_reply(b.conn, xcb_get_window_attributes(b.conn, caller), nullptr), &std::free);
    if (!alive) return true;
  }
  EndProgram(0);
  return true;
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

Outcome QuitRunningCopy() {
  using namespace std::chrono;
  const auto start = steady_clock::now();
  const std::string display = "the X display \"" + x11::DisplayName() + "\"";
  // Every wait on the server counts against the bound: one that a server
  // grab or a stopped server holds up must not outlast it.
  EndWithin(kQuitWaitMs + kQuitGraceMs, 1,
            "zembrant: " + display + " did not answer within " + std::to_string(kQuitWaitMs / 1000) + " seconds",
            "zembrant: interrupted; the copy on " + display + " may still play");
  xcb_connection_t* c = nullptr;
  int screen = 0;
  if (std::string why = x11::Connect(c, screen); !why.empty()) return {2, why};
  const std::string name = SelectionName(screen);
  const xcb_window_t owner = Owner(c, x11::Atom(c, name));
  if (owner == XCB_NONE || !IsCopysClaim(c, owner, name)) {
    xcb_disconnect(c);
    return {1, "no copy of zembrant plays on the X display \"" + x11::DisplayName() + "\""};
  }
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, owner, XCB_CW_EVENT_MASK, &mask);
  const xcb_window_t caller = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, caller, x11::RootOf(c, screen), -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = owner;
  ev.type = x11::Atom(c, kQuitMessage);
  ev.data.data32[1] = caller;
  // No event mask: the message goes to the client that made the window.
  xcb_send_event(c, 0, owner, 0, reinterpret_cast<const char*>(&ev));
  xcb_flush(c);
  const auto left = kQuitWaitMs - duration_cast<milliseconds>(steady_clock::now() - start).count();
  const bool gone = left > 0 && AwaitDestroyed(c, owner, static_cast<int>(left));
  xcb_disconnect(c);
  if (gone) return {0, ""};
  return {1, "the copy of zembrant on the X display \"" + x11::DisplayName() + "\" did not end"};
}

}  // namespace plat::qt

// Counting a program's X resources with the X-Resource extension.
#include "faults/x_resources.h"

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/xcb_reply.h"

namespace faults {

std::uint32_t ResourceCount::Total() const {
  std::uint32_t n = 0;
  for (const auto& [type, count] : byType) n += count;
  return n;
}

std::string Describe(const ResourceCount& r) {
  std::ostringstream s;
  s << r.clients << " connections, " << r.pixmapBytes << " pixmap bytes:";
  for (const auto& [type, count] : r.byType) s << " " << type << "=" << count;
  return s.str();
}

namespace {

using xcbtest::Reply;

// The resource bases of the connections of `pid`.
std::vector<std::uint32_t> BasesOf(xcb_connection_t* c, pid_t pid) {
  // Every client with its process id; ours are those of `pid`.
  const xcb_res_client_id_spec_t all{0, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  Reply ids(xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &all), nullptr));
  std::vector<std::uint32_t> bases;
  if (!ids) return bases;
  for (auto it = xcb_res_query_client_ids_ids_iterator(ids.p); it.rem; xcb_res_client_id_value_next(&it)) {
    if (xcb_res_client_id_value_value_length(it.data) < 1) continue;
    if (static_cast<pid_t>(*xcb_res_client_id_value_value(it.data)) == pid) {
      // A value begins with the id it answers: the client's resource base.
      bases.push_back(reinterpret_cast<const xcb_res_client_id_spec_t*>(it.data)->client);
    }
  }
  return bases;
}

}  // namespace

XResources::XResources(const std::string& display, pid_t pid) : pid_(pid) {
  c_ = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(c_)) return;
  Reply v(xcb_res_query_version_reply(c_, xcb_res_query_version(c_, 1, 2), nullptr));
  ok_ = v && (v->server_major > 1 || (v->server_major == 1 && v->server_minor >= 2));
  if (!ok_) return;
  root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
  idMask_ = xcb_get_setup(c_)->resource_id_mask;
  for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
    Reply atom(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    if (atom) nameAtoms_.push_back(atom->atom);
  }
  // The windows as they are, and from then on every change to them: the
  // server is held still in between.
  xcb_grab_server(c_);
  bases_ = BasesOf(c_, pid_);
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
  Reply tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
  if (tree) {
    const xcb_window_t* kids = xcb_query_tree_children(tree.p);
    for (int i = 0; i < xcb_query_tree_children_length(tree.p); ++i) {
      if (!Ours(kids[i])) continue;
      Reply a(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, kids[i]), nullptr));
      Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, kids[i]), nullptr));
      if (!a || !g) continue;
      windows_[kids[i]] = XWindow{WindowName(kids[i]), g->width, g->height,
                                  a->map_state != XCB_MAP_STATE_UNMAPPED};
    }
  }
  xcb_ungrab_server(c_);
  xcb_flush(c_);
}

XResources::~XResources() {
  if (c_) xcb_disconnect(c_);
}

bool XResources::ok() const { return ok_ && !xcb_connection_has_error(c_); }

bool XResources::Ours(std::uint32_t window) const {
  for (std::uint32_t base : bases_) {
    if ((window & ~idMask_) == base) return true;
  }
  return false;
}

std::string XResources::AtomName(std::uint32_t atom) {
  if (auto it = names_.find(atom); it != names_.end()) return it->second;
  Reply r(xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, atom), nullptr));
  std::string name = r ? std::string(xcb_get_atom_name_name(r.p),
                                     static_cast<std::size_t>(xcb_get_atom_name_name_length(r.p)))
                       : "atom " + std::to_string(atom);
  return names_[atom] = name;
}

std::string XResources::WindowName(std::uint32_t window) {
  for (std::uint32_t property : nameAtoms_) {
    Reply r(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr));
    if (r && r->format == 8 && xcb_get_property_value_length(r.p) > 0) {
      return std::string(static_cast<const char*>(xcb_get_property_value(r.p)),
                         static_cast<std::size_t>(xcb_get_property_value_length(r.p)));
    }
  }
  return "";
}

// One notification about a child of the root, in the order the server made
// them.
void XResources::Take(const void* event,
                      const std::function<void(std::uint32_t, const XWindows&)>& onMapped) {
  const auto* ev = static_cast<const xcb_generic_event_t*>(event);
  switch (ev->response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: {
      const auto* e = static_cast<const xcb_create_notify_event_t*>(event);
      if (e->parent == root_ && Ours(e->window)) {
        windows_[e->window] = XWindow{"", e->width, e->height, false};
      }
      break;
    }
    case XCB_DESTROY_NOTIFY:
      windows_.erase(static_cast<const xcb_destroy_notify_event_t*>(event)->window);
      break;
    case XCB_CONFIGURE_NOTIFY: {
      const auto* e = static_cast<const xcb_configure_notify_event_t*>(event);
      if (auto it = windows_.find(e->window); it != windows_.end()) {
        it->second.width = e->width;
        it->second.height = e->height;
      }
      break;
    }
    case XCB_MAP_NOTIFY: {
      const auto* e = static_cast<const xcb_map_notify_event_t*>(event);
      auto it = windows_.find(e->window);
      if (it == windows_.end()) break;
      it->second.mapped = true;
      // Read now, while the server is held: gone when the window is.
      if (it->second.name.empty()) it->second.name = WindowName(e->window);
      if (onMapped) onMapped(e->window, windows_);
      break;
    }
    case XCB_UNMAP_NOTIFY:
      if (auto it = windows_.find(static_cast<const xcb_unmap_notify_event_t*>(event)->window);
          it != windows_.end()) {
        it->second.mapped = false;
      }
      break;
    default:
      break;
  }
}

XResources::Moment XResources::Read(
    const std::function<void(std::uint32_t, const XWindows&)>& onMapped) {
  Moment out;
  if (!ok()) return out;
  xcb_grab_server(c_);
  // Every notification made before the grab comes ahead of this reply.
  std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
  while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
    Take(ev, onMapped);
    std::free(ev);
  }
  for (auto& [id, w] : windows_) {
    if (w.name.empty()) w.name = WindowName(id);  // named after it was made
  }
  out.windows = windows_;
  out.resources = Count();
  xcb_ungrab_server(c_);
  xcb_flush(c_);
  return out;
}

ResourceCount XResources::Count() {
  ResourceCount out;
  if (!ok()) return out;
  for (std::uint32_t base : BasesOf(c_, pid_)) {
    ++out.clients;
    Reply res(xcb_res_query_client_resources_reply(c_, xcb_res_query_client_resources(c_, base),
                                                   nullptr));
    if (res) {
      const xcb_res_type_t* t = xcb_res_query_client_resources_types(res.p);
      for (int i = 0; i < xcb_res_query_client_resources_types_length(res.p); ++i) {
        out.byType[AtomName(t[i].resource_type)] += t[i].count;
      }
    }
    Reply px(xcb_res_query_client_pixmap_bytes_reply(
        c_, xcb_res_query_client_pixmap_bytes(c_, base), nullptr));
    if (px) out.pixmapBytes += px->bytes + (static_cast<std::uint64_t>(px->bytes_overflow) << 32);
  }
  return out;
}

std::string DisplayOf(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
  std::string entry;
  while (std::getline(f, entry, '\0')) {
    if (entry.rfind("DISPLAY=", 0) == 0) return entry.substr(8);
  }
  return "";
}

namespace {

long StatusKiB(pid_t pid, const char* field) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  const std::size_t n = std::strlen(field);
  while (std::getline(f, line)) {
    if (line.compare(0, n, field) == 0) return std::strtol(line.c_str() + n, nullptr, 10);
  }
  return -1;
}

}  // namespace

long ResidentKiB(pid_t pid) { return StatusKiB(pid, "VmRSS:"); }
long PeakResidentKiB(pid_t pid) { return StatusKiB(pid, "VmHWM:"); }
long SharedResidentKiB(pid_t pid) { return StatusKiB(pid, "RssShmem:"); }

}  // namespace faults

// Counting a program's X resources with the X-Resource extension.
#include "faults/x_resources.h"

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

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

XResources::XResources(const std::string& display) {
  c_ = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(c_)) return;
  xcb_res_query_version_reply_t* v =
      xcb_res_query_version_reply(c_, xcb_res_query_version(c_, 1, 2), nullptr);
  ok_ = v && (v->server_major > 1 || (v->server_major == 1 && v->server_minor >= 2));
  std::free(v);
}

XResources::~XResources() {
  if (c_) xcb_disconnect(c_);
}

bool XResources::ok() const { return ok_ && !xcb_connection_has_error(c_); }

std::string XResources::AtomName(std::uint32_t atom) {
  if (auto it = names_.find(atom); it != names_.end()) return it->second;
  xcb_get_atom_name_reply_t* r = xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, atom), nullptr);
  std::string name = r ? std::string(xcb_get_atom_name_name(r),
                                     static_cast<std::size_t>(xcb_get_atom_name_name_length(r)))
                       : "atom " + std::to_string(atom);
  std::free(r);
  return names_[atom] = name;
}

ResourceCount XResources::Of(pid_t pid) {
  ResourceCount out;
  if (!ok()) return out;
  // Every client with its process id; ours are those of `pid`.
  const xcb_res_client_id_spec_t all{0, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  xcb_res_query_client_ids_reply_t* ids =
      xcb_res_query_client_ids_reply(c_, xcb_res_query_client_ids(c_, 1, &all), nullptr);
  std::vector<std::uint32_t> bases;
  if (ids) {
    for (auto it = xcb_res_query_client_ids_ids_iterator(ids); it.rem; xcb_res_client_id_value_next(&it)) {
      if (xcb_res_client_id_value_value_length(it.data) < 1) continue;
      if (static_cast<pid_t>(*xcb_res_client_id_value_value(it.data)) == pid) {
        // A value begins with the id it answers: the client's resource base.
        bases.push_back(reinterpret_cast<const xcb_res_client_id_spec_t*>(it.data)->client);
      }
    }
  }
  std::free(ids);
  for (std::uint32_t base : bases) {
    ++out.clients;
    xcb_res_query_client_resources_reply_t* res = xcb_res_query_client_resources_reply(
        c_, xcb_res_query_client_resources(c_, base), nullptr);
    if (res) {
      const xcb_res_type_t* t = xcb_res_query_client_resources_types(res);
      for (int i = 0; i < xcb_res_query_client_resources_types_length(res); ++i) {
        out.byType[AtomName(t[i].resource_type)] += t[i].count;
      }
    }
    std::free(res);
    xcb_res_query_client_pixmap_bytes_reply_t* px = xcb_res_query_client_pixmap_bytes_reply(
        c_, xcb_res_query_client_pixmap_bytes(c_, base), nullptr);
    if (px) out.pixmapBytes += px->bytes + (static_cast<std::uint64_t>(px->bytes_overflow) << 32);
    std::free(px);
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

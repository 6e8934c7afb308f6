// What a program holds in the X server, read with the X-Resource extension:
// its resources by type (windows, pixmaps, GCs, ...) over every connection
// the process has open, and the bytes of its pixmaps.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>

struct xcb_connection_t;

namespace faults {

struct ResourceCount {
  int clients = 0;                               // connections of the process
  std::map<std::string, std::uint32_t> byType;  // "WINDOW" -> 25, ...
  std::uint64_t pixmapBytes = 0;
  std::uint32_t Total() const;
  bool operator==(const ResourceCount&) const = default;
};
std::string Describe(const ResourceCount& r);

class XResources {
 public:
  explicit XResources(const std::string& display);
  ~XResources();
  XResources(const XResources&) = delete;
  XResources& operator=(const XResources&) = delete;
  bool ok() const;  // connected, and the server has X-Resource 1.2

  ResourceCount Of(pid_t pid);

 private:
  std::string AtomName(std::uint32_t atom);

  xcb_connection_t* c_ = nullptr;
  bool ok_ = false;
  std::map<std::uint32_t, std::string> names_;
};

// DISPLAY as the running process `pid` has it; empty when it cannot be read.
std::string DisplayOf(pid_t pid);
// The process's resident set now and at its peak, in KiB; -1 when unknown.
long ResidentKiB(pid_t pid);
long PeakResidentKiB(pid_t pid);
// The part of the resident set in shared memory: Qt's window pictures,
// shared with the X server, as large as the windows shown.
long SharedResidentKiB(pid_t pid);

}  // namespace faults

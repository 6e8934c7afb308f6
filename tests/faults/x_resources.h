// What a program holds in the X server, read with the X-Resource extension:
// its resources by type (windows, pixmaps, GCs, ...) over every connection
// the process has open, the bytes of its pixmaps, and its windows on the
// root as the server's notifications tell them.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

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

// One of the program's children of the root.
struct XWindow {
  std::string name;  // _NET_WM_NAME, else WM_NAME; empty while it has none
  int width = 0;
  int height = 0;
  bool mapped = false;
};
using XWindows = std::map<std::uint32_t, XWindow>;

class XResources {
 public:
  // Follows the windows that process `pid` makes on `display`, from now on.
  XResources(const std::string& display, pid_t pid);
  ~XResources();
  XResources(const XResources&) = delete;
  XResources& operator=(const XResources&) = delete;
  bool ok() const;  // connected, and the server has X-Resource 1.2

  struct Moment {
    ResourceCount resources;
    XWindows windows;
  };
  // What the program holds at one moment: the server is held still while
  // the notifications up to then are taken in and the resources are read.
  // `onMapped` sees each window the program mapped since the last read, with
  // the program's windows as they were when it was mapped.
  Moment Read(const std::function<void(std::uint32_t, const XWindows&)>& onMapped = nullptr);
  // The resources alone, at no particular moment.
  ResourceCount Count();

 private:
  std::string AtomName(std::uint32_t atom);
  std::string WindowName(std::uint32_t window);
  bool Ours(std::uint32_t window) const;
  void Take(const void* event,
            const std::function<void(std::uint32_t, const XWindows&)>& onMapped);

  xcb_connection_t* c_ = nullptr;
  bool ok_ = false;
  pid_t pid_;
  std::uint32_t root_ = 0;
  std::uint32_t idMask_ = 0;
  std::vector<std::uint32_t> bases_;  // of the program's connections
  std::vector<std::uint32_t> nameAtoms_;
  XWindows windows_;
  std::map<std::uint32_t, std::string> names_;
};

// The process's resident set now and at its peak, in KiB; -1 when unknown.
long ResidentKiB(pid_t pid);
long PeakResidentKiB(pid_t pid);
// The part of the resident set in shared memory: Qt's window pictures,
// shared with the X server, as large as the windows shown.
long SharedResidentKiB(pid_t pid);

// DISPLAY as the running process `pid` has it; empty when it cannot be read.
std::string DisplayOf(pid_t pid);

}  // namespace faults

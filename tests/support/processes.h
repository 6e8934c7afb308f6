// The processes around a test of the real program: a directory of its own, a
// private Xvfb, the program started on it, and the CPU they use. Every wait
// has a bound.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "support/x_client.h"

namespace xtest {

// A directory of the test's own, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A child process that dies with the test program (PR_SET_PDEATHSIG) and is
// killed when this object goes. Its stdout and stderr go to files.
class Child {
 public:
  // argv[0] is looked up on PATH. `env` replaces the environment. An empty
  // `errFile` starts it with stderr closed.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
        const std::string& outFile, const std::string& errFile, int extraFd = -1);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // The exit status (128 + signal number when killed), once it has ended.
  std::optional<int> Status();
  std::optional<int> WaitExit(Ms limit);
  // SIGTERM, then SIGKILL after `grace`.
  void Stop(Ms grace = Ms(3000));

 private:
  void Reap(int waitStatus);

  pid_t pid_ = -1;
  std::optional<int> status_;
};

// The test program's environment with `extra` ("NAME=value") put in place of
// what it had of those names and without the variables named in `drop`.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra,
                                         const std::vector<std::string>& drop = {});

// A private X server of the given size (and bits per pixel), on a display
// it picks itself.
class Xvfb {
 public:
  Xvfb(int width, int height, const std::string& dir, int depth = 24);
  const std::string& display() const { return display_; }  // ":N", empty on failure
  const std::string& error() const { return error_; }
  int width() const { return width_; }
  int height() const { return height_; }
  pid_t pid() const { return server_ ? server_->pid() : -1; }

 private:
  int width_;
  int height_;
  std::string display_;
  std::string error_;
  std::optional<Child> server_;
};

// The program: started on a display with the given arguments, and with `env`
// ("NAME=value") added to the test's own environment.
class Program {
 public:
  Program(const std::string& binary, const std::string& display,
          const std::vector<std::string>& args, const std::string& dir,
          const std::vector<std::string>& env = {});
  Child& child() { return *child_; }
  pid_t pid() const { return child_->pid(); }
  bool Running() { return child_->Running(); }
  // What the program wrote on stderr so far (the last 4000 bytes).
  std::string Stderr() const;

 private:
  std::string errFile_;
  std::optional<Child> child_;
};

// A file's whole text, empty when it cannot be read; and its last `n`
// bytes, for an error message.
std::string ReadFile(const std::string& path);
std::string FileTail(const std::string& path, std::size_t n = 1500);

// CPU seconds a process's living threads have used so far, to the
// nanosecond where the kernel keeps scheduler figures (else to the clock
// tick); negative when it cannot be read.
double CpuSeconds(pid_t pid);

}  // namespace xtest

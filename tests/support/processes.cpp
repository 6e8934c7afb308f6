// The processes around a test of the real program.
#include "support/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace xtest {
namespace {

std::vector<char*> CStrings(const std::vector<std::string>& v) {
  std::vector<char*> out;
  for (const std::string& s : v) out.push_back(const_cast<char*>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

}  // namespace

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra,
                                         const std::vector<std::string>& drop) {
  std::vector<std::string> names = drop;
  for (const std::string& e : extra) names.push_back(NameOf(e));
  std::vector<std::string> out;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    bool dropped = false;
    for (const std::string& n : names) dropped = dropped || NameOf(entry) == n;
    if (!dropped) out.push_back(entry);
  }
  out.insert(out.end(), extra.begin(), extra.end());
  return out;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zb-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

// --- Child ---------------------------------------------------------------

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& outFile, const std::string& errFile, int extraFd) {
  std::vector<char*> args = CStrings(argv);
  std::vector<char*> envp = CStrings(env);
  const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const bool closeErr = errFile.empty();
  const int err = closeErr ? -1 : open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls from here to exec.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    setpgid(0, 0);
    const int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out, 1);
    if (closeErr) {
      close(2);
    } else {
      dup2(err, 2);
    }
    int keep = 2;
    if (extraFd >= 0) {
      if (extraFd == 3) {
        fcntl(3, F_SETFD, 0);
      } else {
        dup2(extraFd, 3);
      }
      keep = 3;
    }
    for (int fd = keep + 1; fd < 1024; ++fd) close(fd);
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
  }
  if (out >= 0) close(out);
  if (err >= 0) close(err);
}

Child::~Child() { Stop(); }

void Child::Reap(int waitStatus) {
  if (WIFEXITED(waitStatus)) status_ = WEXITSTATUS(waitStatus);
  else if (WIFSIGNALED(waitStatus)) status_ = 128 + WTERMSIG(waitStatus);
}

bool Child::Running() { return pid_ > 0 && !Status().has_value(); }

std::optional<int> Child::Status() {
  if (status_ || pid_ <= 0) return status_;
  int ws = 0;
  if (waitpid(pid_, &ws, WNOHANG) == pid_) Reap(ws);
  return status_;
}

std::optional<int> Child::WaitExit(Ms limit) {
  WaitUntil([this] { return Status().has_value(); }, limit, Ms(10));
  return Status();
}

void Child::Stop(Ms grace) {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  if (WaitExit(grace)) return;
  kill(pid_, SIGKILL);
  int ws = 0;
  if (waitpid(pid_, &ws, 0) == pid_) Reap(ws);
}

// --- Xvfb ----------------------------------------------------------------

Xvfb::Xvfb(int width, int height, const std::string& dir, int depth) : width_(width), height_(height) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error_ = "pipe failed";
    return;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0", screen,
                                           "-nolisten", "tcp", "-noreset"},
                  EnvironmentWith({}), dir + "/xvfb.out", dir + "/xvfb.err", fds[1]);
  close(fds[1]);
  std::string number;
  const Clock::time_point start = Clock::now();
  while (MsSince(start) < 30000) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) {
      if (!server_->Running()) break;
      continue;
    }
    char ch = 0;
    if (read(fds[0], &ch, 1) != 1) break;
    if (ch == '\n') break;
    number += ch;
  }
  close(fds[0]);
  if (number.empty()) {
    std::ifstream log(dir + "/xvfb.err");
    std::stringstream s;
    s << log.rdbuf();
    error_ = "Xvfb did not start: " + s.str();
    return;
  }
  display_ = ":" + number;
}

// --- Program -------------------------------------------------------------

Program::Program(const std::string& binary, const std::string& display,
                 const std::vector<std::string>& args, const std::string& dir,
                 const std::vector<std::string>& extraEnv) {
  const std::string runtime = dir + "/runtime";
  mkdir(runtime.c_str(), 0700);
  std::vector<std::string> own{"XDG_RUNTIME_DIR=" + runtime, "QT_QPA_PLATFORM=xcb"};
  if (!display.empty()) own.push_back("DISPLAY=" + display);
  // A later entry of the same name takes the place of an earlier one.
  for (const std::string& e : extraEnv) {
    const std::string name = e.substr(0, e.find('='));
    std::erase_if(own, [&](const std::string& o) { return o.substr(0, o.find('=')) == name; });
    own.push_back(e);
  }
  const std::vector<std::string> env = EnvironmentWith(own, {"WAYLAND_DISPLAY", "DISPLAY"});
  std::vector<std::string> argv{binary};
  argv.insert(argv.end(), args.begin(), args.end());
  errFile_ = dir + "/program.err";
  child_.emplace(argv, env, dir + "/program.out", errFile_);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string FileTail(const std::string& path, std::size_t n) {
  const std::string all = ReadFile(path);
  return all.size() > n ? all.substr(all.size() - n) : all;
}

std::string Program::Stderr() const { return FileTail(errFile_, 4000); }

namespace {

// The time every living thread has run, from the scheduler's nanosecond
// figures; negative when the kernel keeps none.
double ScheduledSeconds(pid_t pid) {
  std::error_code ec;
  double total = 0;
  bool any = false;
  for (const auto& task : std::filesystem::directory_iterator(
           "/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream f(task.path() / "schedstat");
    double ns = 0;
    if (f >> ns) {
      total += ns;
      any = true;
    }
  }
  return any && total > 0 ? total / 1e9 : -1;
}

// User and system time in clock ticks (10 ms each on most kernels).
double TickedSeconds(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(f, line)) return -1;
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(line.substr(close + 2));
  std::string field;
  double utime = -1;
  double stime = -1;
  // Fields from the third on: state is 3, utime 14, stime 15.
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stod(field);
    if (i == 15) stime = std::stod(field);
  }
  if (utime < 0 || stime < 0) return -1;
  return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

double CpuSeconds(pid_t pid) {
  const double scheduled = ScheduledSeconds(pid);
  return scheduled >= 0 ? scheduled : TickedSeconds(pid);
}

}  // namespace xtest

// Environment variables and fontconfig set-ups for the fault tests.
#include "faults/fault_env.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace faults {

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
  if (const char* v = std::getenv(name_.c_str())) old_ = v;
  setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
  if (old_) {
    setenv(name_.c_str(), old_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

std::string WriteFontsConf(const std::string& dir, const std::vector<std::string>& fontDirs) {
  const std::string path = dir + "/fonts.conf";
  std::ofstream f(path);
  f << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n";
  for (const std::string& d : fontDirs) f << "  <dir>" << d << "</dir>\n";
  f << "  <cachedir>" << dir << "/fontconfig-cache</cachedir>\n</fontconfig>\n";
  return path;
}

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace

Ended RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& dir, e2e::Ms limit, const std::string& outFile) {
  std::vector<std::string> names;
  for (const std::string& e : env) names.push_back(e.substr(0, e.find('=')));
  std::vector<std::string> environment = e2e::EnvironmentWithout(names);
  for (const std::string& e : env) {
    if (e.find('=') != std::string::npos) environment.push_back(e);
  }
  std::vector<std::string> argv{ZB_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string out = outFile.empty() ? dir + "/run.out" : outFile;
  Ended ended;
  {
    e2e::Child child(argv, environment, out, dir + "/run.err");
    ended.status = child.WaitExit(limit);
  }
  if (outFile.empty()) ended.out = ReadFile(out);
  ended.err = ReadFile(dir + "/run.err");
  return ended;
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace faults

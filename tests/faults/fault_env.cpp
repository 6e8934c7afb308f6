// Environment variables and fontconfig set-ups for the fault tests.
#include "faults/fault_env.h"

#include <cstdlib>
#include <fstream>

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

}  // namespace faults

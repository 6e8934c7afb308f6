// Fontconfig set-ups for the fault tests.
#include "faults/fault_env.h"

#include <fstream>

namespace faults {

std::string WriteFontsConf(const std::string& dir, const std::vector<std::string>& fontDirs) {
  const std::string path = dir + "/fonts.conf";
  std::ofstream f(path);
  f << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n";
  for (const std::string& d : fontDirs) f << "  <dir>" << d << "</dir>\n";
  f << "  <cachedir>" << dir << "/fontconfig-cache</cachedir>\n</fontconfig>\n";
  return path;
}

}  // namespace faults

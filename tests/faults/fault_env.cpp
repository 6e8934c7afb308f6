// Fontconfig set-ups for the fault tests.
#include "faults/fault_env.h"

#include <algorithm>
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

Ended RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& dir, xtest::Ms limit, const std::string& outFile) {
  std::vector<std::string> argv{ZB_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv, env, dir, limit, outFile);
}

std::vector<std::string> AfterShell(const std::string& shellCommand, const std::vector<std::string>& args) {
  std::vector<std::string> argv{"sh", "-c", shellCommand + "; exec \"$0\" \"$@\"", ZB_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

Ended RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& dir, xtest::Ms limit, const std::string& outFile) {
  std::vector<std::string> set, removed;
  for (const std::string& e : env) (e.find('=') != std::string::npos ? set : removed).push_back(e);
  const std::vector<std::string> environment = xtest::EnvironmentWith(set, removed);
  const std::string out = outFile.empty() ? dir + "/run.out" : outFile;
  Ended ended;
  {
    xtest::Child child(argv, environment, out, dir + "/run.err");
    ended.status = child.WaitExit(limit);
  }
  if (outFile.empty()) ended.out = xtest::ReadFile(out);
  ended.err = xtest::ReadFile(dir + "/run.err");
  return ended;
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace faults

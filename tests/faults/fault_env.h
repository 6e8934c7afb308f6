// What the fault tests change around the program: variables of the
// environment the program inherits, and a fontconfig set-up of their own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace faults {

// Sets a variable for the life of this object; the program started
// meanwhile inherits it. The old value comes back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Writes a fonts.conf into `dir` that knows only the font directories given
// (none: no font at all) and keeps its cache in `dir`; returns its path.
std::string WriteFontsConf(const std::string& dir, const std::vector<std::string>& fontDirs);

}  // namespace faults

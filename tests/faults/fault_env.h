// What the fault tests change around the program: a fontconfig set-up of
// their own (the program's environment is the fixture's GameOptions::env).
#pragma once

#include <string>
#include <vector>

namespace faults {

// Writes a fonts.conf into `dir` that knows only the font directories given
// (none: no font at all) and keeps its cache in `dir`; returns its path.
std::string WriteFontsConf(const std::string& dir, const std::vector<std::string>& fontDirs);

}  // namespace faults

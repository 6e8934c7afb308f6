// Reading the program's arguments: an optional start column, --help,
// --version.
#include "game/flow/command_line.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <regex>

#include "game/base/version.h"

namespace zb {
namespace {

constexpr char kHelp[] =
    "Usage: zembrant [COLUMN]\n"
    "A side-scrolling shoot-'em-up played on your desktop.\n"
    "\n"
    "  COLUMN      the ship's start column in pixels (default 36)\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Keys: arrows steer, Space starts the game and fires, ESC pauses,\n"
    "HOME toggles invincibility. Right-click the ship or the lamps for the\n"
    "menu: バージョン情報 (About) shows the version, 終了 (Quit) ends the game.\n"
    "\n"
    "The balloons say: いくぞ！ (Here we go!), うぉ！ (Whoa!),\n"
    "生きて帰れるかな？！ (Think you will make it home alive?!),\n"
    "やられた・・・ (I am done for...), やったぜ！！ (We did it!!).\n";

// The message quotes arguments: control characters in them become '?' so
// that it stays one line on the terminal.
CommandLine Error(std::string message) {
  for (char& c : message) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return {CommandLine::Action::kError, 0, std::move(message)};
}

// The number the text starts with (blanks before it allowed), 0 when it
// starts with none.
double LeadingNumber(const std::string& text) {
  static const std::regex number(R"(^[ \t]*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?))");
  std::smatch m;
  if (!std::regex_search(text, m, number)) return 0;
  return std::strtod(m[1].str().c_str(), nullptr);
}

// The start column from the plain arguments, joined by spaces.
CommandLine StartColumn(const std::string& text) {
  const double v = std::nearbyint(LeadingNumber(text));  // halves to even
  if (!(v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::int32_t>::max())) {
    return Error("start column out of range: " + text);
  }
  return {CommandLine::Action::kPlay, static_cast<std::int32_t>(v), ""};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  std::string text;
  bool options = true;
  for (const auto& arg : args) {
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "--help") {
      return {CommandLine::Action::kHelp, 0, kHelp};
    } else if (options && arg == "--version") {
      return {CommandLine::Action::kVersion, 0, std::string("zembrant ") + kVersion + "\n"};
    } else if (options && arg.starts_with("--")) {
      return Error("unknown option '" + arg + "' (try --help)");
    } else {
      text += text.empty() ? arg : " " + arg;
    }
  }
  return StartColumn(text);
}

}  // namespace zb

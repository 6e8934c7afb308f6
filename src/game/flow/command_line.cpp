// Reading the program's arguments: an optional start column, --help,
// --version, --quit. One pass over the text and no recursion, whatever its
// length. An argument that starts with '-' and is no number is an option.
#include "game/flow/command_line.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "game/base/screen_metrics.h"
#include "game/base/version.h"
#include "game/flow/entry.h"
#include "platform/printable.h"

namespace zb {
namespace {

constexpr char kHelp[] =
    "Usage: zembrant [COLUMN]\n"
    "A side-scrolling shoot-'em-up played on your desktop.\n"
    "\n"
    "  COLUMN          the ship's start column in pixels, below 1024;\n"
    "                  0 or none: the default, 36\n"
    "  -h, --help      show this help and exit\n"
    "  -V, --version   show the version and exit\n"
    "  --quit          end the copy playing on this display, wait up to\n"
    "                  5 seconds for it to go, and exit\n"
    "  Qt's options such as -display are not taken: set DISPLAY instead.\n"
    "\n"
    "On Wayland desktops with the layer shell (sway, KWin, ...) the game\n"
    "plays natively, elsewhere on X11 or XWayland; ZEMBRANT_BACKEND=x11 or\n"
    "ZEMBRANT_BACKEND=wayland picks one.\n"
    "\n"
    "Keys: arrows steer, Space starts the game and fires, ESC pauses,\n"
    "HOME toggles invincibility. Right-click the ship or the lamps for the\n"
    "menu: バージョン情報 (About) shows the version, 終了 (Quit) ends the game;\n"
    "so do zembrant --quit and Ctrl+C in the terminal.\n"
    "\n"
    "The balloons say: いくぞ！ (Here we go!), うぉ！ (Whoa!),\n"
    "生きて帰れるかな？！ (Think you will make it home alive?!),\n"
    "やられた・・・ (I am done for...), やったぜ！！ (We did it!!).\n";

// The one-line usage an unknown option is answered with.
constexpr char kUsage[] = "usage: zembrant [-h | --help] [-V | --version] [--quit] [COLUMN]";

// Arguments are quoted in messages cut short: a megabyte of digits makes no
// better message.
std::string Quoted(const std::string& text) {
  constexpr std::size_t kQuoted = 40;
  return text.size() > kQuoted ? text.substr(0, kQuoted) + "..." : text;
}

// The message quotes arguments: control characters in them are written out
// as escapes so that it stays one line on the terminal.
CommandLine Error(const std::string& message) {
  return {CommandLine::Action::kError, 0, plat::Printable(message)};
}

std::size_t Digits(std::string_view s, std::size_t i) {
  std::size_t n = 0;
  while (i + n < s.size() && s[i + n] >= '0' && s[i + n] <= '9') ++n;
  return n;
}

// The number the text starts with after blanks (spaces, tabs): a sign,
// digits with an optional point and fraction or a point and digits, then an
// exponent when it has digits. Empty when it starts with none.
std::string_view LeadingNumberText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t whole = Digits(text, i);
  i += whole;
  if (i < text.size() && text[i] == '.' && (whole > 0 || Digits(text, i + 1) > 0)) {
    i += 1 + Digits(text, i + 1);
  } else if (whole == 0) {
    return {};
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (const std::size_t exponent = Digits(text, j); exponent > 0) i = j + exponent;
  }
  return text.substr(start, i - start);
}

// Whether an argument that starts with '-' is a negative number (or "-.5"),
// plain text then, rather than an option.
bool IsNumber(std::string_view arg) { return !LeadingNumberText(arg).empty(); }

// The start column from the plain arguments, joined by spaces. Its twips
// must fit 32 bits and lie left of the field's right edge: a ship placed
// there would never be seen or steered.
CommandLine StartColumn(const std::string& text) {
  const std::string_view number = LeadingNumberText(text);
  const double v = number.empty() ? 0 : std::nearbyint(std::strtod(std::string(number).c_str(), nullptr));
  const double twips = v * TPPX;  // halves went to even above
  if (!(twips >= std::numeric_limits<std::int32_t>::min() &&
        twips <= std::numeric_limits<std::int32_t>::max())) {
    return Error("start column out of range: " + Quoted(text));
  }
  if (twips >= kFieldRightColumn * TPPX) {
    return Error("start column out of range: " + Quoted(text) + " (the field ends at column " +
                 std::to_string(kFieldRightColumn - 1) + ")");
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
    } else if (options && (arg == "--help" || arg == "-h")) {
      return {CommandLine::Action::kHelp, 0, kHelp};
    } else if (options && (arg == "--version" || arg == "-V")) {
      return {CommandLine::Action::kVersion, 0, std::string("zembrant ") + kVersion + "\n"};
    } else if (options && arg == "--quit") {
      return {CommandLine::Action::kQuit, 0, ""};
    } else if (options && arg.starts_with('-') && !IsNumber(arg)) {
      return Error("unknown option '" + Quoted(arg) + "'; " + kUsage);
    } else {
      if (!text.empty()) text += ' ';
      text += arg;
    }
  }
  return StartColumn(text);
}

}  // namespace zb

// Fuzzing the command line. The input is split at NUL bytes into arguments,
// the way argv reaches the program, and every result is checked against what
// must hold for any arguments:
//  - the first argument before a "--" that is an option (starts with "-"
//    and is no number) decides: --help and -h, --version and -V give their
//    texts, --quit asks to end the running copy, anything else is an error;
//  - otherwise the start column is the number the plain arguments, joined by
//    spaces, start with, rounded half to even; a number whose rounding times
//    15 (its twips) falls outside 32 bits, or at or past the field's right
//    edge, is an error, never a wrapped or unseen column;
//  - a number of at most 15 significant digits rounds as its decimal digits
//    say, whatever the binary floating point makes of it;
//  - an error is one line of text without control characters (C1 ones in
//    UTF-8 included) and starts no game;
//  - arguments of any length, up to a megabyte, are read.
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/base/screen_metrics.h"
#include "game/base/version.h"
#include "game/flow/command_line.h"

namespace {

// The longest input tried: arguments of a megabyte, more than the kernel
// passes in one (128 KiB) and than most systems pass in all.
constexpr std::size_t kMaxInput = 1 << 20;

using Action = zb::CommandLine::Action;

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "command-line property broken: %s [%s]\n", what, detail.c_str());
  std::abort();
}

void Check(bool ok, const char* what, const std::string& detail = "") {
  if (!ok) Fail(what, detail);
}

std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  if (size == 0) args.clear();
  return args;
}


// The plain arguments (all but the first "--") joined by spaces.
std::string JoinPlain(const std::vector<std::string>& args) {
  std::string text;
  bool first = true, dashesSeen = false;
  for (const auto& arg : args) {
    if (arg == "--" && !dashesSeen) {
      dashesSeen = true;
      continue;
    }
    if (!first) text += ' ';
    text += arg;
    first = false;
  }
  return text;
}

// The number `text` starts with after blanks (spaces, tabs), as the C
// library reads a decimal number: a sign, digits with an optional point and
// fraction or a point and digits, then an exponent when it has digits. What
// else strtod takes is no number here: other white space before it,
// infinities and NaNs, and hexadecimal, of which only the leading 0 counts.
std::string LeadingNumberText(const std::string& text) {
  const std::size_t blanks = text.find_first_not_of(" \t");
  if (blanks == std::string::npos) return {};
  const char* start = text.c_str() + blanks;
  if (std::isspace(static_cast<unsigned char>(*start))) return {};
  char* end = nullptr;
  std::strtod(start, &end);
  const std::string number(start, static_cast<std::size_t>(end - start));
  const std::size_t body = number.starts_with('+') || number.starts_with('-') ? 1 : 0;
  if (body < number.size() && std::isalpha(static_cast<unsigned char>(number[body]))) return {};
  if (number.find_first_of("xX") != std::string::npos) return number.substr(0, body + 1);
  return number;
}

// The first argument before a "--" that is an option, if any: it starts
// with '-' and the C library reads no number at its start.
std::optional<std::string> FirstOption(const std::vector<std::string>& args) {
  for (const auto& arg : args) {
    if (arg == "--") return std::nullopt;
    if (arg.starts_with('-') && LeadingNumberText(arg).empty()) return arg;
  }
  return std::nullopt;
}

// v rounded to the nearest integer, halves to the even one.
double HalfEven(double v) {
  const double below = std::floor(v);
  const double rest = v - below;
  if (rest != 0.5) return rest < 0.5 ? below : below + 1;
  return std::fmod(below, 2) == 0 ? below : below + 1;
}

// For a number without exponent and with at most 15 significant digits: its
// rounding worked out on the decimal digits.
std::optional<double> DecimalHalfEven(std::string_view number) {
  if (number.find_first_of("eE") != std::string_view::npos) return std::nullopt;
  const bool negative = number.starts_with('-');
  if (number.starts_with('-') || number.starts_with('+')) number.remove_prefix(1);
  const std::size_t point = std::min(number.find('.'), number.size());
  std::string_view whole = number.substr(0, point);
  const std::string_view fraction = point < number.size() ? number.substr(point + 1) : "";
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  std::string significant = std::string(whole) + std::string(fraction);
  significant.erase(0, std::min(significant.find_first_not_of('0'), significant.size()));
  significant.erase(std::min(significant.find_last_not_of('0') + 1, significant.size()));
  if (significant.size() > 15) return std::nullopt;
  double magnitude = whole.empty() ? 0 : std::strtod(std::string(whole).c_str(), nullptr);
  const char first = fraction.empty() ? '0' : fraction[0];
  const bool restNonZero = fraction.size() > 1 && fraction.substr(1).find_first_not_of('0') != std::string_view::npos;
  if (first > '5' || (first == '5' && (restNonZero || std::fmod(magnitude, 2) != 0))) magnitude += 1;
  return negative ? -magnitude : magnitude;
}

// A message that goes on one line of the terminal.
bool OneLine(const std::string& message) {
  if (message.empty()) return false;
  for (const char c : message) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) return false;
  }
  for (std::size_t i = 0; i + 1 < message.size(); ++i) {
    const auto lead = static_cast<unsigned char>(message[i]);
    const auto next = static_cast<unsigned char>(message[i + 1]);
    if (lead == 0xc2 && next >= 0x80 && next <= 0x9f) return false;
  }
  return true;
}

void CheckOption(const std::string& option, const zb::CommandLine& cl) {
  if (option == "--help" || option == "-h") {
    Check(cl.action == Action::kHelp && cl.message.starts_with("Usage: zembrant"), "--help", option);
  } else if (option == "--quit") {
    Check(cl.action == Action::kQuit, "--quit", option);
  } else if (option == "--version" || option == "-V") {
    Check(cl.action == Action::kVersion &&
              cl.message == std::string("zembrant ") + zb::kVersion + "\n",
          "--version", option);
  } else {
    Check(cl.action == Action::kError, "an unknown option is an error", option);
  }
}

void CheckStartColumn(const std::string& joined, const zb::CommandLine& cl) {
  const std::string number = LeadingNumberText(joined);
  const double value = number.empty() ? 0 : std::strtod(number.c_str(), nullptr);
  const double rounded = std::isfinite(value) ? HalfEven(value) : value;
  if (const auto decimal = DecimalHalfEven(number)) {
    Check(*decimal == rounded, "the decimal digits round the same way", number);
  }
  if (!(rounded * 15 >= INT32_MIN && rounded * 15 <= INT32_MAX)) {
    Check(cl.action == Action::kError && cl.message.find("out of range") != std::string::npos,
          "a column whose twips fall outside 32 bits is an error", number);
    return;
  }
  if (rounded * zb::TPPX >= zb::kFieldRightColumn * zb::TPPX) {
    Check(cl.action == Action::kError && cl.message.find("out of range") != std::string::npos,
          "a column at or past the field's right edge is an error", number);
    return;
  }
  Check(cl.action == Action::kPlay, "a number that fits starts a game", number);
  Check(cl.startX == rounded, "the column is the number rounded half to even",
        number + " -> " + std::to_string(cl.startX));
  Check(cl.message.empty(), "a game starts without a message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return -1;
  const std::vector<std::string> args = SplitArguments(data, size);
  const zb::CommandLine cl = zb::ParseCommandLine(args);
  if (cl.action == Action::kError) {
    Check(OneLine(cl.message), "an error is one line of text", cl.message);
    Check(cl.startX == 0, "an error gives no column");
  }
  if (const auto option = FirstOption(args)) {
    CheckOption(*option, cl);
  } else {
    CheckStartColumn(JoinPlain(args), cl);
  }
  return 0;
}

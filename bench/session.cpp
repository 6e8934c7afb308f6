// The start of the optimised program for the end-to-end benchmarks.
#include "session.h"

#ifndef ZB_PROGRAM
#error "ZB_PROGRAM names the program measured"
#endif

namespace bench {

using xtest::Ms;

std::string Session::StartServer(int width, int height) {
  xvfb = std::make_unique<xtest::Xvfb>(width, height, dir.path());
  if (xvfb->display().empty()) return xvfb->error();
  x = std::make_unique<xtest::XClient>(xvfb->display());
  return x->ok() ? "" : "cannot connect to " + xvfb->display();
}

void Session::StartProgram(const std::vector<std::string>& env) {
  game = std::make_unique<xtest::Program>(ZB_PROGRAM, xvfb->display(), std::vector<std::string>{},
                                          dir.path(), env);
}

bool Session::WaitForTitle() {
  return xtest::WaitUntil(
             [&] { return xtest::WaitingTitle(x->Mapped()).has_value() || !game->Running(); },
             Ms(30000), Ms(2)) &&
         game->Running();
}

bool Session::StartAtTitle(benchmark::State& state, const std::vector<std::string>& env) {
  if (const std::string why = StartServer(); !why.empty()) {
    state.SkipWithError(why.c_str());
    return false;
  }
  StartProgram(env);
  if (!WaitForTitle()) {
    state.SkipWithError("no title within 30 s");
    return false;
  }
  return true;
}

void Session::StartInvinciblePlay() {
  x->Tap(xtest::key::kSpace, Ms(60));
  x->WaitFor("frmL", Ms(10000));
  xtest::ShipMoves(*x, Ms(10000));  // the frames run: a press now counts
  x->Tap(xtest::key::kHome);
}

}  // namespace bench

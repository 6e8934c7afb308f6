// The start of the optimised program for the end-to-end benchmarks: a
// private Xvfb, the tests' own X client on it, and the program on that
// server, up to its title and on into invincible play.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "support/processes.h"
#include "support/x_client.h"

namespace bench {

struct Session {
  xtest::TempDir dir;
  std::unique_ptr<xtest::Xvfb> xvfb;
  std::unique_ptr<xtest::XClient> x;
  std::unique_ptr<xtest::Program> game;

  // The server and the client; why not, empty when both are up.
  std::string StartServer(int width = 1280, int height = 1024);
  // The program, with `env` ("NAME=value") added to this one's environment.
  void StartProgram(const std::vector<std::string>& env = {});
  // The title within 30 s, the program still running.
  bool WaitForTitle();
  // The server, the program and its title; false (the benchmark skipped
  // with the reason) when one of them does not come.
  bool StartAtTitle(benchmark::State& state, const std::vector<std::string>& env = {});
  // Space at the title, the launch, and Home once the stage runs: play that
  // nothing ends while it is measured.
  void StartInvinciblePlay();
};

}  // namespace bench

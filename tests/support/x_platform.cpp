// The real backend opened for a test or benchmark program.
#include "support/x_platform.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/app.h"
#include "platform/qt/testing.h"

namespace xtest {

XClient& OpenPlatformForTests(const char* programName) {
  static std::unique_ptr<XClient> client;
  if (client) return *client;
  static int argc = 1;
  static std::string name = programName;
  static char* argv[] = {name.data(), nullptr};
  const std::string why = plat::OpenPlatform(argc, argv);
  if (!why.empty()) {
    std::fprintf(stderr, "%s: %s\n", programName, why.c_str());
    std::exit(2);
  }
  client = std::make_unique<XClient>();
  if (!client->ok()) {
    std::fprintf(stderr, "%s: the tests' X client cannot connect to DISPLAY\n", programName);
    std::exit(2);
  }
  client->BeforeReading(plat::qt::testing::SyncWithServer);
  return *client;
}

}  // namespace xtest

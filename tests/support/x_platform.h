// The real backend opened for a test or benchmark program on the X display it
// runs under, with the tests' own X client beside it.
#pragma once

#include "support/x_client.h"

namespace xtest {

// Opens the platform once for the whole program (later calls only return the
// client) and connects the X client to the same display; the client's
// pixel reads wait until the server has done the backend's requests. Ends
// the program with a line on stderr when either cannot be opened.
XClient& OpenPlatformForTests(const char* programName);

}  // namespace xtest

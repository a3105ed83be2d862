// The fixture of suites that talk to a scripted server: a ScriptedServer is
// registered for each test; afterwards the connection is ended and the
// server's answers and records cleared before NativeTest checks the live
// counts. Suites using it link vardelon_link.
#pragma once

#include "com_mintova_vardelon_VardelonLink.h"
#include "native_test.h"
#include "scripted_server.h"

namespace vardelon::testing {

class ServerTest : public NativeTest {
 protected:
  void TearDown() override {
    disconnect();
    server.reset();
    NativeTest::TearDown();
  }

  bool connect() { return Java_com_mintova_vardelon_VardelonLink_connect(env(), nullptr); }
  void disconnect() { Java_com_mintova_vardelon_VardelonLink_disconnect(env(), nullptr); }

  ScriptedServer server;
};

}  // namespace vardelon::testing

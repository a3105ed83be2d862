// connect, disconnect and isConnected against a scripted server.
#include <chrono>
#include <latch>
#include <optional>
#include <thread>
#include <vector>

#include "link/connection.h"
#include "server_test.h"

namespace vardelon::testing {
namespace {

constexpr LCID kLocale = 0x400;

ServerMember memberAt(std::size_t index) {
  return static_cast<ServerMember>(index);
}

bool isConnected() {
  return Java_com_mintova_vardelon_VardelonLink_isConnected(nullptr, nullptr);
}

// connect and disconnect use neither the JNIEnv nor the receiver, so other
// threads call them without attaching to the JVM.
bool connectHere() {
  return Java_com_mintova_vardelon_VardelonLink_connect(nullptr, nullptr);
}
void disconnectHere() {
  Java_com_mintova_vardelon_VardelonLink_disconnect(nullptr, nullptr);
}

// Runs `call` on a new thread and tells whether it left that thread's COM
// initialisation as it found it: none.
template <typename Call>
bool leavesComUninitialised(Call call) {
  bool balanced = false;
  std::thread([&] {
    call();
    balanced = CoInitializeEx(nullptr, COINIT_MULTITHREADED) == S_OK;
    CoUninitialize();
  }).join();
  return balanced;
}

// The 18 look-ups that one connect makes, in table order, on `object`.
void expectAllMembersResolved(const std::vector<NameLookup>& lookups, std::size_t first,
                              std::size_t object) {
  ASSERT_GE(lookups.size(), first + kServerMemberCount);
  for (std::size_t index = 0; index < kServerMemberCount; ++index) {
    const ServerMember member = memberAt(index);
    SCOPED_TRACE(::testing::PrintToString(member));
    const NameLookup& lookup = lookups[first + index];
    EXPECT_EQ(lookup.object, object);
    EXPECT_TRUE(lookup.riid == IID_NULL);
    EXPECT_EQ(lookup.names, std::vector{ScriptedServer::memberName(member)});
    EXPECT_EQ(lookup.locale, kLocale);
    EXPECT_EQ(lookup.result, S_OK);
    EXPECT_EQ(memberDispIds[index], ScriptedServer::dispIdOf(member));
  }
}

using ConnectionTest = ServerTest;

TEST_F(ConnectionTest, ConnectResolvesEveryMemberOnceAndCallsNothing) {
  ASSERT_TRUE(connect());

  EXPECT_TRUE(isConnected());
  EXPECT_EQ(server.objects().size(), 1u);
  const std::vector<NameLookup> lookups = server.lookups();
  EXPECT_EQ(lookups.size(), kServerMemberCount);
  expectAllMembersResolved(lookups, 0, 0);
  EXPECT_TRUE(server.calls().empty());
}

TEST_F(ConnectionTest, HoldsExactlyTwoReferencesWhileConnectedAndGivesBothBack) {
  ASSERT_TRUE(connect());
  const ObjectCounts held = server.objects().at(0);
  EXPECT_EQ(held.references, 2);
  EXPECT_EQ(held.unknownReferences, 1);
  EXPECT_EQ(held.dispatchReferences, 1);

  disconnect();

  EXPECT_FALSE(isConnected());
  const ObjectCounts given = server.objects().at(0);
  EXPECT_EQ(given.releases - held.releases, 2);
  EXPECT_EQ(given.unknownReferences, 0) << "given back through the pointer it came with";
  EXPECT_EQ(given.dispatchReferences, 0) << "given back through the pointer it came with";
}

TEST_F(ConnectionTest, ConnectWhileConnectedMakesNoComCall) {
  ASSERT_TRUE(connect());
  const ObjectCounts counts = server.objects().at(0);
  const std::vector<DISPID> dispIds(std::begin(memberDispIds), std::end(memberDispIds));

  EXPECT_TRUE(connect());

  ASSERT_EQ(server.objects().size(), 1u);
  EXPECT_EQ(server.objects()[0].addRefs, counts.addRefs);
  EXPECT_EQ(server.objects()[0].releases, counts.releases);
  EXPECT_EQ(server.lookups().size(), kServerMemberCount);
  EXPECT_EQ(std::vector(std::begin(memberDispIds), std::end(memberDispIds)), dispIds);
}

TEST_F(ConnectionTest, ReconnectMakesANewObjectAndResolvesEveryMemberAgain) {
  ASSERT_TRUE(connect());
  disconnect();
  ASSERT_TRUE(connect());

  const std::vector<ObjectCounts> objects = server.objects();
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0].references, 0);
  EXPECT_EQ(objects[1].references, 2);
  const std::vector<NameLookup> lookups = server.lookups();
  EXPECT_EQ(lookups.size(), 2 * kServerMemberCount);
  expectAllMembersResolved(lookups, kServerMemberCount, 1);
}

TEST_F(ConnectionTest, DisconnectTwiceReleasesTwiceInAll) {
  ASSERT_TRUE(connect());
  disconnect();
  disconnect();

  const ObjectCounts counts = server.objects().at(0);
  EXPECT_EQ(counts.releases, 2);
  EXPECT_EQ(counts.references, 0);
  EXPECT_FALSE(isConnected());
}

TEST_F(ConnectionTest, ConnectAndDisconnectOnOneThreadBalanceItsComInitialisation) {
  bool connected = false;
  EXPECT_TRUE(leavesComUninitialised([&] {
    connected = connectHere();
    disconnectHere();
  }));
  EXPECT_TRUE(connected);
}

TEST_F(ConnectionTest, OverlappingConnectsMakeOneServerObject) {
  // The first connect stays inside object creation while the others arrive.
  server.slowCreation(std::chrono::milliseconds(200));
  constexpr std::size_t kThreads = 4;
  std::latch start(kThreads);
  std::vector<int> connected(kThreads, 0);
  std::vector<std::thread> threads;
  for (std::size_t index = 0; index < kThreads; ++index) {
    threads.emplace_back([&, index] {
      start.arrive_and_wait();
      connected[index] = connectHere() ? 1 : 0;
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(connected, std::vector<int>(kThreads, 1));
  ASSERT_EQ(server.objects().size(), 1u);
  EXPECT_EQ(server.objects()[0].references, 2);
  EXPECT_EQ(server.lookups().size(), kServerMemberCount);

  // The fixture disconnects on this thread, which ends COM here although
  // another thread joined it; join here too so that the count stays even.
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
}

// ---- A connect that fails gives back all it took and says nothing.

enum class Fault { NothingRegistered, CreationFails, DispatchRefused, MemberLacking };

struct FailedConnect {
  Fault fault;
  ServerMember lacking = ServerMember::Execute;
};

std::string faultName(const ::testing::TestParamInfo<FailedConnect>& info) {
  switch (info.param.fault) {
    case Fault::NothingRegistered:
      return "NothingRegistered";
    case Fault::CreationFails:
      return "CreationFails";
    case Fault::DispatchRefused:
      return "DispatchRefused";
    case Fault::MemberLacking:
      return "Lacks" + ::testing::PrintToString(info.param.lacking);
  }
  return "?";
}

void PrintTo(const FailedConnect& failure, std::ostream* out) {
  *out << faultName({failure, 0});
}

std::vector<FailedConnect> failedConnects() {
  std::vector<FailedConnect> cases = {
      {Fault::NothingRegistered}, {Fault::CreationFails}, {Fault::DispatchRefused}};
  for (std::size_t index = 0; index < kServerMemberCount; ++index) {
    cases.push_back({Fault::MemberLacking, memberAt(index)});
  }
  return cases;
}

class FailedConnectTest : public ServerTest, public ::testing::WithParamInterface<FailedConnect> {};

TEST_P(FailedConnectTest, ReturnsFalseSilentlyAndGivesBackWhatItTook) {
  const FailedConnect& failure = GetParam();
  std::optional<TemporaryRegistry> nothingRegistered;
  switch (failure.fault) {
    case Fault::NothingRegistered:
      nothingRegistered.emplace();
      break;
    case Fault::CreationFails:
      server.failCreation(E_OUTOFMEMORY);
      break;
    case Fault::DispatchRefused:
      server.refuseDispatch();
      break;
    case Fault::MemberLacking:
      server.lack(failure.lacking);
      break;
  }

  bool connected = true;
  std::string diagnostics;
  EXPECT_TRUE(leavesComUninitialised(
      [&] { diagnostics = captureStderr([&] { connected = connectHere(); }); }));

  EXPECT_FALSE(connected);
  EXPECT_FALSE(isConnected());
  EXPECT_EQ(diagnostics, "");
  const std::vector<ObjectCounts> objects = server.objects();
  EXPECT_EQ(objects.size(), failure.fault == Fault::NothingRegistered ? 0u : 1u);
  for (const ObjectCounts& object : objects) {
    EXPECT_EQ(object.unknownReferences, 0);
    EXPECT_EQ(object.dispatchReferences, 0);
  }
  // The first name that does not resolve ends the look-ups.
  const std::vector<NameLookup> lookups = server.lookups();
  if (failure.fault == Fault::MemberLacking) {
    const auto position = static_cast<std::size_t>(failure.lacking);
    ASSERT_EQ(lookups.size(), position + 1);
    EXPECT_EQ(lookups.back().names, std::vector{ScriptedServer::memberName(failure.lacking)});
    EXPECT_EQ(lookups.back().result, DISP_E_UNKNOWNNAME);
  } else {
    EXPECT_TRUE(lookups.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FailedConnectTest, ::testing::ValuesIn(failedConnects()),
                         faultName);

}  // namespace
}  // namespace vardelon::testing

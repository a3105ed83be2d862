// A scripted automation server for the native suites: an in-process IDispatch
// registered as "Vardelon.Application" for the life of a ScriptedServer. It
// answers as scripted and records everything the library sends it.
//
//   ScriptedServer server;                             // registered: connect finds it
//   server.answer(ServerMember::Version, {S_OK, textVariant(u"4.2")});
//   server.answer(ServerMember::Execute,
//                 {DISP_E_EXCEPTION, {}, ExceptionTexts{u"Vardelon", u"Syntax error", u""}});
//   server.lack(ServerMember::Quit);                   // its name does not resolve
//   ... call the library ...
//   std::vector<RecordedCall> calls = server.calls();
//   EXPECT_EQ(calls.at(0).member, ServerMember::Version);
//   EXPECT_EQ(V_I4(calls.at(0).arguments.at(0).value.get()), 7);
//   EXPECT_EQ(server.objects().at(0).references, 2);
//
// Scripted answers and recorded calls hold VARIANTs: reset() clears them
// before the live-count check; the ServerTest fixture (server_test.h) ends
// the connection and resets after every test. Objects stay alive until the
// server goes, so a call through a stale pointer is recorded, not a crash.
// TemporaryRegistry with no arguments leaves nothing registered at all.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/server_member.h"
#include "platform/automation.h"
#include "registry_files.h"

namespace vardelon {

// Lets GoogleTest print a member by its name.
void PrintTo(ServerMember member, std::ostream* out);

}  // namespace vardelon

namespace vardelon::testing {

// A VARIANT with value semantics: copies are deep (VariantCopy), and the
// value is cleared when the owner goes.
class OwnedVariant {
 public:
  OwnedVariant();  // VT_EMPTY
  static OwnedVariant adopt(const VARIANT& value);
  static OwnedVariant copyOf(const VARIANT& value);
  OwnedVariant(const OwnedVariant& other);
  OwnedVariant(OwnedVariant&& other) noexcept;
  OwnedVariant& operator=(OwnedVariant other) noexcept;
  ~OwnedVariant();

  const VARIANT* get() const { return &value_; }
  VARIANT* get() { return &value_; }
  VARTYPE type() const { return value_.vt; }

 private:
  VARIANT value_;
};

OwnedVariant intVariant(LONG value);
OwnedVariant textVariant(std::u16string_view text);  // SysAllocStringLen: zero units kept

// Texts a server puts into the exception record of a failed call.
struct ExceptionTexts {
  std::u16string source;
  std::u16string description;
  std::u16string helpFile;
};

// What the server does, once the call is recorded, to the VARIANT that a
// VT_BYREF|VT_VARIANT argument designates, as COM lets a server do with an
// in/out argument: it clears the old value (VariantClear) and stores a copy
// of `replacement`, which the caller then owns; a VT_EMPTY replacement only
// empties it. An argument that is not VT_BYREF|VT_VARIANT fails the test.
struct ReferencedChange {
  std::size_t argument = 0;  // in the member's order, as RecordedCall::arguments
  OwnedVariant replacement;
};

// What a member answers to every call: `value` is copied into *result when
// the caller gave one and it is not VT_EMPTY; `exception` becomes new BSTRs
// in the exception record when the caller gave one; each of `changes` is
// made to its by-reference argument, whatever `result`.
//   server.answer(member, Answer{S_OK, values}.replaceReferenced(1, textVariant(u"x")));
struct Answer {
  Answer(HRESULT result = S_OK, OwnedVariant value = {},
         std::optional<ExceptionTexts> exception = std::nullopt)
      : result(result), value(std::move(value)), exception(std::move(exception)) {}

  Answer& replaceReferenced(std::size_t argument, OwnedVariant replacement) {
    changes.push_back({argument, std::move(replacement)});
    return *this;
  }

  HRESULT result;
  OwnedVariant value;
  std::optional<ExceptionTexts> exception;
  std::vector<ReferencedChange> changes;
};

struct RecordedArgument {
  OwnedVariant value;       // VariantCopy of the argument: a by-reference one keeps its pointer
  OwnedVariant referenced;  // for VT_BYREF|VT_VARIANT, a deep copy of the VARIANT it designates
};

struct RecordedCall {
  std::size_t object = 0;  // index into ScriptedServer::objects()
  DISPID dispId = 0;
  std::optional<ServerMember> member;  // empty for an identifier the server never gave out
  IID riid{};
  LCID locale = 0;
  WORD flags = 0;
  UINT argumentCount = 0;           // cArgs
  UINT namedArgumentCount = 0;      // cNamedArgs
  bool argumentsNull = false;       // rgvarg
  bool namedArgumentsNull = false;  // rgdispidNamedArgs
  bool resultNull = false;
  bool exceptionGiven = false;
  bool argumentErrorGiven = false;
  // In the member's own order: arguments[0] came in rgvarg[cArgs - 1].
  std::vector<RecordedArgument> arguments;
};

struct NameLookup {
  std::size_t object = 0;
  IID riid{};
  std::vector<std::u16string> names;
  LCID locale = 0;
  HRESULT result = S_OK;
};

// The object's IUnknown (its identity) and its IDispatch are two pointers,
// each counting the references taken and given back through it; counts go
// negative when released too often.
struct ObjectCounts {
  long references = 0;  // in all
  long unknownReferences = 0;
  long dispatchReferences = 0;
  int addRefs = 0;
  int releases = 0;
};

// Points AUTOMATION_REGISTRY at a temporary .reg file for its lifetime and
// restores the previous value afterwards. Without arguments the file
// registers nothing, so that no server can be found.
class TemporaryRegistry {
 public:
  TemporaryRegistry();
  TemporaryRegistry(std::u16string_view progId, const CLSID& classId);

 private:
  RegistryFiles files_;
};

class ScriptedObject;
class ScriptedFactory;

class ScriptedServer {
 public:
  static const CLSID kClassId;

  // Registers the server under "Vardelon.Application" for this thread's
  // apartment (which it joins to the multithreaded one for its lifetime).
  ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;
  ~ScriptedServer();

  // The identifier the server gives `member`: distinct, neither 0 nor the
  // member's position, so that a mixed-up table shows.
  static DISPID dispIdOf(ServerMember member);
  // The name the server knows `member` by (its own table, not the library's).
  static std::u16string memberName(ServerMember member);

  void answer(ServerMember member, Answer scripted);
  void lack(ServerMember member);  // GetIDsOfNames: DISP_E_UNKNOWNNAME
  void refuseDispatch();           // QueryInterface(IID_IDispatch): E_NOINTERFACE
  // The class factory makes an object, gives it back and fails with `result`.
  void failCreation(HRESULT result);
  void slowCreation(std::chrono::milliseconds delay);

  std::vector<RecordedCall> calls() const;
  std::vector<NameLookup> lookups() const;
  std::vector<ObjectCounts> objects() const;  // one per object made, in order

  // Forgets the script (answers, lacking members, failures, delay) and the
  // records (calls, lookups), clearing their VARIANTs. Objects and their
  // counts stay until the server goes.
  void reset();

 private:
  friend class ScriptedObject;
  friend class ScriptedFactory;

  HRESULT createObject(REFIID riid, void** object);
  enum class Face { Unknown, Dispatch };
  ULONG addRef(std::size_t object, Face face);
  ULONG release(std::size_t object, Face face);
  bool refusesDispatch() const;
  HRESULT lookUp(std::size_t object, REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                 DISPID* ids);
  HRESULT invoke(std::size_t object, DISPID dispId, REFIID riid, LCID locale, WORD flags,
                 DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                 UINT* argumentError);

  mutable std::mutex mutex_;
  std::map<ServerMember, Answer> answers_;
  std::set<ServerMember> lacking_;
  bool refuseDispatch_ = false;
  HRESULT creationFailure_ = S_OK;
  std::chrono::milliseconds creationDelay_{0};
  std::vector<RecordedCall> calls_;
  std::vector<NameLookup> lookups_;
  std::vector<ObjectCounts> counts_;
  std::vector<std::unique_ptr<ScriptedObject>> objects_;  // kept until the server goes

  std::unique_ptr<ScriptedFactory> factory_;
  std::unique_ptr<TemporaryRegistry> registry_;
  DWORD registration_ = 0;
  bool comInitialised_ = false;
};

}  // namespace vardelon::testing

#include "scripted_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "application_members.h"

namespace vardelon {
namespace {

// The server answers to the names tests know, not to the library's table.
constexpr const auto& kMemberNames = testing::kApplicationMemberNames;
static_assert(kMemberNames.size() == kServerMemberCount);

std::u16string_view nameOf(ServerMember member) {
  return kMemberNames[static_cast<std::size_t>(member)];
}

std::optional<ServerMember> memberNamed(std::u16string_view name) {
  for (std::size_t index = 0; index < kServerMemberCount; ++index) {
    if (kMemberNames[index] == name) return static_cast<ServerMember>(index);
  }
  return std::nullopt;
}

// The registry file and the member names are ASCII.
std::string ascii(std::u16string_view text) {
  return {text.begin(), text.end()};
}

}  // namespace

void PrintTo(ServerMember member, std::ostream* out) {
  *out << ascii(nameOf(member));
}

}  // namespace vardelon

namespace vardelon::testing {

// ---- OwnedVariant

OwnedVariant::OwnedVariant() {
  std::memset(&value_, 0, sizeof value_);
}

OwnedVariant OwnedVariant::adopt(const VARIANT& value) {
  OwnedVariant owned;
  owned.value_ = value;
  return owned;
}

OwnedVariant OwnedVariant::copyOf(const VARIANT& value) {
  OwnedVariant owned;
  VariantCopy(&owned.value_, &value);
  return owned;
}

OwnedVariant::OwnedVariant(const OwnedVariant& other) : OwnedVariant() {
  VariantCopy(&value_, &other.value_);
}

OwnedVariant::OwnedVariant(OwnedVariant&& other) noexcept : value_(other.value_) {
  std::memset(&other.value_, 0, sizeof other.value_);
}

OwnedVariant& OwnedVariant::operator=(OwnedVariant other) noexcept {
  std::swap(value_, other.value_);
  return *this;
}

OwnedVariant::~OwnedVariant() {
  VariantClear(&value_);
}

OwnedVariant intVariant(LONG value) {
  VARIANT made{};
  made.vt = VT_I4;
  made.lVal = value;
  return OwnedVariant::adopt(made);
}

OwnedVariant textVariant(std::u16string_view text) {
  VARIANT made{};
  made.vt = VT_BSTR;
  made.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return OwnedVariant::adopt(made);
}

// ---- TemporaryRegistry

namespace {

std::string registryText(std::u16string_view progId, const CLSID& classId) {
  char guid[40];
  std::snprintf(guid, sizeof guid, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                classId.Data1, classId.Data2, classId.Data3, classId.Data4[0], classId.Data4[1],
                classId.Data4[2], classId.Data4[3], classId.Data4[4], classId.Data4[5],
                classId.Data4[6], classId.Data4[7]);
  return "[HKEY_CLASSES_ROOT\\" + ascii(progId) + "\\CLSID]\r\n@=\"" + guid + "\"\r\n\r\n";
}

}  // namespace

TemporaryRegistry::TemporaryRegistry() {
  files_.useOnly(kRegHeader);
}

TemporaryRegistry::TemporaryRegistry(std::u16string_view progId, const CLSID& classId) {
  files_.useOnly(kRegHeader + registryText(progId, classId));
}

// ---- The COM objects: thin fronts that hand everything to the server.

class ScriptedObject final : public IDispatch {
 public:
  ScriptedObject(ScriptedServer& server, std::size_t index)
      : server_(server), index_(index), identity_(*this) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = &identity_;
    } else if (IsEqualIID(riid, IID_IDispatch) && !server_.refusesDispatch()) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return server_.addRef(index_, ScriptedServer::Face::Dispatch);
  }
  ULONG STDMETHODCALLTYPE Release() override {
    return server_.release(index_, ScriptedServer::Face::Dispatch);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return server_.lookUp(index_, riid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispId, REFIID riid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    return server_.invoke(index_, dispId, riid, locale, flags, parameters, result, exception,
                          argumentError);
  }

 private:
  // What QueryInterface gives for IID_IUnknown: a pointer apart from the
  // IDispatch one, as COM allows, so that a test sees whether each
  // reference is given back through the pointer it came with.
  class Identity final : public IUnknown {
   public:
    explicit Identity(ScriptedObject& object) : object_(object) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
      return object_.QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
      return object_.server_.addRef(object_.index_, ScriptedServer::Face::Unknown);
    }
    ULONG STDMETHODCALLTYPE Release() override {
      return object_.server_.release(object_.index_, ScriptedServer::Face::Unknown);
    }

   private:
    ScriptedObject& object_;
  };

  ScriptedServer& server_;
  std::size_t index_;
  Identity identity_;
};

// Lives as long as the server; its own reference count does not matter.
class ScriptedFactory final : public IClassFactory {
 public:
  explicit ScriptedFactory(ScriptedServer& server) : server_(server) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return server_.createObject(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ScriptedServer& server_;
};

// ---- ScriptedServer

// {6F1B3A52-9C0E-4D7A-8E21-5B4C3D2A1F09}
const CLSID ScriptedServer::kClassId = {
    0x6F1B3A52, 0x9C0E, 0x4D7A, {0x8E, 0x21, 0x5B, 0x4C, 0x3D, 0x2A, 0x1F, 0x09}};

ScriptedServer::ScriptedServer()
    : factory_(std::make_unique<ScriptedFactory>(*this)),
      registry_(std::make_unique<TemporaryRegistry>(u"Vardelon.Application", kClassId)) {
  // Class objects are registered from an initialised apartment.
  comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  const HRESULT registered = CoRegisterClassObject(kClassId, factory_.get(), CLSCTX_INPROC_SERVER,
                                                   REGCLS_MULTIPLEUSE, &registration_);
  if (FAILED(registered)) {
    ADD_FAILURE() << "CoRegisterClassObject failed: 0x" << std::hex << registered;
  }
}

ScriptedServer::~ScriptedServer() {
  CoRevokeClassObject(registration_);
  if (comInitialised_) CoUninitialize();
}

DISPID ScriptedServer::dispIdOf(ServerMember member) {
  return 1000 + 37 * static_cast<DISPID>(member);
}

std::u16string ScriptedServer::memberName(ServerMember member) {
  return std::u16string(nameOf(member));
}

void ScriptedServer::answer(ServerMember member, Answer scripted) {
  std::lock_guard lock(mutex_);
  answers_[member] = std::move(scripted);
}

void ScriptedServer::lack(ServerMember member) {
  std::lock_guard lock(mutex_);
  lacking_.insert(member);
}

void ScriptedServer::refuseDispatch() {
  std::lock_guard lock(mutex_);
  refuseDispatch_ = true;
}

void ScriptedServer::failCreation(HRESULT result) {
  std::lock_guard lock(mutex_);
  creationFailure_ = result;
}

void ScriptedServer::slowCreation(std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  creationDelay_ = delay;
}

std::vector<RecordedCall> ScriptedServer::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<NameLookup> ScriptedServer::lookups() const {
  std::lock_guard lock(mutex_);
  return lookups_;
}

std::vector<ObjectCounts> ScriptedServer::objects() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

void ScriptedServer::reset() {
  std::lock_guard lock(mutex_);
  answers_.clear();
  lacking_.clear();
  refuseDispatch_ = false;
  creationFailure_ = S_OK;
  creationDelay_ = std::chrono::milliseconds{0};
  calls_.clear();
  lookups_.clear();
}

HRESULT ScriptedServer::createObject(REFIID riid, void** object) {
  std::chrono::milliseconds delay;
  HRESULT failure;
  ScriptedObject* made;
  {
    std::lock_guard lock(mutex_);
    delay = creationDelay_;
    failure = creationFailure_;
    counts_.emplace_back();
    objects_.push_back(std::make_unique<ScriptedObject>(*this, objects_.size()));
    made = objects_.back().get();
  }
  std::this_thread::sleep_for(delay);
  // As in any factory, the new object's first reference is the query's.
  void* queried = nullptr;
  const HRESULT found = made->QueryInterface(riid, &queried);
  if (FAILED(found)) return found;
  if (FAILED(failure)) {
    static_cast<IUnknown*>(queried)->Release();
    return failure;
  }
  *object = queried;
  return S_OK;
}

ULONG ScriptedServer::addRef(std::size_t object, Face face) {
  std::lock_guard lock(mutex_);
  ObjectCounts& counts = counts_.at(object);
  ++counts.addRefs;
  ++(face == Face::Unknown ? counts.unknownReferences : counts.dispatchReferences);
  return static_cast<ULONG>(++counts.references);
}

ULONG ScriptedServer::release(std::size_t object, Face face) {
  std::lock_guard lock(mutex_);
  ObjectCounts& counts = counts_.at(object);
  ++counts.releases;
  --(face == Face::Unknown ? counts.unknownReferences : counts.dispatchReferences);
  return static_cast<ULONG>(--counts.references);
}

bool ScriptedServer::refusesDispatch() const {
  std::lock_guard lock(mutex_);
  return refuseDispatch_;
}

HRESULT ScriptedServer::lookUp(std::size_t object, REFIID riid, LPOLESTR* names, UINT count,
                               LCID locale, DISPID* ids) {
  if (names == nullptr || ids == nullptr) return E_POINTER;
  std::lock_guard lock(mutex_);
  NameLookup lookup{object, riid, {}, locale, S_OK};
  for (UINT index = 0; index < count; ++index) {
    lookup.names.emplace_back(names[index]);
    const std::optional<ServerMember> member = memberNamed(lookup.names.back());
    if (member && !lacking_.contains(*member)) {
      ids[index] = dispIdOf(*member);
    } else {
      ids[index] = DISPID_UNKNOWN;
      lookup.result = DISP_E_UNKNOWNNAME;
    }
  }
  lookups_.push_back(lookup);
  return lookup.result;
}

namespace {

RecordedArgument recordArgument(const VARIANTARG& argument) {
  RecordedArgument recorded{OwnedVariant::copyOf(argument), {}};
  if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal != nullptr) {
    recorded.referenced = OwnedVariant::copyOf(*argument.pvarVal);
  }
  return recorded;
}

std::optional<ServerMember> memberWithDispId(DISPID dispId) {
  for (std::size_t index = 0; index < kServerMemberCount; ++index) {
    const auto member = static_cast<ServerMember>(index);
    if (ScriptedServer::dispIdOf(member) == dispId) return member;
  }
  return std::nullopt;
}

void fillException(EXCEPINFO& record, const ExceptionTexts& texts, HRESULT result) {
  record.bstrSource = SysAllocStringLen(texts.source.data(), texts.source.size());
  record.bstrDescription = SysAllocStringLen(texts.description.data(), texts.description.size());
  record.bstrHelpFile = SysAllocStringLen(texts.helpFile.data(), texts.helpFile.size());
  record.scode = result;
}

// Arguments come last-first: the member's argument i is rgvarg[cArgs - 1 - i].
void changeReferenced(const DISPPARAMS* parameters, const ReferencedChange& change) {
  const bool present =
      parameters != nullptr && parameters->rgvarg != nullptr && change.argument < parameters->cArgs;
  VARIANTARG* argument =
      present ? &parameters->rgvarg[parameters->cArgs - 1 - change.argument] : nullptr;
  if (argument == nullptr || argument->vt != (VT_BYREF | VT_VARIANT) ||
      argument->pvarVal == nullptr) {
    ADD_FAILURE() << "argument " << change.argument << " designates no VARIANT to change";
    return;
  }
  VariantClear(argument->pvarVal);
  VariantCopy(argument->pvarVal, change.replacement.get());
}

}  // namespace

HRESULT ScriptedServer::invoke(std::size_t object, DISPID dispId, REFIID riid, LCID locale,
                               WORD flags, DISPPARAMS* parameters, VARIANT* result,
                               EXCEPINFO* exception, UINT* argumentError) {
  RecordedCall call;
  call.object = object;
  call.dispId = dispId;
  call.member = memberWithDispId(dispId);
  call.riid = riid;
  call.locale = locale;
  call.flags = flags;
  call.resultNull = result == nullptr;
  call.exceptionGiven = exception != nullptr;
  call.argumentErrorGiven = argumentError != nullptr;
  if (parameters != nullptr) {
    call.argumentCount = parameters->cArgs;
    call.namedArgumentCount = parameters->cNamedArgs;
    call.argumentsNull = parameters->rgvarg == nullptr;
    call.namedArgumentsNull = parameters->rgdispidNamedArgs == nullptr;
    for (UINT index = parameters->cArgs; index > 0 && parameters->rgvarg != nullptr; --index) {
      call.arguments.push_back(recordArgument(parameters->rgvarg[index - 1]));
    }
  }

  const std::optional<ServerMember> member = call.member;
  Answer reply;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
    if (!member) return DISP_E_MEMBERNOTFOUND;
    if (auto scripted = answers_.find(*member); scripted != answers_.end()) {
      reply = scripted->second;
    }
  }
  for (const ReferencedChange& change : reply.changes) changeReferenced(parameters, change);
  if (result != nullptr && reply.value.type() != VT_EMPTY) VariantCopy(result, reply.value.get());
  if (exception != nullptr && reply.exception) {
    fillException(*exception, *reply.exception, reply.result);
  }
  return reply.result;
}

}  // namespace vardelon::testing

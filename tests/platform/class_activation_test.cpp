// Class activation through the registrations: ProgID -> CLSID -> the test
// in-process server, loaded with dlopen, and every error on the way.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/automation.h"
#include "registry_files.h"
#include "test_server.h"

namespace {

using vardelon::testing::kRegHeader;
using vardelon::testing::RegistryFiles;

// {9A8B7C6D-0000-4000-8000-000000000001}: registered, but not served by the
// server it names.
constexpr CLSID kForeignClsid = {0x9A8B7C6D, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};

std::string serverRegistration(std::u16string_view clsidText, const std::string& server) {
  return "[HKEY_CLASSES_ROOT\\CLSID\\" + std::string(clsidText.begin(), clsidText.end()) +
         "\\InprocServer32]\n@=\"" + server + "\"\n";
}

int liveServerObjects() {
  void* server = dlopen(PLATFORM_TEST_SERVER, RTLD_NOW | RTLD_NOLOAD);
  if (server == nullptr) return -1;  // not loaded at all
  const auto count =
      reinterpret_cast<TestServerLiveObjectsFunction>(dlsym(server, kTestServerLiveObjectsName));
  const int live = count();
  dlclose(server);  // only the reference that RTLD_NOLOAD took
  return live;
}

class ClassActivation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    registerTestServer();
  }
  void TearDown() override { CoUninitialize(); }

  // "Test.Server" names kTestServerClsid; the test server is registered for
  // it and for kForeignClsid.
  void registerTestServer() {
    registry_.useOnly(
        std::string(kRegHeader) +
        "[HKEY_CLASSES_ROOT\\Test.Server\\CLSID]\n"
        "@=\"" +
        std::string(std::begin(kTestServerClsidText), std::end(kTestServerClsidText) - 1) + "\"\n" +
        serverRegistration(kTestServerClsidText, PLATFORM_TEST_SERVER) +
        serverRegistration(u"{9A8B7C6D-0000-4000-8000-000000000001}", PLATFORM_TEST_SERVER));
  }

  // Registers kTestServerClsid with `server` as its InprocServer32 path.
  void registerServerAt(const std::string& server) {
    registry_.useOnly(std::string(kRegHeader) + serverRegistration(kTestServerClsidText, server));
  }

  RegistryFiles registry_;
};

TEST_F(ClassActivation, CreatesAnObjectOfTheRegisteredServer) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(u"Test.Server", &clsid), S_OK);
  EXPECT_EQ(clsid, kTestServerClsid);

  IUnknown* object = nullptr;
  ASSERT_EQ(
      CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&object)),
      S_OK);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(liveServerObjects(), 1);
  // The layer kept no reference of its own.
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_EQ(liveServerObjects(), 0);
}

TEST_F(ClassActivation, GetsTheClassObject) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(CoGetClassObject(kTestServerClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&factory)),
            S_OK);
  IUnknown* object = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)),
            S_OK);
  object->Release();
  factory->Release();
}

TEST_F(ClassActivation, ResolvesARelativeServerPathAgainstTheRegFile) {
  const auto relative = std::filesystem::relative(PLATFORM_TEST_SERVER, registry_.folder());
  ASSERT_FALSE(relative.is_absolute());
  registerServerAt(relative.string());
  IUnknown* object = nullptr;
  ASSERT_EQ(CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&object)),
            S_OK);
  object->Release();
}

TEST_F(ClassActivation, ReportsWhyNoObjectWasMade) {
  const std::string missing = (registry_.folder() / "missing.so").string();
  struct Case {
    int line;
    const char* what;
    std::string server;  // empty: the fixture's registrations
    CLSID clsid;
    IUnknown* outer;
    DWORD context;
    IID riid;
    HRESULT expected;
  };
  IUnknown* const someOuter = reinterpret_cast<IUnknown*>(0x1);  // never called
  const Case cases[] = {
      {__LINE__, "class not registered", "", IID_IDispatch, nullptr, CLSCTX_ALL, IID_IUnknown,
       REGDB_E_CLASSNOTREG},
      {__LINE__, "no in-process context", "", kTestServerClsid, nullptr, CLSCTX_LOCAL_SERVER,
       IID_IUnknown, REGDB_E_CLASSNOTREG},
      {__LINE__, "server file missing", missing, kTestServerClsid, nullptr, CLSCTX_ALL,
       IID_IUnknown, CO_E_DLLNOTFOUND},
      {__LINE__, "server not a library", registry_.folder().string(), kTestServerClsid, nullptr,
       CLSCTX_ALL, IID_IUnknown, CO_E_DLLNOTFOUND},
      {__LINE__, "library without DllGetClassObject", PLATFORM_TEST_NO_ENTRY, kTestServerClsid,
       nullptr, CLSCTX_ALL, IID_IUnknown, CO_E_ERRORINDLL},
      {__LINE__, "server does not serve the class", "", kForeignClsid, nullptr, CLSCTX_ALL,
       IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
      {__LINE__, "aggregation refused by the factory", "", kTestServerClsid, someOuter, CLSCTX_ALL,
       IID_IUnknown, CLASS_E_NOAGGREGATION},
      {__LINE__, "interface refused by the object", "", kTestServerClsid, nullptr, CLSCTX_ALL,
       IID_IDispatch, E_NOINTERFACE},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(testing::Message() << "line " << row.line << ": " << row.what);
    if (row.server.empty()) {
      registerTestServer();
    } else {
      registerServerAt(row.server);
    }
    void* object = reinterpret_cast<void*>(0x2);
    EXPECT_EQ(CoCreateInstance(row.clsid, row.outer, row.context, row.riid, &object), row.expected);
    EXPECT_EQ(object, nullptr);
    EXPECT_LE(liveServerObjects(), 0);
  }
}

TEST_F(ClassActivation, NeedsAPlaceForTheResult) {
  EXPECT_EQ(CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr),
            E_POINTER);
  EXPECT_EQ(CoGetClassObject(kTestServerClsid, CLSCTX_ALL, nullptr, IID_IClassFactory, nullptr),
            E_INVALIDARG);
}

TEST_F(ClassActivation, NeedsAnInitialisedThread) {
  std::thread([] {
    void* object = reinterpret_cast<void*>(0x2);
    EXPECT_EQ(CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoGetClassObject(kTestServerClsid, CLSCTX_ALL, nullptr, IID_IClassFactory, &object),
              CO_E_NOTINITIALIZED);

    // Initialised and ended again is as good as never initialised.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    ASSERT_EQ(CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_ALL, IID_IUnknown, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
    CoUninitialize();
    EXPECT_EQ(CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
              CO_E_NOTINITIALIZED);
  }).join();
}

}  // namespace

// Class objects registered in the process: they take precedence over the
// registry, the first registration wins, and the layer holds exactly one
// reference on each factory while it is registered.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "counted_objects.h"
#include "platform/automation.h"
#include "registry_files.h"
#include "test_server.h"

namespace {

using platform_testing::CountedFactory;
using vardelon::testing::RegistryFiles;

class ClassRegistration : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    // The test server is registered too: registered objects must win over it.
    const std::u16string clsid = kTestServerClsidText;
    registry_.useOnly(std::string(vardelon::testing::kRegHeader) + "[HKEY_CLASSES_ROOT\\CLSID\\" +
                      std::string(clsid.begin(), clsid.end()) + "\\InprocServer32]\n@=\"" +
                      PLATFORM_TEST_SERVER + "\"\n");
  }
  void TearDown() override { CoUninitialize(); }

  DWORD registerFactory(CountedFactory& factory, DWORD context = CLSCTX_INPROC_SERVER) {
    DWORD cookie = 0;
    EXPECT_EQ(
        CoRegisterClassObject(kTestServerClsid, &factory, context, REGCLS_MULTIPLEUSE, &cookie),
        S_OK);
    EXPECT_NE(cookie, 0u);
    return cookie;
  }

  // The object CoCreateInstance makes, released at once (the fakes survive).
  static IUnknown* createdObject() {
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    if (object != nullptr) object->Release();
    return object;
  }

  RegistryFiles registry_;
};

TEST_F(ClassRegistration, RegisteredFactoryServesBeforeTheRegistry) {
  CountedFactory factory;
  const DWORD cookie = registerFactory(factory);
  EXPECT_EQ(factory.extraReferences(), 1u);
  EXPECT_EQ(createdObject(), &factory.product);
  EXPECT_EQ(factory.extraReferences(), 1u)
      << "the factory reference taken for the call is given back";
  EXPECT_EQ(factory.product.extraReferences(), 0u);

  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(factory.extraReferences(), 0u);
  IUnknown* fromServer = createdObject();
  EXPECT_NE(fromServer, nullptr);
  EXPECT_NE(fromServer, &factory.product) << "revoked: the registry's server serves again";
}

TEST_F(ClassRegistration, FirstRegistrationWinsUntilRevoked) {
  CountedFactory first, second;
  const DWORD firstCookie = registerFactory(first);
  const DWORD secondCookie = registerFactory(second);
  EXPECT_NE(firstCookie, secondCookie);
  EXPECT_EQ(createdObject(), &first.product);
  EXPECT_EQ(CoRevokeClassObject(firstCookie), S_OK);
  EXPECT_EQ(createdObject(), &second.product);
  EXPECT_EQ(CoRevokeClassObject(secondCookie), S_OK);
  EXPECT_EQ(first.extraReferences(), 0u);
  EXPECT_EQ(second.extraReferences(), 0u);
}

TEST_F(ClassRegistration, ContextMustMatch) {
  CountedFactory local;
  const DWORD cookie = registerFactory(local, CLSCTX_LOCAL_SERVER);
  EXPECT_EQ(createdObject(), &local.product) << "CLSCTX_ALL includes the local server";
  IUnknown* object = nullptr;
  ASSERT_EQ(CoCreateInstance(kTestServerClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&object)),
            S_OK);
  EXPECT_NE(object, &local.product);
  object->Release();
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST_F(ClassRegistration, ClassObjectIsReturnedWithAReference) {
  CountedFactory factory;
  const DWORD cookie = registerFactory(factory);
  IClassFactory* got = nullptr;
  ASSERT_EQ(CoGetClassObject(kTestServerClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&got)),
            S_OK);
  EXPECT_EQ(got, &factory);
  EXPECT_EQ(factory.extraReferences(), 2u);
  got->Release();
  void* none = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(CoGetClassObject(kTestServerClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IDispatch, &none),
            E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(factory.extraReferences(), 1u);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST_F(ClassRegistration, AggregationRefusalPassesThrough) {
  CountedFactory factory;
  const DWORD cookie = registerFactory(factory);
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(CoCreateInstance(kTestServerClsid, &factory.product, CLSCTX_ALL, IID_IUnknown, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory.extraReferences(), 1u);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST_F(ClassRegistration, RevokingNeedsALiveCookie) {
  CountedFactory factory;
  const DWORD cookie = registerFactory(factory);
  EXPECT_EQ(CoRevokeClassObject(cookie + 1000), E_INVALIDARG);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
  EXPECT_EQ(factory.extraReferences(), 0u);
}

TEST_F(ClassRegistration, ArgumentsAndApartmentAreChecked) {
  CountedFactory factory;
  DWORD cookie = 7;
  EXPECT_EQ(CoRegisterClassObject(kTestServerClsid, nullptr, CLSCTX_INPROC_SERVER,
                                  REGCLS_MULTIPLEUSE, &cookie),
            E_INVALIDARG);
  EXPECT_EQ(CoRegisterClassObject(kTestServerClsid, &factory, CLSCTX_INPROC_SERVER,
                                  REGCLS_MULTIPLEUSE, nullptr),
            E_INVALIDARG);
  std::thread([&] {
    EXPECT_EQ(CoRegisterClassObject(kTestServerClsid, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(CoRevokeClassObject(1), CO_E_NOTINITIALIZED);
  }).join();
  EXPECT_EQ(factory.extraReferences(), 0u);
}

TEST_F(ClassRegistration, RegistrationsAreSharedBetweenThreads) {
  CountedFactory factory;
  const DWORD cookie = registerFactory(factory);
  std::thread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(createdObject(), &factory.product);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    CoUninitialize();
  }).join();
  EXPECT_EQ(factory.extraReferences(), 0u);
}

}  // namespace

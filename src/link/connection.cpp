// connect, disconnect and isConnected, and the connection state they keep.
#include "link/connection.h"

#include <mutex>

#include "com_mintova_vardelon_VardelonLink.h"
#include "link/holders.h"

namespace vardelon {

std::atomic<bool> serverConnected = false;
bool connectLockReady = false;
CRITICAL_SECTION connectLock;
IDispatch* serverDispatch = nullptr;
IUnknown* serverObject = nullptr;
DISPID memberDispIds[kServerMemberCount] = {};

namespace {

std::once_flag connectLockOnce;

// Overlapping first calls of connect must not both initialise the lock.
void prepareConnectLock() {
  std::call_once(connectLockOnce, [] {
    InitializeCriticalSection(&connectLock);
    connectLockReady = true;
  });
}

// A new server object: its IUnknown reference and its IDispatch reference.
bool createServerObject(unique_com<IUnknown>& object, unique_com<IDispatch>& dispatch) {
  CLSID serverClass;
  if (FAILED(CLSIDFromProgID(OLESTR("Vardelon.Application"), &serverClass))) return false;

  void* created = nullptr;
  if (FAILED(CoCreateInstance(serverClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &created))) {
    return false;
  }
  object.reset(static_cast<IUnknown*>(created));

  void* queried = nullptr;
  if (FAILED(object.get()->QueryInterface(IID_IDispatch, &queried))) return false;
  dispatch.reset(static_cast<IDispatch*>(queried));
  return true;
}

// Every member's identifier, in table order; the first unknown name stops.
bool resolveMembers(IDispatch* dispatch) {
  for (std::size_t index = 0; index < kServerMemberCount; ++index) {
    LPOLESTR name = serverMemberName(static_cast<ServerMember>(index));
    if (FAILED(dispatch->GetIDsOfNames(IID_NULL, &name, 1, kServerLocale, &memberDispIds[index]))) {
      return false;
    }
  }
  return true;
}

// A new server object whose members all resolve, or false with every
// reference it obtained given back.
bool attachServer() {
  unique_com<IUnknown> object;
  unique_com<IDispatch> dispatch;
  if (!createServerObject(object, dispatch) || !resolveMembers(dispatch.get())) return false;
  serverObject = object.release();
  serverDispatch = dispatch.release();
  return true;
}

// Runs under connectLock. A failed attempt gives back the COM initialisation
// it made, after the references it obtained.
bool setUpConnection() {
  const HRESULT initialised = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (attachServer()) {
    serverConnected = true;
    return true;
  }
  if (SUCCEEDED(initialised)) CoUninitialize();
  return false;
}

}  // namespace

void endConnection() {
  serverDispatch->Release();
  serverObject->Release();
  CoUninitialize();
  serverConnected = false;
}

}  // namespace vardelon

JNIEXPORT jboolean JNICALL Java_com_mintova_vardelon_VardelonLink_connect(JNIEnv*, jobject) {
  vardelon::prepareConnectLock();
  if (vardelon::serverConnected) return JNI_TRUE;
  EnterCriticalSection(&vardelon::connectLock);
  // Another connect may have finished while this one waited for the lock.
  const bool connected = vardelon::serverConnected || vardelon::setUpConnection();
  LeaveCriticalSection(&vardelon::connectLock);
  return connected ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT void JNICALL Java_com_mintova_vardelon_VardelonLink_disconnect(JNIEnv*, jobject) {
  if (vardelon::serverConnected) vardelon::endConnection();
}

JNIEXPORT jboolean JNICALL Java_com_mintova_vardelon_VardelonLink_isConnected(JNIEnv*, jobject) {
  return vardelon::serverConnected ? JNI_TRUE : JNI_FALSE;
}

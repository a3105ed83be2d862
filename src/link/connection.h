// The one process-wide connection to the Vardelon automation server.
// Only connect locks; every other method reads this state without a lock,
// and the Java caller must not end the connection while another thread is
// inside a native method.
#pragma once

#include <atomic>

#include "link/server_member.h"
#include "platform/automation.h"

namespace vardelon {

// Read without a lock by every method, connect's first test included, while
// another thread may be connecting: atomic, so that a thread that finds it
// true also finds the server pointers and identifiers stored before it.
extern std::atomic<bool> serverConnected;
extern bool connectLockReady;
extern CRITICAL_SECTION connectLock;
extern IDispatch* serverDispatch;
// The reference that object creation returned, given back through the
// pointer it came with when the connection ends.
extern IUnknown* serverObject;
extern DISPID memberDispIds[kServerMemberCount];

// Ends the connection: gives back both references on the server object and
// the COM initialisation of the calling thread. Used by disconnect and quit.
void endConnection();

}  // namespace vardelon

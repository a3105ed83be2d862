// The simulator that the round trips run against, found through its
// registration as "Vardelon.Application". This object holds one server
// object for its whole life, which keeps the simulated application and the
// variables set here alive while the library connects and disconnects, as
// the real application runs on between its clients.
#pragma once

#include <jni.h>

#include <span>

#include "link/holders.h"
#include "platform/automation.h"
#include "values.h"

namespace vardelon::bench {

// Instance kValueInstance holds "Scalar" (VT_R8); instance
// kNumberedInstance holds kNumberedCount VT_R8 variables, numbered from 0;
// the matrices that the benchmarks read and write are kept apart in
// kMatrixInstance, each set by the benchmark that uses it.
inline constexpr jint kValueInstance = 101;
inline constexpr jint kNumberedInstance = 102;
inline constexpr jint kMatrixInstance = 103;
inline constexpr jsize kNumberedCount = 100;

class Simulator {
 public:
  // Starts the simulator and sets its variables; running() tells whether
  // that worked, after a line on standard error when it did not.
  Simulator();

  bool running() const { return running_; }
  IDispatch* server() const { return server_.get(); }
  const CLSID& classId() const { return classId_; }
  // The member's identifier, or DISPID_UNKNOWN.
  DISPID memberId(const OLECHAR* name) const;
  // Sets one variable of `instance` through the bare Invoke; false when the
  // server refused it.
  bool setVariable(jint instance, const OLECHAR* name, const VARIANT& value) const;

 private:
  bool start();
  bool setVariables() const;

  CLSID classId_{};
  unique_com<IDispatch> server_;
  bool running_ = false;
};

// The parameters of a call whose arguments are given last first.
DISPPARAMS parametersOf(std::span<VARIANTARG> lastFirst);

// Invoke alone, in the library's locale, with arguments that the caller
// built: as a method unless `flags` says otherwise.
HRESULT bareInvoke(IDispatch* server, DISPID member, DISPPARAMS& parameters, VARIANT* result,
                   WORD flags = DISPATCH_METHOD);

}  // namespace vardelon::bench

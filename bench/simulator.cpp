#include "simulator.h"

#include <cstdio>
#include <string>

#include "link/arguments.h"
#include "link/server_member.h"

namespace vardelon::bench {

Simulator::Simulator() {
  running_ = start() && setVariables();
  if (!running_) {
    std::fprintf(stderr, "The simulator registered in %s cannot be reached\n",
                 VARDELON_SIMULATOR_REGISTRATION);
  }
}

bool Simulator::start() {
  void* created = nullptr;
  if (FAILED(CLSIDFromProgID(OLESTR("Vardelon.Application"), &classId_)) ||
      FAILED(CoCreateInstance(classId_, nullptr, CLSCTX_SERVER, IID_IDispatch, &created))) {
    return false;
  }
  server_.reset(static_cast<IDispatch*>(created));
  return true;
}

DISPID Simulator::memberId(const OLECHAR* name) const {
  auto* names = const_cast<LPOLESTR>(name);
  DISPID id = DISPID_UNKNOWN;
  server_.get()->GetIDsOfNames(IID_NULL, &names, 1, kServerLocale, &id);
  return id;
}

bool Simulator::setVariable(jint instance, const OLECHAR* name, const VARIANT& value) const {
  unique_bstr text(SysAllocString(name));
  VARIANTARG arguments[] = {value, textArgument(text.get()), integerArgument(instance)};
  DISPPARAMS parameters = parametersOf(arguments);
  return SUCCEEDED(
      bareInvoke(server(), memberId(OLESTR("SetVariableValueByName")), parameters, nullptr));
}

bool Simulator::setVariables() const {
  VARIANT scalar;
  VariantInit(&scalar);
  V_VT(&scalar) = VT_R8;
  V_R8(&scalar) = 2.5;
  if (!setVariable(kValueInstance, OLESTR("Scalar"), scalar)) return false;
  for (jsize number = 0; number < kNumberedCount; ++number) {
    V_R8(&scalar) = number * 0.5;
    const std::string digits = std::to_string(number);
    const std::u16string name = u"Value" + std::u16string(digits.begin(), digits.end());
    if (!setVariable(kNumberedInstance, name.c_str(), scalar)) return false;
  }
  return true;
}

DISPPARAMS parametersOf(std::span<VARIANTARG> lastFirst) {
  DISPPARAMS parameters{};
  parameters.rgvarg = lastFirst.data();
  parameters.cArgs = static_cast<UINT>(lastFirst.size());
  return parameters;
}

HRESULT bareInvoke(IDispatch* server, DISPID member, DISPPARAMS& parameters, VARIANT* result,
                   WORD flags) {
  EXCEPINFO exception{};
  UINT argumentError = 0;
  return server->Invoke(member, IID_NULL, kServerLocale, flags, &parameters, result, &exception,
                        &argumentError);
}

}  // namespace vardelon::bench

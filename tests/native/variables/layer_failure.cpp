#include "layer_failure.h"

#include <dlfcn.h>

#include <cstdlib>

namespace vardelon::testing {
namespace {

struct Plan {
  bool active = false;
  int succeeding = 0;
  int calls = 0;
  HRESULT failure = S_OK;

  // True when this call is to fail.
  bool failsNow() { return active && calls++ >= succeeding; }
};

Plan createVectorPlan;
Plan getElementPlan;

Plan& planOf(LayerFunction function) {
  return function == LayerFunction::SafeArrayCreateVector ? createVectorPlan : getElementPlan;
}

// The layer's own definition of `name`.
template <typename Function>
Function* layerFunction(const char* name) {
  void* found = dlsym(RTLD_NEXT, name);
  if (found == nullptr) std::abort();
  return reinterpret_cast<Function*>(found);
}

}  // namespace

LayerFailure::LayerFailure(LayerFunction function, int succeeding, HRESULT failure)
    : function_(function) {
  planOf(function) = {true, succeeding, 0, failure};
}

LayerFailure::~LayerFailure() {
  planOf(function_).active = false;
}

int LayerFailure::calls() const {
  return planOf(function_).calls;
}

}  // namespace vardelon::testing

using vardelon::testing::createVectorPlan;
using vardelon::testing::getElementPlan;
using vardelon::testing::layerFunction;

extern "C" SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements) {
  static auto* const layer =
      layerFunction<decltype(SafeArrayCreateVector)>("SafeArrayCreateVector");
  if (createVectorPlan.failsNow()) return nullptr;
  return layer(type, lowerBound, elements);
}

extern "C" HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* element) {
  static auto* const layer = layerFunction<decltype(SafeArrayGetElement)>("SafeArrayGetElement");
  if (getElementPlan.failsNow()) return getElementPlan.failure;
  return layer(array, indices, element);
}

// Failures of the automation layer that no real input provokes: an array
// that cannot be created, an element that cannot be copied out. This test
// binary defines SafeArrayCreateVector and SafeArrayGetElement itself, so the
// library's calls reach those definitions; they forward to the layer's own
// unless a LayerFailure is in place.
#pragma once

#include "platform/automation.h"

namespace vardelon::testing {

enum class LayerFunction { SafeArrayCreateVector, SafeArrayGetElement };

class LayerFailure {
 public:
  // Lets `succeeding` calls of `function` through, then fails every call:
  // SafeArrayCreateVector gives null, SafeArrayGetElement gives `failure`.
  explicit LayerFailure(LayerFunction function, int succeeding = 0,
                        HRESULT failure = E_OUTOFMEMORY);
  LayerFailure(const LayerFailure&) = delete;
  LayerFailure& operator=(const LayerFailure&) = delete;
  ~LayerFailure();

  // Calls made while this failure was in place, failed ones included.
  int calls() const;

 private:
  LayerFunction function_;
};

}  // namespace vardelon::testing

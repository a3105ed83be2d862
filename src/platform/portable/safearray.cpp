// SAFEARRAY with Windows' layout: the descriptor is preceded by a hidden
// 16-byte slot that holds the element interface's IID (FADF_HAVEIID) or, in
// its last four bytes, the element type (FADF_HAVEVARTYPE); rgsabound lists
// the dimensions last first; the data block is indexed with dimension 1
// varying fastest.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "bstr.h"
#include "com.h"
#include "layer_internal.h"
#include "live_counts.h"
#include "safearray.h"

namespace {

// Windows' undocumented flag of SafeArrayCreateVector: data and descriptor
// share one allocation.
constexpr USHORT FADF_CREATEVECTOR = 0x2000;
constexpr USHORT kInterfaceFeatures = FADF_UNKNOWN | FADF_DISPATCH;
constexpr USHORT kFeaturesNotCopied =
    FADF_AUTO | FADF_STATIC | FADF_EMBEDDED | FADF_FIXEDSIZE | FADF_CREATEVECTOR;
constexpr std::size_t kHiddenSize = sizeof(GUID);
constexpr std::size_t kMaxDataBytes = 0xFFFFFFFF;

// What Windows knows of each element type an array can hold: the feature
// flag that says how elements are owned (0: plain data), the width, and for
// interfaces the IID that is recorded instead of the type.
struct ElementType {
  VARTYPE type;
  USHORT ownership;
  ULONG size;
  const IID* interfaceId;
};

constexpr ElementType kElementTypes[] = {
    {VT_I2, 0, sizeof(SHORT), nullptr},
    {VT_I4, 0, sizeof(LONG), nullptr},
    {VT_R4, 0, sizeof(FLOAT), nullptr},
    {VT_R8, 0, sizeof(DOUBLE), nullptr},
    {VT_CY, 0, sizeof(CY), nullptr},
    {VT_DATE, 0, sizeof(DATE), nullptr},
    {VT_BSTR, FADF_BSTR, sizeof(BSTR), nullptr},
    {VT_DISPATCH, FADF_DISPATCH, sizeof(IDispatch*), &IID_IDispatch},  // NOLINT: a pointer each
    {VT_ERROR, 0, sizeof(SCODE), nullptr},
    {VT_BOOL, 0, sizeof(VARIANT_BOOL), nullptr},
    {VT_VARIANT, FADF_VARIANT, sizeof(VARIANT), nullptr},
    {VT_UNKNOWN, FADF_UNKNOWN, sizeof(IUnknown*), &IID_IUnknown},  // NOLINT: a pointer each
    {VT_DECIMAL, 0, sizeof(DECIMAL), nullptr},
    {VT_I1, 0, sizeof(CHAR), nullptr},
    {VT_UI1, 0, sizeof(BYTE), nullptr},
    {VT_UI2, 0, sizeof(USHORT), nullptr},
    {VT_UI4, 0, sizeof(ULONG), nullptr},
    {VT_I8, 0, sizeof(LONGLONG), nullptr},
    {VT_UI8, 0, sizeof(ULONGLONG), nullptr},
    {VT_INT, 0, sizeof(INT), nullptr},
    {VT_UINT, 0, sizeof(UINT), nullptr},
    {VT_INT_PTR, 0, sizeof(std::intptr_t), nullptr},
    {VT_UINT_PTR, 0, sizeof(std::uintptr_t), nullptr},
};

const ElementType* findElementType(VARTYPE type) {
  const auto* found = std::find_if(std::begin(kElementTypes), std::end(kElementTypes),
                                   [type](const ElementType& row) { return row.type == type; });
  return found == std::end(kElementTypes) ? nullptr : found;
}

std::atomic<LONG> liveSafeArrays{0};

std::byte* hiddenSlotOf(SAFEARRAY* array) {
  return reinterpret_cast<std::byte*>(array) - kHiddenSize;
}

std::size_t descriptorSize(UINT dimensions) {
  return sizeof(SAFEARRAY) + (dimensions - 1) * sizeof(SAFEARRAYBOUND);
}

// A zeroed descriptor for `dimensions` dimensions, followed by `dataBytes`
// zeroed bytes for a vector's data.
SAFEARRAY* allocateDescriptor(UINT dimensions, std::size_t dataBytes = 0) {
  void* block = std::calloc(1, kHiddenSize + descriptorSize(dimensions) + dataBytes);
  if (block == nullptr) return nullptr;
  liveSafeArrays.fetch_add(1, std::memory_order_relaxed);
  auto* array = reinterpret_cast<SAFEARRAY*>(static_cast<std::byte*>(block) + kHiddenSize);
  array->cDims = static_cast<USHORT>(dimensions);
  return array;
}

void freeDescriptor(SAFEARRAY* array) {
  std::free(hiddenSlotOf(array));
  liveSafeArrays.fetch_sub(1, std::memory_order_relaxed);
}

// Records the element type as Windows does: an IID for interfaces, the type
// tag otherwise, and the flag that says how elements are owned.
void describeElements(SAFEARRAY* array, const ElementType& element) {
  if (element.interfaceId != nullptr) {
    std::memcpy(hiddenSlotOf(array), element.interfaceId, sizeof(IID));
    array->fFeatures |= FADF_HAVEIID;
  } else {
    const DWORD type = element.type;
    std::memcpy(hiddenSlotOf(array) + kHiddenSize - sizeof(DWORD), &type, sizeof type);
    array->fFeatures |= FADF_HAVEVARTYPE;
  }
  array->fFeatures |= element.ownership;
  array->cbElements = element.size;
}

// Dimension `dimension` (1-based, as the API counts) of the array.
const SAFEARRAYBOUND& boundOf(const SAFEARRAY* array, UINT dimension) {
  return array->rgsabound[array->cDims - dimension];
}

std::uint64_t cellCount(const SAFEARRAY* array) {
  std::uint64_t cells = 1;
  for (UINT dimension = 1; dimension <= array->cDims; ++dimension) {
    cells *= boundOf(array, dimension).cElements;
    if (cells > kMaxDataBytes) return kMaxDataBytes + 1;
  }
  return cells;
}

// The size of the data block, or nothing when it exceeds what a 32-bit
// count can describe.
std::optional<std::size_t> dataBytes(const SAFEARRAY* array) {
  const std::uint64_t bytes = cellCount(array) * array->cbElements;
  if (bytes > kMaxDataBytes) return std::nullopt;
  return static_cast<std::size_t>(bytes);
}

// The cell that `indices` (indices[0] for dimension 1) designates, or nothing
// when an index lies outside its dimension.
std::optional<std::size_t> cellOf(const SAFEARRAY* array, const LONG* indices) {
  std::size_t cell = 0;
  std::size_t stride = 1;
  for (UINT dimension = 1; dimension <= array->cDims; ++dimension) {
    const SAFEARRAYBOUND& bound = boundOf(array, dimension);
    const std::int64_t offset = std::int64_t{indices[dimension - 1]} - bound.lLbound;
    if (offset < 0 || offset >= std::int64_t{bound.cElements}) return std::nullopt;
    cell += static_cast<std::size_t>(offset) * stride;
    stride *= bound.cElements;
  }
  return cell;
}

void* elementAt(const SAFEARRAY* array, std::size_t cell) {
  return static_cast<std::byte*>(array->pvData) + cell * array->cbElements;
}

// Releases what one element owns.
void releaseElement(USHORT features, void* element) {
  if (features & FADF_BSTR) {
    SysFreeString(*static_cast<BSTR*>(element));
  } else if (features & FADF_VARIANT) {
    VariantClear(static_cast<VARIANT*>(element));
  } else if (features & kInterfaceFeatures) {
    if (auto* object = *static_cast<IUnknown**>(element)) object->Release();
  }
}

// Whether elements own something a copy must duplicate (text, VARIANTs,
// interface references); plain numbers copy as one block.
bool ownsElementResources(USHORT features) {
  return (features & (FADF_BSTR | FADF_VARIANT | kInterfaceFeatures)) != 0;
}

// Copies one element into storage that owns nothing yet: text duplicated,
// VARIANTs deep-copied, interfaces referenced once more.
HRESULT copyElement(USHORT features, ULONG size, void* destination, const void* source) {
  if (features & FADF_BSTR) {
    const BSTR text = *static_cast<const BSTR*>(source);
    BSTR& copy = *static_cast<BSTR*>(destination);
    copy = text == nullptr ? nullptr : automation::duplicateBstr(text);
    return text != nullptr && copy == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  if (features & FADF_VARIANT) {
    auto* copy = static_cast<VARIANT*>(destination);
    V_VT(copy) = VT_EMPTY;
    return VariantCopy(copy, static_cast<const VARIANT*>(source));
  }
  if (features & kInterfaceFeatures) {
    IUnknown* object = *static_cast<IUnknown* const*>(source);
    if (object != nullptr) object->AddRef();
    *static_cast<IUnknown**>(destination) = object;
    return S_OK;
  }
  std::memcpy(destination, source, size);
  return S_OK;
}

// Replaces an element of the array with a copy of `value`, which is the
// BSTR or interface pointer itself for those types and points at the value
// otherwise. Windows stores an empty BSTR for a null one.
HRESULT replaceElement(USHORT features, ULONG size, void* element, void* value) {
  if (features & FADF_BSTR) {
    BSTR copy = automation::duplicateBstr(static_cast<BSTR>(value));
    if (copy == nullptr) return E_OUTOFMEMORY;
    SysFreeString(*static_cast<BSTR*>(element));
    *static_cast<BSTR*>(element) = copy;
    return S_OK;
  }
  if (features & kInterfaceFeatures) {
    auto* object = static_cast<IUnknown*>(value);
    if (object != nullptr) object->AddRef();
    IUnknown* previous = std::exchange(*static_cast<IUnknown**>(element), object);
    if (previous != nullptr) previous->Release();
    return S_OK;
  }
  if (value == nullptr) return E_INVALIDARG;
  if (features & FADF_VARIANT) {
    return VariantCopy(static_cast<VARIANT*>(element), static_cast<VARIANT*>(value));
  }
  std::memcpy(element, value, size);
  return S_OK;
}

void releaseElements(SAFEARRAY* array) {
  if (array->pvData == nullptr ||
      !(array->fFeatures & (FADF_BSTR | FADF_VARIANT | kInterfaceFeatures))) {
    return;
  }
  const std::uint64_t cells = cellCount(array);
  for (std::size_t cell = 0; cell < cells; ++cell) {
    releaseElement(array->fFeatures, elementAt(array, cell));
  }
}

// Runs `action` on the element at `indices` while the array is locked.
template <typename Action>
HRESULT withElement(SAFEARRAY* array, LONG* indices, Action action) {
  HRESULT result = SafeArrayLock(array);
  if (FAILED(result)) return result;
  void* element = nullptr;
  result = SafeArrayPtrOfIndex(array, indices, &element);
  if (SUCCEEDED(result)) result = action(element);
  SafeArrayUnlock(array);
  return result;
}

}  // namespace

extern "C" {

SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dimensions, SAFEARRAYBOUND* bounds) {
  const ElementType* element = findElementType(type);
  if (element == nullptr || bounds == nullptr || dimensions == 0 || dimensions > 0xFFFF) {
    return nullptr;
  }
  SAFEARRAY* array = allocateDescriptor(dimensions);
  if (array == nullptr) return nullptr;
  describeElements(array, *element);
  std::reverse_copy(bounds, bounds + dimensions, array->rgsabound);
  const std::optional<std::size_t> bytes = dataBytes(array);
  // At least one byte, so that even an empty array has a data block.
  array->pvData = bytes ? std::calloc(1, std::max<std::size_t>(*bytes, 1)) : nullptr;
  if (array->pvData == nullptr) {
    freeDescriptor(array);
    return nullptr;
  }
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements) {
  const ElementType* element = findElementType(type);
  if (element == nullptr) return nullptr;
  const std::uint64_t bytes = std::uint64_t{elements} * element->size;
  if (bytes > kMaxDataBytes) return nullptr;
  SAFEARRAY* array = allocateDescriptor(1, bytes);
  if (array == nullptr) return nullptr;
  array->fFeatures = FADF_CREATEVECTOR;
  describeElements(array, *element);
  array->rgsabound[0] = {elements, lowerBound};
  array->pvData = reinterpret_cast<std::byte*>(array) + descriptorSize(1);
  return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  releaseElements(array);
  if (!(array->fFeatures & FADF_CREATEVECTOR)) std::free(array->pvData);
  freeDescriptor(array);
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) {
  return array == nullptr ? 0 : array->cDims;
}

UINT SafeArrayGetElemsize(SAFEARRAY* array) {
  return array == nullptr ? 0 : array->cbElements;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type) {
  if (array == nullptr || type == nullptr) return E_INVALIDARG;
  if (array->fFeatures & FADF_HAVEIID) {
    *type = (array->fFeatures & FADF_DISPATCH) ? VT_DISPATCH : VT_UNKNOWN;
  } else if (array->fFeatures & FADF_HAVEVARTYPE) {
    DWORD stored;
    std::memcpy(&stored, hiddenSlotOf(array) + kHiddenSize - sizeof(DWORD), sizeof stored);
    *type = static_cast<VARTYPE>(stored);
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* lowerBound) {
  if (array == nullptr || lowerBound == nullptr) return E_INVALIDARG;
  if (dimension == 0 || dimension > array->cDims) return DISP_E_BADINDEX;
  *lowerBound = boundOf(array, dimension).lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* upperBound) {
  if (array == nullptr || upperBound == nullptr) return E_INVALIDARG;
  if (dimension == 0 || dimension > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = boundOf(array, dimension);
  // Wraps like Windows' 32-bit arithmetic (an empty dimension ends one below
  // its lower bound).
  *upperBound = static_cast<LONG>(static_cast<ULONG>(bound.lLbound) + bound.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element) {
  if (array == nullptr || indices == nullptr || element == nullptr) return E_INVALIDARG;
  const std::optional<std::size_t> cell = cellOf(array, indices);
  if (!cell) return DISP_E_BADINDEX;
  *element = elementAt(array, *cell);
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* element) {
  if (array == nullptr || indices == nullptr || element == nullptr) return E_INVALIDARG;
  return withElement(array, indices, [&](void* stored) {
    return copyElement(array->fFeatures, array->cbElements, element, stored);
  });
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* element) {
  if (array == nullptr || indices == nullptr) return E_INVALIDARG;
  return withElement(array, indices, [&](void* stored) {
    return replaceElement(array->fFeatures, array->cbElements, stored, element);
  });
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  std::atomic_ref<ULONG> locks(array->cLocks);
  // Windows allows 65535 locks at a time.
  if (locks.fetch_add(1) >= 0xFFFF) {
    locks.fetch_sub(1);
    return E_UNEXPECTED;
  }
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  std::atomic_ref<ULONG> locks(array->cLocks);
  ULONG held = locks.load();
  do {
    if (held == 0) return E_UNEXPECTED;
  } while (!locks.compare_exchange_weak(held, held - 1));
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  const HRESULT result = SafeArrayLock(array);
  *data = SUCCEEDED(result) ? array->pvData : nullptr;
  return result;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  return SafeArrayUnlock(array);
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy) {
  if (copy == nullptr) return E_INVALIDARG;
  *copy = nullptr;
  if (source == nullptr) return S_OK;
  if (source->cbElements == 0) return E_INVALIDARG;
  const std::optional<std::size_t> bytes = dataBytes(source);
  if (!bytes) return E_OUTOFMEMORY;
  SAFEARRAY* result = allocateDescriptor(source->cDims);
  if (result == nullptr) return E_OUTOFMEMORY;
  std::memcpy(hiddenSlotOf(result), hiddenSlotOf(source), kHiddenSize);
  result->fFeatures = source->fFeatures & ~kFeaturesNotCopied;
  result->cbElements = source->cbElements;
  std::copy_n(source->rgsabound, source->cDims, result->rgsabound);
  result->pvData = std::calloc(1, std::max<std::size_t>(*bytes, 1));
  if (result->pvData == nullptr) {
    freeDescriptor(result);
    return E_OUTOFMEMORY;
  }
  if (source->pvData != nullptr && !ownsElementResources(source->fFeatures)) {
    std::memcpy(result->pvData, source->pvData, *bytes);
  } else if (source->pvData != nullptr) {
    const std::uint64_t cells = cellCount(source);
    for (std::size_t cell = 0; cell < cells; ++cell) {
      const HRESULT status = copyElement(source->fFeatures, source->cbElements,
                                         elementAt(result, cell), elementAt(source, cell));
      if (FAILED(status)) {
        SafeArrayDestroy(result);  // a new array is unlocked: this frees it
        return status;             // NOLINT(clang-analyzer-unix.Malloc)
      }
    }
  }
  *copy = result;
  return S_OK;
}

LONG AutomationLiveSafeArrayCount() {
  return liveSafeArrays.load(std::memory_order_relaxed);
}

}  // extern "C"

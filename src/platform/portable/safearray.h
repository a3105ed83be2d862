// SAFEARRAY: OLE Automation's self-describing array, with Windows' layout,
// bounds, lock counts and indexed order (dimension 1 varies fastest).
#pragma once

#include "types.h"
#include "variant.h"

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

// As on Windows, rgsabound holds the bounds in reverse order of the
// dimensions: rgsabound[cDims - 1] describes dimension 1.
struct tagSAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  PVOID pvData;
  SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_AUTO = 0x0001;
constexpr USHORT FADF_STATIC = 0x0002;
constexpr USHORT FADF_EMBEDDED = 0x0004;
constexpr USHORT FADF_FIXEDSIZE = 0x0010;
constexpr USHORT FADF_RECORD = 0x0020;
constexpr USHORT FADF_HAVEIID = 0x0040;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;

extern "C" {
SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dimensions, SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* lowerBound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* upperBound);
HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* element);
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* element);
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy);
}

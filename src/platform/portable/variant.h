// VARIANT: the tagged value of OLE Automation, with Windows' layout and
// member names, and the functions that initialise, clear, copy and coerce it.
#pragma once

#include "types.h"

struct IUnknown;
struct IDispatch;
struct IRecordInfo;
struct tagSAFEARRAY;
using SAFEARRAY = tagSAFEARRAY;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_RECORD = 36,
  VT_INT_PTR = 37,
  VT_UINT_PTR = 38,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_RESERVED = 0x8000,
  VT_ILLEGAL = 0xffff,
  VT_ILLEGALMASKED = 0x0fff,
  VT_TYPEMASK = 0x0fff,
};

union CY {
  struct {
    ULONG Lo;
    LONG Hi;
  };
  LONGLONG int64;
};

struct DECIMAL {
  USHORT wReserved;
  BYTE scale;
  BYTE sign;
  ULONG Hi32;
  ULONGLONG Lo64;
};

struct tagVARIANT {
  union {
    struct {
      VARTYPE vt;
      WORD wReserved1;
      WORD wReserved2;
      WORD wReserved3;
      union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        tagVARIANT* pvarVal;
        PVOID byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        DECIMAL* pdecVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
          PVOID pvRecord;
          IRecordInfo* pRecInfo;
        };
      };
    };
    DECIMAL decVal;
  };
};
using VARIANT = tagVARIANT;
using VARIANTARG = tagVARIANT;

#define V_VT(X) ((X)->vt)
#define V_ISBYREF(X) (V_VT(X) & VT_BYREF)
#define V_ISARRAY(X) (V_VT(X) & VT_ARRAY)
#define V_UNION(X, Y) ((X)->Y)
#define V_I1(X) V_UNION(X, cVal)
#define V_I2(X) V_UNION(X, iVal)
#define V_I4(X) V_UNION(X, lVal)
#define V_I8(X) V_UNION(X, llVal)
#define V_UI1(X) V_UNION(X, bVal)
#define V_UI2(X) V_UNION(X, uiVal)
#define V_UI4(X) V_UNION(X, ulVal)
#define V_UI8(X) V_UNION(X, ullVal)
#define V_INT(X) V_UNION(X, intVal)
#define V_UINT(X) V_UNION(X, uintVal)
#define V_R4(X) V_UNION(X, fltVal)
#define V_R8(X) V_UNION(X, dblVal)
#define V_BOOL(X) V_UNION(X, boolVal)
#define V_ERROR(X) V_UNION(X, scode)
#define V_CY(X) V_UNION(X, cyVal)
#define V_DATE(X) V_UNION(X, date)
#define V_BSTR(X) V_UNION(X, bstrVal)
#define V_UNKNOWN(X) V_UNION(X, punkVal)
#define V_DISPATCH(X) V_UNION(X, pdispVal)
#define V_ARRAY(X) V_UNION(X, parray)
#define V_BYREF(X) V_UNION(X, byref)
#define V_VARIANTREF(X) V_UNION(X, pvarVal)
#define V_I4REF(X) V_UNION(X, plVal)
#define V_R8REF(X) V_UNION(X, pdblVal)
#define V_BSTRREF(X) V_UNION(X, pbstrVal)
#define V_ARRAYREF(X) V_UNION(X, pparray)

// Flags of VariantChangeType(Ex).
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

extern "C" {
void VariantInit(VARIANTARG* value);
HRESULT VariantClear(VARIANTARG* value);
HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source);
HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE type);
HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID locale,
                            USHORT flags, VARTYPE type);
}

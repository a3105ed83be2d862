// BSTR: length-prefixed, zero-terminated UTF-16 text, allocated by the layer.
#pragma once

#include "types.h"

extern "C" {
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteLength);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
}

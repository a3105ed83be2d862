// The one include for everything COM and OLE Automation in the project.
// On Windows it is the system's own headers; elsewhere the portable layer,
// which declares the same names with the same widths and semantics.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#else
#include "portable/types.h"
#include "portable/bstr.h"
#include "portable/variant.h"
#include "portable/safearray.h"
#include "portable/com.h"
#include "portable/critical_section.h"
#include "portable/live_counts.h"
#endif

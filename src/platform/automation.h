// The one include for everything COM and OLE Automation in the project.
// On Windows it is the system's own headers; elsewhere the portable layer,
// which declares the same names with the same widths and semantics.
#pragma once

#ifdef _WIN32
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>
#else
#include "portable/bstr.h"
#include "portable/com.h"
#include "portable/critical_section.h"
#include "portable/live_counts.h"
#include "portable/safearray.h"
#include "portable/types.h"
#include "portable/variant.h"
#endif

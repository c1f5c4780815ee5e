// The one header plug-in sources include. On Windows it is the SDK that
// mingw-w64 ships plus the driver-kit declarations mingw lacks; on Linux it is
// the project's stand-in, which declares the same names.
#pragma once

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <winspool.h>
#include <commctrl.h>
#include <prsht.h>
#include <compstui.h>
#include <winddiui.h>
#include <msxml2.h>
#include <bidispl.h>
#include "platform/windows/bidiids.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#else

#include "platform/linux/kernel/kernel.h"
#include "platform/linux/crt/crt.h"
#include "platform/linux/ole/ole.h"
#include "platform/linux/res/res.h"
#include "platform/linux/decl/driverui.h"
#include "platform/linux/spooler/winspool.h"
#include "platform/linux/bidi/bidispl.h"
#include "platform/linux/user/user.h"

#endif

// Declarations neither mingw-w64 nor the stand-in has: the Unidrv plug-in
// interfaces and records, the print ticket provider and core helper, the
// MSXML 6 class ids. Written once, in terms of the base types above.
#include "platform/windows/printoem.h"
#include "platform/windows/prcomoem.h"
#include "platform/windows/msxml6ids.h"

// Namespace constants of the print ticket side.
#pragma once

#include "platform/win32.h"

// The namespace of the plug-in's own features and parameters in tickets and
// capabilities.
constexpr WCHAR kPrivateNamespace[] = TEXT("http://schemas.microsoft.com/windows/printing/oemdriverpt/Condor-private");

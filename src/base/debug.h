// The plug-in's diagnostics: everything goes to the debugger output of the
// host process, never to a file. Each call site names its level; a line is
// produced only when gDebugLevel is that level or lower.
#pragma once

#include "platform/win32.h"

enum DebugLevel : INT {
    DBG_VERBOSE = 1,
    DBG_INFO = 2,
    DBG_WARNING = 3,
    DBG_ERROR = 4,
};

// A build-time setting: 3 lets warning and error lines through.
extern INT gDebugLevel;

// Wide writer: formats into a 260-unit buffer (text that does not fit is cut
// to 259 units) and writes it with OutputDebugStringW. FALSE for a null
// format or a failed allocation.
BOOL LogMsgW(const WCHAR *format, ...);
BOOL LogMsgVW(const WCHAR *format, va_list args);
// Narrow writer: the buffer starts at 1024 bytes and doubles until the text
// fits; written with OutputDebugStringA.
BOOL LogMsgA(const char *format, ...);
BOOL LogMsgVA(const char *format, va_list args);

// The level test of a call site, then the writer.
BOOL LogAtW(INT level, const WCHAR *format, ...);
BOOL LogAtA(INT level, const char *format, ...);

// The same test made before anything of the line is evaluated: a line
// below the level costs the comparison, no formatting, no argument and no
// output.
#define LOG_AT_W(level, ...) (gDebugLevel <= (level) ? LogMsgW(__VA_ARGS__) : FALSE)
#define VERBOSE(...) LOG_AT_W(DBG_VERBOSE, __VA_ARGS__)
#define INFO(...) LOG_AT_W(DBG_INFO, __VA_ARGS__)
#define WARNING(...) LOG_AT_W(DBG_WARNING, __VA_ARGS__)
#define ERR(...) LOG_AT_W(DBG_ERROR, __VA_ARGS__)

// Pointers and handles in the trace lines are shown with %#x, which takes a
// 32-bit value: on a 64-bit build only the low half is shown.
inline DWORD LogPtr(const void *p) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p)); }

#include "src/base/debug.h"

#include "src/base/unique.h"

INT gDebugLevel = DBG_WARNING;

namespace {

constexpr size_t kWideLogUnits = 260;
constexpr size_t kNarrowLogStart = 1024;
// Far beyond any line of the plug-in; stops the doubling on a runaway format.
constexpr size_t kNarrowLogLimit = 1u << 24;

}  // namespace

BOOL LogMsgVW(const WCHAR *format, va_list args)
{
    if (format == nullptr)
        return FALSE;

    unique_heap_block buffer(HeapAlloc(GetProcessHeap(), 0, kWideLogUnits * sizeof(WCHAR)));
    if (!buffer)
        return FALSE;

    // Not zero-filled: the formatting writes the text and its terminator,
    // and a format it refuses leaves the empty line.
    auto *text = static_cast<WCHAR *>(buffer.get());
    text[0] = 0;
    // Cut, not rejected: a long line keeps its first 259 units.
    _vsnwprintf_s(text, kWideLogUnits, _TRUNCATE, format, args);
    text[kWideLogUnits - 1] = 0;
    OutputDebugStringW(text);
    return TRUE;
}

BOOL LogMsgW(const WCHAR *format, ...)
{
    va_list args;
    va_start(args, format);
    BOOL ok = LogMsgVW(format, args);
    va_end(args);
    return ok;
}

BOOL LogMsgVA(const char *format, va_list args)
{
    if (format == nullptr)
        return FALSE;

    for (size_t size = kNarrowLogStart; size <= kNarrowLogLimit; size *= 2) {
        unique_heap_block buffer(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
        if (!buffer)
            return FALSE;

        auto *text = static_cast<char *>(buffer.get());
        va_list attempt;
        va_copy(attempt, args);
        int written = _vsnprintf_s(text, size, _TRUNCATE, format, attempt);
        va_end(attempt);
        if (written >= 0) {
            OutputDebugStringA(text);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL LogMsgA(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    BOOL ok = LogMsgVA(format, args);
    va_end(args);
    return ok;
}

BOOL LogAtW(INT level, const WCHAR *format, ...)
{
    if (gDebugLevel > level)
        return FALSE;
    va_list args;
    va_start(args, format);
    BOOL ok = LogMsgVW(format, args);
    va_end(args);
    return ok;
}

BOOL LogAtA(INT level, const char *format, ...)
{
    if (gDebugLevel > level)
        return FALSE;
    va_list args;
    va_start(args, format);
    BOOL ok = LogMsgVA(format, args);
    va_end(args);
    return ok;
}

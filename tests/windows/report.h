// The Windows test programs' report: one "ok" or "FAIL" line per check and a
// closing "N passed, N failed" line, which tools/wine-smoke.sh looks for.
// There is no test framework on the Windows side.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace report {

inline int passed, failed;

// A check's line; a failure's has the observed values after the name.
__attribute__((format(printf, 3, 4))) inline void checkf(bool ok, const char *what, const char *fmt, ...)
{
    ++(ok ? passed : failed);
    std::printf("%s %s%s", ok ? "ok  " : "FAIL", what, ok ? "\n" : ": ");
    if (ok)
        return;
    va_list args;
    va_start(args, fmt);
    std::vprintf(fmt, args);
    va_end(args);
    std::printf("\n");
}

inline void check(bool ok, const char *what) { checkf(ok, what, "%s", "failed"); }

// Prints the closing line; the program's exit code.
inline int finish()
{
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

// Text for a report line: ASCII as is, anything else as \uXXXX, so the line
// does not depend on the console's code page.
inline std::string printable(const std::wstring &s)
{
    std::string out;
    char buf[8];
    for (wchar_t c : s) {
        std::snprintf(buf, sizeof buf, c >= 0x20 && c < 0x7F ? "%c" : "\\u%04X", static_cast<unsigned>(c) & 0xFFFF);
        out += buf;
    }
    return out;
}

}  // namespace report

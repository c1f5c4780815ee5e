// The Windows test programs' report: one "ok" or "FAIL" line per check and a
// closing "N passed, N failed" line, which tools/wine-smoke.sh looks for.
// There is no test framework on the Windows side.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace report {

inline int passed;
inline int failed;

inline void check(bool ok, const char *what)
{
    ++(ok ? passed : failed);
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
}

// As check(), with the observed values in the failure line.
__attribute__((format(printf, 3, 4))) inline void checkf(bool ok, const char *what, const char *fmt, ...)
{
    if (ok) {
        ++passed;
        std::printf("ok   %s\n", what);
        return;
    }
    ++failed;
    std::printf("FAIL %s: ", what);
    va_list args;
    va_start(args, fmt);
    std::vprintf(fmt, args);
    va_end(args);
    std::printf("\n");
}

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
    for (wchar_t c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c) & 0xFFFF);
            out += buf;
        }
    }
    return out;
}

}  // namespace report

// The Windows test programs' report: one "ok" or "FAIL" line per check and a
// closing "N passed, N failed" line, which tools/wine-smoke.sh looks for
// (there is no test framework on the Windows side); and the walk the layout
// and keyboard checks share over every page and dialog in every language.
#pragma once

#include "winhost/host.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace report {

inline int passed, failed;

__attribute__((format(printf, 1, 2))) inline std::string format(const char *fmt, ...)
{
    char buf[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

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

// Unbuffered output; the DLL named on the command line, else the one beside the program.
inline std::wstring start(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return argc > 1 ? winhost::Wide(argv[1]) : winhost::BesideProgram(L"orvoui.dll");
}

inline std::vector<HWND> visibleControls(HWND parent)
{
    std::vector<HWND> controls;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)
            controls.push_back(c);
    return controls;
}

using Problems = std::vector<std::string>;

// Loads the plug-in and checks every page and dialog the harness shows in
// every language, US English first: each problem on a line of its own, then
// one ok/FAIL line per window (its name, then `rule`) naming the languages
// with problems.
inline void everyWindow(winhost::Host &host, const std::wstring &path, const std::string &rule,
                        const std::function<Problems(const winhost::Shown &)> &check)
{
    checkf(host.Load(path), "the plug-in loads and a printer of each model is added", "%s", host.Error().c_str());
    struct Result {
        std::string name, failing;
        int languages;
    };
    std::vector<Result> results;
    std::vector<winhost::Language> languages(std::begin(winhost::kLanguages), std::end(winhost::kLanguages));
    std::swap(languages[0], languages[1]);
    for (const winhost::Language &l : languages)
        host.Run(l.id, [&](const winhost::Shown &s) {
            std::string name = s.Name();
            auto r = std::find_if(results.begin(), results.end(), [&](const Result &r) { return r.name == name; });
            if (r == results.end())
                r = results.insert(r, {name, "", 0});
            ++r->languages;
            Problems problems = check(s);
            for (const std::string &p : problems)
                std::printf("     %s %s: %s\n", name.c_str(), l.tag, p.c_str());
            r->failing += problems.empty() ? "" : std::string(" ") + l.tag;
        });
    checkf(host.Error().empty(), "every page and dialog was shown", "%s", host.Error().c_str());
    for (const Result &r : results)
        checkf(r.languages == int(std::size(winhost::kLanguages)) && r.failing.empty(), (r.name + rule).c_str(),
               "%d languages, problems in%s", r.languages, r.failing.c_str());
}

}  // namespace report

#include "host/output.h"

#include "host/text.h"
#include "platform/win32.h"

#include <cstdarg>
#include <cstdio>

namespace host {

const char kDebugPrefix[] = "debug| ";

namespace {

bool g_echo = false;
size_t g_shown = 0;  // captured lines already written

// One OutputDebugString call may hold several lines or end without a line
// break; each line is written on its own, its line break removed.
void WriteDebugText(const std::string &text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::fprintf(stderr, "%s%s\n", kDebugPrefix, Printable(line).c_str());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

}  // namespace

void EchoDebugOutput(bool on)
{
    g_echo = on;
    g_shown = standin::DebugCaptureCount();
}

void FlushDebugOutput()
{
    if (!g_echo)
        return;
    size_t count = standin::DebugCaptureCount();
    if (count == g_shown)
        return;
    std::fflush(stdout);
    for (; g_shown < count; ++g_shown)
        WriteDebugText(standin::DebugCaptureLine(g_shown));
    std::fflush(stderr);
}

void Print(const char *format, ...)
{
    FlushDebugOutput();
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}

void PrintError(const char *format, ...)
{
    FlushDebugOutput();
    std::fflush(stdout);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

}  // namespace host

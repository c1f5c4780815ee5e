// Everything the host writes goes through here. With --debug the plug-in's
// debugger output is shown between the host's own lines, each captured line
// on a line of its own and marked, in the order things happened: before the
// host writes, what the plug-in wrote since is written first.
#pragma once

#include <string>

namespace host {

// Marks each of the plug-in's debugger lines in the host's output.
extern const char kDebugPrefix[];

// Shows the plug-in's debugger output (on stderr, stdout flushed first so a
// pipe of both keeps the order).
void EchoDebugOutput(bool on);
// Writes what the plug-in wrote since the last call; nothing without --debug.
void FlushDebugOutput();

// printf to stdout, and to stderr, after the plug-in's pending lines.
void Print(const char *format, ...) __attribute__((format(printf, 1, 2)));
void PrintError(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace host

// The print server the host works on: the embedded sample, or a saved state
// file given with --state.
#pragma once

#include "platform/win32.h"
#include "platform/linux/spooler/server.h"

#include <string>

namespace host {

// Loads the server for a command: the sample, or the state file (a file that
// does not exist yet starts as the sample). False with a message on stderr
// when the file cannot be read.
bool LoadServer(const std::string &stateFile);
// Saves a changed server back to the state file, atomically; nothing to do
// without one.
bool SaveServer(const std::string &stateFile);
// Ends the command's hold on its state file (the process's end does too).
void ReleaseServer();
// The printer named by --printer; false with a message on stderr when the
// name is missing or the server has no such printer.
bool FindPrinter(const std::string &name, standin::spooler::PrinterConfig &printer);
// The printer's stored settings record for a person to read.
std::string StoredSettings(const std::u16string &printer);
// The printer's stored distributed printing list and item selection, one
// "  list ..." or "  item ..." line each and a line per list entry; empty
// when it stores neither.
std::string StoredListAndItem(const std::u16string &printer);

}  // namespace host

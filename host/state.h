// The print server the host works on: the embedded sample, or a saved state
// file given with --state.
#pragma once

#include <string>

// Loads the server for a command: the sample, or the state file (a file that
// does not exist yet starts as the sample). False with a message on stderr
// when the file cannot be read.
bool LoadServer(const std::string &stateFile);
// Saves a changed server back to the state file, atomically; nothing to do
// without one.
bool SaveServer(const std::string &stateFile);

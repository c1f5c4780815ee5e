// Reading the files users hand the host: whole, within a size the caller
// sets, never blocking on a special file the caller has already refused.
#pragma once

#include <string>

namespace host {

// Reads the descriptor to its end. False, with the system's reason in
// `error`, when a read fails. Once more than `limit` bytes have come the read
// stops with `tooLarge` set; what was read stays in `bytes`.
bool ReadToEnd(int fd, long long limit, std::string &bytes, bool &tooLarge, std::string &error);

// Opens a regular file for reading without blocking (a FIFO given as a file
// must not hang the host) and tells its size. -1, with the reason in
// `error` (the file named as `shown`), when it cannot be opened or is not a
// regular file. The caller closes the descriptor.
int OpenRegularFile(const std::string &path, const std::string &shown, long long &size, std::string &error);

}  // namespace host

#include "host/files.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace host {

bool ReadToEnd(int fd, long long limit, std::string &bytes, bool &tooLarge, std::string &error)
{
    tooLarge = false;
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (got == 0)
            return true;
        bytes.append(chunk, static_cast<size_t>(got));
        if (static_cast<long long>(bytes.size()) > limit) {
            tooLarge = true;
            return true;
        }
    }
}

}  // namespace host

#include "host/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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

int OpenRegularFile(const std::string &path, const std::string &shown, long long &size, std::string &error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read " + shown + ": " + std::strerror(errno);
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = "cannot read " + shown + ": it is not a regular file";
        return -1;
    }
    size = static_cast<long long>(info.st_size);
    return fd;
}

}  // namespace host

#include "host/state.h"

#include "host/files.h"

#include "host/output.h"
#include "host/records.h"
#include "host/text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

// A state is a few hundred kilobytes at most; anything this large is not one.
constexpr off_t kMaxStateBytes = 16 << 20;

// The state file of this run. Its descriptor stays open, and locked, from
// the load to the end of the command: two commands on one state take turns,
// so neither loses the other's change.
struct LoadedState {
    bool existed = false;   // false: started from the sample, no file yet
    int fd = -1;            // the locked file
    std::string target;     // the file itself, links followed
    struct stat info = {};  // its mode and owner, kept by the save
    // The server's change count after the load: the same count at the
    // save means the same state, found without serialising it.
    unsigned long long changes = 0;
};

LoadedState g_loaded;

// A new load in the same process (a benchmark's loop, a test) ends the
// previous command's hold: its lock would otherwise keep the new one
// waiting on its own process for ever.
void Release()
{
    if (g_loaded.fd >= 0)
        ::close(g_loaded.fd);
    g_loaded = LoadedState{};
}

std::string Reason(int error) { return std::strerror(error); }

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Why a path that exists as a name cannot be read as a state; empty when it
// is a regular file.
std::string CheckStateFile(const std::string &path, const struct stat &link)
{
    struct stat info;
    if (S_ISLNK(link.st_mode) && stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return "it is a link to a file that does not exist";
        if (errno == ELOOP)
            return "it is a link that loops";
        return Reason(errno);
    }
    if (!S_ISLNK(link.st_mode))
        info = link;
    if (!S_ISREG(info.st_mode))
        return "it is not a regular file";
    return {};
}

bool ReadAll(int fd, std::string &text, std::string &error)
{
    bool tooLarge = false;
    if (!ReadToEnd(fd, kMaxStateBytes, text, tooLarge, error))
        return false;
    if (tooLarge) {
        error = "it is larger than a state can be (16 MB)";
        return false;
    }
    return true;
}

// Opens and locks the state file, waiting for a command that holds it. A
// command that saved meanwhile has put a new file in its place: the lock is
// then taken again on that one.
bool OpenLocked(const std::string &path, int &fd, struct stat &info, std::string &error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        struct stat link;
        if (lstat(path.c_str(), &link) != 0) {
            error = Reason(errno);
            return false;
        }
        error = CheckStateFile(path, link);
        if (!error.empty())
            return false;
        // Non-blocking: a FIFO put in the file's place meanwhile must not hang the open.
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            error = Reason(errno);
            return false;
        }
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            error = "it is not a regular file";
            ::close(fd);
            return false;
        }
        int locked = flock(fd, LOCK_EX | LOCK_NB);
        if (locked != 0 && errno == EWOULDBLOCK) {
            PrintError("orvoui-host: waiting for another command on %s\n", Printable(path).c_str());
            while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
            }
        }
        struct stat now;
        if (locked == 0 && stat(path.c_str(), &now) == 0 && now.st_dev == info.st_dev && now.st_ino == info.st_ino) {
            fstat(fd, &info);
            return true;
        }
        int why = errno;
        ::close(fd);
        fd = -1;
        if (locked != 0) {
            error = "cannot lock it: " + Reason(why);
            return false;
        }
    }
    error = "it keeps being replaced by other commands";
    return false;
}

bool WriteAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the text to a new file beside `target`, with the given mode and
// owner, flushed to disk; its name in `temp`.
bool WriteTemporary(const std::string &target, const std::string &text, mode_t mode, const struct stat *owner,
                    std::string &temp, std::string &error)
{
    temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = Reason(errno);
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    if (ok && owner != nullptr && (owner->st_uid != geteuid() || owner->st_gid != getegid()) &&
        ::fchown(fd, owner->st_uid, owner->st_gid) != 0) {
        error = "its owner cannot be kept (" + Reason(errno) + "): not replaced";
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    ok = ok && WriteAll(fd, text) && ::fsync(fd) == 0;
    int why = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = errno;
    }
    if (!ok) {
        error = Reason(why);
        ::unlink(temp.c_str());
    }
    return ok;
}

void SyncFolder(const std::string &path)
{
    // The rename or link itself reaches the disk with the folder.
    int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// Replaces the loaded file by the text: a new file beside it with the same
// mode and owner, renamed over it while the lock is held.
bool ReplaceLoaded(const std::string &text, std::string &error)
{
    const struct stat &info = g_loaded.info;
    if ((info.st_mode & 0222) == 0 || access(g_loaded.target.c_str(), W_OK) != 0) {
        error = "it is read-only: not replaced";
        return false;
    }
    std::string temp;
    if (!WriteTemporary(g_loaded.target, text, info.st_mode & 07777, &info, temp, error))
        return false;
    if (::rename(temp.c_str(), g_loaded.target.c_str()) != 0) {
        error = Reason(errno);
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(g_loaded.target);
    return true;
}

// Makes the file that did not exist at the load; refused when another
// command made it meanwhile, as its change would be lost.
bool CreateNew(const std::string &path, const std::string &text, std::string &error)
{
    mode_t mask = umask(0);
    umask(mask);
    std::string temp;
    if (!WriteTemporary(path, text, 0666 & ~mask, nullptr, temp, error))
        return false;
    bool linked = ::link(temp.c_str(), path.c_str()) == 0;
    int why = errno;
    ::unlink(temp.c_str());
    if (!linked) {
        error = why == EEXIST ? "another command made it meanwhile: not replaced" : Reason(why);
        return false;
    }
    SyncFolder(path);
    return true;
}

}  // namespace

bool LoadServer(const std::string &stateFile)
{
    Release();
    if (stateFile.empty()) {
        standin::spooler::LoadSample();
        return true;
    }
    const std::string shown = Printable(stateFile);
    struct stat link;
    if (lstat(stateFile.c_str(), &link) != 0) {
        // Only a file that is not there starts as the sample.
        if (errno != ENOENT) {
            PrintError("orvoui-host: cannot read %s: %s\n", shown.c_str(), Reason(errno).c_str());
            return false;
        }
        standin::spooler::LoadSample();
        Release();
        g_loaded.target = stateFile;
        g_loaded.changes = standin::spooler::Changes();
        return true;
    }

    int fd = -1;
    struct stat info;
    std::string error;
    if (!OpenLocked(stateFile, fd, info, error)) {
        PrintError("orvoui-host: cannot read %s: %s\n", shown.c_str(), error.c_str());
        return false;
    }
    std::string text;
    if (info.st_size > kMaxStateBytes) {
        error = "it is larger than a state can be (16 MB)";
    } else if (ReadAll(fd, text, error) && !standin::spooler::FromJson(text, &error)) {
        error = Printable(error);
    }
    if (!error.empty()) {
        ::close(fd);
        PrintError("orvoui-host: cannot load %s: %s\n", shown.c_str(), error.c_str());
        return false;
    }
    char *resolved = realpath(stateFile.c_str(), nullptr);
    Release();
    g_loaded.existed = true;
    g_loaded.fd = fd;  // held, and locked, until the process ends
    g_loaded.target = resolved != nullptr ? resolved : stateFile;
    std::free(resolved);
    g_loaded.info = info;
    g_loaded.changes = standin::spooler::Changes();
    return true;
}

void ReleaseServer() { Release(); }

bool SaveServer(const std::string &stateFile)
{
    if (stateFile.empty())
        return true;
    unsigned long long changes = standin::spooler::Changes();
    if (changes == g_loaded.changes)
        return true;  // nothing changed: nothing written
    std::string text = standin::spooler::ToJson();
    std::string error;
    if (static_cast<off_t>(text.size()) > kMaxStateBytes) {
        // It would not load again.
        PrintError("orvoui-host: cannot save %s: the server would be larger than a state can be (16 MB)\n",
                   Printable(stateFile).c_str());
        return false;
    }
    bool saved = g_loaded.existed ? ReplaceLoaded(text, error) : CreateNew(stateFile, text, error);
    if (!saved) {
        PrintError("orvoui-host: cannot save %s: %s\n", Printable(stateFile).c_str(), error.c_str());
        return false;
    }
    g_loaded.changes = changes;
    return true;
}

bool FindPrinter(const std::string &name, standin::spooler::PrinterConfig &printer)
{
    if (name.empty()) {
        PrintError("orvoui-host: --printer NAME is required\n");
        return false;
    }
    if (!standin::spooler::GetPrinter(Utf16(name), printer)) {
        PrintError("orvoui-host: no printer named '%s'\n", Printable(name).c_str());
        return false;
    }
    return true;
}

std::string StoredSettings(const std::u16string &printer)
{
    standin::spooler::DataValue value;
    if (!standin::spooler::GetData(printer, kSettingsValueName, value))
        return "none stored";
    return DescribeSettings(value.bytes, value.type);
}

std::string StoredListAndItem(const std::u16string &printer)
{
    std::string out;
    standin::spooler::DataValue value;
    if (standin::spooler::GetData(printer, u"DISTRIBUTEDLIST", value)) {
        std::vector<std::string> lines = DescribeDistributedList(value.bytes, value.type);
        out += "  list      " + lines[0] + "\n";
        for (size_t i = 1; i < lines.size(); ++i)
            out += "    " + lines[i] + "\n";
    }
    if (standin::spooler::GetData(printer, u"OEMUI_VALUE", value))
        out += "  item      " + DescribeItemValue(value.bytes, value.type) + "\n";
    return out;
}

}  // namespace host

// The file calls of kernel32 the plug-in makes for its debug dumps, over
// POSIX. Windows drive paths live under one folder of the Linux file system.
#include "platform/linux/kernel/kernel.h"

#include "platform/linux/crt/utf.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_set>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder drive paths live under: $STANDIN_DRIVE_ROOT, else one of the
// user's own, "orvoui-drives" in $XDG_RUNTIME_DIR or else in the user's
// cache folder ($XDG_CACHE_HOME, else ~/.cache): never one that every user
// of the machine shares, where one user's debug dumps would meet another's.
std::string driveRoot()
{
    const char *root = std::getenv("STANDIN_DRIVE_ROOT");
    if (root != nullptr && *root != '\0')
        return root;
    for (const char *variable : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME"}) {
        const char *folder = std::getenv(variable);
        if (folder != nullptr && folder[0] == '/')
            return std::string(folder) + "/orvoui-drives";
    }
    std::string home;
    if (const char *value = std::getenv("HOME"); value != nullptr && value[0] == '/')
        home = value;
    else if (const passwd *user = ::getpwuid(::geteuid()); user != nullptr && user->pw_dir != nullptr)
        home = user->pw_dir;
    return home.empty() ? std::string() : home + "/.cache/orvoui-drives";
}

// Whether drive paths may go under the root: a folder of this user's, made
// (private) with the folders above it when missing. One that another user
// owns is refused: what it holds or receives is not this user's. A root
// once found good is not looked at again.
bool ownRoot(const std::string &root)
{
    static std::mutex lock;
    static std::unordered_set<std::string> good;
    std::lock_guard<std::mutex> guard(lock);
    if (root.empty() || root[0] != '/')
        return false;
    if (good.count(root) != 0)
        return true;
    for (size_t slash = root.find('/', 1); slash != std::string::npos; slash = root.find('/', slash + 1))
        ::mkdir(root.substr(0, slash).c_str(), 0700);
    ::mkdir(root.c_str(), 0700);
    struct stat st;
    if (::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    good.insert(root);
    return true;
}

// mkdir -p of every parent of path (not path itself).
void makeParents(const std::string &path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0777);
}

// The folders mapping has made, so a path in a folder met before costs no
// system call. A folder removed behind the stand-in's back is made again
// by the call whose open fails for it (RemakeParents).
std::mutex gFoldersLock;
std::unordered_set<std::string> gFolders;

void makeParentsOnce(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return;
    std::string folder = path.substr(0, slash);
    std::lock_guard<std::mutex> guard(gFoldersLock);
    if (gFolders.count(folder) != 0)
        return;
    makeParents(path);
    gFolders.insert(std::move(folder));
}

DWORD errorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// A path whose folder does not exist is ERROR_PATH_NOT_FOUND on Windows.
DWORD missingError(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return ERROR_FILE_NOT_FOUND;
    struct stat st;
    if (::stat(path.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

DWORD lastErrorFromErrno(const std::string &path)
{
    if (path.empty())
        return ERROR_ACCESS_DENIED;  // a drive path under a root that is not the user's
    int error = errno;
    return error == ENOENT ? missingError(path) : errorFromErrno(error);
}

}  // namespace

namespace standin {

std::string MapWindowsPath(const WCHAR *path)
{
    if (path == nullptr)
        return std::string();
    size_t n = 0;
    while (path[n] != 0)
        ++n;
    std::string utf8;
    standin::utf::AppendUtf8(path, n, utf8);
    for (char &c : utf8)
        if (c == '\\')
            c = '/';
    bool drive = utf8.size() >= 2 && utf8[1] == ':' &&
                 ((utf8[0] >= 'A' && utf8[0] <= 'Z') || (utf8[0] >= 'a' && utf8[0] <= 'z'));
    if (!drive)
        return utf8;
    char letter = static_cast<char>(utf8[0] | 0x20);
    std::string rest = utf8.substr(2);
    if (rest.empty() || rest[0] != '/')
        rest.insert(rest.begin(), '/');
    std::string root = driveRoot();
    if (!ownRoot(root))
        return std::string();
    std::string mapped = root + "/" + letter + rest;
    makeParentsOnce(mapped);
    return mapped;
}

bool RemakeParents(const std::string &path)
{
    if (errno != ENOENT)
        return false;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return false;
    std::lock_guard<std::mutex> guard(gFoldersLock);
    if (gFolders.count(path.substr(0, slash)) == 0)
        return false;  // not a folder mapping made: the failure stands
    makeParents(path);
    return true;
}

}  // namespace standin

extern "C" {

BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    if (standin::ShouldFail("MoveFileExW"))
        return FALSE;
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr ||
        (dwFlags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string from = standin::MapWindowsPath(lpExistingFileName);
    std::string to = standin::MapWindowsPath(lpNewFileName);
    struct stat st;
    if ((dwFlags & MOVEFILE_REPLACE_EXISTING) != 0) {
        // rename(2) replaces whatever is at the target, a symbolic link
        // included, and never follows it. Which name a failure is about is
        // asked only after it failed.
        int renamed = ::rename(from.c_str(), to.c_str());
        if (renamed != 0 && errno == ENOENT && ::lstat(from.c_str(), &st) != 0) {
            SetLastError(lastErrorFromErrno(from));
            return FALSE;
        }
        if (renamed != 0 && standin::RemakeParents(to))
            renamed = ::rename(from.c_str(), to.c_str());
        if (renamed != 0) {
            SetLastError(lastErrorFromErrno(to));
            return FALSE;
        }
        return TRUE;
    }
    if (::lstat(from.c_str(), &st) != 0) {
        SetLastError(lastErrorFromErrno(from));
        return FALSE;
    }
    // Without the flag the target must not exist, whatever it is.
    int linked = ::link(from.c_str(), to.c_str());
    if (linked != 0 && standin::RemakeParents(to))
        linked = ::link(from.c_str(), to.c_str());
    if (linked != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : lastErrorFromErrno(to));
        return FALSE;
    }
    ::unlink(from.c_str());
    return TRUE;
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName)
{
    if (standin::ShouldFail("DeleteFileW"))
        return FALSE;
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = standin::MapWindowsPath(lpFileName);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::unlink(path.c_str()) != 0) {
        SetLastError(lastErrorFromErrno(path));
        return FALSE;
    }
    return TRUE;
}

UINT WINAPI GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName)
{
    if (standin::ShouldFail("GetTempFileNameW"))
        return 0;
    if (lpPathName == nullptr || lpTempFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static std::atomic<unsigned> counter{static_cast<unsigned>(::getpid())};
    // The name the caller gets is a Windows name in the folder it gave:
    // the folder, the first three characters of the prefix, four hex
    // digits and ".tmp".
    std::u16string folder(lpPathName);
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/')
        folder += u'\\';
    std::u16string prefix;
    for (int i = 0; lpPrefixString != nullptr && i < 3 && lpPrefixString[i] != 0; ++i)
        prefix += lpPrefixString[i];
    for (int attempt = 0; attempt < 0x10000; ++attempt) {
        UINT unique = uUnique & 0xFFFF;
        if (uUnique == 0) {
            unique = counter.fetch_add(1) & 0xFFFF;
            if (unique == 0)
                unique = 1;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", unique);
        std::u16string name = folder + prefix;
        for (const char *h = hex; *h; ++h)
            name += static_cast<char16_t>(*h);
        name += u".tmp";
        if (name.size() + 1 > MAX_PATH) {
            SetLastError(ERROR_INVALID_NAME);
            return 0;
        }
        if (uUnique != 0) {
            // A given number only builds the name; no file is made.
            std::copy(name.begin(), name.end(), lpTempFileName);
            lpTempFileName[name.size()] = 0;
            return unique;
        }
        std::string path = standin::MapWindowsPath(name.c_str());
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && standin::RemakeParents(path))
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            std::copy(name.begin(), name.end(), lpTempFileName);
            lpTempFileName[name.size()] = 0;
            return unique;
        }
        if (errno != EEXIST) {
            SetLastError(lastErrorFromErrno(path));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName)
{
    if (standin::ShouldFail("GetFileAttributesW"))
        return INVALID_FILE_ATTRIBUTES;
    if (lpFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string path = standin::MapWindowsPath(lpFileName);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        SetLastError(lastErrorFromErrno(path));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISLNK(st.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if ((st.st_mode & 0222) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

}  // extern "C"

// Builds the spooler's packed reply buffers: the fixed structures first,
// then what their pointers point at, all inside the caller's one buffer.
// Each reply is laid out twice with the same code: once without a buffer to
// learn the size it needs, then into the buffer when it is large enough.
#pragma once

#include "platform/linux/spooler/winspool.h"

#include <cstring>
#include <string>

namespace standin::spooler::detail {

class Packer {
public:
    explicit Packer(BYTE *buffer = nullptr) : base_(buffer) {}

    size_t Size() const { return used_; }
    bool Writing() const { return base_ != nullptr; }

    // Room for n bytes at the given alignment from the buffer's start;
    // null while measuring.
    void *Reserve(size_t n, size_t align)
    {
        used_ = (used_ + align - 1) / align * align;
        void *at = base_ != nullptr ? base_ + used_ : nullptr;
        used_ += n;
        return at;
    }

    template <typename T>
    T *Struct(size_t count = 1)
    {
        void *at = Reserve(sizeof(T) * count, alignof(void *));
        if (at != nullptr)
            std::memset(at, 0, sizeof(T) * count);
        return static_cast<T *>(at);
    }

    void *Bytes(const void *data, size_t n, size_t align)
    {
        void *at = Reserve(n, align);
        if (at != nullptr && n != 0)
            std::memcpy(at, data, n);
        return at;
    }

    // The string and one terminator. A string with embedded zeros (a
    // double-terminated list) thus gets its final second zero.
    WCHAR *String(const std::u16string &s)
    {
        auto *at = static_cast<WCHAR *>(Reserve((s.size() + 1) * sizeof(WCHAR), alignof(WCHAR)));
        if (at != nullptr) {
            if (!s.empty())
                std::memcpy(at, s.data(), s.size() * sizeof(WCHAR));
            at[s.size()] = 0;
        }
        return at;
    }

private:
    BYTE *base_;
    size_t used_ = 0;
};

// Runs fill (a callable taking a Packer&) to measure, then, when cbBuf
// holds the result, to write. Sets *pcbNeeded and the platform's errors.
template <typename Fill>
BOOL PackReply(LPBYTE buffer, DWORD cbBuf, LPDWORD pcbNeeded, Fill fill)
{
    Packer measure;
    fill(measure);
    *pcbNeeded = static_cast<DWORD>(measure.Size());
    if (buffer == nullptr && cbBuf != 0) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (cbBuf < measure.Size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    Packer write(buffer);
    fill(write);
    return TRUE;
}

}  // namespace standin::spooler::detail

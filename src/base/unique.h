// Ownership of what the plug-in holds beyond one statement. Each resource
// type is declared once, in one line, on unique_any; closing keeps the
// thread's last error as the failing call left it.
#pragma once

#include "platform/win32.h"

#include <utility>

template <typename T, typename Close, Close close, T invalid = T()>
class unique_any {
public:
    unique_any() noexcept = default;
    explicit unique_any(T value) noexcept : value_(value) {}
    unique_any(const unique_any &) = delete;
    unique_any &operator=(const unique_any &) = delete;
    unique_any(unique_any &&other) noexcept : value_(other.Take()) {}
    unique_any &operator=(unique_any &&other) noexcept
    {
        if (this != &other)
            reset(other.Take());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != invalid; }
    // Hands ownership to the caller.
    [[nodiscard]] T Take() noexcept { return std::exchange(value_, invalid); }
    // For out-parameters: releases what is held and gives the slot.
    T *put() noexcept
    {
        reset();
        return &value_;
    }
    void reset(T value = invalid) noexcept
    {
        T old = std::exchange(value_, value);
        if (old != invalid) {
            DWORD lastError = GetLastError();
            close(old);
            SetLastError(lastError);
        }
    }

private:
    T value_ = invalid;
};

namespace unique_detail {
inline void HeapFreeProcess(void *p) { HeapFree(GetProcessHeap(), 0, p); }
}  // namespace unique_detail

using unique_heap_block =
    unique_any<void *, decltype(&unique_detail::HeapFreeProcess), &unique_detail::HeapFreeProcess>;
using unique_global = unique_any<HGLOBAL, decltype(&GlobalFree), &GlobalFree>;
using unique_cotaskmem = unique_any<void *, decltype(&CoTaskMemFree), &CoTaskMemFree>;
using unique_bstr = unique_any<BSTR, decltype(&SysFreeString), &SysFreeString>;
using unique_printer = unique_any<HANDLE, decltype(&ClosePrinter), &ClosePrinter>;
using unique_gdiobj = unique_any<HGDIOBJ, decltype(&DeleteObject), &DeleteObject>;

// A COM interface pointer holding one reference.
template <typename I>
class com_ptr {
public:
    com_ptr() noexcept = default;
    // Adopts a reference the caller already holds.
    explicit com_ptr(I *p) noexcept : p_(p) {}
    com_ptr(const com_ptr &) = delete;
    com_ptr &operator=(const com_ptr &) = delete;
    com_ptr(com_ptr &&other) noexcept : p_(other.Take()) {}
    com_ptr &operator=(com_ptr &&other) noexcept
    {
        if (this != &other)
            reset(other.Take());
        return *this;
    }
    ~com_ptr() { reset(); }

    I *get() const noexcept { return p_; }
    I *operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    [[nodiscard]] I *Take() noexcept { return std::exchange(p_, nullptr); }
    void **put_void() noexcept
    {
        reset();
        return reinterpret_cast<void **>(&p_);
    }
    I **put() noexcept
    {
        reset();
        return &p_;
    }
    void reset(I *p = nullptr) noexcept
    {
        I *old = std::exchange(p_, p);
        if (old != nullptr) {
            DWORD lastError = GetLastError();
            old->Release();
            SetLastError(lastError);
        }
    }

private:
    I *p_ = nullptr;
};

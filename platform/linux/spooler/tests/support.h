// What the print server's tests share: a fixture that starts from the
// sample server and checks that every printer handle is closed again, and
// small helpers around the winspool calls.
#pragma once

#include "platform/win32.h"
#include "platform/linux/spooler/server.h"
#include "platform/linux/testing/leakcheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace spoolertest {

namespace sp = standin::spooler;

using standin_testing::kMagicDead;

class SpoolerTest : public standin_testing::LeakCheckTest {
protected:
    void SetUp() override
    {
        sp::LoadSample();
        LeakCheckTest::SetUp();
    }
};

inline LPWSTR W(const char16_t *text) { return const_cast<LPWSTR>(text); }

// A printer handle that closes itself.
class Printer {
public:
    explicit Printer(const char16_t *name, DWORD access = PRINTER_ALL_ACCESS)
    {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        if (!OpenPrinterW(W(name), &handle_, &defaults))
            handle_ = nullptr;
    }
    ~Printer()
    {
        if (handle_ != nullptr)
            ClosePrinter(handle_);
    }
    Printer(const Printer &) = delete;
    Printer &operator=(const Printer &) = delete;
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;
};

// A reply buffer with guard bytes behind the part the call may write.
struct Reply {
    std::vector<BYTE> bytes;
    DWORD size = 0;
    BYTE *data() { return bytes.data(); }
    bool Inside(const void *p) const
    {
        auto *b = static_cast<const BYTE *>(p);
        return b >= bytes.data() && b < bytes.data() + size;
    }
    bool GuardIntact() const
    {
        for (size_t i = size; i < bytes.size(); ++i)
            if (bytes[i] != 0xCC)
                return false;
        return true;
    }
};

// The size query, then the fetch into exactly that size; fails the test
// when the protocol is not kept.
template <typename Call>
Reply Fetch(Call call)
{
    Reply reply;
    DWORD needed = 0;
    SetLastError(kMagicDead);
    EXPECT_FALSE(call(nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GT(needed, 0u);
    reply.size = needed;
    reply.bytes.assign(needed + 64, 0xCC);
    DWORD again = 0;
    EXPECT_TRUE(call(reply.data(), needed, &again));
    EXPECT_EQ(again, needed);
    EXPECT_TRUE(reply.GuardIntact());
    return reply;
}

inline std::u16string Str(const WCHAR *text) { return text != nullptr ? std::u16string(text) : u"(null)"; }

// For failure messages: GoogleTest streams no UTF-16.
inline std::string U8(const std::u16string &text)
{
    std::string out(text.size() * 3 + 1, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

}  // namespace spoolertest

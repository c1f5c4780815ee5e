#include "platform/win32.h"
#include "platform/linux/testing/leakcheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using standin_testing::kMagicDead;

// Every test must give back the blocks, heaps and handles it took.
class KernelTest : public standin_testing::LeakCheckTest {};

TEST_F(KernelTest, LastErrorIsPerThread)
{
    SetLastError(kMagicDead);
    DWORD seen = 1, set = 0;
    std::thread([&] {
        seen = GetLastError();
        SetLastError(ERROR_ACCESS_DENIED);
        set = GetLastError();
    }).join();
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(set, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetLastError(), kMagicDead);
}

// Blocks are zeroed as asked, also the part a reallocation adds; freeing a
// block that is not the heap's (the C runtime's, the stack, one freed
// already) fails instead of corrupting the heap.
TEST_F(KernelTest, HeapBlocksAndForeignFrees)
{
    auto *p = static_cast<unsigned char *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 100));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(standin::GetCounters().heapBlocks, Before().heapBlocks + 1);
    EXPECT_EQ(std::count(p, p + 100, 0), 100);
    std::memset(p, 0xAB, 100);
    auto *q = static_cast<unsigned char *>(HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, p, 4000));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q[99], 0xAB);
    EXPECT_EQ(std::count(q + 100, q + 4000, 0), 3900);
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, q));
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, nullptr));

    void *fromMalloc = std::malloc(16);
    int onStack = 0;
    for (void *foreign : {fromMalloc, static_cast<void *>(&onStack), static_cast<void *>(q)})
        EXPECT_FAILS_WITH(HeapFree(GetProcessHeap(), 0, foreign), ERROR_INVALID_PARAMETER);
    std::free(fromMalloc);
}

TEST_F(KernelTest, GlobalFixedBlocks)
{
    HGLOBAL fixed = GlobalAlloc(GPTR, 64);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(GlobalLock(fixed), fixed);  // a fixed handle is its pointer
    EXPECT_EQ(static_cast<BYTE *>(fixed)[63], 0);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
    EXPECT_RESULT_AND_ERROR(GlobalFree(fixed), fixed, ERROR_INVALID_HANDLE);  // already freed: the handle comes back
}

TEST_F(KernelTest, FailNextCountsSkipsAndSetsTheError)
{
    standin::FailNext("HeapAlloc", 2, ERROR_OUTOFMEMORY, 1);
    void *first = HeapAlloc(GetProcessHeap(), 0, 8);
    EXPECT_NE(first, nullptr);
    for (int i = 0; i < 2; ++i)
        EXPECT_RESULT_AND_ERROR(HeapAlloc(GetProcessHeap(), 0, 8), nullptr, ERROR_OUTOFMEMORY);
    void *fourth = HeapAlloc(GetProcessHeap(), 0, 8);
    EXPECT_NE(fourth, nullptr);
    HeapFree(GetProcessHeap(), 0, first);
    HeapFree(GetProcessHeap(), 0, fourth);
    EXPECT_EQ(standin::PlannedSkips("HeapAlloc"), -1) << "both faults injected: no plan left";

    standin::FailNext("GetFormW", 1, ERROR_OUTOFMEMORY, 5);
    EXPECT_EQ(standin::PlannedSkips("GetFormW"), 5);
    FORM_INFO_1W form = {};
    DWORD needed = 0;
    GetFormW(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(&form), sizeof(form), &needed);
    EXPECT_EQ(standin::PlannedSkips("GetFormW"), 4) << "a call counts against the plan";
    standin::FailNext("GetFormW", 0);
    EXPECT_EQ(standin::PlannedSkips("GetFormW"), -1);

    standin::FailNext("GlobalAlloc", -1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(GlobalAlloc(GPTR, 1), nullptr);
    EXPECT_EQ(GlobalAlloc(GPTR, 1), nullptr);
    standin::ClearFaults();
    EXPECT_EQ(GlobalFree(GlobalAlloc(GPTR, 1)), nullptr);
}

DWORD WINAPI countUp(LPVOID parameter)
{
    for (int i = 0; i < 10000; ++i)
        InterlockedIncrement(static_cast<LONG *>(parameter));
    return 0;
}

DWORD WINAPI waitForFlag(LPVOID parameter)
{
    while (InterlockedCompareExchange(static_cast<LONG *>(parameter), 0, 0) == 0)
        Sleep(1);
    return 0;
}

// Threads run at once and are counted until closed; a wait times out while
// the thread runs and ends when it does.
TEST_F(KernelTest, ThreadsRunAndAreWaitedFor)
{
    LONG count = 0, flag = 0;
    HANDLE threads[4];
    for (HANDLE &thread : threads)
        ASSERT_NE(thread = CreateThread(nullptr, 0, countUp, &count, 0, nullptr), nullptr);
    EXPECT_EQ(standin::GetCounters().threads, Before().threads + 4);
    for (HANDLE thread : threads) {
        EXPECT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_TRUE(CloseHandle(thread));
    }
    EXPECT_EQ(count, 40000);
    HANDLE waiting = CreateThread(nullptr, 0, waitForFlag, &flag, 0, nullptr);
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(WaitForSingleObject(waiting, 10), static_cast<DWORD>(WAIT_TIMEOUT));
    InterlockedExchange(&flag, 1);
    EXPECT_EQ(WaitForSingleObject(waiting, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(waiting));
    EXPECT_FAILS_WITH(CloseHandle(waiting), ERROR_INVALID_HANDLE);
    standin::FailNext("CreateThread", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_RESULT_AND_ERROR(CreateThread(nullptr, 0, countUp, &count, 0, nullptr), nullptr, ERROR_NOT_ENOUGH_MEMORY);
}

// Tests map the drives into a folder of the process's own; otherwise they
// go into one of the user's own, made private, and a root that another
// user owns is refused.
TEST_F(KernelTest, DrivesMapIntoAFolderOfTheUsersOwn)
{
    const std::string base = standin_testing::OwnDriveRoot();
    const char *names[] = {"STANDIN_DRIVE_ROOT", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME"};
    std::string saved[4];
    for (int i = 0; i < 4; ++i) {
        const char *value = std::getenv(names[i]);
        saved[i] = value != nullptr ? value : "";
        unsetenv(names[i]);
    }
    const WCHAR *file = u"C:\\Users\\Public\\PtToDev_in.xml";
    struct Case {
        const char *variable, *value, *root;
    } cases[] = {{"HOME", "/home", "/home/.cache/orvoui-drives"},
                 {"XDG_CACHE_HOME", "/cache", "/cache/orvoui-drives"},
                 {"XDG_RUNTIME_DIR", "/run", "/run/orvoui-drives"}};
    for (const Case &c : cases) {
        setenv(c.variable, (base + c.value).c_str(), 1);
        EXPECT_EQ(standin::MapWindowsPath(file), base + c.root + "/c/Users/Public/PtToDev_in.xml");
        struct stat info = {};
        EXPECT_EQ(stat((base + c.root).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u) << c.root;
    }
    std::string theirs = base + "/theirs";
    ASSERT_EQ(mkdir(theirs.c_str(), 0755), 0);
    if (chown(theirs.c_str(), 65534, 65534) == 0) {
        setenv("STANDIN_DRIVE_ROOT", theirs.c_str(), 1);
        EXPECT_EQ(standin::MapWindowsPath(file), "");
        EXPECT_RESULT_AND_ERROR(GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES, ERROR_ACCESS_DENIED);
    }
    for (int i = 0; i < 4; ++i) {
        if (saved[i].empty())
            unsetenv(names[i]);
        else
            setenv(names[i], saved[i].c_str(), 1);
    }
}

TEST_F(KernelTest, DebugOutputIsCapturedAsUtf8)
{
    standin::DebugCaptureClear();
    OutputDebugStringW(u"UI:  caf\u00e9 \u4e2d\r\n");
    OutputDebugStringA("UI:  narrow");
    OutputDebugStringW(nullptr);
    ASSERT_EQ(standin::DebugCaptureCount(), 2u);
    EXPECT_STREQ(standin::DebugCaptureLine(0), "UI:  caf\xc3\xa9 \xe4\xb8\xad\r\n");
    EXPECT_STREQ(standin::DebugCaptureLine(1), "UI:  narrow");
}

TEST_F(KernelTest, UiLanguageComesFromTheEnvironmentAndTheThread)
{
    for (auto [value, language] :
         {std::pair<const char *, LANGID>{nullptr, 0x0409}, {"0x0804", 0x0804}, {"1031", 0x0407}, {"german", 0x0409}}) {
        value != nullptr ? setenv("STANDIN_UI_LANGUAGE", value, 1) : unsetenv("STANDIN_UI_LANGUAGE");
        EXPECT_EQ(GetUserDefaultUILanguage(), language) << (value != nullptr ? value : "unset");
    }
    unsetenv("STANDIN_UI_LANGUAGE");

    EXPECT_EQ(SetThreadUILanguage(0x0411), 0x0411);
    LANGID other = 0;
    std::thread([&] { other = GetThreadUILanguage(); }).join();
    EXPECT_EQ(other, 0x0409);
    EXPECT_EQ(GetThreadUILanguage(), 0x0411);
    SetThreadUILanguage(0);
    EXPECT_EQ(GetThreadUILanguage(), 0x0409);
}

}  // namespace

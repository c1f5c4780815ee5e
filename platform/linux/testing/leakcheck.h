// The base of every test suite, the stand-in's and the plug-in's: a test
// starts with no planned faults and ends with every thread it started
// returned and every heap block, heap, global block, thread handle, task
// block, system string, COM object, printer handle, window and GDI object
// it made given back. A suite with counts of its own (the plug-in's live
// objects) adds them through ExtraCount.
#pragma once

#include "platform/win32.h"

#include "platform/linux/user/automation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <ftw.h>
#include <stdio.h>

namespace standin_testing {

// A last error no call sets by itself: set before a call whose last error
// its contract fixes, so a call that forgets to set one is seen.
constexpr DWORD kMagicDead = 0xDEADBEEF;

// Each test process maps the Windows drives into a folder of its own, made
// when its first test starts and removed when it exits: suites run side by
// side (ctest -j) and runs of two checkouts at once never meet in one.
inline const std::string &OwnDriveRoot()
{
    // Never destroyed: the removal at exit still needs the name.
    static const std::string *root = [] {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/orvoui-drives.XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr)
            return new std::string();
        setenv("STANDIN_DRIVE_ROOT", pattern.c_str(), 1);
        std::atexit([] {
            auto removeOne = [](const char *path, const struct stat *, int, struct FTW *) { return remove(path); };
            nftw(OwnDriveRoot().c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
        });
        return new std::string(pattern);
    }();
    return *root;
}

// Wine's way of pinning a failure: a sentinel before, the exact error after.
#define EXPECT_FAILS_WITH(call, error)                                                                                 \
    do {                                                                                                               \
        SetLastError(::standin_testing::kMagicDead);                                                                   \
        EXPECT_FALSE(call);                                                                                            \
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(error)) << #call;                                                 \
    } while (0)

// The same for calls that answer with a value: the value and the last error.
#define EXPECT_RESULT_AND_ERROR(call, result, error)                                                                   \
    do {                                                                                                               \
        SetLastError(::standin_testing::kMagicDead);                                                                   \
        EXPECT_EQ(call, result) << #call;                                                                              \
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(error)) << #call;                                                 \
    } while (0)

class LeakCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(OwnDriveRoot().empty()) << "no drive folder of the test's own";
        standin::ClearFaults();
        before_ = standin::GetCounters();
        runningBefore_ = standin::RunningThreads();
        windowsBefore_ = standin::ui::WindowCount();
        extraBefore_ = ExtraCount();
    }

    void TearDown() override
    {
        standin::ClearFaults();
        // A worker on its way out gets a few seconds, the messages it may
        // send to this thread served meanwhile.
        for (int wait = 0; wait < 500 && standin::RunningThreads() > runningBefore_; ++wait) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            Sleep(10);
        }
        EXPECT_EQ(runningBefore_, standin::RunningThreads()) << "threads still running";
        standin::Counters after = standin::GetCounters();
        EXPECT_EQ(before_.heapBlocks, after.heapBlocks) << "heap blocks leaked";
        EXPECT_EQ(before_.heaps, after.heaps) << "heaps leaked";
        EXPECT_EQ(before_.globalBlocks, after.globalBlocks) << "global blocks leaked";
        EXPECT_EQ(before_.threads, after.threads) << "thread handles leaked";
        EXPECT_EQ(before_.taskBlocks, after.taskBlocks) << "task memory leaked";
        EXPECT_EQ(before_.bstrs, after.bstrs) << "system strings leaked";
        EXPECT_EQ(before_.comObjects, after.comObjects) << "COM objects leaked";
        EXPECT_EQ(before_.printerHandles, after.printerHandles) << "printer handles leaked";
        EXPECT_EQ(before_.gdiObjects, after.gdiObjects) << "GDI objects leaked";
        EXPECT_EQ(windowsBefore_, standin::ui::WindowCount()) << "windows leaked";
        EXPECT_EQ(extraBefore_, ExtraCount()) << "objects of the suite still alive";
    }

    virtual long ExtraCount() const { return 0; }
    // The counts when the test started, for tests that check a count moved.
    const standin::Counters &Before() const { return before_; }

private:
    standin::Counters before_{};
    long runningBefore_ = 0;
    long windowsBefore_ = 0;
    long extraBefore_ = 0;
};

}  // namespace standin_testing

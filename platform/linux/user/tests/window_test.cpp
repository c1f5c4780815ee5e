// Windows and messages: ownership, destruction order, window longs, queues,
// and SendMessageW between threads.
#include "platform/linux/user/tests/fixture.h"

#include <atomic>
#include <thread>

namespace usertest {
namespace {

struct Trace {
    std::mutex lock;
    std::vector<std::pair<HWND, UINT>> seen;
};
Trace gTrace;

LRESULT CALLBACK TracingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY || msg == WM_NCDESTROY || msg == WM_APP || msg == WM_PAINT || msg == WM_ERASEBKGND) {
        std::lock_guard<std::mutex> lock(gTrace.lock);
        gTrace.seen.emplace_back(hwnd, msg);
    }
    if (msg == WM_APP)
        return LRESULT(GetCurrentThreadId());
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class WindowTest : public UserTest {
protected:
    void SetUp() override
    {
        UserTest::SetUp();
        WNDCLASSW wc{};
        wc.lpfnWndProc = TracingProc;
        wc.lpszClassName = u"StandinTraced";
        wc.cbWndExtra = 16;
        ASSERT_NE(RegisterClassW(&wc), 0);
        std::lock_guard<std::mutex> lock(gTrace.lock);
        gTrace.seen.clear();
    }
    void TearDown() override
    {
        EXPECT_TRUE(UnregisterClassW(u"StandinTraced", nullptr));
        UserTest::TearDown();
    }
    static HWND Top(DWORD style = WS_OVERLAPPEDWINDOW, HWND owner = nullptr)
    {
        return CreateWindowExW(0, u"StandinTraced", u"top", style, 10, 20, 300, 200, owner, nullptr, nullptr, nullptr);
    }
    static HWND Child(HWND parent, int id)
    {
        return CreateWindowExW(0, u"StandinTraced", u"child", WS_CHILD | WS_VISIBLE, 5, 6, 50, 40, parent,
                               reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
    }
};

TEST_F(WindowTest, AStaleHandleFailsWithThePlatformsError)
{
    HWND stale = Top();
    ASSERT_TRUE(DestroyWindow(stale));
    EXPECT_RESULT_AND_ERROR(SendMessageW(stale, WM_GETTEXTLENGTH, 0, 0), 0, ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FAILS_WITH(PostMessageW(stale, WM_APP, 0, 0), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(IsWindow(stale));
}

TEST_F(WindowTest, DestroyGoesDownWithWmDestroyAndBackUpWithWmNcDestroy)
{
    HWND top = Top();
    HWND child = Child(top, 1);
    HWND grandchild = Child(child, 2);
    HWND owned = Top(WS_POPUP, child);  // owned by the top-level ancestor
    EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
    EXPECT_EQ(GetParent(owned), top);
    EXPECT_EQ(GetParent(child), top);

    ASSERT_TRUE(DestroyWindow(top));
    std::vector<std::pair<HWND, UINT>> expected = {
        {owned, WM_DESTROY},      {owned, WM_NCDESTROY},      {top, WM_DESTROY},     {child, WM_DESTROY},
        {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY},
    };
    std::vector<std::pair<HWND, UINT>> seen;
    for (auto &s : gTrace.seen)
        if (s.second == WM_DESTROY || s.second == WM_NCDESTROY)
            seen.push_back(s);
    EXPECT_EQ(seen, expected);
    for (HWND h : {top, child, grandchild, owned})
        EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowTest, WindowLongsUseThe64BitDialogOffsets)
{
    // The layouts of 64-bit Windows, which the plug-in's offsets assume.
    static_assert(DWLP_MSGRESULT == 0 && DWLP_DLGPROC == 8 && DWLP_USER == 16, "dialog window longs");
    static_assert(sizeof(PROPSHEETPAGEW) == 104 && offsetof(PROPSHEETPAGEW, lParam) == 48 &&
                      PROPSHEETPAGEW_V1_SIZE == 72,
                  "property sheet pages");
    static_assert(sizeof(LVITEMW) == 88 && sizeof(NMITEMACTIVATE) == 72 && sizeof(DIBSECTION) == 104 &&
                      sizeof(DLGTEMPLATE) == 18,
                  "list view, bitmap and template records");

    HWND top = Top();
    HWND child = Child(top, 77);
    EXPECT_EQ(GetDlgCtrlID(child), 77);
    SetLastError(standin_testing::kMagicDead);
    EXPECT_EQ(SetWindowLongPtrW(top, GWLP_USERDATA, 42), 0);
    EXPECT_EQ(GetLastError(), standin_testing::kMagicDead) << "success leaves the last error";
    EXPECT_EQ(SetWindowLongPtrW(top, GWLP_USERDATA, 43), 42) << "the previous value comes back";
    EXPECT_EQ(GetWindowLongPtrW(top, 9), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
    LONG style = GetWindowLongW(child, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(EnableWindow(child, FALSE)) << "was enabled";
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(EnableWindow(child, TRUE)) << "was disabled";
    DestroyWindow(top);
}

TEST_F(WindowTest, PostedMessagesWaitInOrderAndGoWithTheirWindow)
{
    HWND top = Top();
    PostMessageW(top, WM_APP, 1, 0);
    PostMessageW(top, WM_APP, 2, 0);
    std::vector<WPARAM> order;
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_APP, WM_APP, PM_REMOVE))
        order.push_back(m.wParam);
    EXPECT_EQ(order, (std::vector<WPARAM>{1, 2}));
    PostMessageW(top, WM_APP, 3, 0);
    DestroyWindow(top);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

// The pages erase their own background: a shown window is painted once,
// its background erased inside the paint.
TEST_F(WindowTest, ShownWindowsArePaintedOnceWithAnErase)
{
    HWND top = Top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    MSG m;
    int paints = 0;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        paints += m.message == WM_PAINT;
        DispatchMessageW(&m);
    }
    EXPECT_EQ(paints, 1);
    std::vector<UINT> painted;
    for (auto &s : gTrace.seen)
        if (s.first == top)
            painted.push_back(s.second);
    EXPECT_EQ(painted, (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    DestroyWindow(top);
}

TEST_F(WindowTest, AMessageWaitingForAWindowThatIsDestroyedGivesZero)
{
    HWND top = Top();
    std::atomic<bool> sending{false};
    LRESULT answer = 1;
    std::thread worker([&] {
        sending = true;
        answer = SendMessageW(top, WM_APP, 0, 0);
    });
    while (!sending)
        Sleep(1);
    Sleep(20);  // the message is waiting in this thread's queue by now
    DestroyWindow(top);
    worker.join();
    EXPECT_EQ(answer, 0);
    for (auto &s : gTrace.seen)
        EXPECT_NE(s.second, UINT(WM_APP)) << "never handled";
}

TEST_F(WindowTest, ASendNobodyTakesGivesUpInsteadOfHanging)
{
    // The owner waits for its worker while the worker sends to it: a
    // deadlock on the platform, a failed send here.
    standin::ui::SetStallTimeout(10);
    HWND top = Top();
    struct Job {
        HWND target;
        LRESULT answer;
        DWORD error;
    } job{top, 1, 0};
    HANDLE worker = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto *j = static_cast<Job *>(p);
            j->answer = SendMessageW(j->target, WM_APP, 0, 0);
            j->error = GetLastError();
            return 0;
        },
        &job, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 5000), DWORD(WAIT_OBJECT_0));
    CloseHandle(worker);
    EXPECT_EQ(job.answer, 0);
    EXPECT_EQ(job.error, DWORD(ERROR_TIMEOUT));
    EXPECT_EQ(standin::ui::Stalls(), std::vector<int>{-1});
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&m);
    for (auto &s : gTrace.seen)
        EXPECT_NE(s.second, UINT(WM_APP)) << "taken back, never handled";
    DestroyWindow(top);
}

}  // namespace
}  // namespace usertest

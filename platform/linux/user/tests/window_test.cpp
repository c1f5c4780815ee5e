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

TEST_F(WindowTest, BadHandlesAndClassesFailWithThePlatformsErrors)
{
    HWND stale = Top();
    ASSERT_TRUE(DestroyWindow(stale));
    EXPECT_RESULT_AND_ERROR(SendMessageW(stale, WM_GETTEXTLENGTH, 0, 0), 0, ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FAILS_WITH(PostMessageW(stale, WM_APP, 0, 0), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(IsWindow(stale));

    EXPECT_RESULT_AND_ERROR(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
                            nullptr, ERROR_CANNOT_FIND_WND_CLASS);
    SetLastError(kMagic);
    EXPECT_EQ(CreateWindowExW(0, u"StandinTraced", u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TLW_WITH_WSCHILD));

    WNDCLASSW again{};
    again.lpfnWndProc = TracingProc;
    again.lpszClassName = u"standintraced";  // names compare without case
    EXPECT_RESULT_AND_ERROR(RegisterClassW(&again), 0, ERROR_CLASS_ALREADY_EXISTS);

    HWND alive = Top();
    EXPECT_FAILS_WITH(UnregisterClassW(u"StandinTraced", nullptr), ERROR_CLASS_HAS_WINDOWS);
    DestroyWindow(alive);
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
    EXPECT_EQ(GetParent(top), nullptr);
    EXPECT_TRUE(IsChild(top, grandchild));
    EXPECT_EQ(standin::ui::WindowCount() >= 4, true);

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
    EXPECT_EQ(DWLP_MSGRESULT, 0u);
    EXPECT_EQ(DWLP_DLGPROC, 8u);
    EXPECT_EQ(DWLP_USER, 16u);
    EXPECT_EQ(sizeof(PROPSHEETPAGEW), 104u);
    EXPECT_EQ(offsetof(PROPSHEETPAGEW, lParam), 48u);
    EXPECT_EQ(PROPSHEETPAGEW_V1_SIZE, 72u);
    EXPECT_EQ(sizeof(LVITEMW), 88u);
    EXPECT_EQ(sizeof(NMITEMACTIVATE), 72u);
    EXPECT_EQ(sizeof(DIBSECTION), 104u);
    EXPECT_EQ(sizeof(DLGTEMPLATE), 18u);

    HWND top = Top();
    HWND child = Child(top, 77);
    EXPECT_EQ(GetDlgCtrlID(child), 77);
    EXPECT_EQ(GetWindowLongPtrW(child, GWLP_ID), 77);
    // Extra bytes: 16 of them, a LONG_PTR fits at 8 but not at 9.
    SetLastError(kMagic);
    EXPECT_EQ(SetWindowLongPtrW(top, 8, 0x1122334455667788), 0);
    EXPECT_EQ(GetLastError(), kMagic) << "success leaves the last error";
    EXPECT_EQ(GetWindowLongPtrW(top, 8), 0x1122334455667788);
    EXPECT_EQ(GetWindowLongW(top, 12), 0x11223344);
    EXPECT_EQ(GetWindowLongPtrW(top, 9), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_INDEX));
    SetWindowLongPtrW(top, GWLP_USERDATA, 42);
    EXPECT_EQ(GetWindowLongPtrW(top, GWLP_USERDATA), 42);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(top, GWLP_WNDPROC)), TracingProc);

    LONG style = GetWindowLongW(child, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(EnableWindow(child, FALSE)) << "was enabled";
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(EnableWindow(child, TRUE)) << "was disabled";
    DestroyWindow(top);
}

TEST_F(WindowTest, PostedMessagesWaitInTheQueueAndQuitEndsTheLoop)
{
    HWND top = Top();
    PostMessageW(top, WM_APP, 1, 0);
    PostMessageW(top, WM_APP, 2, 0);
    PostQuitMessage(5);
    std::vector<WPARAM> order;
    MSG m;
    BOOL got;
    while ((got = GetMessageW(&m, nullptr, 0, 0)) > 0) {
        if (m.message == WM_APP)
            order.push_back(m.wParam);
        DispatchMessageW(&m);
    }
    EXPECT_EQ(got, 0);
    EXPECT_EQ(m.message, UINT(WM_QUIT));
    EXPECT_EQ(m.wParam, 5u);
    EXPECT_EQ(order, (std::vector<WPARAM>{1, 2}));

    // A posted message for a window that is destroyed is dropped.
    PostMessageW(top, WM_APP, 3, 0);
    DestroyWindow(top);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

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
    InvalidateRect(top, nullptr, FALSE);
    EXPECT_TRUE(UpdateWindow(top));
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) << "validated by UpdateWindow";
    DestroyWindow(top);
}

TEST_F(WindowTest, SendMessageFromAnotherThreadRunsOnTheOwnersThread)
{
    HWND top = Top();
    DWORD me = GetCurrentThreadId();
    std::atomic<LRESULT> answer{0};
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        answer = SendMessageW(top, WM_APP, 0, 0);
        sent = true;
    });
    // The worker waits until this thread looks at its queue.
    for (int i = 0; i < 50 && !sent; ++i) {
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(2);
    }
    worker.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(DWORD(answer), me);
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

TEST_F(WindowTest, TwoThreadsSendingToEachOtherDoNotBlock)
{
    HWND mine = Top();
    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> done{false};
    DWORD me = GetCurrentThreadId();
    std::atomic<LRESULT> fromWorker{0};
    std::thread worker([&] {
        HWND w = Top();
        theirs = w;
        // Blocked in this send, the worker handles the send coming back.
        fromWorker = SendMessageW(mine, WM_APP, 0, 0);
        while (!done) {
            MSG m;
            PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
            Sleep(1);
        }
        DestroyWindow(w);
    });
    while (!theirs)
        Sleep(1);
    // This thread sends to the worker while the worker sends to it.
    LRESULT fromMain = SendMessageW(theirs, WM_APP, 0, 0);
    MSG m;
    for (int i = 0; i < 100 && !fromWorker; ++i) {
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(1);
    }
    done = true;
    worker.join();
    EXPECT_NE(DWORD(fromMain), me);
    EXPECT_EQ(DWORD(fromWorker), me);
    DestroyWindow(mine);
}

TEST_F(WindowTest, TheWindowsOfAThreadThatEndsGoWithIt)
{
    long before = standin::ui::WindowCount();
    HWND left = nullptr;
    std::thread([&] {
        left = Top();
        Child(left, 1);
    }).join();
    EXPECT_FALSE(IsWindow(left));
    EXPECT_EQ(standin::ui::WindowCount(), before);
    EXPECT_RESULT_AND_ERROR(SendMessageW(left, WM_APP, 0, 0), 0, ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowTest, ADestroyingThreadCannotTakeAnothersWindow)
{
    HWND top = Top();
    BOOL result = TRUE;
    DWORD error = 0;
    std::thread([&] {
        result = DestroyWindow(top);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(result);
    EXPECT_EQ(error, DWORD(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(DestroyWindow(top));
}

TEST_F(WindowTest, GeometryOfChildrenFollowsTheirParentsClientArea)
{
    HWND top = Top(WS_POPUP | WS_CAPTION);  // caption 23, frame 3
    HWND child = Child(top, 1);
    RECT r;
    GetWindowRect(top, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    GetClientRect(top, &r);
    EXPECT_EQ(r.right, 300 - 6);
    EXPECT_EQ(r.bottom, 200 - 6 - 23);
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 10 + 3 + 5);
    EXPECT_EQ(r.top, 20 + 3 + 23 + 6);
    POINT p{r.left, r.top};
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 6);
    ASSERT_TRUE(SetWindowPos(child, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT *>(&r), 2);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 50);
    DestroyWindow(top);
}

}  // namespace
}  // namespace usertest

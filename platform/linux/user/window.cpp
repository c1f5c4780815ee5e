// Windows of the stand-in: classes, the window table, messages between
// threads, geometry, text, visibility and focus.
#include "platform/linux/crt/crt.h"
#include "platform/linux/crt/utf.h"
#include "platform/linux/user/internal.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace standin::user {

namespace {

DWORD Me() { return GetCurrentThreadId(); }

DWORD Ticks()
{
    using namespace std::chrono;
    return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool SameName(const std::u16string &a, LPCWSTR b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (towlower(a[i]) != towlower(b[i]))
            return false;
    return i == a.size() && b[i] == 0;
}

void AddSystemClass(State &s, const char16_t *name, WNDPROC proc, Kind kind, int extra = 0, ATOM atom = 0)
{
    auto c = std::make_unique<Class>();
    c->name = name;
    c->atom = atom ? atom : s.nextAtom++;
    c->proc = proc;
    c->kind = kind;
    c->wndExtra = extra;
    c->system = true;
    s.classes.push_back(std::move(c));
}

Class *FindClassLocked(LPCWSTR name)
{
    for (auto &c : St().classes) {
        if (IS_INTRESOURCE(name) ? c->atom == LOWORD(reinterpret_cast<ULONG_PTR>(name)) : SameName(c->name, name))
            return c.get();
    }
    return nullptr;
}

// The frame a window's style gives it: a thick frame 8 pixels, a dialog frame
// 3, a border 1, a client edge 2 more, and a caption bar 23 (17 for a tool
// window) above the client area.
RECT Insets(DWORD style, DWORD exStyle)
{
    LONG b = 0;
    if (style & WS_THICKFRAME)
        b = 8;
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        b = 3;
    else if (style & WS_BORDER)
        b = 1;
    if (exStyle & WS_EX_CLIENTEDGE)
        b += 2;
    if (exStyle & WS_EX_STATICEDGE)
        b += 1;
    LONG caption = (style & WS_CAPTION) == WS_CAPTION ? ((exStyle & WS_EX_TOOLWINDOW) ? 17 : 23) : 0;
    return RECT{b, b + caption, b, b};
}

// Screen position of a window's client area (or of the screen for null).
POINT ClientOriginLocked(HWND hwnd)
{
    WindowPtr w = FindLocked(hwnd);
    if (!w)
        return POINT{0, 0};
    POINT o = w->parent ? ClientOriginLocked(w->parent) : POINT{0, 0};
    RECT in = Insets(w->style, w->exStyle);
    return POINT{o.x + w->rect.left + in.left, o.y + w->rect.top + in.top};
}

bool VisibleLocked(const WindowPtr &w)
{
    for (WindowPtr p = w; p; p = p->parent ? FindLocked(p->parent) : nullptr)
        if (!(p->style & WS_VISIBLE))
            return false;
    return true;
}

bool IsDescendantLocked(HWND ancestor, HWND hwnd)
{
    for (WindowPtr w = FindLocked(hwnd); w && w->parent; w = FindLocked(w->parent))
        if (w->parent == ancestor)
            return true;
    return false;
}

// Takes a window out of the table: its pending messages go, messages sent
// to it from other threads return 0, and the focus leaves it. The object
// itself lives on while a procedure of it still runs.
WindowPtr UnlinkLocked(HWND hwnd)
{
    State &s = St();
    auto it = s.windows.find(hwnd);
    if (it == s.windows.end())
        return nullptr;
    WindowPtr w = it->second;
    s.windows.erase(it);
    w->alive = false;
    if (WindowPtr p = w->parent ? FindLocked(w->parent) : nullptr)
        p->children.erase(std::remove(p->children.begin(), p->children.end(), hwnd), p->children.end());
    --w->cls->windows;
    --s.liveWindows;
    auto q = s.queues.find(w->thread);
    if (q != s.queues.end()) {
        Queue &queue = *q->second;
        auto &posted = queue.posted;
        posted.erase(std::remove_if(posted.begin(), posted.end(), [&](const MSG &m) { return m.hwnd == hwnd; }),
                     posted.end());
        for (auto m = queue.sent.begin(); m != queue.sent.end();) {
            if ((*m)->hwnd != hwnd) {
                ++m;
                continue;
            }
            (*m)->done = true;
            (*m)->replyTo->wake.notify_all();
            m = queue.sent.erase(m);
        }
        if (queue.focus == hwnd)
            queue.focus = nullptr;
    }
    return w;
}

void Unlink(HWND hwnd)
{
    WindowPtr gone;
    std::lock_guard<std::mutex> lock(St().lock);
    gone = UnlinkLocked(hwnd);
}

// The windows of a thread that ends go with it, without messages: nobody is
// left to handle them.
struct ThreadGuard {
    DWORD thread = 0;
    ~ThreadGuard()
    {
        if (!thread)
            return;
        // The window objects are freed after the lock: their controls delete
        // their GDI objects then.
        std::vector<WindowPtr> gone;
        State &s = St();
        std::unique_lock<std::mutex> lock(s.lock);
        std::vector<HWND> mine;
        for (auto &entry : s.windows)
            if (entry.second->thread == thread)
                mine.push_back(entry.first);
        for (HWND h : mine)
            if (WindowPtr w = UnlinkLocked(h))
                gone.push_back(w);
        auto it = s.queues.find(thread);
        if (it != s.queues.end()) {
            for (auto &m : it->second->sent) {
                m->done = true;
                m->replyTo->wake.notify_all();
            }
            s.queues.erase(it);
        }
        lock.unlock();
        gone.clear();
    }
};
thread_local ThreadGuard tGuard;

LRESULT Deliver(const WindowPtr &w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        if (!w->alive)
            return 0;
        proc = w->proc;
    }
    return proc ? proc(w->handle, msg, wParam, lParam) : 0;
}

LRESULT SendAcross(const WindowPtr &w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Queue> me = MyQueue();
    auto m = std::make_shared<Sent>(Sent{w->handle, msg, wParam, lParam, 0, false, me});
    State &s = St();
    std::unique_lock<std::mutex> lock(s.lock);
    auto it = s.queues.find(w->thread);
    if (it == s.queues.end() || !w->alive)
        return 0;
    it->second->sent.push_back(m);
    it->second->wake.notify_all();
    // While waiting, this thread handles what others send to it, so two
    // threads sending to each other do not block. A message that the
    // owner's thread has not taken for ten stall periods (a thread waiting
    // for its worker while the worker sends to it: a deadlock on the
    // platform) is taken back and fails with ERROR_TIMEOUT, recorded as a
    // stall of -1, so that no test hangs.
    Queue &target = *it->second;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(10ull * StallTimeout());
    while (!m->done) {
        if (!me->sent.empty()) {
            lock.unlock();
            HandleSentMessages();
            lock.lock();
            continue;
        }
        if (me->wake.wait_until(lock, deadline) == std::cv_status::timeout && !m->done) {
            auto waiting = std::find(target.sent.begin(), target.sent.end(), m);
            if (waiting == target.sent.end()) {
                deadline += std::chrono::milliseconds(StallTimeout());  // being handled: wait on
                continue;
            }
            target.sent.erase(waiting);
            lock.unlock();
            RecordStall(-1);
            SetLastError(ERROR_TIMEOUT);
            return 0;
        }
    }
    return m->result;
}

bool PassesFilter(const MSG &m, HWND filter, UINT lo, UINT hi)
{
    if (lo || hi)
        if (m.message < lo || m.message > hi)
            return false;
    if (filter == reinterpret_cast<HWND>(-1))
        return m.hwnd == nullptr;
    return !filter || m.hwnd == filter || IsDescendantLocked(filter, m.hwnd);
}

// A posted message, then WM_QUIT, then a WM_PAINT for a window waiting to be
// painted (which stays until the window is validated). With the lock held.
bool TakeLocked(Queue &q, MSG *out, HWND filter, UINT lo, UINT hi, bool remove)
{
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (!PassesFilter(*it, filter, lo, hi))
            continue;
        *out = *it;
        if (remove)
            q.posted.erase(it);
        return true;
    }
    if (q.quit && (!filter || filter == reinterpret_cast<HWND>(-1)) &&
        ((!lo && !hi) || (WM_QUIT >= lo && WM_QUIT <= hi))) {
        *out = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode), 0, Ticks(), {}, 0};
        if (remove)
            q.quit = false;
        return true;
    }
    for (auto &entry : St().windows) {
        const WindowPtr &w = entry.second;
        if (w->thread != q.thread || !w->invalid || !VisibleLocked(w))
            continue;
        MSG paint{w->handle, WM_PAINT, 0, 0, Ticks(), {}, 0};
        if (!PassesFilter(paint, filter, lo, hi))
            continue;
        *out = paint;
        return true;
    }
    return false;
}

void InvalidateTreeLocked(const WindowPtr &w)
{
    w->invalid = w->erase = true;
    for (HWND c : w->children)
        if (WindowPtr child = FindLocked(c))
            InvalidateTreeLocked(child);
}

void SendDestroyTree(HWND hwnd)
{
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    for (HWND c : ChildrenOf(hwnd))
        SendDestroyTree(c);
}

void NcDestroyTree(HWND hwnd)
{
    for (HWND c : ChildrenOf(hwnd))
        NcDestroyTree(c);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    Unlink(hwnd);
}

LONG_PTR ReadExtra(const Window &w, int index, size_t size)
{
    if (index < 0 || size_t(index) + size > w.extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (size == sizeof(LONG)) {
        LONG v;
        std::memcpy(&v, w.extra.data() + index, sizeof v);
        return v;
    }
    LONG_PTR v;
    std::memcpy(&v, w.extra.data() + index, sizeof v);
    return v;
}

// Reads or writes a window long; `size` is 4 for the 32-bit functions.
LONG_PTR WindowLong(HWND hwnd, int index, bool set, LONG_PTR value, size_t size)
{
    WindowPtr w = Find(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    bool narrow = size == sizeof(LONG);
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        DWORD old;
        {
            std::lock_guard<std::mutex> lock(St().lock);
            old = index == GWL_STYLE ? w->style : w->exStyle;
        }
        if (!set)
            return LONG(old);
        STYLESTRUCT change{old, DWORD(value)};
        SendMessageW(hwnd, WM_STYLECHANGING, WPARAM(index), LPARAM(&change));
        {
            std::lock_guard<std::mutex> lock(St().lock);
            (index == GWL_STYLE ? w->style : w->exStyle) = change.styleNew;
        }
        SendMessageW(hwnd, WM_STYLECHANGED, WPARAM(index), LPARAM(&change));
        return LONG(old);
    }
    std::lock_guard<std::mutex> lock(St().lock);
    LONG_PTR *field = nullptr;
    LONG_PTR proc = reinterpret_cast<LONG_PTR>(w->proc), instance = reinterpret_cast<LONG_PTR>(w->instance);
    LONG_PTR relative = reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    switch (index) {
    case GWLP_ID:
        field = &w->id;
        break;
    case GWLP_USERDATA:
        field = &w->userData;
        break;
    case GWLP_WNDPROC:
        field = narrow ? nullptr : &proc;
        break;
    case GWLP_HINSTANCE:
        field = narrow ? nullptr : &instance;
        break;
    case GWLP_HWNDPARENT:
        field = narrow ? nullptr : &relative;
        break;
    default:
        break;
    }
    if (index >= 0) {
        LONG_PTR old = ReadExtra(*w, index, size);
        if (set && size_t(index) + size <= w->extra.size()) {
            if (narrow) {
                LONG v = LONG(value);
                std::memcpy(w->extra.data() + index, &v, sizeof v);
            } else {
                std::memcpy(w->extra.data() + index, &value, sizeof value);
            }
        }
        return old;
    }
    if (!field) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    LONG_PTR old = narrow ? LONG_PTR(LONG(*field)) : *field;
    if (!set)
        return old;
    *field = narrow ? LONG_PTR(LONG(value)) : value;
    if (index == GWLP_WNDPROC)
        w->proc = reinterpret_cast<WNDPROC>(value);
    else if (index == GWLP_HINSTANCE)
        w->instance = reinterpret_cast<HINSTANCE>(value);
    else if (index == GWLP_HWNDPARENT && !w->parent)
        w->owner = reinterpret_cast<HWND>(value);
    return old;
}

}  // namespace

State &St()
{
    static State *state = [] {
        auto *s = new State;
        AddSystemClass(*s, u"#32770", DefDlgProcW, Kind::Dialog, DLGWINDOWEXTRA, 0x8002);
        AddSystemClass(*s, WC_BUTTONW, ButtonProc, Kind::Button);
        AddSystemClass(*s, WC_EDITW, EditProc, Kind::Edit);
        AddSystemClass(*s, WC_STATICW, StaticProc, Kind::Static);
        AddSystemClass(*s, WC_LISTBOXW, ListBoxProc, Kind::ListBox);
        AddSystemClass(*s, WC_SCROLLBARW, DefWindowProcW, Kind::Generic);
        AddSystemClass(*s, WC_COMBOBOXW, ComboBoxProc, Kind::ComboBox);
        AddSystemClass(*s, WC_LISTVIEWW, ListViewProc, Kind::ListView);
        AddSystemClass(*s, TRACKBAR_CLASSW, TrackbarProc, Kind::Trackbar);
        AddSystemClass(*s, UPDOWN_CLASSW, UpDownProc, Kind::UpDown);
        AddSystemClass(*s, PROGRESS_CLASSW, ProgressProc, Kind::Progress);
        return s;
    }();
    return *state;
}

std::string Utf8(const std::u16string &text)
{
    std::string out;
    utf::AppendUtf8(text.data(), text.size(), out);
    return out;
}

std::u16string Utf16(const char *text)
{
    std::u16string out;
    if (text)
        utf::AppendUtf16(text, std::strlen(text), out);
    return out;
}

WindowPtr FindLocked(HWND hwnd)
{
    auto &windows = St().windows;
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : it->second;
}

WindowPtr Find(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    std::lock_guard<std::mutex> lock(St().lock);
    return FindLocked(hwnd);
}

namespace {
thread_local bool tKeys[256];  // the keys down for this thread's input
}  // namespace

bool KeyDown(int key) { return key >= 0 && key < 256 && tKeys[key]; }
void SetKeyDown(int key, bool down)
{
    if (key >= 0 && key < 256)
        tKeys[key] = down;
}

std::shared_ptr<Queue> MyQueue()
{
    DWORD me = Me();
    tGuard.thread = me;
    State &s = St();
    std::lock_guard<std::mutex> lock(s.lock);
    auto &q = s.queues[me];
    if (!q) {
        q = std::make_shared<Queue>();
        q->thread = me;
    }
    return q;
}

bool IsMine(const Window &w) { return w.thread == Me(); }

void WakeOwner(HWND hwnd)
{
    State &s = St();
    std::lock_guard<std::mutex> lock(s.lock);
    WindowPtr w = FindLocked(hwnd);
    if (!w)
        return;
    auto it = s.queues.find(w->thread);
    if (it != s.queues.end())
        it->second->wake.notify_all();
}

int HandleSentMessages()
{
    std::shared_ptr<Queue> q = MyQueue();
    int handled = 0;
    for (;;) {
        std::shared_ptr<Sent> m;
        WindowPtr w;
        {
            std::lock_guard<std::mutex> lock(St().lock);
            if (q->sent.empty())
                break;
            m = q->sent.front();
            q->sent.pop_front();
            w = FindLocked(m->hwnd);
        }
        LRESULT result = 0;
        if (w && w->thread == q->thread) {
            ++q->inSend;
            result = Deliver(w, m->msg, m->wParam, m->lParam);
            --q->inSend;
        }
        std::lock_guard<std::mutex> lock(St().lock);
        m->result = result;
        m->done = true;
        m->replyTo->wake.notify_all();
        ++handled;
    }
    return handled;
}

bool HasWorkLocked(Queue &q)
{
    MSG m;
    return !q.sent.empty() || TakeLocked(q, &m, nullptr, 0, 0, false);
}

DWORD StyleOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hwnd);
    return w ? w->style : 0;
}

void ChangeStyle(HWND hwnd, DWORD set, DWORD clear)
{
    std::lock_guard<std::mutex> lock(St().lock);
    if (WindowPtr w = FindLocked(hwnd))
        w->style = (w->style & ~clear) | set;
}

Kind KindOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hwnd);
    return w ? w->cls->kind : Kind::Generic;
}

int IdOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hwnd);
    return w ? int(w->id) : 0;
}

std::u16string TextOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hwnd);
    return w ? w->text : std::u16string();
}

void StoreText(HWND hwnd, const std::u16string &text)
{
    std::lock_guard<std::mutex> lock(St().lock);
    if (WindowPtr w = FindLocked(hwnd))
        w->text = text;
}

std::vector<HWND> ChildrenOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hwnd);
    return w ? w->children : std::vector<HWND>();
}

DialogData *DialogOf(HWND hwnd)
{
    WindowPtr w = Find(hwnd);
    return w ? w->dialog.get() : nullptr;
}

LRESULT NotifyCommand(HWND control, WORD code)
{
    HWND parent = GetParent(control);
    return parent ? SendMessageW(parent, WM_COMMAND, MAKEWPARAM(IdOf(control), code), LPARAM(control)) : 0;
}

LRESULT NotifyHeader(HWND control, NMHDR *header, UINT code)
{
    header->hwndFrom = control;
    header->idFrom = UINT_PTR(IdOf(control));
    header->code = code;
    HWND parent = GetParent(control);
    return parent ? SendMessageW(parent, WM_NOTIFY, header->idFrom, LPARAM(header)) : 0;
}

void PaintControl(HWND hwnd, UINT ctlColorMessage)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (HWND parent = GetParent(hwnd))
        SendMessageW(parent, ctlColorMessage, WPARAM(dc), LPARAM(hwnd));
    EndPaint(hwnd, &ps);
}

std::vector<HWND> GroupOf(HWND control)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(control);
    WindowPtr parent = w && w->parent ? FindLocked(w->parent) : nullptr;
    if (!parent)
        return {control};
    const auto &c = parent->children;
    auto at = std::find(c.begin(), c.end(), control);
    if (at == c.end())
        return {control};
    auto grouped = [&](HWND h) {
        WindowPtr s = FindLocked(h);
        return s && (s->style & WS_GROUP);
    };
    auto first = at;
    while (first != c.begin() && !grouped(*first))
        --first;
    auto last = at + 1;
    while (last != c.end() && !grouped(*last))
        ++last;
    return std::vector<HWND>(first, last);
}

HWND CreateWindowInternal(DWORD exStyle, LPCWSTR className, LPCWSTR name, DWORD style, int x, int y, int cx, int cy,
                          HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    if (!className) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    MyQueue();
    auto w = std::make_shared<Window>();
    HWND given = parent;
    bool child = style & WS_CHILD;
    if (parent == HWND_MESSAGE)
        parent = nullptr;  // a message-only window: a hidden top-level one here
    State &s = St();
    {
        std::lock_guard<std::mutex> lock(s.lock);
        Class *c = FindClassLocked(className);
        if (!c) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        WindowPtr p = parent ? FindLocked(parent) : nullptr;
        if (parent && !p) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (child && !p) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        if (child) {
            w->parent = p->handle;
        } else if (p) {
            // A top-level window is owned by the top-level ancestor of the
            // window it is given.
            while (p->parent)
                p = FindLocked(p->parent);
            w->owner = p->handle;
        }
        bool overlapped = !child && !(style & WS_POPUP);
        if (overlapped)
            style |= WS_CLIPSIBLINGS | WS_CAPTION;
        if (x == CW_USEDEFAULT)
            x = y = overlapped ? 100 : 0;
        if (cx == CW_USEDEFAULT) {
            cx = overlapped ? 800 : 0;
            cy = overlapped ? 600 : 0;
        }
        s.nextHandle += 4;
        w->handle = reinterpret_cast<HWND>(s.nextHandle);
        w->thread = Me();
        w->cls = c;
        w->proc = c->proc;
        w->style = style & ~WS_VISIBLE;
        w->exStyle = exStyle;
        w->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
        w->instance = instance;
        w->rect = RECT{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
        w->extra.assign(size_t(c->wndExtra), 0);
        s.windows[w->handle] = w;
        if (p && child)
            p->children.push_back(w->handle);
        ++c->windows;
        ++s.liveWindows;
    }
    HWND hwnd = w->handle;
    CREATESTRUCTW cs{param, instance, menu, given, cy, cx, y, x, LONG(style), name, className, exStyle};
    if (!Deliver(w, WM_NCCREATE, 0, LPARAM(&cs))) {
        SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
        Unlink(hwnd);
        return nullptr;
    }
    if (Deliver(w, WM_CREATE, 0, LPARAM(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    if (HWND p = GetParent(hwnd); p && child)
        ScreenToClient(p, &origin);
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if ((style & WS_VISIBLE) && IsWindow(hwnd))
        ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

}  // namespace standin::user

using namespace standin::user;

extern "C" {

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *wc)
{
    if (standin::ShouldFail("RegisterClassW"))
        return 0;
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || wc->cbWndExtra < 0 || wc->cbWndExtra > 40000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (IS_INTRESOURCE(wc->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    State &s = St();
    std::lock_guard<std::mutex> lock(s.lock);
    if (Class *c = FindClassLocked(wc->lpszClassName); c && !c->system) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = std::make_unique<Class>();
    c->name = wc->lpszClassName;
    c->atom = s.nextAtom++;
    c->proc = wc->lpfnWndProc;
    c->wndExtra = wc->cbWndExtra;
    c->background = wc->hbrBackground;
    ATOM atom = c->atom;
    // A class of the application is found before the system's of that name.
    s.classes.insert(s.classes.begin(), std::move(c));
    return atom;
}

ATOM WINAPI RegisterClassW(const WNDCLASSW *wc)
{
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style,        wc->lpfnWndProc,   wc->cbClsExtra,
                   wc->cbWndExtra,      wc->hInstance,    wc->hIcon,         wc->hCursor,
                   wc->hbrBackground,   wc->lpszMenuName, wc->lpszClassName, nullptr};
    return RegisterClassExW(&ex);
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE)
{
    State &s = St();
    std::lock_guard<std::mutex> lock(s.lock);
    for (auto it = s.classes.begin(); it != s.classes.end(); ++it) {
        Class &c = **it;
        bool match = IS_INTRESOURCE(lpClassName) ? c.atom == LOWORD(reinterpret_cast<ULONG_PTR>(lpClassName))
                                                 : SameName(c.name, lpClassName);
        if (!match || c.system)
            continue;
        if (c.windows > 0) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        s.classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!lpClassName || nMaxCount <= 0)
        return 0;
    std::u16string name;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        name = w->cls->name;
    }
    int n = std::min(int(name.size()), nMaxCount - 1);
    std::memcpy(lpClassName, name.data(), size_t(n) * sizeof(WCHAR));
    lpClassName[n] = 0;
    return n;
}

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam)
{
    if (standin::ShouldFail("CreateWindowExW"))
        return nullptr;
    return CreateWindowInternal(dwExStyle, lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hWndParent, hMenu,
                                hInstance, lpParam);
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!IsMine(*w)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::vector<HWND> owned;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        if (w->destroying)
            return TRUE;
        w->destroying = true;
        w->style &= ~WS_VISIBLE;
        for (auto &entry : St().windows)
            if (entry.second->owner == hWnd && entry.second->thread == w->thread)
                owned.push_back(entry.first);
    }
    // Owned windows go first, then the window and its children: WM_DESTROY
    // from the top down, WM_NCDESTROY from the bottom up.
    for (HWND o : owned)
        DestroyWindow(o);
    std::shared_ptr<Queue> q = MyQueue();
    {
        std::lock_guard<std::mutex> lock(St().lock);
        if (q->focus && (q->focus == hWnd || IsDescendantLocked(hWnd, q->focus)))
            q->focus = nullptr;
    }
    SendDestroyTree(hWnd);
    NcDestroyTree(hWnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return Find(hWnd) != nullptr; }

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd)
{
    std::lock_guard<std::mutex> lock(St().lock);
    return hWndParent && IsDescendantLocked(hWndParent, hWnd);
}

HWND WINAPI GetParent(HWND hWnd)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(St().lock);
    if (w->style & WS_CHILD)
        return w->parent;
    return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(St().lock);
    if (uCmd == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front();
    if (uCmd == GW_OWNER)
        return w->owner;
    WindowPtr p = w->parent ? FindLocked(w->parent) : nullptr;
    if (!p)
        return uCmd == GW_HWNDFIRST || uCmd == GW_HWNDLAST ? hWnd : nullptr;
    const auto &c = p->children;
    auto at = std::find(c.begin(), c.end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST:
        return c.front();
    case GW_HWNDLAST:
        return c.back();
    case GW_HWNDNEXT:
        return at + 1 < c.end() ? *(at + 1) : nullptr;
    case GW_HWNDPREV:
        return at != c.begin() ? *(at - 1) : nullptr;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam)
{
    if (!lpEnumFunc)
        return FALSE;
    // Every descendant, each parent before its children.
    std::vector<HWND> pending = ChildrenOf(hWndParent);
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
        HWND h = pending.back();
        pending.pop_back();
        if (!IsWindow(h))
            continue;
        if (!lpEnumFunc(h, lParam))
            return FALSE;
        std::vector<HWND> children = ChildrenOf(h);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return TRUE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpdwProcessId)
        *lpdwProcessId = 1;
    return w->thread;
}

LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    switch (Msg) {
    case WM_NCCREATE: {
        auto *cs = reinterpret_cast<CREATESTRUCTW *>(lParam);
        // An ordinal title (0xFFFF, id) names a resource, not a text.
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && cs->lpszName[0] != 0xFFFF)
            StoreText(hWnd, cs->lpszName);
        return TRUE;
    }
    case WM_SETTEXT:
        StoreText(hWnd, lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"");
        return TRUE;
    case WM_GETTEXT: {
        auto *buffer = reinterpret_cast<LPWSTR>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        std::u16string text = TextOf(hWnd);
        size_t n = std::min(text.size(), size_t(wParam) - 1);
        std::memcpy(buffer, text.data(), n * sizeof(WCHAR));
        buffer[n] = 0;
        return LRESULT(n);
    }
    case WM_GETTEXTLENGTH:
        return LRESULT(TextOf(hWnd).size());
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = nullptr;
        if (WindowPtr w = Find(hWnd)) {
            std::lock_guard<std::mutex> lock(St().lock);
            brush = w->cls->background;
        }
        if (!brush)
            return 0;
        // (HBRUSH)(COLOR_x + 1) names a system colour.
        if (reinterpret_cast<ULONG_PTR>(brush) <= COLOR_MENUBAR + 1)
            brush = GetSysColorBrush(int(reinterpret_cast<ULONG_PTR>(brush)) - 1);
        RECT r;
        GetClientRect(hWnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        bool window = Msg == WM_CTLCOLOREDIT || Msg == WM_CTLCOLORLISTBOX;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(window ? COLOR_WINDOW : COLOR_3DFACE));
    }
    case WM_WINDOWPOSCHANGED: {
        auto *pos = reinterpret_cast<WINDOWPOS *>(lParam);
        if (!pos)
            return 0;
        RECT client;
        GetClientRect(hWnd, &client);
        if (!(pos->flags & SWP_NOCLIENTMOVE)) {
            POINT origin{0, 0};
            ClientToScreen(hWnd, &origin);
            if (HWND p = (StyleOf(hWnd) & WS_CHILD) ? GetParent(hWnd) : nullptr)
                ScreenToClient(p, &origin);
            SendMessageW(hWnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        }
        if (!(pos->flags & SWP_NOCLIENTSIZE))
            SendMessageW(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        return 0;
    }
    case WM_NOTIFYFORMAT:
        return NFR_UNICODE;
    // The context-menu key once released, and Shift+F10, ask for a context
    // menu at no point (-1, -1); a child passes the request to its parent.
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (wParam == VK_APPS)
            SendMessageW(hWnd, WM_CONTEXTMENU, WPARAM(hWnd), LPARAM(-1));
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000))
            SendMessageW(hWnd, WM_CONTEXTMENU, WPARAM(hWnd), LPARAM(-1));
        return 0;
    case WM_CONTEXTMENU:
        if (StyleOf(hWnd) & WS_CHILD)
            SendMessageW(GetParent(hWnd), WM_CONTEXTMENU, wParam, lParam);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageW(hWnd, WM_CLOSE, 0, 0);
        return 0;
    default:
        return 0;
    }
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex)
{
    return WindowLong(hWnd, nIndex, false, 0, sizeof(LONG_PTR));
}
LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    return WindowLong(hWnd, nIndex, true, dwNewLong, sizeof(LONG_PTR));
}
LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex) { return LONG(WindowLong(hWnd, nIndex, false, 0, sizeof(LONG))); }
LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong)
{
    return LONG(WindowLong(hWnd, nIndex, true, dwNewLong, sizeof(LONG)));
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString)
{
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageW(hWnd, WM_SETTEXT, 0, LPARAM(lpString)) != 0;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount)
{
    if (lpString && nMaxCount > 0)
        lpString[0] = 0;
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!lpString || nMaxCount <= 0)
        return 0;
    return int(SendMessageW(hWnd, WM_GETTEXT, WPARAM(nMaxCount), LPARAM(lpString)));
}

int WINAPI GetWindowTextLengthW(HWND hWnd)
{
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return int(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool wasDisabled;
    bool loseFocus = false;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        wasDisabled = w->style & WS_DISABLED;
        if (bool(bEnable) != wasDisabled)
            return wasDisabled;
        if (bEnable) {
            w->style &= ~WS_DISABLED;
        } else {
            w->style |= WS_DISABLED;
            auto it = St().queues.find(w->thread);
            HWND focus = it != St().queues.end() ? it->second->focus : nullptr;
            loseFocus = focus && (focus == hWnd || IsDescendantLocked(hWnd, focus)) && IsMine(*w);
        }
    }
    if (loseFocus)
        SetFocus(nullptr);
    SendMessageW(hWnd, WM_ENABLE, WPARAM(bEnable != FALSE), 0);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return !(StyleOf(hWnd) & WS_DISABLED);
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool show = nCmdShow != SW_HIDE;
    bool was = StyleOf(hWnd) & WS_VISIBLE;
    if (show == was)
        return was;
    SendMessageW(hWnd, WM_SHOWWINDOW, WPARAM(show), 0);
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    return was;
}

BOOL WINAPI IsWindowVisible(HWND hWnd)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hWnd);
    return w && VisibleLocked(w);
}

HWND WINAPI SetFocus(HWND hWnd)
{
    std::shared_ptr<Queue> q = MyQueue();
    HWND old;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        old = q->focus && FindLocked(q->focus) ? q->focus : nullptr;
        if (hWnd) {
            WindowPtr w = FindLocked(hWnd);
            if (!w) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            if (w->thread != q->thread) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
        }
        if (hWnd == old)
            return old;
        q->focus = hWnd;
    }
    if (old)
        SendMessageW(old, WM_KILLFOCUS, WPARAM(hWnd), 0);
    if (hWnd)
        SendMessageW(hWnd, WM_SETFOCUS, WPARAM(old), 0);
    return old;
}

HWND WINAPI GetFocus(void)
{
    std::shared_ptr<Queue> q = MyQueue();
    std::lock_guard<std::mutex> lock(St().lock);
    return q->focus && FindLocked(q->focus) ? q->focus : nullptr;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hWnd);
    if (!w || !lpRect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT o = w->parent ? ClientOriginLocked(w->parent) : POINT{0, 0};
    *lpRect = RECT{o.x + w->rect.left, o.y + w->rect.top, o.x + w->rect.right, o.y + w->rect.bottom};
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect)
{
    std::lock_guard<std::mutex> lock(St().lock);
    WindowPtr w = FindLocked(hWnd);
    if (!w || !lpRect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT in = Insets(w->style, w->exStyle);
    LONG width = w->rect.right - w->rect.left - in.left - in.right;
    LONG height = w->rect.bottom - w->rect.top - in.top - in.bottom;
    *lpRect = RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint)
{
    std::lock_guard<std::mutex> lock(St().lock);
    if (!FindLocked(hWnd) || !lpPoint) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT o = ClientOriginLocked(hWnd);
    lpPoint->x -= o.x;
    lpPoint->y -= o.y;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint)
{
    std::lock_guard<std::mutex> lock(St().lock);
    if (!FindLocked(hWnd) || !lpPoint) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT o = ClientOriginLocked(hWnd);
    lpPoint->x += o.x;
    lpPoint->y += o.y;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints)
{
    std::lock_guard<std::mutex> lock(St().lock);
    if ((hWndFrom && !FindLocked(hWndFrom)) || (hWndTo && !FindLocked(hWndTo))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    POINT from = ClientOriginLocked(hWndFrom), to = ClientOriginLocked(hWndTo);
    LONG dx = from.x - to.x, dy = from.y - to.y;
    for (UINT i = 0; lpPoints && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    return MAKELONG(WORD(dx), WORD(dy));
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND, int X, int Y, int cx, int cy, UINT uFlags)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT old;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        old = w->rect;
    }
    WINDOWPOS pos{hWnd, nullptr, X, Y, cx, cy, uFlags};
    if (uFlags & SWP_NOMOVE) {
        pos.x = old.left;
        pos.y = old.top;
    }
    if (uFlags & SWP_NOSIZE) {
        pos.cx = old.right - old.left;
        pos.cy = old.bottom - old.top;
    }
    if (!(uFlags & SWP_NOSENDCHANGING))
        SendMessageW(hWnd, WM_WINDOWPOSCHANGING, 0, LPARAM(&pos));
    bool moved, sized;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        if (!w->alive)
            return FALSE;
        RECT r{pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
        moved = r.left != old.left || r.top != old.top;
        sized = r.right - r.left != old.right - old.left || r.bottom - r.top != old.bottom - old.top;
        w->rect = r;
        if (uFlags & SWP_SHOWWINDOW) {
            if (!(w->style & WS_VISIBLE))
                InvalidateTreeLocked(w);
            w->style |= WS_VISIBLE;
        }
        if (uFlags & SWP_HIDEWINDOW)
            w->style &= ~WS_VISIBLE;
        if (sized && !(uFlags & SWP_NOREDRAW))
            w->invalid = w->erase = true;
    }
    pos.flags |= (moved ? 0 : SWP_NOCLIENTMOVE) | (sized ? 0 : SWP_NOCLIENTSIZE);
    SendMessageW(hWnd, WM_WINDOWPOSCHANGED, 0, LPARAM(&pos));
    WakeOwner(hWnd);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint)
{
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL, DWORD dwExStyle)
{
    if (!lpRect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT in = Insets(dwStyle, dwExStyle);
    lpRect->left -= in.left;
    lpRect->top -= in.top;
    lpRect->right += in.right;
    lpRect->bottom += in.bottom;
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT *, BOOL bErase)
{
    std::vector<HWND> wake;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        if (!hWnd) {
            // Null: every window of the calling thread.
            for (auto &entry : St().windows)
                if (IsMine(*entry.second)) {
                    entry.second->invalid = true;
                    entry.second->erase |= bErase != FALSE;
                }
            return TRUE;
        }
        WindowPtr w = FindLocked(hWnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        w->invalid = true;
        w->erase |= bErase != FALSE;
    }
    WakeOwner(hWnd);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool paint;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        paint = w->invalid && VisibleLocked(w);
    }
    if (paint)
        SendMessageW(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

// The whole window always: rectangles and regions are not kept.
BOOL WINAPI RedrawWindow(HWND hWnd, const RECT *, HRGN, UINT flags)
{
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::vector<HWND> targets{hWnd};
    if (hWnd && (flags & RDW_ALLCHILDREN))
        for (size_t i = 0; i < targets.size(); ++i)
            for (HWND c : ChildrenOf(targets[i]))
                targets.push_back(c);
    for (HWND h : targets) {
        if (flags & RDW_INVALIDATE)
            InvalidateRect(h, nullptr, (flags & RDW_ERASE) != 0);
        if ((flags & RDW_VALIDATE) && h) {
            std::lock_guard<std::mutex> lock(St().lock);
            if (WindowPtr w = FindLocked(h))
                w->invalid = w->erase = false;
        }
    }
    if (hWnd && (flags & (RDW_UPDATENOW | RDW_ERASENOW)))
        for (HWND h : targets)
            UpdateWindow(h);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint)
{
    WindowPtr w = Find(hWnd);
    if (!w || !lpPaint) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    bool erase;
    {
        std::lock_guard<std::mutex> lock(St().lock);
        erase = w->erase;
        w->invalid = w->erase = false;
    }
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = MakeWindowDC(hWnd);
    GetClientRect(hWnd, &lpPaint->rcPaint);
    if (erase)
        lpPaint->fErase = SendMessageW(hWnd, WM_ERASEBKGND, WPARAM(lpPaint->hdc), 0) == 0;
    return lpPaint->hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT *lpPaint)
{
    if (lpPaint && lpPaint->hdc)
        ReleaseDC(hWnd, lpPaint->hdc);
    return TRUE;
}

int WINAPI GetSystemMetrics(int nIndex)
{
    switch (nIndex) {
    case SM_CXSCREEN:
        return 1920;
    case SM_CYSCREEN:
        return 1080;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 8;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CMONITORS:
        return 1;
    default:
        return 0;
    }
}

DWORD WINAPI GetSysColor(int nIndex)
{
    // The default colours of the platform's standard theme.
    switch (nIndex) {
    case COLOR_WINDOW:
    case COLOR_HIGHLIGHTTEXT:
    case COLOR_BTNHIGHLIGHT:
    case COLOR_MENU:
    case COLOR_INFOBK:
        return RGB(255, 255, 255);
    case COLOR_BTNFACE:
    case COLOR_MENUBAR:
        return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_3DDKSHADOW:
        return RGB(105, 105, 105);
    case COLOR_3DLIGHT:
        return RGB(227, 227, 227);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_HIGHLIGHT:
    case COLOR_HOTLIGHT:
        return RGB(0, 120, 215);
    case COLOR_ACTIVECAPTION:
        return RGB(153, 180, 209);
    case COLOR_APPWORKSPACE:
        return RGB(171, 171, 171);
    default:
        return RGB(0, 0, 0);
    }
}

int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator)
{
    if (nDenominator == 0)
        return -1;
    long long product = (long long)nNumber * nNumerator;
    long long q = product / nDenominator, r = product % nDenominator;
    if (2 * std::llabs(r) >= std::llabs((long long)nDenominator))
        q += ((product < 0) != (nDenominator < 0)) ? -1 : 1;
    return (q > INT_MAX || q < INT_MIN) ? -1 : int(q);
}

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WindowPtr w = Find(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return IsMine(*w) ? Deliver(w, Msg, wParam, lParam) : SendAcross(w, Msg, wParam, lParam);
}

BOOL WINAPI PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (idThread == Me())
        MyQueue();
    State &s = St();
    std::lock_guard<std::mutex> lock(s.lock);
    auto it = s.queues.find(idThread);
    if (it == s.queues.end()) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    it->second->posted.push_back(MSG{nullptr, Msg, wParam, lParam, Ticks(), {}, 0});
    it->second->wake.notify_all();
    return TRUE;
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (!hWnd)
        return PostThreadMessageW(Me(), Msg, wParam, lParam);
    State &s = St();
    std::lock_guard<std::mutex> lock(s.lock);
    WindowPtr w = FindLocked(hWnd);
    auto it = w ? s.queues.find(w->thread) : s.queues.end();
    if (it == s.queues.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    it->second->posted.push_back(MSG{hWnd, Msg, wParam, lParam, Ticks(), {}, 0});
    it->second->wake.notify_all();
    return TRUE;
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    std::shared_ptr<Queue> q = MyQueue();
    for (;;) {
        HandleSentMessages();
        std::unique_lock<std::mutex> lock(St().lock);
        if (TakeLocked(*q, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true))
            return lpMsg->message != WM_QUIT;
        if (q->sent.empty())
            q->wake.wait(lock);
    }
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<Queue> q = MyQueue();
    HandleSentMessages();
    std::lock_guard<std::mutex> lock(St().lock);
    return TakeLocked(*q, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg & PM_REMOVE);
}

BOOL WINAPI TranslateMessage(const MSG *lpMsg)
{
    if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN))
        return FALSE;
    // The characters of the keys the stand-in knows; Shift gives capitals.
    WPARAM key = lpMsg->wParam, ch = 0;
    if ((key >= '0' && key <= '9') || key == VK_SPACE || key == VK_BACK || key == VK_RETURN || key == VK_ESCAPE ||
        key == VK_TAB)
        ch = key;
    else if (key >= 'A' && key <= 'Z')
        ch = (GetKeyState(VK_SHIFT) & 0x8000) ? key : key - 'A' + 'a';
    else if (key == VK_OEM_PERIOD)
        ch = '.';
    if (ch)
        PostMessageW(lpMsg->hwnd, lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, lpMsg->lParam);
    return TRUE;
}

SHORT WINAPI GetKeyState(int nVirtKey) { return standin::user::KeyDown(nVirtKey) ? SHORT(0x8000) : 0; }

LRESULT WINAPI DispatchMessageW(const MSG *lpMsg)
{
    if (!lpMsg || !lpMsg->hwnd)
        return 0;
    WindowPtr w = Find(lpMsg->hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!IsMine(*w)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return Deliver(w, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void WINAPI PostQuitMessage(int nExitCode)
{
    std::shared_ptr<Queue> q = MyQueue();
    std::lock_guard<std::mutex> lock(St().lock);
    q->quit = true;
    q->quitCode = nExitCode;
    q->wake.notify_all();
}

BOOL WINAPI InSendMessage(void) { return MyQueue()->inSend > 0; }

}  // extern "C"

namespace standin::ui {

long WindowCount()
{
    std::lock_guard<std::mutex> lock(St().lock);
    return St().liveWindows;
}

}  // namespace standin::ui

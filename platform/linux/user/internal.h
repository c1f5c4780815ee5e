// Inside the window part of the stand-in: the window table, the thread
// queues and what the built-in classes share. Not for the plug-in.
//
// One mutex guards the table, every window's fields and every queue; it is
// never held while a window procedure runs, nor while a thread waits (the
// queues' condition variables wait on it). A control's own state (the items
// of a combo box, the rows of a list view) is only touched on the window's
// thread, inside its procedure; other threads reach it with messages.
#pragma once

#include "platform/linux/user/automation.h"
#include "platform/linux/user/user.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace standin::user {

enum class Kind { Generic, Dialog, Button, Static, Edit, ComboBox, ListBox, ListView, Trackbar, UpDown, Progress };

// The state a built-in control keeps; freed with its window object, so that
// a procedure still running after DestroyWindow keeps valid state. Its
// destructor may free GDI objects and image lists, never call window
// functions (it may run with the window lock held).
struct Control {
    virtual ~Control() = default;
    HFONT font = nullptr;  // WM_SETFONT's; the sender keeps it
};

struct Class {
    std::u16string name;
    ATOM atom = 0;
    WNDPROC proc = nullptr;
    int wndExtra = 0;
    HBRUSH background = nullptr;
    Kind kind = Kind::Generic;
    bool system = false;
    long windows = 0;  // live windows of the class; a class with windows stays
};

struct DialogData {
    int templateId = -1;
    int baseX = 8, baseY = 16;  // pixels for 4 horizontal and 8 vertical dialog units
    HFONT font = nullptr;       // made from the template, deleted with the dialog
    bool ended = false;
    INT_PTR result = 0;
    int defId = 0;  // DM_SETDEFID's, 0 until set
};

struct Window {
    HWND handle = nullptr;
    DWORD thread = 0;
    Class *cls = nullptr;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;  // child windows
    HWND owner = nullptr;   // top-level windows
    DWORD style = 0, exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    RECT rect{};  // in the parent's client area; on the screen for top-level windows
    std::u16string text;
    std::vector<BYTE> extra;
    std::vector<HWND> children;  // in creation order, which is also the tab and template order
    std::unique_ptr<Control> control;
    std::unique_ptr<DialogData> dialog;
    bool invalid = false, erase = false;  // waiting for WM_PAINT
    bool destroying = false, alive = true;
};
using WindowPtr = std::shared_ptr<Window>;

struct Queue;

// A message sent from another thread, waiting for the owner.
struct Sent {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<Queue> replyTo;
};

struct Queue {
    DWORD thread = 0;
    std::deque<std::shared_ptr<Sent>> sent;
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    HWND focus = nullptr;
    int inSend = 0;  // handling a message sent from another thread
    std::condition_variable wake;
};

struct State {
    std::mutex lock;
    std::unordered_map<HWND, WindowPtr> windows;
    std::unordered_map<DWORD, std::shared_ptr<Queue>> queues;
    std::vector<std::unique_ptr<Class>> classes;
    uintptr_t nextHandle = 0x10000;
    ATOM nextAtom = 0xC000;
    long liveWindows = 0;
};
State &St();

WindowPtr Find(HWND hwnd);         // takes the lock
WindowPtr FindLocked(HWND hwnd);   // with the lock held
std::shared_ptr<Queue> MyQueue();  // the calling thread's queue, made on first use
bool IsMine(const Window &w);

// CreateWindowExW without the fault plan, for the windows the part makes
// itself (a dialog and its controls).
HWND CreateWindowInternal(DWORD exStyle, LPCWSTR className, LPCWSTR name, DWORD style, int x, int y, int cx, int cy,
                          HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);

// The automation's stall period, and its record of stalls.
unsigned StallTimeout();
void RecordStall(int templateId);

// Wakes the thread that owns a window (a modal loop that must look again).
void WakeOwner(HWND hwnd);
// Handles every message other threads have sent to this one; returns how many.
int HandleSentMessages();
// Whether the queue has anything to handle (a sent or posted message, WM_QUIT,
// a window to paint); with the lock held, so that a wait cannot miss it.
bool HasWorkLocked(Queue &q);

// The state of a built-in control, made on first use; null when the window
// is not one of that class (a procedure called on a foreign window).
template <typename T>
T *StateOf(HWND hwnd)
{
    WindowPtr w = Find(hwnd);
    if (!w)
        return nullptr;
    if (!w->control)
        w->control = std::make_unique<T>();
    return dynamic_cast<T *>(w->control.get());
}

// Small readings and changes of one window, under the lock.
DWORD StyleOf(HWND hwnd);
void ChangeStyle(HWND hwnd, DWORD set, DWORD clear);  // silently, as a control changes its own bits
Kind KindOf(HWND hwnd);
int IdOf(HWND hwnd);
std::u16string TextOf(HWND hwnd);
void StoreText(HWND hwnd, const std::u16string &text);  // what DefWindowProcW's WM_SETTEXT does
std::vector<HWND> ChildrenOf(HWND hwnd);
DialogData *DialogOf(HWND hwnd);  // the dialog data of a dialog, on its own thread

// The keys held down (VK_SHIFT, VK_MENU, ...) on the calling thread, as
// GetKeyState reports them; the automation presses and releases them.
bool KeyDown(int key);
void SetKeyDown(int key, bool down);

// Notifications of a control to its parent.
LRESULT NotifyCommand(HWND control, WORD code);
LRESULT NotifyHeader(HWND control, NMHDR *header, UINT code);
// Sends WM_CTLCOLOR... to the parent as a control does when it paints.
void PaintControl(HWND hwnd, UINT ctlColorMessage);

// User actions, carried out by the control on its own thread: the
// automation sends kActionMessage with the action and its arguments.
constexpr UINT kActionMessage = 0x7FF0;
enum class Action : WPARAM { Click, Type, Choose, Slide, Spin, ClickItem, ToggleCheck };
struct ActionArgs {
    int a = 0, b = 0;
    UINT code = 0;
    const std::u16string *text = nullptr;
};

// Built-in window procedures.
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TrackbarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK UpDownProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);

// Radio groups: the siblings from the nearest WS_GROUP at or before `control`
// up to the next WS_GROUP, in order.
std::vector<HWND> GroupOf(HWND control);

// GDI inside the part.
// Loads a bitmap resource without consulting the fault plan (a picture
// control's own load); a DIB section of the resource's depth.
HBITMAP LoadBitmapResource(HINSTANCE instance, LPCWSTR name);
bool BitmapSize(HBITMAP bitmap, int *width, int *height);
// The colours of a rectangle of a bitmap, row by row from the top.
bool BitmapPixels(HBITMAP bitmap, int x, int y, int width, int height, std::vector<COLORREF> *out);
// Average character width and line height of a face at a point size, the
// dialog base units of a template's font.
void FaceUnits(const std::u16string &face, int pointSize, int *cx, int *cy);
void FontUnits(HFONT font, int *cx, int *cy);  // of a font made by CreateFontIndirectW
HFONT MakeFont(const LOGFONTW &font);          // CreateFontIndirectW without the fault plan
HDC MakeWindowDC(HWND hwnd);                   // a counted DC for BeginPaint and GetDC
// The resource ids of an image list's images (0 for one not from a
// resource), for Describe.
std::vector<int> ImageListIds(HIMAGELIST list);

std::string Utf8(const std::u16string &text);
std::u16string Utf16(const char *text);

}  // namespace standin::user

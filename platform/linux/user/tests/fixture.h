// What the window part's tests share: the project's compiled resources as a
// module, a fixture that checks windows, GDI objects and heap blocks are back
// where they started, a dialog procedure that records what reaches it, and a
// builder of dialog templates in memory.
#pragma once

#include "platform/linux/crt/crt.h"
#include "platform/linux/res/res.h"
#include "platform/linux/user/automation.h"
#include "platform/linux/user/user.h"
#include "platform/linux/testing/leakcheck.h"
#include "resources/res_blob.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace usertest {

inline HINSTANCE Module() { return PluginResources(); }

// One message that reached the recording procedure; `code` is the
// notification code of WM_COMMAND, WM_NOTIFY and the scroll messages.
struct Event {
    HWND hwnd;
    UINT msg;
    UINT code;
    int id;
    WPARAM wParam;
    LPARAM lParam;
};

struct Recorder {
    std::mutex lock;
    std::vector<Event> events;
    std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> handler;
};

inline Recorder &Rec()
{
    static Recorder r;
    return r;
}

inline std::vector<Event> Events(UINT msg = 0)
{
    std::lock_guard<std::mutex> lock(Rec().lock);
    std::vector<Event> out;
    for (const Event &e : Rec().events)
        if (!msg || e.msg == msg)
            out.push_back(e);
    return out;
}

inline std::vector<UINT> Codes(UINT msg)
{
    std::vector<UINT> out;
    for (const Event &e : Events(msg))
        out.push_back(e.code);
    return out;
}

inline void ClearEvents()
{
    std::lock_guard<std::mutex> lock(Rec().lock);
    Rec().events.clear();
}

inline INT_PTR CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Event e{hwnd, msg, 0, 0, wParam, lParam};
    switch (msg) {
    case WM_COMMAND:
        e.code = HIWORD(wParam), e.id = LOWORD(wParam);
        break;
    case WM_NOTIFY:
        e.code = reinterpret_cast<NMHDR *>(lParam)->code;
        e.id = int(reinterpret_cast<NMHDR *>(lParam)->idFrom);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        e.code = LOWORD(wParam), e.id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        break;
    case WM_INITDIALOG:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_ERASEBKGND:
    case WM_APP:
        break;
    default:
        return Rec().handler ? Rec().handler(hwnd, msg, wParam, lParam) : FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(Rec().lock);
        Rec().events.push_back(e);
    }
    return Rec().handler ? Rec().handler(hwnd, msg, wParam, lParam) : FALSE;
}

// A DLGTEMPLATEEX in memory.
class Template {
public:
    explicit Template(DWORD style, int cx = 200, int cy = 100, const char16_t *face = u"MS Shell Dlg", WORD points = 8)
    {
        U16(1), U16(0xFFFF), U32(0), U32(0), U32(style | DS_SETFONT);
        countAt_ = bytes_.size();
        U16(0), U16(0), U16(0), U16(WORD(cx)), U16(WORD(cy));
        U16(0), U16(0), Str(u"Test");
        U16(points), U16(FW_NORMAL), U8(0), U8(DEFAULT_CHARSET), Str(face);
    }
    // A control of a predefined class (0x80 button ... 0x85 combo box) or a
    // named one; the text may be an ordinal (a bitmap resource).
    Template &Add(WORD classOrdinal, const char16_t *className, DWORD style, int id, const char16_t *text, int x, int y,
                  int cx, int cy, WORD textOrdinal = 0)
    {
        while (bytes_.size() % 4)
            U8(0);
        U32(0), U32(0), U32(style | WS_CHILD | WS_VISIBLE);
        U16(WORD(x)), U16(WORD(y)), U16(WORD(cx)), U16(WORD(cy)), U32(DWORD(id));
        if (className)
            Str(className);
        else
            U16(0xFFFF), U16(classOrdinal);
        if (textOrdinal)
            U16(0xFFFF), U16(textOrdinal);
        else
            Str(text);
        U16(0);
        WORD count = WORD(bytes_[countAt_] | bytes_[countAt_ + 1] << 8) + 1;
        bytes_[countAt_] = BYTE(count), bytes_[countAt_ + 1] = BYTE(count >> 8);
        return *this;
    }
    const DLGTEMPLATE *get()
    {
        aligned_.assign((bytes_.size() + 3) / 4, 0);
        std::memcpy(aligned_.data(), bytes_.data(), bytes_.size());
        return reinterpret_cast<const DLGTEMPLATE *>(aligned_.data());
    }

private:
    void U8(BYTE v) { bytes_.push_back(v); }
    void U16(WORD v) { U8(BYTE(v)), U8(BYTE(v >> 8)); }
    void U32(DWORD v) { U16(WORD(v)), U16(WORD(v >> 16)); }
    void Str(const char16_t *s)
    {
        for (; *s; ++s)
            U16(*s);
        U16(0);
    }
    std::vector<BYTE> bytes_;
    std::vector<DWORD> aligned_;
    size_t countAt_ = 0;
};

constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kCombo = 0x85;

// Columns of the given widths and as many empty rows.
inline void FillList(HWND list, std::initializer_list<int> widths, int rows)
{
    int c = 0;
    for (int width : widths) {
        LVCOLUMNW col{};
        col.mask = LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = width;
        col.iSubItem = c;
        ListView_InsertColumn(list, c++, &col);
    }
    for (int r = 0; r < rows; ++r) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<LPWSTR>(u"");
        ListView_InsertItem(list, &item);
    }
}

// A key pressed and let go.
inline void Key(HWND hwnd, WPARAM key)
{
    SendMessageW(hwnd, WM_KEYDOWN, key, 0);
    SendMessageW(hwnd, WM_KEYUP, key, 0);
}

// Every test gives back the windows, GDI objects and heap blocks it made,
// and leaves no fault plan, script or message box answer behind.
class UserTest : public standin_testing::LeakCheckTest {
protected:
    void SetUp() override
    {
        ASSERT_NE(Module(), nullptr);
        standin::ui::ResetAutomation();
        ClearEvents();
        Rec().handler = nullptr;
        LeakCheckTest::SetUp();
    }
    void TearDown() override
    {
        standin::ui::ResetAutomation();
        Rec().handler = nullptr;
        SetThreadUILanguage(0);
        LeakCheckTest::TearDown();
    }

    // A modeless dialog of a template in memory, with the recording procedure.
    static HWND Make(Template &t, HWND parent = nullptr, LPARAM param = 0)
    {
        return CreateDialogIndirectParamW(Module(), t.get(), parent, RecordingProc, param);
    }
    static HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
};

}  // namespace usertest

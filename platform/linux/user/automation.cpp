// The automation's user actions and readings. Actions are carried out by
// the control on its own thread (a private message), readings use the
// controls' public messages, so both work from any thread.
#include "platform/linux/crt/crt.h"
#include "platform/linux/user/internal.h"

#include <cstdio>
#include <functional>
#include <sstream>

namespace standin::ui {

using namespace standin::user;

namespace {

HWND FindControl(HWND dialog, int id)
{
    if (!IsWindow(dialog))
        return nullptr;
    for (HWND c : ChildrenOf(dialog))
        if (IdOf(c) == id)
            return c;
    for (HWND c : ChildrenOf(dialog))
        if (HWND deeper = ChildrenOf(c).empty() ? nullptr : FindControl(c, id))
            return deeper;
    return nullptr;
}

// What a user can reach: shown up to the dialog, and neither it nor any
// window above it disabled.
bool Reachable(HWND dialog, HWND control)
{
    for (HWND w = control; w && w != dialog; w = GetParent(w))
        if (!(StyleOf(w) & WS_VISIBLE))
            return false;
    for (HWND w = control; w; w = (StyleOf(w) & WS_CHILD) ? GetParent(w) : nullptr)
        if (StyleOf(w) & WS_DISABLED)
            return false;
    return true;
}

bool Act(HWND dialog, int id, Kind kind, Action action, ActionArgs args)
{
    HWND control = FindControl(dialog, id);
    if (!control || KindOf(control) != kind || !Reachable(dialog, control))
        return false;
    return SendMessageW(control, kActionMessage, WPARAM(action), LPARAM(&args)) != 0;
}

// What a message loop with IsDialogMessageW does with what is waiting.
void Pump(HWND root)
{
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));  // for the loop outside
            return;
        }
        if (!IsWindow(root) || !IsDialogMessageW(root, &m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
}

std::u16string ItemText(HWND combo, int index)
{
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length < 0)
        return u"";
    std::u16string text(size_t(length) + 1, u'\0');
    SendMessageW(combo, CB_GETLBTEXT, WPARAM(index), LPARAM(&text[0]));
    text.resize(size_t(length));
    return text;
}

std::string Quote(const std::u16string &text)
{
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '"')
            out += "\\\"";
        else
            out += c;
    }
    return out + "\"";
}

std::string ImageName(HANDLE image)
{
    if (!image)
        return "(none)";
    int id = BitmapResourceId(static_cast<HBITMAP>(image));
    if (id > 0)
        return "bitmap " + std::to_string(id);
    return id == 0 ? "bitmap (made)" : "bitmap (deleted)";
}

std::string Marks(HWND hwnd)
{
    DWORD style = StyleOf(hwnd);
    std::string marks;
    if (!(style & WS_VISIBLE))
        marks += " hidden";
    if (style & WS_DISABLED)
        marks += " disabled";
    return marks;
}

void DescribeList(HWND list, const std::string &indent, const std::string &marks, std::ostringstream &out)
{
    int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    DWORD ex = DWORD(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    auto small = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    bool images = small != nullptr;
    std::vector<int> subItems;
    std::string header;
    for (int c = 0;; ++c) {
        WCHAR text[260] = {0};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_SUBITEM;
        col.pszText = text;
        col.cchTextMax = 260;
        if (!SendMessageW(list, LVM_GETCOLUMNW, WPARAM(c), LPARAM(&col)))
            break;
        subItems.push_back(col.iSubItem);
        header += (c ? " | " : "") + Utf8(text);
    }
    if (subItems.empty())
        subItems.push_back(0);
    out << " " << rows << (rows == 1 ? " row" : " rows") << ((ex & LVS_EX_CHECKBOXES) ? ", check boxes" : "") << marks
        << "\n";
    if (images) {
        out << indent << "    images:";
        std::vector<int> ids = ImageListIds(small);
        for (size_t i = 0; i < ids.size(); ++i)
            out << (i ? ", " : " ") << (ids[i] ? "bitmap " + std::to_string(ids[i]) : std::string("(made)"));
        out << "\n";
    }
    if (!header.empty() || subItems.size() > 1)
        out << indent << "    columns: " << header << "\n";
    const int kMaxRows = 50;
    for (int r = 0; r < rows && r < kMaxRows; ++r) {
        UINT state = UINT(SendMessageW(list, LVM_GETITEMSTATE, WPARAM(r), LPARAM(0xFFFF)));
        out << indent << "    " << r << ":";
        UINT check = (state & LVIS_STATEIMAGEMASK) >> 12;
        if (check)
            out << (check == 2 ? " [x]" : " [ ]");
        if (state & LVIS_SELECTED)
            out << " *";
        for (size_t c = 0; c < subItems.size(); ++c) {
            WCHAR text[260] = {0};
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = r;
            item.iSubItem = subItems[c];
            item.pszText = text;
            item.cchTextMax = 260;
            item.iImage = -1;
            SendMessageW(list, LVM_GETITEMW, 0, LPARAM(&item));
            out << (c ? " | " : " ") << Quote(text);
            if (images && item.iImage >= 0 && (subItems[c] == 0 || (ex & LVS_EX_SUBITEMIMAGES)))
                out << " (img " << item.iImage << ")";
        }
        out << "\n";
    }
    if (rows > kMaxRows)
        out << indent << "    ... " << rows - kMaxRows << " more\n";
}

void DescribeWindow(HWND hwnd, const std::string &indent, bool top, std::ostringstream &out);

void DescribeControl(HWND c, const std::string &indent, std::ostringstream &out)
{
    DWORD style = StyleOf(c);
    int id = IdOf(c);
    std::string head = indent + (id == -1 || id == 0xFFFF ? std::string("-") : std::to_string(id)) + " ";
    std::u16string text = Text(c);
    switch (KindOf(c)) {
    case Kind::Button: {
        DWORD type = style & BS_TYPEMASK;
        int check = int(SendMessageW(c, BM_GETCHECK, 0, 0));
        const char *mark = check == BST_CHECKED ? "x" : check == BST_INDETERMINATE ? "-" : " ";
        if (type == BS_GROUPBOX)
            out << head << "group " << Quote(text);
        else if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
            out << head << "radio (" << (check ? "o" : " ") << ") " << Quote(text);
        else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE)
            out << head << "check [" << mark << "] " << Quote(text);
        else
            out << head << (type == BS_DEFPUSHBUTTON ? "default button " : "button ") << Quote(text);
        break;
    }
    case Kind::Static: {
        DWORD type = style & SS_TYPEMASK;
        if (type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT || type == SS_ETCHEDFRAME)
            return;  // separator lines
        if (type == SS_BITMAP)
            out << head << "picture "
                << ImageName(reinterpret_cast<HANDLE>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0)));
        else if (type == SS_ICON)
            out << head << "icon";
        else
            out << head << "text " << Quote(text);
        break;
    }
    case Kind::Edit: {
        out << head << "edit " << Quote(text);
        LRESULT limit = SendMessageW(c, EM_GETLIMITTEXT, 0, 0);
        if (limit != 32767)
            out << " limit " << limit;
        if (style & ES_READONLY)
            out << " read-only";
        break;
    }
    case Kind::ComboBox: {
        int count = int(SendMessageW(c, CB_GETCOUNT, 0, 0)), selected = int(SendMessageW(c, CB_GETCURSEL, 0, 0));
        out << head << "combo " << Quote(text) << " [" << count << "]";
        const int kMaxItems = 12;
        for (int i = 0; i < count && i < kMaxItems; ++i)
            out << (i ? ", " : ": ") << Quote(ItemText(c, i)) << (i == selected ? "*" : "");
        if (count > kMaxItems)
            out << ", ...";
        break;
    }
    case Kind::ListView:
        out << head << "list";
        DescribeList(c, indent, Marks(c), out);
        return;
    case Kind::Trackbar:
        out << head << "trackbar " << SendMessageW(c, TBM_GETPOS, 0, 0) << " ("
            << SendMessageW(c, TBM_GETRANGEMIN, 0, 0) << ".." << SendMessageW(c, TBM_GETRANGEMAX, 0, 0) << ")";
        break;
    case Kind::UpDown: {
        int low = 0, high = 0;
        SendMessageW(c, UDM_GETRANGE32, WPARAM(&low), LPARAM(&high));
        BOOL error = FALSE;
        LRESULT pos = SendMessageW(c, UDM_GETPOS32, 0, LPARAM(&error));
        out << head << "updown " << pos << " (" << low << ".." << high << ")";
        if (auto buddy = reinterpret_cast<HWND>(SendMessageW(c, UDM_GETBUDDY, 0, 0)))
            out << " buddy " << IdOf(buddy);
        break;
    }
    case Kind::Progress:
        out << head << "progress " << SendMessageW(c, PBM_GETPOS, 0, 0) << " ("
            << SendMessageW(c, PBM_GETRANGE, TRUE, 0) << ".." << SendMessageW(c, PBM_GETRANGE, FALSE, 0) << ")";
        break;
    case Kind::Dialog:
        DescribeWindow(c, indent, false, out);
        return;
    default: {
        WCHAR name[64] = {0};
        GetClassNameW(c, name, 64);
        out << head << Utf8(name) << " " << Quote(text);
        break;
    }
    }
    out << Marks(c) << "\n";
}

void DescribeWindow(HWND hwnd, const std::string &indent, bool top, std::ostringstream &out)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    int templateId = TemplateId(hwnd);
    if (KindOf(hwnd) == Kind::Dialog) {
        out << indent << (top || !IdOf(hwnd) ? "" : std::to_string(IdOf(hwnd)) + " ") << "dialog";
        if (templateId >= 0)
            out << " " << templateId;
    } else {
        WCHAR name[64] = {0};
        GetClassNameW(hwnd, name, 64);
        out << indent << "window " << Utf8(name);
    }
    out << " " << Quote(Text(hwnd)) << " " << r.right - r.left << "x" << r.bottom - r.top << Marks(hwnd) << "\n";
    for (HWND c : ChildrenOf(hwnd))
        DescribeControl(c, indent + "  ", out);
}

}  // namespace

bool Click(HWND dialog, int id) { return Act(dialog, id, Kind::Button, Action::Click, {}); }

bool Type(HWND dialog, int id, const std::u16string &text)
{
    ActionArgs args;
    args.text = &text;
    return Act(dialog, id, Kind::Edit, Action::Type, args);
}

bool Choose(HWND dialog, int id, int index)
{
    ActionArgs args;
    args.a = index;
    return Act(dialog, id, Kind::ComboBox, Action::Choose, args);
}

bool ChooseText(HWND dialog, int id, const std::u16string &text)
{
    HWND combo = FindControl(dialog, id);
    if (!combo || KindOf(combo) != Kind::ComboBox)
        return false;
    int count = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (ItemText(combo, i) == text)
            return Choose(dialog, id, i);
    return false;
}

bool Slide(HWND dialog, int id, int position)
{
    return Act(dialog, id, Kind::Trackbar, Action::Slide, ActionArgs{position, 0, 0, nullptr});
}

bool Spin(HWND dialog, int id, int delta)
{
    return Act(dialog, id, Kind::UpDown, Action::Spin, ActionArgs{delta, 0, 0, nullptr});
}

bool ClickListItem(HWND dialog, int id, int item, int subItem, UINT code)
{
    return Act(dialog, id, Kind::ListView, Action::ClickItem, ActionArgs{item, subItem, code, nullptr});
}

bool ToggleListCheck(HWND dialog, int id, int item)
{
    return Act(dialog, id, Kind::ListView, Action::ToggleCheck, ActionArgs{item, 0, 0, nullptr});
}

bool PressKey(HWND dialog, int id, UINT key, UINT shifts)
{
    HWND target = id ? FindControl(dialog, id) : GetFocus();
    if (id && (!target || !Reachable(dialog, target)))
        return false;
    if (!target || (target != dialog && !IsChild(dialog, target) && !IsChild(target, dialog)))
        target = dialog;
    if (!IsWindow(target) || GetWindowThreadProcessId(target, nullptr) != GetCurrentThreadId())
        return false;
    if (id)
        SetFocus(target);
    // The outermost dialog takes the keys (a property page's sheet when it
    // is one, else the page).
    HWND root = target;
    for (HWND w = target; w; w = (StyleOf(w) & WS_CHILD) ? GetParent(w) : nullptr)
        if (KindOf(w) == Kind::Dialog)
            root = w;
    bool alt = shifts & kKeyAlt, sys = alt || key == VK_F10;
    LPARAM down = alt ? (1 | (1 << 29)) : 1, up = down | LPARAM(0xC0000000u);
    auto send = [&](UINT msg, UINT vk, LPARAM lp) {
        HWND focus = GetFocus();
        PostMessageW(focus ? focus : root, msg, vk, lp);
        Pump(root);
    };
    if (shifts & kKeyShift) {
        SetKeyDown(VK_SHIFT, true);
        send(WM_KEYDOWN, VK_SHIFT, 1);
    }
    if (alt) {
        SetKeyDown(VK_MENU, true);
        send(WM_SYSKEYDOWN, VK_MENU, down);
    }
    send(sys ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down);
    send(sys ? WM_SYSKEYUP : WM_KEYUP, key, up);
    if (alt) {
        SetKeyDown(VK_MENU, false);
        send(WM_SYSKEYUP, VK_MENU, up);
    }
    if (shifts & kKeyShift) {
        SetKeyDown(VK_SHIFT, false);
        send(WM_KEYUP, VK_SHIFT, LPARAM(0xC0000001u));
    }
    return true;
}

std::u16string Text(HWND window)
{
    int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return u"";
    std::u16string text(size_t(length) + 1, u'\0');
    int n = GetWindowTextW(window, &text[0], length + 1);
    text.resize(size_t(std::max(n, 0)));
    return text;
}

std::string Describe(HWND window)
{
    if (!IsWindow(window))
        return "(no window)\n";
    std::ostringstream out;
    DescribeWindow(window, "", true, out);
    return out.str();
}

}  // namespace standin::ui

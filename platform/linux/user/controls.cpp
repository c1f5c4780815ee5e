// The predefined controls of user32: buttons, statics, edits and combo
// boxes, with the platform's semantics for what the plug-in's dialogs use.
#include "platform/linux/crt/collate.h"
#include "platform/linux/crt/crt.h"
#include "platform/linux/user/internal.h"

#include <algorithm>
#include <cstring>

namespace standin::user {

namespace {

bool CommonFont(Control *c, UINT msg, WPARAM wParam, LRESULT *result)
{
    if (msg == WM_SETFONT) {
        c->font = reinterpret_cast<HFONT>(wParam);
        *result = 0;
        return true;
    }
    if (msg == WM_GETFONT) {
        *result = reinterpret_cast<LRESULT>(c->font);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Buttons.

struct ButtonState : Control {
    int check = BST_UNCHECKED;
    UINT state = 0;  // BST_PUSHED, BST_FOCUS
    HANDLE image = nullptr;
};

bool Checkable(DWORD type)
{
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_3STATE ||
           type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

// A click: the automatic kinds change their check first, an auto radio
// button unchecks the other auto radio buttons of its group; then the
// parent gets BN_CLICKED. A group box takes no clicks.
bool ClickButton(HWND hwnd, ButtonState *s)
{
    DWORD type = StyleOf(hwnd) & BS_TYPEMASK;
    switch (type) {
    case BS_GROUPBOX:
        return false;
    case BS_AUTOCHECKBOX:
        SendMessageW(hwnd, BM_SETCHECK, s->check ? BST_UNCHECKED : BST_CHECKED, 0);
        break;
    case BS_AUTO3STATE:
        SendMessageW(hwnd, BM_SETCHECK, WPARAM((s->check + 1) % 3), 0);
        break;
    case BS_AUTORADIOBUTTON:
        for (HWND other : GroupOf(hwnd))
            if (other != hwnd && KindOf(other) == Kind::Button && (StyleOf(other) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
        break;
    default:
        break;
    }
    NotifyCommand(hwnd, BN_CLICKED);
    return true;
}

// ---------------------------------------------------------------------------
// Statics.

// The picture a static loads from its template is its own and is deleted
// with the control while it still shows it. An image set with STM_SETIMAGE
// stays the caller's: the control never deletes it, and the previous image
// that STM_SETIMAGE gives back, the control's own one included, is the
// caller's from then on (the pages delete it at once). The platform's copy
// of bitmaps with alpha pixels is not modelled: no copy is made.
struct StaticState : Control {
    HANDLE image = nullptr;
    bool ownsImage = false;
    ~StaticState() override
    {
        if (ownsImage && image)
            DeleteObject(image);
    }
};

bool ImageTypeFits(DWORD style, WPARAM type)
{
    DWORD kind = style & SS_TYPEMASK;
    switch (type) {
    case IMAGE_BITMAP:
        return kind == SS_BITMAP;
    case IMAGE_ICON:
    case IMAGE_CURSOR:
        return kind == SS_ICON;
    case IMAGE_ENHMETAFILE:
        return kind == SS_ENHMETAFILE;
    default:
        return false;
    }
}

// A bitmap static takes the size of its bitmap unless it centres or scales it.
void FitToImage(HWND hwnd, HANDLE image)
{
    DWORD style = StyleOf(hwnd);
    int width, height;
    if ((style & SS_TYPEMASK) != SS_BITMAP || (style & (SS_CENTERIMAGE | SS_REALSIZECONTROL)) ||
        !BitmapSize(static_cast<HBITMAP>(image), &width, &height))
        return;
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, style, FALSE, DWORD(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// Edits.

constexpr size_t kDefaultLimit = 32767;

struct EditState : Control {
    size_t selStart = 0, selEnd = 0;
    size_t limit = kDefaultLimit;
    bool modified = false;
};

void EditChanged(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyCommand(hwnd, EN_UPDATE);
    NotifyCommand(hwnd, EN_CHANGE);
}

// Replaces the selection as typing or EM_REPLACESEL does: what passes the
// limit is cut, with EN_MAXTEXT. Returns whether the text changed.
bool ReplaceSelection(HWND hwnd, EditState *s, std::u16string with)
{
    std::u16string text = TextOf(hwnd);
    size_t a = std::min({s->selStart, s->selEnd, text.size()}),
           b = std::min(std::max(s->selStart, s->selEnd), text.size());
    size_t kept = text.size() - (b - a);
    size_t room = s->limit > kept ? s->limit - kept : 0;
    if (with.size() > room) {
        with.resize(room);
        NotifyCommand(hwnd, EN_MAXTEXT);
    }
    if (with.empty() && a == b)
        return false;
    text.replace(a, b - a, with);
    StoreText(hwnd, text);
    s->selStart = s->selEnd = a + with.size();
    s->modified = true;
    EditChanged(hwnd);
    return true;
}

void TypeChar(HWND hwnd, EditState *s, WCHAR c)
{
    DWORD style = StyleOf(hwnd);
    if (style & ES_READONLY)
        return;
    if (c == VK_BACK) {
        if (s->selStart == s->selEnd && s->selStart > 0)
            s->selStart = std::min(s->selStart, TextOf(hwnd).size()) - 1;
        ReplaceSelection(hwnd, s, u"");
        return;
    }
    if (c == u'\r' && (style & ES_MULTILINE)) {
        ReplaceSelection(hwnd, s, u"\r\n");
        return;
    }
    if (c < 0x20)
        return;  // Enter, Tab, Esc and control characters type nothing in a one-line edit
    if ((style & ES_NUMBER) && (c < u'0' || c > u'9'))
        return;  // refused, as the platform refuses it with a balloon tip
    if (style & ES_UPPERCASE)
        c = towupper(c);
    else if (style & ES_LOWERCASE)
        c = towlower(c);
    ReplaceSelection(hwnd, s, std::u16string(1, c));
}

// ---------------------------------------------------------------------------
// Combo boxes.

struct ComboState : Control {
    struct Item {
        std::u16string text;
        LPARAM data = 0;
        std::u32string key;  // the text's word-sort key, for sorted inserts
    };
    std::vector<Item> items;
    int selected = -1;
    int droppedHeight = 0;
    bool dropped = false;
    std::u16string typed;  // what the user typed since the focus came, to find an entry by
};

bool IsList(DWORD style) { return (style & 3) == CBS_DROPDOWNLIST; }

// The search of CB_FINDSTRING and CB_FINDSTRINGEXACT: case-insensitive,
// starting after `start` (-1 or out of range: from the top), wrapping round
// to `start` itself.
int FindItem(const ComboState &s, WPARAM start, LPCWSTR text, bool exact)
{
    int n = int(s.items.size());
    if (n == 0 || !text)
        return CB_ERR;
    int from = int(start);
    int first = (from < 0 || from >= n) ? 0 : from + 1;
    size_t length = std::char_traits<char16_t>::length(text);
    for (int k = 0; k < n; ++k) {
        const std::u16string &item = s.items[size_t((first + k) % n)].text;
        bool match = exact ? _wcsicmp(item.c_str(), text) == 0
                           : item.size() >= length && _wcsnicmp(item.c_str(), text, length) == 0;
        if (match)
            return (first + k) % n;
    }
    return CB_ERR;
}

void SelectItem(HWND hwnd, ComboState *s, int index)
{
    s->selected = index;
    if (!IsList(StyleOf(hwnd)))
        StoreText(hwnd, index >= 0 ? s->items[size_t(index)].text : u"");
    InvalidateRect(hwnd, nullptr, TRUE);
}

int InsertItem(ComboState *s, int at, LPCWSTR text)
{
    LPCWSTR shown = text ? text : u"";
    s->items.insert(s->items.begin() + at, ComboState::Item{shown, 0, standin::crt::WordSortKey(shown)});
    if (s->selected >= at)
        ++s->selected;
    return at;
}

LRESULT CopyItemText(const std::u16string &text, LPARAM buffer)
{
    auto *out = reinterpret_cast<LPWSTR>(buffer);
    if (!out)
        return CB_ERR;
    std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return LRESULT(text.size());
}

void SetComboHeight(HWND hwnd, ComboState *s)
{
    if ((StyleOf(hwnd) & 3) == CBS_SIMPLE)
        return;
    // Closed, a drop-down combo box is one line of its font high; the
    // template's height is that of the open list.
    int cx, cy;
    FontUnits(s->font, &cx, &cy);
    RECT r;
    GetWindowRect(hwnd, &r);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, cy + 8, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ButtonState *s = StateOf<ButtonState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result;
    if (CommonFont(s, msg, wParam, &result))
        return result;
    DWORD style = StyleOf(hwnd), type = style & BS_TYPEMASK;
    switch (msg) {
    case BM_GETCHECK:
        return Checkable(type) ? s->check : BST_UNCHECKED;
    case BM_SETCHECK: {
        if (!Checkable(type))
            return 0;
        int most = (type == BS_3STATE || type == BS_AUTO3STATE) ? BST_INDETERMINATE : BST_CHECKED;
        int check = std::min(int(wParam & 3), most);
        // A radio button is a tab stop while it is checked: Tab reaches a
        // group at its checked button.
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
            ChangeStyle(hwnd, check ? WS_TABSTOP : 0, check ? 0 : WS_TABSTOP);
        if (check != s->check) {
            s->check = check;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    }
    case BM_GETSTATE:
        return LRESULT(UINT(s->check) | s->state);
    case BM_SETSTATE:
        s->state = wParam ? (s->state | BST_PUSHED) : (s->state & ~UINT(BST_PUSHED));
        return 0;
    case BM_SETSTYLE:
        ChangeStyle(hwnd, DWORD(wParam) & BS_TYPEMASK, BS_TYPEMASK);
        return 0;
    case BM_CLICK:
        if (IsWindowEnabled(hwnd))
            ClickButton(hwnd, s);
        return 0;
    case BM_SETIMAGE: {
        HANDLE previous = s->image;
        s->image = reinterpret_cast<HANDLE>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(previous);
    }
    case BM_GETIMAGE:
        return reinterpret_cast<LRESULT>(s->image);
    case kActionMessage:
        if (Action(wParam) != Action::Click || type == BS_GROUPBOX)
            return FALSE;
        SetFocus(hwnd);
        return ClickButton(hwnd, s);
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | (type == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return DLGC_BUTTON | (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ? DLGC_RADIOBUTTON : 0);
    // Space pushes the button in and clicks it when let go.
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && type != BS_GROUPBOX)
            s->state |= BST_PUSHED;
        return 0;
    case WM_KEYUP:
        if (wParam != VK_SPACE || !(s->state & BST_PUSHED))
            break;
        s->state &= ~UINT(BST_PUSHED);
        ClickButton(hwnd, s);
        return 0;
    case WM_SETFOCUS:
        s->state |= BST_FOCUS;
        if (style & BS_NOTIFY)
            NotifyCommand(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->state &= ~UINT(BST_FOCUS | BST_PUSHED);
        if (style & BS_NOTIFY)
            NotifyCommand(hwnd, BN_KILLFOCUS);
        return 0;
    case WM_PAINT:
        PaintControl(hwnd, type <= BS_DEFPUSHBUTTON || type == BS_OWNERDRAW || type == BS_PUSHBOX ? WM_CTLCOLORBTN
                                                                                                  : WM_CTLCOLORSTATIC);
        return 0;
    case WM_SETTEXT:
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    StaticState *s = StateOf<StaticState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result;
    if (CommonFont(s, msg, wParam, &result))
        return result;
    switch (msg) {
    case WM_CREATE: {
        auto *cs = reinterpret_cast<CREATESTRUCTW *>(lParam);
        // A template's ordinal title (0xFFFF, id) on a bitmap static names
        // the bitmap resource that the control loads for itself.
        if ((StyleOf(hwnd) & SS_TYPEMASK) == SS_BITMAP && cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) &&
            cs->lpszName[0] == 0xFFFF) {
            s->image = LoadBitmapResource(cs->hInstance, MAKEINTRESOURCEW(cs->lpszName[1]));
            s->ownsImage = s->image != nullptr;
            FitToImage(hwnd, s->image);
        }
        return 0;
    }
    case STM_SETIMAGE: {
        if (!ImageTypeFits(StyleOf(hwnd), wParam))
            return 0;
        HANDLE previous = s->image;
        s->image = reinterpret_cast<HANDLE>(lParam);
        s->ownsImage = false;
        FitToImage(hwnd, s->image);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETIMAGE:
        return ImageTypeFits(StyleOf(hwnd), wParam) ? reinterpret_cast<LRESULT>(s->image) : 0;
    case STM_SETICON:
        return StaticProc(hwnd, STM_SETIMAGE, IMAGE_ICON, LPARAM(wParam));
    case STM_GETICON:
        return StaticProc(hwnd, STM_GETIMAGE, IMAGE_ICON, 0);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_PAINT:
        PaintControl(hwnd, WM_CTLCOLORSTATIC);
        return 0;
    case WM_SETTEXT:
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    EditState *s = StateOf<EditState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result;
    if (CommonFont(s, msg, wParam, &result))
        return result;
    DWORD style = StyleOf(hwnd);
    switch (msg) {
    case WM_SETTEXT:
        // Not cut by the limit, which only holds for what the user types;
        // the caret goes to the start. A one-line edit reports the change.
        StoreText(hwnd, lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"");
        s->selStart = s->selEnd = 0;
        s->modified = false;
        if (!(style & ES_MULTILINE))
            EditChanged(hwnd);
        else
            InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_CHAR:
        TypeChar(hwnd, s, WCHAR(wParam));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | ((style & ES_MULTILINE) ? DLGC_WANTALLKEYS : 0);
    case WM_KEYDOWN: {
        size_t length = TextOf(hwnd).size();
        switch (wParam) {
        case VK_DELETE:
            if (style & ES_READONLY)
                break;
            if (s->selStart == s->selEnd && s->selEnd < length)
                ++s->selEnd;
            ReplaceSelection(hwnd, s, u"");
            break;
        case VK_HOME:
            s->selStart = s->selEnd = 0;
            break;
        case VK_END:
            s->selStart = s->selEnd = length;
            break;
        case VK_LEFT:
            s->selStart = s->selEnd = std::min(s->selStart, s->selEnd) > 0 ? std::min(s->selStart, s->selEnd) - 1 : 0;
            break;
        case VK_RIGHT:
            s->selStart = s->selEnd = std::min(std::max(s->selStart, s->selEnd) + 1, length);
            break;
        default:
            break;
        }
        return 0;
    }
    case EM_SETSEL: {
        size_t length = TextOf(hwnd).size();
        if (int(wParam) == -1) {
            s->selStart = s->selEnd;
            return 0;
        }
        size_t from = int(wParam) < 0 ? length : std::min<size_t>(wParam, length);
        size_t to = int(lParam) < 0 ? length : std::min<size_t>(size_t(lParam), length);
        s->selStart = from;
        s->selEnd = to;
        return 0;
    }
    case EM_GETSEL: {
        DWORD from = DWORD(std::min(s->selStart, s->selEnd)), to = DWORD(std::max(s->selStart, s->selEnd));
        if (wParam)
            *reinterpret_cast<DWORD *>(wParam) = from;
        if (lParam)
            *reinterpret_cast<DWORD *>(lParam) = to;
        return (from > 0xFFFF || to > 0xFFFF) ? -1 : MAKELRESULT(from, to);
    }
    case EM_REPLACESEL:
        ReplaceSelection(hwnd, s, lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"");
        return 0;
    case EM_LIMITTEXT:
        // 0 asks for the platform's largest limit.
        s->limit = wParam ? size_t(wParam) : ((style & ES_MULTILINE) ? 0xFFFFFFFFu : 0x7FFFFFFEu);
        return 0;
    case EM_GETLIMITTEXT:
        return LRESULT(s->limit);
    case EM_GETMODIFY:
        return s->modified;
    case EM_SETMODIFY:
        s->modified = wParam != 0;
        return 0;
    case EM_SETREADONLY:
        ChangeStyle(hwnd, wParam ? ES_READONLY : 0, wParam ? 0 : ES_READONLY);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case EM_GETLINECOUNT: {
        std::u16string text = TextOf(hwnd);
        return (style & ES_MULTILINE) ? 1 + std::count(text.begin(), text.end(), u'\n') : 1;
    }
    case EM_CANUNDO:
    case EM_UNDO:
        return FALSE;
    case WM_SETFOCUS:
        NotifyCommand(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        NotifyCommand(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_PAINT:
        PaintControl(hwnd, (style & (ES_READONLY | WS_DISABLED)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case kActionMessage: {
        if (Action(wParam) != Action::Type || (style & ES_READONLY))
            return FALSE;
        const std::u16string &text = *reinterpret_cast<ActionArgs *>(lParam)->text;
        SetFocus(hwnd);
        SendMessageW(hwnd, EM_SETSEL, 0, -1);
        if (text.empty())
            SendMessageW(hwnd, WM_CHAR, VK_BACK, 1);
        for (WCHAR c : text)
            SendMessageW(hwnd, WM_CHAR, c, 1);
        return TRUE;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ComboState *s = StateOf<ComboState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    DWORD style = StyleOf(hwnd);
    int count = int(s->items.size());
    auto valid = [&](WPARAM i) { return int(i) >= 0 && int(i) < count; };
    switch (msg) {
    case WM_CREATE:
        s->droppedHeight = reinterpret_cast<CREATESTRUCTW *>(lParam)->cy;
        SetComboHeight(hwnd, s);
        return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        SetComboHeight(hwnd, s);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case CB_ADDSTRING: {
        // Sorted lists insert after the entries that compare lower or equal,
        // case-insensitively as the platform's locale comparison does: a
        // binary search over the entries' kept sort keys.
        int at = count;
        if (style & CBS_SORT) {
            std::u32string key = standin::crt::WordSortKey(lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"");
            auto it = std::upper_bound(s->items.begin(), s->items.end(), key,
                                       [](const std::u32string &k, const ComboState::Item &i) { return k < i.key; });
            at = int(it - s->items.begin());
        }
        return InsertItem(s, at, reinterpret_cast<LPCWSTR>(lParam));
    }
    case CB_INSERTSTRING: {
        int at = int(wParam) == -1 ? count : int(wParam);
        if (at < 0 || at > count)
            return CB_ERR;
        return InsertItem(s, at, reinterpret_cast<LPCWSTR>(lParam));
    }
    case CB_DELETESTRING:
        if (!valid(wParam))
            return CB_ERR;
        s->items.erase(s->items.begin() + int(wParam));
        if (s->selected == int(wParam))
            SelectItem(hwnd, s, -1);
        else if (s->selected > int(wParam))
            --s->selected;
        return count - 1;
    case CB_RESETCONTENT:
        s->items.clear();
        SelectItem(hwnd, s, -1);
        return CB_OKAY;
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return s->selected;
    case CB_SETCURSEL:
        // No notification: only the user's choice sends CBN_SELCHANGE.
        if (!valid(wParam)) {
            SelectItem(hwnd, s, -1);
            return CB_ERR;
        }
        SelectItem(hwnd, s, int(wParam));
        return int(wParam);
    case CB_GETLBTEXT:
        return valid(wParam) ? CopyItemText(s->items[wParam].text, lParam) : CB_ERR;
    case CB_GETLBTEXTLEN:
        return valid(wParam) ? LRESULT(s->items[wParam].text.size()) : CB_ERR;
    case CB_FINDSTRING:
        return FindItem(*s, wParam, reinterpret_cast<LPCWSTR>(lParam), false);
    case CB_FINDSTRINGEXACT:
        return FindItem(*s, wParam, reinterpret_cast<LPCWSTR>(lParam), true);
    case CB_SELECTSTRING: {
        int found = FindItem(*s, wParam, reinterpret_cast<LPCWSTR>(lParam), false);
        if (found != CB_ERR)
            SelectItem(hwnd, s, found);
        return found;
    }
    case CB_SETITEMDATA:
        if (!valid(wParam))
            return CB_ERR;
        s->items[wParam].data = lParam;
        return TRUE;
    case CB_GETITEMDATA:
        return valid(wParam) ? s->items[wParam].data : CB_ERR;
    case CB_SHOWDROPDOWN:
        if (bool(wParam) != s->dropped) {
            s->dropped = wParam != 0;
            NotifyCommand(hwnd, s->dropped ? CBN_DROPDOWN : CBN_CLOSEUP);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return s->dropped;
    case CB_GETDROPPEDCONTROLRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        if (!r)
            return CB_ERR;
        GetWindowRect(hwnd, r);
        r->bottom = r->top + s->droppedHeight;
        return TRUE;
    }
    case CB_LIMITTEXT:
        return TRUE;
    case WM_SETTEXT:
        if (IsList(style)) {
            // A drop-down list shows only its entries: the text selects one.
            int found = FindItem(*s, WPARAM(-1), lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"", true);
            if (found == CB_ERR)
                return CB_ERR;
            SelectItem(hwnd, s, found);
            return TRUE;
        }
        break;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        if (IsList(style)) {
            std::u16string text = s->selected >= 0 ? s->items[size_t(s->selected)].text : u"";
            if (msg == WM_GETTEXTLENGTH)
                return LRESULT(text.size());
            auto *buffer = reinterpret_cast<LPWSTR>(lParam);
            if (!buffer || !wParam)
                return 0;
            size_t n = std::min(text.size(), size_t(wParam) - 1);
            std::memcpy(buffer, text.data(), n * sizeof(WCHAR));
            buffer[n] = 0;
            return LRESULT(n);
        }
        break;
    case WM_SETFOCUS:
        s->typed.clear();
        NotifyCommand(hwnd, CBN_SETFOCUS);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS;
    // A closed drop-down list: the arrows, Home and End move the selection,
    // and what is typed selects the first entry that begins with it (a key
    // that matches nothing so far starts the search again), each change
    // with CBN_SELCHANGE.
    case WM_KEYDOWN:
    case WM_CHAR: {
        if (!IsList(style) || count == 0)
            return 0;
        int to = s->selected;
        if (msg == WM_CHAR) {
            if (wParam < 0x20)
                return 0;
            std::u16string typed = s->typed + char16_t(wParam);
            to = FindItem(*s, WPARAM(-1), typed.c_str(), false);
            if (to == CB_ERR)
                to = FindItem(*s, WPARAM(-1), (typed = std::u16string(1, char16_t(wParam))).c_str(), false);
            s->typed = to == CB_ERR ? u"" : typed;
        } else if (wParam == VK_UP || wParam == VK_LEFT) {
            to = std::max(s->selected - 1, 0);
        } else if (wParam == VK_DOWN || wParam == VK_RIGHT) {
            to = std::min(s->selected + 1, count - 1);
        } else if (wParam == VK_HOME || wParam == VK_END) {
            to = wParam == VK_HOME ? 0 : count - 1;
        }
        if (to != CB_ERR && to != s->selected) {
            SelectItem(hwnd, s, to);
            NotifyCommand(hwnd, CBN_SELCHANGE);
        }
        return 0;
    }
    case WM_KILLFOCUS:
        NotifyCommand(hwnd, CBN_KILLFOCUS);
        return 0;
    case WM_PAINT:
        PaintControl(hwnd, WM_CTLCOLOREDIT);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case kActionMessage: {
        // The user opens the list and clicks an entry: CBN_DROPDOWN, then with
        // the entry selected CBN_SELENDOK, CBN_CLOSEUP and CBN_SELCHANGE
        // (sent also when the entry was already the selected one).
        int index = reinterpret_cast<ActionArgs *>(lParam)->a;
        if (Action(wParam) != Action::Choose || index < 0 || index >= count)
            return FALSE;
        SetFocus(hwnd);
        s->dropped = true;
        NotifyCommand(hwnd, CBN_DROPDOWN);
        SelectItem(hwnd, s, index);
        NotifyCommand(hwnd, CBN_SELENDOK);
        s->dropped = false;
        NotifyCommand(hwnd, CBN_CLOSEUP);
        NotifyCommand(hwnd, CBN_SELCHANGE);
        return TRUE;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// List boxes are not used by the plug-in's dialogs and are not modelled: the
// window exists, its messages fail with LB_ERR.
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= 0x0180 && msg <= 0x01B0)
        return LB_ERR;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace standin::user

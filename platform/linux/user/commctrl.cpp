// comctl32 of the stand-in: image lists, the list view (report view), the
// trackbar, the up-down control and the progress bar.
#include "platform/linux/crt/crt.h"
#include "platform/linux/user/internal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace standin::user {

namespace {

// ---------------------------------------------------------------------------
// Image lists. Each holds copies of the images added to it (the caller keeps
// its bitmaps) and counts as one GDI object, the strip bitmap a platform
// image list keeps; destroying it frees the copies.

struct ImageList {
    int cx, cy;
    UINT flags;
    std::vector<std::vector<COLORREF>> images;
    std::vector<int> ids;  // the resource each image came from, 0 when none
};

struct ImageLists {
    std::mutex lock;
    std::unordered_map<HIMAGELIST, std::unique_ptr<ImageList>> lists;
    uintptr_t next = 0x60000000;
};

ImageLists &IL()
{
    static ImageLists *lists = new ImageLists;
    return *lists;
}

HIMAGELIST MakeImageList(int cx, int cy, UINT flags)
{
    std::lock_guard<std::mutex> lock(IL().lock);
    IL().next += 4;
    auto h = reinterpret_cast<HIMAGELIST>(IL().next);
    IL().lists[h] = std::make_unique<ImageList>(ImageList{cx, cy, flags, {}, {}});
    standin::CountAdd(&standin::Counters::gdiObjects, 1);
    return h;
}

int AddImages(HIMAGELIST himl, HBITMAP bitmap)
{
    int width, height;
    if (!BitmapSize(bitmap, &width, &height))
        return -1;
    int cx, cy;
    {
        std::lock_guard<std::mutex> lock(IL().lock);
        auto it = IL().lists.find(himl);
        if (it == IL().lists.end())
            return -1;
        cx = it->second->cx, cy = it->second->cy;
    }
    // A bitmap holds as many images side by side as its width allows.
    int count = width / cx;
    if (count == 0)
        return -1;
    std::vector<std::vector<COLORREF>> copies;
    for (int i = 0; i < count; ++i) {
        std::vector<COLORREF> pixels;
        BitmapPixels(bitmap, i * cx, 0, cx, std::min(cy, height), &pixels);
        pixels.resize(size_t(cx) * size_t(cy), RGB(0, 0, 0));
        copies.push_back(std::move(pixels));
    }
    int id = standin::ui::BitmapResourceId(bitmap);
    std::lock_guard<std::mutex> lock(IL().lock);
    auto it = IL().lists.find(himl);
    if (it == IL().lists.end())
        return -1;
    ImageList &list = *it->second;
    int first = int(list.images.size());
    for (auto &c : copies) {
        list.images.push_back(std::move(c));
        list.ids.push_back(std::max(id, 0));
    }
    return first;
}

// ---------------------------------------------------------------------------
// List view.

constexpr int kHeaderHeight = 24, kRowHeight = 17, kStateIconWidth = 16;

struct Cell {
    std::u16string text;
    int image = -1;
};

struct Row {
    std::vector<Cell> cells;  // by sub-item
    UINT state = 0;
    LPARAM param = 0;
    int indent = 0;
};

struct Column {
    int fmt = LVCFMT_LEFT;
    int cx = 0;
    std::u16string text;
    int subItem = 0;
    int image = -1;
    int order = 0;
};

struct ListViewState : Control {
    std::vector<Column> columns;
    std::vector<Row> rows;
    DWORD ex = 0;
    HIMAGELIST lists[3] = {nullptr, nullptr, nullptr};
    HIMAGELIST ownStateList = nullptr;  // made for LVS_EX_CHECKBOXES
    bool share = false;                 // LVS_SHAREIMAGELISTS
    ~ListViewState() override
    {
        // Without LVS_SHAREIMAGELISTS the list view destroys the image lists
        // it was given, as the platform's does.
        for (int i = 0; i < 3; ++i)
            if (lists[i] && (lists[i] == ownStateList || !share))
                ImageList_Destroy(lists[i]);
        if (ownStateList && ownStateList != lists[LVSIL_STATE])
            ImageList_Destroy(ownStateList);
    }
};

Cell &CellAt(Row &row, int subItem)
{
    if (row.cells.size() <= size_t(subItem))
        row.cells.resize(size_t(subItem) + 1);
    return row.cells[size_t(subItem)];
}

bool ValidSubItem(const ListViewState &s, int subItem)
{
    if (subItem == 0)
        return true;
    if (subItem < 0)
        return false;
    if (size_t(subItem) < s.columns.size())
        return true;
    return std::any_of(s.columns.begin(), s.columns.end(), [&](const Column &c) { return c.subItem == subItem; });
}

int CopyText(const std::u16string &text, LPWSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    int n = std::min(int(text.size()), size - 1);
    std::memcpy(buffer, text.data(), size_t(n) * sizeof(WCHAR));
    buffer[n] = 0;
    return n;
}

int RowHeight(const ListViewState &s)
{
    int cx, cy = 0;
    if (s.lists[LVSIL_SMALL])
        ImageList_GetIconSize(s.lists[LVSIL_SMALL], &cx, &cy);
    return std::max(kRowHeight, cy + 1);
}

int HeaderHeight(HWND hwnd) { return (StyleOf(hwnd) & LVS_NOCOLUMNHEADER) ? 0 : kHeaderHeight; }

// The left edge and width of the column that shows a sub-item.
bool ColumnSpan(const ListViewState &s, int subItem, int *left, int *width)
{
    std::vector<const Column *> byOrder;
    for (const Column &c : s.columns)
        byOrder.push_back(&c);
    std::stable_sort(byOrder.begin(), byOrder.end(),
                     [](const Column *a, const Column *b) { return a->order < b->order; });
    int x = 0;
    for (const Column *c : byOrder) {
        if (c->subItem == subItem) {
            *left = x, *width = c->cx;
            return true;
        }
        x += c->cx;
    }
    *left = 0, *width = 0;
    return subItem == 0;
}

// Changes an item's state with the platform's notifications: LVN_ITEMCHANGING,
// which the parent can refuse, and LVN_ITEMCHANGED. Only one item is focused,
// and only one is selected in a single-selection list.
bool SetItemState(HWND hwnd, ListViewState *s, int item, UINT state, UINT mask)
{
    if (item < 0 || size_t(item) >= s->rows.size())
        return false;
    UINT old = s->rows[size_t(item)].state, now = (old & ~mask) | (state & mask);
    if (now == old)
        return true;
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.uNewState = now;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = s->rows[size_t(item)].param;
    if (NotifyHeader(hwnd, &nm.hdr, LVN_ITEMCHANGING))
        return false;
    bool selects = (now & LVIS_SELECTED) && !(old & LVIS_SELECTED) && (StyleOf(hwnd) & LVS_SINGLESEL);
    bool focuses = (now & LVIS_FOCUSED) && !(old & LVIS_FOCUSED);
    for (size_t j = 0; j < s->rows.size(); ++j) {
        if (int(j) == item)
            continue;
        UINT drop = (selects ? LVIS_SELECTED : 0) | (focuses ? LVIS_FOCUSED : 0);
        if (s->rows[j].state & drop)
            SetItemState(hwnd, s, int(j), 0, drop);
    }
    if (size_t(item) >= s->rows.size())
        return false;  // the parent deleted it meanwhile
    s->rows[size_t(item)].state = now;
    NotifyHeader(hwnd, &nm.hdr, LVN_ITEMCHANGED);
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

void SetCheckBoxes(HWND hwnd, ListViewState *s, bool on)
{
    if (on) {
        // The state image list of the two check boxes: 1 unchecked, 2 checked.
        if (!s->lists[LVSIL_STATE]) {
            s->ownStateList = MakeImageList(kStateIconWidth, kStateIconWidth, ILC_COLOR32);
            std::lock_guard<std::mutex> lock(IL().lock);
            auto &list = *IL().lists[s->ownStateList];
            list.images.assign(2, std::vector<COLORREF>(kStateIconWidth * kStateIconWidth, RGB(255, 255, 255)));
            list.ids.assign(2, 0);
            s->lists[LVSIL_STATE] = s->ownStateList;
        }
        for (Row &r : s->rows)
            if (!(r.state & LVIS_STATEIMAGEMASK))
                r.state |= INDEXTOSTATEIMAGEMASK(1);
    } else {
        for (Row &r : s->rows)
            r.state &= ~UINT(LVIS_STATEIMAGEMASK);
        if (s->ownStateList && s->lists[LVSIL_STATE] == s->ownStateList) {
            ImageList_Destroy(s->ownStateList);
            s->lists[LVSIL_STATE] = s->ownStateList = nullptr;
        }
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

int AutoWidth(HWND hwnd, const ListViewState &s, const Column &c, bool header)
{
    int cx, cy;
    FontUnits(s.font, &cx, &cy);
    size_t chars = header ? c.text.size() : 0;
    for (const Row &r : s.rows)
        if (size_t(c.subItem) < r.cells.size())
            chars = std::max(chars, r.cells[size_t(c.subItem)].text.size());
    (void)hwnd;
    return int(chars) * cx + 12;
}

LRESULT InsertItem(HWND hwnd, ListViewState *s, const LVITEMW *item)
{
    if (!item || item->iSubItem != 0 || item->iItem < 0)
        return -1;
    if ((item->mask & LVIF_TEXT) && item->pszText == LPSTR_TEXTCALLBACKW)
        return -1;  // texts kept by the parent are not modelled
    Row row;
    Cell &label = CellAt(row, 0);
    if ((item->mask & LVIF_TEXT) && item->pszText)
        label.text = item->pszText;
    label.image = (item->mask & LVIF_IMAGE) ? item->iImage : 0;
    if (item->mask & LVIF_PARAM)
        row.param = item->lParam;
    if (item->mask & LVIF_INDENT)
        row.indent = item->iIndent;
    if (item->mask & LVIF_STATE)
        row.state = item->state & item->stateMask & ~UINT(LVIS_SELECTED | LVIS_FOCUSED);
    if ((s->ex & LVS_EX_CHECKBOXES) && !(row.state & LVIS_STATEIMAGEMASK))
        row.state |= INDEXTOSTATEIMAGEMASK(1);
    int at = std::min(item->iItem, int(s->rows.size()));
    DWORD style = StyleOf(hwnd);
    if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        bool ascending = style & LVS_SORTASCENDING;
        at = 0;
        while (size_t(at) < s->rows.size()) {
            int c = lstrcmpiW(CellAt(s->rows[size_t(at)], 0).text.c_str(), label.text.c_str());
            if (ascending ? c > 0 : c < 0)
                break;
            ++at;
        }
    }
    s->rows.insert(s->rows.begin() + at, std::move(row));
    NMLISTVIEW nm{};
    nm.iItem = at;
    NotifyHeader(hwnd, &nm.hdr, LVN_INSERTITEM);
    // The selection and focus given at insertion go through the notifications.
    if ((item->mask & LVIF_STATE) && (item->state & item->stateMask & (LVIS_SELECTED | LVIS_FOCUSED)))
        SetItemState(hwnd, s, at, item->state, item->stateMask & (LVIS_SELECTED | LVIS_FOCUSED));
    InvalidateRect(hwnd, nullptr, TRUE);
    return at;
}

LRESULT SetItem(HWND hwnd, ListViewState *s, int index, const LVITEMW *item, UINT mask)
{
    if (!item || index < 0 || size_t(index) >= s->rows.size() || !ValidSubItem(*s, item->iSubItem))
        return FALSE;
    if ((mask & LVIF_TEXT) && item->pszText == LPSTR_TEXTCALLBACKW)
        return FALSE;  // texts kept by the parent are not modelled
    Row &row = s->rows[size_t(index)];
    Cell &cell = CellAt(row, item->iSubItem);
    if (mask & LVIF_TEXT)
        cell.text = item->pszText ? item->pszText : u"";
    if (mask & LVIF_IMAGE)
        cell.image = item->iImage;
    if (item->iSubItem == 0) {
        if (mask & LVIF_PARAM)
            row.param = item->lParam;
        if (mask & LVIF_INDENT)
            row.indent = item->iIndent;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    if (item->iSubItem == 0 && (mask & LVIF_STATE))
        return SetItemState(hwnd, s, index, item->state, item->stateMask);
    return TRUE;
}

LRESULT GetItem(const ListViewState &s, LVITEMW *item)
{
    if (!item || item->iItem < 0 || size_t(item->iItem) >= s.rows.size() || !ValidSubItem(s, item->iSubItem))
        return FALSE;
    const Row &row = s.rows[size_t(item->iItem)];
    Cell empty;
    const Cell &cell = size_t(item->iSubItem) < row.cells.size() ? row.cells[size_t(item->iSubItem)] : empty;
    if (item->mask & LVIF_TEXT)
        CopyText(cell.text, item->pszText, item->cchTextMax);
    if (item->mask & LVIF_IMAGE)
        item->iImage = cell.image;
    if (item->iSubItem == 0) {
        if (item->mask & LVIF_PARAM)
            item->lParam = row.param;
        if (item->mask & LVIF_INDENT)
            item->iIndent = row.indent;
        if (item->mask & LVIF_STATE)
            item->state = row.state & item->stateMask;
    } else if (item->mask & LVIF_STATE) {
        item->state = 0;
    }
    return TRUE;
}

void DeleteRow(HWND hwnd, ListViewState *s, int index, bool notify)
{
    if (notify) {
        NMLISTVIEW nm{};
        nm.iItem = index;
        nm.lParam = s->rows[size_t(index)].param;
        NotifyHeader(hwnd, &nm.hdr, LVN_DELETEITEM);
    }
    if (size_t(index) < s->rows.size())
        s->rows.erase(s->rows.begin() + index);
}

int StateIconWidth(const ListViewState &s) { return (s.ex & LVS_EX_CHECKBOXES) ? kStateIconWidth : 0; }

int RowTop(HWND hwnd, const ListViewState &s, int item) { return HeaderHeight(hwnd) + item * RowHeight(s); }

// Where a user clicks a cell: the middle of its column, but in the item's own
// column past the check box, which a click would toggle. A column too narrow
// to show more than the box has only the box to click.
POINT CellPoint(HWND hwnd, const ListViewState &s, int item, int subItem)
{
    int left, width;
    ColumnSpan(s, subItem, &left, &width);
    int row = item < 0 ? int(s.rows.size()) : item;
    int x = left + width / 2, box = StateIconWidth(s);
    if (subItem == 0 && width > box)
        x = left + box + (width - box) / 2;
    return POINT{x, RowTop(hwnd, s, row) + RowHeight(s) / 2};
}

POINT StateIconPoint(HWND hwnd, const ListViewState &s, int item)
{
    int left, width;
    ColumnSpan(s, 0, &left, &width);
    return POINT{left + kStateIconWidth / 2, RowTop(hwnd, s, item) + RowHeight(s) / 2};
}

// The item's own column shows the check box, then the small image, then the
// label; the other columns show their text.
LRESULT HitTest(HWND hwnd, const ListViewState &s, LVHITTESTINFO *info, bool subItems)
{
    if (!info)
        return -1;
    info->iItem = -1;
    info->iSubItem = 0;
    int y = info->pt.y - HeaderHeight(hwnd);
    int row = y >= 0 ? y / RowHeight(s) : -1;
    if (y < 0 || size_t(row) >= s.rows.size()) {
        info->flags = y < 0 ? LVHT_ABOVE : LVHT_NOWHERE;
        return -1;
    }
    info->iItem = row;
    int x = info->pt.x, left, width;
    ColumnSpan(s, 0, &left, &width);
    int box = StateIconWidth(s), icon = s.lists[LVSIL_SMALL] ? kStateIconWidth : 0;
    if (x >= left && x < left + width && x < left + box)
        info->flags = LVHT_ONITEMSTATEICON;
    else if (x >= left && x < left + width && x < left + box + icon)
        info->flags = LVHT_ONITEMICON;
    else
        info->flags = LVHT_ONITEMLABEL;
    if (subItems)
        for (const Column &c : s.columns) {
            int cl, cw;
            if (ColumnSpan(s, c.subItem, &cl, &cw) && x >= cl && x < cl + cw)
                info->iSubItem = c.subItem;
        }
    return row;
}

// A left click on a check box toggles it by itself: LVN_ITEMCHANGING (which
// the parent may refuse) and LVN_ITEMCHANGED; the selection stays.
void ToggleState(HWND hwnd, ListViewState *s, int item)
{
    UINT image = (s->rows[size_t(item)].state & LVIS_STATEIMAGEMASK) >> 12;
    SetItemState(hwnd, s, item, INDEXTOSTATEIMAGEMASK(image == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
}

// The row alone selected, and focused.
void SelectRow(HWND hwnd, ListViewState *s, int item)
{
    for (size_t j = 0; j < s->rows.size(); ++j)
        if (int(j) != item && (s->rows[j].state & LVIS_SELECTED))
            SetItemState(hwnd, s, int(j), 0, LVIS_SELECTED);
    SetItemState(hwnd, s, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The arrows, Home and End select and focus a row (the first when none has
// the focus yet); Space toggles the focused row's check box, as a click on
// the box does.
void ListKey(HWND hwnd, ListViewState *s, WPARAM key)
{
    int n = int(s->rows.size()), focused = -1;
    for (int j = 0; j < n && focused < 0; ++j)
        if (s->rows[size_t(j)].state & LVIS_FOCUSED)
            focused = j;
    if (key == VK_SPACE) {
        if ((s->ex & LVS_EX_CHECKBOXES) && focused >= 0 && (s->rows[size_t(focused)].state & LVIS_STATEIMAGEMASK))
            ToggleState(hwnd, s, focused);
        return;
    }
    int to = key == VK_UP     ? focused - 1
             : key == VK_DOWN ? focused + 1
             : key == VK_HOME ? 0
             : key == VK_END  ? n - 1
                              : -2;
    if (to == -2 || n == 0)
        return;
    SelectRow(hwnd, s, focused < 0 ? 0 : std::clamp(to, 0, n - 1));
}

LRESULT SendActivate(HWND hwnd, UINT code, int item, int subItem, POINT at)
{
    NMITEMACTIVATE nm{};
    nm.iItem = item;
    nm.iSubItem = item >= 0 ? subItem : 0;
    nm.ptAction = at;
    return NotifyHeader(hwnd, &nm.hdr, code);
}

// A user's click on a cell (or below the rows), at CellPoint. A left click
// that lands on a check box toggles it as ToggleCheck does; any other click
// selects and focuses the row (the others deselected). Then the parent gets
// the click, whose point it may hit-test.
LRESULT ClickItem(HWND hwnd, ListViewState *s, int item, int subItem, UINT code)
{
    if (item < -1 || item >= int(s->rows.size()) || (code != NM_CLICK && code != NM_RCLICK && code != NM_DBLCLK) ||
        (item >= 0 && !ValidSubItem(*s, subItem)))
        return FALSE;
    SetFocus(hwnd);
    POINT at = CellPoint(hwnd, *s, item, item >= 0 ? subItem : 0);
    LVHITTESTINFO hit{};
    hit.pt = at;
    HitTest(hwnd, *s, &hit, false);
    if (item >= 0 && code != NM_RCLICK && (hit.flags & LVHT_ONITEMSTATEICON) &&
        (s->rows[size_t(item)].state & LVIS_STATEIMAGEMASK)) {
        ToggleState(hwnd, s, item);
    } else if (item >= 0) {
        SelectRow(hwnd, s, item);
    } else {
        for (size_t j = 0; j < s->rows.size(); ++j)
            if (s->rows[j].state & LVIS_SELECTED)
                SetItemState(hwnd, s, int(j), 0, LVIS_SELECTED);
    }
    if (item >= int(s->rows.size()))
        item = -1;  // the parent deleted it meanwhile
    // A right click the parent lets through (0) asks for a context menu at
    // the point, on the screen.
    if (!SendActivate(hwnd, code == NM_RCLICK ? NM_RCLICK : NM_CLICK, item, subItem, at) && code == NM_RCLICK &&
        IsWindow(hwnd)) {
        ClientToScreen(hwnd, &at);
        SendMessageW(hwnd, WM_CONTEXTMENU, WPARAM(hwnd), MAKELPARAM(at.x, at.y));
    }
    if (code == NM_DBLCLK) {
        SendActivate(hwnd, NM_DBLCLK, item, subItem, at);
        if (item >= 0)
            SendActivate(hwnd, LVN_ITEMACTIVATE, item, subItem, at);
    }
    return TRUE;
}

// A user's click on an item's check box: the state image toggles, then the
// parent gets NM_CLICK with the box's point, which hit-tests as
// LVHT_ONITEMSTATEICON.
LRESULT ToggleCheck(HWND hwnd, ListViewState *s, int item)
{
    if (!(s->ex & LVS_EX_CHECKBOXES) || item < 0 || size_t(item) >= s->rows.size())
        return FALSE;
    if (!(s->rows[size_t(item)].state & LVIS_STATEIMAGEMASK))
        return FALSE;
    SetFocus(hwnd);
    ToggleState(hwnd, s, item);
    if (size_t(item) >= s->rows.size())
        return TRUE;
    SendActivate(hwnd, NM_CLICK, item, 0, StateIconPoint(hwnd, *s, item));
    return TRUE;
}

// ---------------------------------------------------------------------------
// Trackbar.

struct TrackbarState : Control {
    LONG min = 0, max = 100, pos = 0;
    LONG line = 1, page = 20, frequency = 1;
    bool pageSet = false;
    std::vector<LONG> tics;
    LONG selStart = 0, selEnd = 0;
    HWND buddies[2] = {nullptr, nullptr};
};

void ClampTrack(TrackbarState *s)
{
    if (s->max < s->min)
        s->max = s->min;
    s->pos = std::clamp(s->pos, s->min, s->max);
    if (!s->pageSet)
        s->page = std::max<LONG>((s->max - s->min) / 5, 1);
}

void TrackNotify(HWND hwnd, WORD code, LONG pos)
{
    if (HWND parent = GetParent(hwnd))
        SendMessageW(parent, (StyleOf(hwnd) & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, WORD(pos)),
                     LPARAM(hwnd));
}

// ---------------------------------------------------------------------------
// Up-down.

struct UpDownState : Control {
    int min = 100, max = 0, pos = 0;  // the platform's default range runs from 100 down to 0
    int base = 10;
    std::vector<UDACCEL> accel{UDACCEL{0, 1}};
    HWND buddy = nullptr;
};

int Low(const UpDownState &s) { return std::min(s.min, s.max); }
int High(const UpDownState &s) { return std::max(s.min, s.max); }

std::u16string FormatPosition(HWND hwnd, const UpDownState &s)
{
    char text[32];
    if (s.base == 16) {
        std::snprintf(text, sizeof text, "0x%04X", unsigned(s.pos) & 0xFFFF);
        return Utf16(text);
    }
    std::string digits = std::to_string(s.pos < 0 ? -(long long)s.pos : (long long)s.pos);
    if (!(StyleOf(hwnd) & UDS_NOTHOUSANDS))
        for (int i = int(digits.size()) - 3; i > 0; i -= 3)
            digits.insert(size_t(i), ",");
    return Utf16(((s.pos < 0 ? "-" : "") + digits).c_str());
}

// The buddy's number, when its text is one within the range.
bool ReadBuddy(const UpDownState &s, int *value)
{
    if (!s.buddy || KindOf(s.buddy) == Kind::ListBox)
        return false;
    std::u16string text = TextOf(s.buddy);
    std::string digits;
    for (char16_t c : text)
        if (!(c == u',' && s.base == 10) && c != u' ')
            digits += char(c < 0x80 ? c : '?');
    if (digits.empty())
        return false;
    char *end = nullptr;
    long v = std::strtol(digits.c_str(), &end, s.base == 16 ? 16 : 10);
    if (*end || v < Low(s) || v > High(s))
        return false;
    *value = int(v);
    return true;
}

void SetPosition(HWND hwnd, UpDownState *s, int pos)
{
    s->pos = std::clamp(pos, Low(*s), High(*s));
    if ((StyleOf(hwnd) & UDS_SETBUDDYINT) && s->buddy && IsWindow(s->buddy))
        SetWindowTextW(s->buddy, FormatPosition(hwnd, *s).c_str());
}

// With an alignment style the up-down control places itself at the buddy's
// edge, and the buddy gives up the width the up-down control takes.
void AttachBuddy(HWND hwnd, UpDownState *s, HWND buddy)
{
    s->buddy = buddy;
    DWORD style = StyleOf(hwnd);
    HWND parent = GetParent(hwnd);
    if (!buddy || !parent || !(style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)))
        return;
    RECT b, me;
    GetWindowRect(buddy, &b);
    GetWindowRect(hwnd, &me);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&b), 2);
    int width = me.right - me.left, buddyWidth = std::max<int>(b.right - b.left - width, 0);
    int height = b.bottom - b.top;
    if (style & UDS_ALIGNRIGHT) {
        SetWindowPos(buddy, nullptr, 0, 0, buddyWidth, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(hwnd, nullptr, b.left + buddyWidth, b.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(buddy, nullptr, b.left + width, b.top, buddyWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(hwnd, nullptr, b.left, b.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void UpDownScroll(HWND hwnd, WORD code, int pos)
{
    if (HWND parent = GetParent(hwnd))
        SendMessageW(parent, (StyleOf(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, WORD(pos)),
                     LPARAM(hwnd));
}

// One press of an arrow: the up arrow moves towards the maximum, which may be
// below the minimum. The parent sees UDN_DELTAPOS with the proposed change
// (sent also at the end of the range) and refuses it with a nonzero result;
// a change that is allowed moves the position (clamped, or wrapped with
// UDS_WRAP) and is reported with SB_THUMBPOSITION; the release sends
// SB_ENDSCROLL in any case.
void Press(HWND hwnd, UpDownState *s, bool up)
{
    DWORD style = StyleOf(hwnd);
    int value;
    if ((style & UDS_SETBUDDYINT) && ReadBuddy(*s, &value))
        s->pos = value;
    int step = int(s->accel.empty() ? 1 : s->accel.front().nInc);
    NMUPDOWN nm{};
    nm.iPos = s->pos;
    nm.iDelta = (up == (s->max >= s->min)) ? step : -step;
    if (!NotifyHeader(hwnd, &nm.hdr, UDN_DELTAPOS) && nm.iDelta) {
        long long target = (long long)s->pos + nm.iDelta;
        if (target > High(*s))
            target = (style & UDS_WRAP) ? Low(*s) : High(*s);
        else if (target < Low(*s))
            target = (style & UDS_WRAP) ? High(*s) : Low(*s);
        if (int(target) != s->pos) {
            SetPosition(hwnd, s, int(target));
            UpDownScroll(hwnd, SB_THUMBPOSITION, s->pos);
        }
    }
    UpDownScroll(hwnd, SB_ENDSCROLL, s->pos);
}

// ---------------------------------------------------------------------------
// Progress bar.

struct ProgressState : Control {
    int min = 0, max = 100, pos = 0, step = 10;
    COLORREF bar = CLR_DEFAULT;
    int state = 1;  // PBST_NORMAL
};

LRESULT SetProgressRange(HWND hwnd, ProgressState *s, int min, int max)
{
    LRESULT old = MAKELRESULT(WORD(s->min), WORD(s->max));
    s->min = min;
    s->max = std::max(min, max);
    s->pos = std::clamp(s->pos, s->min, s->max);
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

}  // namespace

std::vector<int> ImageListIds(HIMAGELIST list)
{
    std::lock_guard<std::mutex> lock(IL().lock);
    auto it = IL().lists.find(list);
    return it == IL().lists.end() ? std::vector<int>() : it->second->ids;
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ListViewState *s = StateOf<ListViewState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    int count = int(s->rows.size());
    auto valid = [&](WPARAM i) { return int(i) >= 0 && int(i) < count; };
    switch (msg) {
    case WM_CREATE:
        s->share = StyleOf(hwnd) & LVS_SHAREIMAGELISTS;
        return 0;
    case WM_STYLECHANGED:
        if (wParam == WPARAM(GWL_STYLE))
            s->share = reinterpret_cast<STYLESTRUCT *>(lParam)->styleNew & LVS_SHAREIMAGELISTS;
        return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case LVM_GETITEMCOUNT:
        return count;
    case LVM_INSERTITEMW:
        return InsertItem(hwnd, s, reinterpret_cast<const LVITEMW *>(lParam));
    case LVM_SETITEMW: {
        auto *item = reinterpret_cast<const LVITEMW *>(lParam);
        return item ? SetItem(hwnd, s, item->iItem, item, item->mask) : FALSE;
    }
    case LVM_GETITEMW:
        return GetItem(*s, reinterpret_cast<LVITEMW *>(lParam));
    case LVM_SETITEMTEXTW:
        return SetItem(hwnd, s, int(wParam), reinterpret_cast<const LVITEMW *>(lParam), LVIF_TEXT);
    case LVM_GETITEMTEXTW: {
        auto *item = reinterpret_cast<LVITEMW *>(lParam);
        if (!item)
            return 0;
        if (!valid(wParam) || !ValidSubItem(*s, item->iSubItem)) {
            CopyText(u"", item->pszText, item->cchTextMax);
            return 0;
        }
        const Row &row = s->rows[wParam];
        std::u16string text = size_t(item->iSubItem) < row.cells.size() ? row.cells[size_t(item->iSubItem)].text : u"";
        return CopyText(text, item->pszText, item->cchTextMax);
    }
    case LVM_DELETEITEM:
        if (!valid(wParam))
            return FALSE;
        DeleteRow(hwnd, s, int(wParam), true);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_DELETEALLITEMS: {
        if (count > 0) {
            // A parent that answers LVN_DELETEALLITEMS with TRUE gets no
            // LVN_DELETEITEM for each item.
            NMLISTVIEW nm{};
            nm.iItem = -1;
            bool each = !NotifyHeader(hwnd, &nm.hdr, LVN_DELETEALLITEMS);
            while (each && !s->rows.empty())
                DeleteRow(hwnd, s, 0, true);
            s->rows.clear();
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case LVM_GETNEXTITEM: {
        UINT flags = LOWORD(lParam),
             want = (flags & LVNI_SELECTED ? LVIS_SELECTED : 0) | (flags & LVNI_FOCUSED ? LVIS_FOCUSED : 0) |
                    (flags & LVNI_CUT ? LVIS_CUT : 0) | (flags & LVNI_DROPHILITED ? LVIS_DROPHILITED : 0);
        int start = int(wParam);
        bool back = flags & (LVNI_ABOVE | LVNI_TOLEFT);
        for (int i = back ? start - 1 : start + 1; i >= 0 && i < count; i += back ? -1 : 1)
            if ((s->rows[size_t(i)].state & want) == want)
                return i;
        return -1;
    }
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(s->rows.begin(), s->rows.end(), [](const Row &r) { return r.state & LVIS_SELECTED; });
    case LVM_SETITEMSTATE: {
        auto *item = reinterpret_cast<const LVITEMW *>(lParam);
        if (!item)
            return FALSE;
        if (int(wParam) == -1) {
            for (int i = 0; i < int(s->rows.size()); ++i)
                SetItemState(hwnd, s, i, item->state, item->stateMask);
            return TRUE;
        }
        return valid(wParam) && SetItemState(hwnd, s, int(wParam), item->state, item->stateMask);
    }
    case LVM_GETITEMSTATE:
        return valid(wParam) ? LRESULT(s->rows[wParam].state & UINT(lParam)) : 0;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD mask = wParam ? DWORD(wParam) : 0xFFFFFFFFu, old = s->ex;
        s->ex = (old & ~mask) | (DWORD(lParam) & mask);
        if ((old ^ s->ex) & LVS_EX_CHECKBOXES)
            SetCheckBoxes(hwnd, s, s->ex & LVS_EX_CHECKBOXES);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return s->ex;
    case LVM_SETIMAGELIST: {
        if (wParam > LVSIL_STATE)
            return 0;
        HIMAGELIST old = s->lists[wParam];
        s->lists[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
        if (old && old == s->ownStateList)
            s->ownStateList = nullptr;  // handed back: the caller's now
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
        return wParam <= LVSIL_STATE ? reinterpret_cast<LRESULT>(s->lists[wParam]) : 0;
    case LVM_INSERTCOLUMNW: {
        auto *col = reinterpret_cast<const LVCOLUMNW *>(lParam);
        if (!col || int(wParam) < 0)
            return -1;
        int at = std::min(int(wParam), int(s->columns.size()));
        Column c;
        c.fmt = (col->mask & LVCF_FMT) ? col->fmt : LVCFMT_LEFT;
        c.cx = (col->mask & LVCF_WIDTH) ? col->cx : 0;
        if ((col->mask & LVCF_TEXT) && col->pszText)
            c.text = col->pszText;
        c.subItem = (col->mask & LVCF_SUBITEM) ? col->iSubItem : at;
        c.image = (col->mask & LVCF_IMAGE) ? col->iImage : -1;
        for (Column &other : s->columns)
            if (other.order >= at)
                ++other.order;
        c.order = at;
        s->columns.insert(s->columns.begin() + at, c);
        InvalidateRect(hwnd, nullptr, TRUE);
        return at;
    }
    case LVM_GETCOLUMNW:
    case LVM_SETCOLUMNW: {
        auto *col = reinterpret_cast<LVCOLUMNW *>(lParam);
        if (!col || wParam >= s->columns.size())
            return FALSE;
        Column &c = s->columns[wParam];
        bool get = msg == LVM_GETCOLUMNW;
        if (col->mask & LVCF_FMT)
            get ? void(col->fmt = c.fmt) : void(c.fmt = col->fmt);
        if (col->mask & LVCF_WIDTH)
            get ? void(col->cx = c.cx) : void(c.cx = col->cx);
        if (col->mask & LVCF_TEXT)
            get ? void(CopyText(c.text, col->pszText, col->cchTextMax))
                : void(c.text = col->pszText ? col->pszText : u"");
        if (col->mask & LVCF_SUBITEM)
            get ? void(col->iSubItem = c.subItem) : void(c.subItem = col->iSubItem);
        if (col->mask & LVCF_IMAGE)
            get ? void(col->iImage = c.image) : void(c.image = col->iImage);
        if (col->mask & LVCF_ORDER)
            get ? void(col->iOrder = c.order) : void(c.order = col->iOrder);
        return TRUE;
    }
    case LVM_DELETECOLUMN:
        if (wParam >= s->columns.size())
            return FALSE;
        s->columns.erase(s->columns.begin() + int(wParam));
        return TRUE;
    case LVM_SETCOLUMNWIDTH: {
        if (wParam >= s->columns.size())
            return FALSE;
        Column &c = s->columns[wParam];
        int cx = short(LOWORD(lParam));
        c.cx = cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER
                   ? AutoWidth(hwnd, *s, c, cx == LVSCW_AUTOSIZE_USEHEADER)
                   : cx;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case LVM_GETCOLUMNWIDTH:
        return wParam < s->columns.size() ? s->columns[wParam].cx : 0;
    case LVM_HITTEST:
        return HitTest(hwnd, *s, reinterpret_cast<LVHITTESTINFO *>(lParam), false);
    case LVM_SUBITEMHITTEST:
        return HitTest(hwnd, *s, reinterpret_cast<LVHITTESTINFO *>(lParam), true);
    case LVM_GETITEMRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        if (!r || !valid(wParam))
            return FALSE;
        int width = 0;
        for (const Column &c : s->columns)
            width += c.cx;
        int top = HeaderHeight(hwnd) + int(wParam) * RowHeight(*s);
        *r = RECT{0, top, width, top + RowHeight(*s)};
        return TRUE;
    }
    case LVM_ENSUREVISIBLE:
        return valid(wParam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        ListKey(hwnd, s, wParam);
        return 0;
    case WM_SETFOCUS: {
        NMHDR nm{};
        NotifyHeader(hwnd, &nm, NM_SETFOCUS);
        return 0;
    }
    case WM_KILLFOCUS: {
        NMHDR nm{};
        NotifyHeader(hwnd, &nm, NM_KILLFOCUS);
        return 0;
    }
    case kActionMessage: {
        auto *args = reinterpret_cast<ActionArgs *>(lParam);
        if (Action(wParam) == Action::ClickItem)
            return ClickItem(hwnd, s, args->a, args->b, args->code);
        if (Action(wParam) == Action::ToggleCheck)
            return ToggleCheck(hwnd, s, args->a);
        return FALSE;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TrackbarState *s = StateOf<TrackbarState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto changed = [&] { InvalidateRect(hwnd, nullptr, TRUE); };
    switch (msg) {
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case TBM_GETPOS:
        return s->pos;
    case TBM_GETRANGEMIN:
        return s->min;
    case TBM_GETRANGEMAX:
        return s->max;
    case TBM_SETPOS:
        // Clamped into the range; no notification.
        s->pos = std::clamp(LONG(lParam), s->min, s->max);
        changed();
        return 0;
    case TBM_SETPOSNOTIFY:
        s->pos = std::clamp(LONG(lParam), s->min, s->max);
        changed();
        TrackNotify(hwnd, TB_THUMBPOSITION, s->pos);
        return 0;
    case TBM_SETRANGE:
        // Both limits are signed 16-bit values, as in MAKELONG(-5, 5).
        s->min = short(LOWORD(lParam));
        s->max = short(HIWORD(lParam));
        ClampTrack(s);
        changed();
        return 0;
    case TBM_SETRANGEMIN:
        s->min = LONG(lParam), ClampTrack(s), changed();
        return 0;
    case TBM_SETRANGEMAX:
        s->max = LONG(lParam), ClampTrack(s), changed();
        return 0;
    case TBM_SETTICFREQ:
        s->frequency = std::max<LONG>(LONG(wParam), 1);
        return 0;
    case TBM_SETTIC:
        if (LONG(lParam) < s->min || LONG(lParam) > s->max)
            return FALSE;
        s->tics.push_back(LONG(lParam));
        return TRUE;
    case TBM_GETTIC:
        return wParam < s->tics.size() ? s->tics[wParam] : -1;
    case TBM_CLEARTICS:
        s->tics.clear();
        return 0;
    case TBM_GETNUMTICS: {
        DWORD style = StyleOf(hwnd);
        if (style & TBS_NOTICKS)
            return 0;
        LONG interior = 0;
        if (style & TBS_AUTOTICKS)
            for (LONG v = s->min + s->frequency; v < s->max; v += s->frequency)
                ++interior;
        return 2 + interior + LONG(s->tics.size());
    }
    case TBM_SETPAGESIZE: {
        LONG old = s->page;
        s->page = LONG(lParam);
        s->pageSet = true;
        return old;
    }
    case TBM_GETPAGESIZE:
        return s->page;
    case TBM_SETLINESIZE: {
        LONG old = s->line;
        s->line = LONG(lParam);
        return old;
    }
    case TBM_GETLINESIZE:
        return s->line;
    case TBM_SETSEL:
        s->selStart = short(LOWORD(lParam)), s->selEnd = short(HIWORD(lParam));
        return 0;
    case TBM_SETSELSTART:
        s->selStart = LONG(lParam);
        return 0;
    case TBM_SETSELEND:
        s->selEnd = LONG(lParam);
        return 0;
    case TBM_GETSELSTART:
        return s->selStart;
    case TBM_GETSELEND:
        return s->selEnd;
    case TBM_CLEARSEL:
        s->selStart = s->selEnd = 0;
        return 0;
    case TBM_SETBUDDY: {
        HWND &slot = s->buddies[wParam ? 0 : 1];
        HWND old = slot;
        slot = reinterpret_cast<HWND>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case TBM_GETBUDDY:
        return reinterpret_cast<LRESULT>(s->buddies[wParam ? 0 : 1]);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        // The arrow keys move by the line size, Page Up and Page Down by the
        // page size, Home and End to the ends.
        LONG target = s->pos;
        WORD code;
        switch (wParam) {
        case VK_LEFT:
        case VK_UP:
            target -= s->line, code = TB_LINEUP;
            break;
        case VK_RIGHT:
        case VK_DOWN:
            target += s->line, code = TB_LINEDOWN;
            break;
        case VK_PRIOR:
            target -= s->page, code = TB_PAGEUP;
            break;
        case VK_NEXT:
            target += s->page, code = TB_PAGEDOWN;
            break;
        case VK_HOME:
            target = s->min, code = TB_TOP;
            break;
        case VK_END:
            target = s->max, code = TB_BOTTOM;
            break;
        default:
            return 0;
        }
        s->pos = std::clamp(target, s->min, s->max);
        changed();
        TrackNotify(hwnd, code, 0);
        return 0;
    }
    case WM_KEYUP:
        if (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN || wParam == VK_PRIOR ||
            wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END)
            TrackNotify(hwnd, TB_ENDTRACK, 0);
        return 0;
    case kActionMessage: {
        // A drag of the thumb and its release: TB_THUMBTRACK while it moves,
        // then TB_THUMBPOSITION and TB_ENDTRACK.
        if (Action(wParam) != Action::Slide)
            return FALSE;
        LONG target = std::clamp(LONG(reinterpret_cast<ActionArgs *>(lParam)->a), s->min, s->max);
        SetFocus(hwnd);
        if (target != s->pos) {
            s->pos = target;
            changed();
            TrackNotify(hwnd, TB_THUMBTRACK, s->pos);
        }
        TrackNotify(hwnd, TB_THUMBPOSITION, s->pos);
        TrackNotify(hwnd, TB_ENDTRACK, 0);
        return TRUE;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    UpDownState *s = StateOf<UpDownState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE:
        if (StyleOf(hwnd) & UDS_AUTOBUDDY)
            AttachBuddy(hwnd, s, GetWindow(hwnd, GW_HWNDPREV));
        return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case UDM_SETRANGE:
        s->max = short(LOWORD(lParam));
        s->min = short(HIWORD(lParam));
        s->pos = std::clamp(s->pos, Low(*s), High(*s));
        return 0;
    case UDM_GETRANGE:
        return MAKELRESULT(WORD(s->max), WORD(s->min));
    case UDM_SETRANGE32:
        s->min = int(wParam);
        s->max = int(lParam);
        s->pos = std::clamp(s->pos, Low(*s), High(*s));
        return 0;
    case UDM_GETRANGE32:
        if (wParam)
            *reinterpret_cast<int *>(wParam) = s->min;
        if (lParam)
            *reinterpret_cast<int *>(lParam) = s->max;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        int old = s->pos;
        SetPosition(hwnd, s, msg == UDM_SETPOS ? short(LOWORD(lParam)) : int(lParam));
        return msg == UDM_SETPOS ? LRESULT(WORD(old)) : LRESULT(old);
    }
    case UDM_GETPOS:
    case UDM_GETPOS32: {
        // With UDS_SETBUDDYINT the buddy's text is read back first; a text that
        // is no number in the range reports an error.
        bool error = false;
        if (StyleOf(hwnd) & UDS_SETBUDDYINT) {
            int value;
            if (ReadBuddy(*s, &value))
                s->pos = value;
            else
                error = true;
        }
        if (msg == UDM_GETPOS32) {
            if (lParam)
                *reinterpret_cast<BOOL *>(lParam) = error;
            return s->pos;
        }
        return MAKELRESULT(WORD(s->pos), error ? 1 : 0);
    }
    case UDM_SETBUDDY: {
        HWND old = s->buddy;
        AttachBuddy(hwnd, s, reinterpret_cast<HWND>(wParam));
        return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(s->buddy);
    case UDM_SETBASE: {
        if (wParam != 10 && wParam != 16)
            return 0;
        int old = s->base;
        s->base = int(wParam);
        return old;
    }
    case UDM_GETBASE:
        return s->base;
    case UDM_SETACCEL: {
        auto *accel = reinterpret_cast<const UDACCEL *>(lParam);
        if (!accel || wParam == 0)
            return FALSE;
        s->accel.assign(accel, accel + wParam);
        return TRUE;
    }
    case UDM_GETACCEL: {
        auto *out = reinterpret_cast<UDACCEL *>(lParam);
        size_t n = std::min<size_t>(wParam, s->accel.size());
        if (out)
            std::copy(s->accel.begin(), s->accel.begin() + n, out);
        return LRESULT(s->accel.size());
    }
    case WM_KEYDOWN:
        if ((StyleOf(hwnd) & UDS_ARROWKEYS) && (wParam == VK_UP || wParam == VK_DOWN))
            Press(hwnd, s, wParam == VK_UP);
        return 0;
    case kActionMessage: {
        int delta = reinterpret_cast<ActionArgs *>(lParam)->a;
        if (Action(wParam) != Action::Spin || delta == 0)
            return FALSE;
        for (int i = 0; i < std::abs(delta) && IsWindow(hwnd); ++i)
            Press(hwnd, s, delta > 0);
        return TRUE;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ProgressState *s = StateOf<ProgressState>(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto move = [&](int to) {
        int old = s->pos;
        s->pos = std::clamp(to, s->min, s->max);
        InvalidateRect(hwnd, nullptr, TRUE);
        return LRESULT(old);
    };
    switch (msg) {
    case PBM_SETRANGE:
        return SetProgressRange(hwnd, s, LOWORD(lParam), HIWORD(lParam));  // unsigned 16-bit
    case PBM_SETRANGE32:
        return SetProgressRange(hwnd, s, int(wParam), int(lParam));
    case PBM_GETRANGE: {
        if (auto *range = reinterpret_cast<PBRANGE *>(lParam))
            *range = PBRANGE{s->min, s->max};
        return wParam ? s->min : s->max;
    }
    case PBM_SETPOS:
        return move(int(wParam));
    case PBM_DELTAPOS:
        return move(s->pos + int(wParam));
    case PBM_GETPOS:
        return s->pos;
    case PBM_SETSTEP: {
        int old = s->step;
        s->step = int(wParam);
        return old;
    }
    case PBM_GETSTEP:
        return s->step;
    case PBM_STEPIT: {
        // Past the end the bar starts over from the beginning: the position
        // wraps round the range (0..100, 80 + 40 gives 20).
        long long to = (long long)s->pos + s->step, span = (long long)s->max - s->min;
        if (span <= 0)
            to = s->min;
        else if (to > s->max)
            to = s->min + (to - s->min) % span;
        else if (to < s->min)
            to = s->max - (s->min - to) % span;
        return move(int(to));
    }
    case PBM_SETBARCOLOR: {
        COLORREF old = s->bar;
        s->bar = COLORREF(lParam);
        return LRESULT(old);
    }
    case PBM_SETSTATE: {
        int old = s->state;
        s->state = int(wParam);
        return old;
    }
    case PBM_GETSTATE:
        return s->state;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace standin::user

using namespace standin::user;

extern "C" {

void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *picce)
{
    // The classes are always there; the call checks its argument.
    if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int, int)
{
    if (standin::ShouldFail("ImageList_Create"))
        return nullptr;
    if (cx <= 0 || cy <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return MakeImageList(cx, cy, flags);
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl)
{
    std::unique_ptr<ImageList> gone;
    std::lock_guard<std::mutex> lock(IL().lock);
    auto it = IL().lists.find(himl);
    if (it == IL().lists.end())
        return FALSE;
    gone = std::move(it->second);
    IL().lists.erase(it);
    standin::CountAdd(&standin::Counters::gdiObjects, -1);
    return TRUE;
}

int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP) { return AddImages(himl, hbmImage); }

int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF) { return AddImages(himl, hbmImage); }

BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i)
{
    std::lock_guard<std::mutex> lock(IL().lock);
    auto it = IL().lists.find(himl);
    if (it == IL().lists.end())
        return FALSE;
    ImageList &list = *it->second;
    if (i == -1) {
        list.images.clear();
        list.ids.clear();
        return TRUE;
    }
    if (i < 0 || size_t(i) >= list.images.size())
        return FALSE;
    list.images.erase(list.images.begin() + i);
    list.ids.erase(list.ids.begin() + i);
    return TRUE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl)
{
    std::lock_guard<std::mutex> lock(IL().lock);
    auto it = IL().lists.find(himl);
    return it == IL().lists.end() ? 0 : int(it->second->images.size());
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int *cx, int *cy)
{
    std::lock_guard<std::mutex> lock(IL().lock);
    auto it = IL().lists.find(himl);
    if (it == IL().lists.end() || !cx || !cy)
        return FALSE;
    *cx = it->second->cx;
    *cy = it->second->cy;
    return TRUE;
}

}  // extern "C"

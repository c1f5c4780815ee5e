// Common controls: list view check boxes, sub-items and clicks; the
// trackbar's drag notifications; up-down refusal and buddy text; progress
// stepping; image lists.
#include "platform/linux/user/tests/fixture.h"

namespace usertest {
namespace {

using standin::ui::ClickListItem;
using standin::ui::Slide;
using standin::ui::Spin;
using standin::ui::ToggleListCheck;

constexpr int kList = 30, kTrack = 40, kEdit = 50, kSpin = 51, kProgress = 60;

class CommctrlTest : public UserTest {
protected:
    static UINT CheckImage(HWND list, int item) { return ListView_GetItemState(list, item, LVIS_STATEIMAGEMASK) >> 12; }
    static std::u16string Cell(HWND list, int item, int sub, int size = 64)
    {
        std::vector<WCHAR> text(size_t(size), u'?');
        ListView_GetItemText(list, item, sub, text.data(), size);
        return text.data();
    }
};

struct Activation {
    UINT code;
    int item, subItem;
};

TEST_F(CommctrlTest, ListViewCheckBoxesAreStateImagesOneAndTwo)
{
    Template t(WS_POPUP, 300, 200);
    t.Add(0, WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | WS_BORDER, kList, u"", 0, 0, 290, 150);
    HWND dlg = Make(t);
    HWND list = Item(dlg, kList);
    ASSERT_NE(list, nullptr);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<LPWSTR>(u"before");
    ListView_InsertItem(list, &item);
    EXPECT_EQ(CheckImage(list, 0), 0u);
    EXPECT_EQ(ListView_GetCheckState(list, 0), UINT(-1)) << "no check box yet";
    EXPECT_EQ(ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT), 0u);
    EXPECT_EQ(CheckImage(list, 0), 1u) << "existing items get the unchecked box";
    item.iItem = 1;
    item.pszText = const_cast<LPWSTR>(u"after");
    EXPECT_EQ(ListView_InsertItem(list, &item), 1);
    EXPECT_EQ(CheckImage(list, 1), 1u);
    EXPECT_EQ(ListView_GetCheckState(list, 1), 0u);

    ClearEvents();
    ListView_SetCheckState(list, 1, TRUE);
    EXPECT_EQ(CheckImage(list, 1), 2u);
    EXPECT_EQ(ListView_GetCheckState(list, 1), 1u);
    EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));

    // A click on the box: the state image toggles, then the click arrives.
    ClearEvents();
    std::vector<Activation> clicks;
    Rec().handler = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        auto *nm = reinterpret_cast<NMITEMACTIVATE *>(lParam);
        if (msg == WM_NOTIFY && nm->hdr.code == NM_CLICK) {
            clicks.push_back({nm->hdr.code, nm->iItem, nm->iSubItem});
            EXPECT_EQ(CheckImage(list, 0), 2u) << "toggled before NM_CLICK";
        }
        return FALSE;
    };
    ASSERT_TRUE(ToggleListCheck(dlg, kList, 0));
    EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<UINT>{NM_SETFOCUS, LVN_ITEMCHANGING, LVN_ITEMCHANGED, NM_CLICK}));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, 0);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u) << "the box does not select";

    // The parent refuses a change in LVN_ITEMCHANGING through DWLP_MSGRESULT.
    Rec().handler = [&](HWND h, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        if (msg == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == LVN_ITEMCHANGING) {
            SetWindowLongPtrW(h, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    };
    ASSERT_TRUE(ToggleListCheck(dlg, kList, 0));
    EXPECT_EQ(CheckImage(list, 0), 2u);
    EXPECT_FALSE(ToggleListCheck(dlg, kList, 2));
    ListView_SetExtendedListViewStyle(list, 0);
    EXPECT_EQ(CheckImage(list, 0), 0u);
    EXPECT_FALSE(ToggleListCheck(dlg, kList, 0)) << "no check boxes any more";
    DestroyWindow(dlg);
}

// What the parent can tell from a click: the notification's point, hit-tested,
// says whether the box or the row was clicked.
TEST_F(CommctrlTest, ListViewClickPointTellsTheBoxFromTheRow)
{
    Template t(WS_POPUP, 300, 200);
    t.Add(0, WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL, kList, u"", 0, 0, 290, 150);
    HWND dlg = Make(t);
    HWND list = Item(dlg, kList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
    ListView_SetImageList(list, ImageList_Create(16, 16, ILC_COLOR24, 2, 0), LVSIL_SMALL);
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = c ? 100 : 20;
        col.iSubItem = c;
        ListView_InsertColumn(list, c, &col);
    }
    for (int r = 0; r < 2; ++r) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<LPWSTR>(u"");
        ListView_InsertItem(list, &item);
    }

    struct Seen {
        UINT code;
        int item, subItem;
        UINT flags;
        int hitItem, hitSubItem;
        UINT checkAtClick;
    };
    std::vector<Seen> seen;
    Rec().handler = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        auto *nm = reinterpret_cast<NMITEMACTIVATE *>(lParam);
        if (msg != WM_NOTIFY || (nm->hdr.code != NM_CLICK && nm->hdr.code != NM_RCLICK && nm->hdr.code != NM_DBLCLK))
            return FALSE;
        LVHITTESTINFO hit{};
        hit.pt = nm->ptAction;
        ListView_HitTest(list, &hit);
        LVHITTESTINFO sub{};
        sub.pt = nm->ptAction;
        ListView_SubItemHitTest(list, &sub);
        seen.push_back({nm->hdr.code, nm->iItem, nm->iSubItem, hit.flags, hit.iItem, sub.iSubItem,
                        nm->iItem >= 0 ? CheckImage(list, nm->iItem) : 0u});
        return FALSE;
    };

    // On the row: the image of the item's own column, or another column's
    // text; the box stays as it was.
    ASSERT_TRUE(ClickListItem(dlg, kList, 0, 0, NM_CLICK));
    ASSERT_TRUE(ClickListItem(dlg, kList, 0, 1, NM_CLICK));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].flags, UINT(LVHT_ONITEMICON));
    EXPECT_EQ(seen[0].hitItem, 0);
    EXPECT_EQ(seen[1].flags, UINT(LVHT_ONITEMLABEL));
    EXPECT_EQ(seen[1].hitSubItem, 1);
    EXPECT_EQ(CheckImage(list, 0), 1u);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);

    // On the box: toggled before the click arrives, and the point says so.
    seen.clear();
    ASSERT_TRUE(ToggleListCheck(dlg, kList, 1));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].flags, UINT(LVHT_ONITEMSTATEICON));
    EXPECT_EQ(seen[0].hitItem, 1);
    EXPECT_EQ(seen[0].checkAtClick, 2u);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0) << "the box does not select";

    // A first column no wider than the box: a left click there is on the box;
    // a right click toggles nothing.
    ListView_SetColumnWidth(list, 0, 16);
    seen.clear();
    ASSERT_TRUE(ClickListItem(dlg, kList, 1, 0, NM_CLICK));
    ASSERT_TRUE(ClickListItem(dlg, kList, 1, 0, NM_RCLICK));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].flags, UINT(LVHT_ONITEMSTATEICON));
    EXPECT_EQ(seen[0].checkAtClick, 1u);
    EXPECT_EQ(seen[1].code, UINT(NM_RCLICK));
    EXPECT_EQ(CheckImage(list, 1), 1u);

    // Below the rows: nothing is hit.
    seen.clear();
    ASSERT_TRUE(ClickListItem(dlg, kList, -1, 0, NM_CLICK));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].item, -1);
    EXPECT_EQ(seen[0].hitItem, -1);
    EXPECT_EQ(seen[0].flags, UINT(LVHT_NOWHERE));
    DestroyWindow(dlg);
}

TEST_F(CommctrlTest, ListViewSubItemsClicksAndItsImageList)
{
    long start = standin::GetCounters().gdiObjects;
    Template t(WS_POPUP, 300, 200);
    t.Add(0, WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL, kList, u"", 0, 0, 290, 150);
    HWND dlg = Make(t);
    HWND list = Item(dlg, kList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 2, 0);
    for (int id : {IDB_WARNING, IDB_BLANK}) {
        HANDLE bitmap = LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        EXPECT_EQ(ImageList_Add(images, static_cast<HBITMAP>(bitmap), nullptr), id == IDB_WARNING ? 0 : 1);
        DeleteObject(bitmap);  // the list keeps its own copy
    }
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    EXPECT_EQ(ListView_SetImageList(list, images, LVSIL_SMALL), nullptr);
    const char16_t *headers[] = {u"", u"Printer Name", u"Current Width"};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        col.pszText = const_cast<LPWSTR>(headers[c]);
        col.cx = c ? 100 : 20;
        col.iSubItem = c;
        EXPECT_EQ(ListView_InsertColumn(list, c, &col), c);
    }
    for (int r = 0; r < 2; ++r) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = r;
        item.pszText = const_cast<LPWSTR>(u"");
        item.iImage = 1;
        ListView_InsertItem(list, &item);
        ListView_SetItemText(list, r, 1, r ? u"Second" : u"First");
        LVITEMW cell{};
        cell.mask = LVIF_TEXT | LVIF_IMAGE;
        cell.iItem = r;
        cell.iSubItem = 2;
        cell.pszText = const_cast<LPWSTR>(u"\u2014\u2014");
        cell.iImage = 0;
        EXPECT_TRUE(ListView_SetItem(list, &cell));
    }
    EXPECT_EQ(Cell(list, 1, 1), u"Second");
    EXPECT_EQ(Cell(list, 0, 1, 4), u"Fir") << "cut to the buffer, terminated";
    EXPECT_EQ(Cell(list, 0, 2), u"\u2014\u2014");
    LVITEMW probe{};
    probe.mask = LVIF_IMAGE;
    probe.iItem = 1;
    probe.iSubItem = 2;
    ListView_GetItem(list, &probe);
    EXPECT_EQ(probe.iImage, 0);
    probe.iSubItem = 0;
    ListView_GetItem(list, &probe);
    EXPECT_EQ(probe.iImage, 1);
    LVITEMW bad{};
    bad.mask = LVIF_TEXT;
    bad.iItem = 0;
    bad.iSubItem = 7;
    bad.pszText = const_cast<LPWSTR>(u"x");
    EXPECT_FALSE(ListView_SetItem(list, &bad)) << "no such column";

    // A double click is a click first, as the platform sends it.
    std::vector<Activation> seen;
    Rec().handler = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        auto *nm = reinterpret_cast<NMITEMACTIVATE *>(lParam);
        if (msg == WM_NOTIFY && (nm->hdr.code == NM_CLICK || nm->hdr.code == NM_DBLCLK || nm->hdr.code == NM_RCLICK))
            seen.push_back({nm->hdr.code, nm->iItem, nm->iSubItem});
        return FALSE;
    };
    ASSERT_TRUE(ClickListItem(dlg, kList, 1, 2, NM_DBLCLK));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].code, UINT(NM_CLICK));
    EXPECT_EQ(seen[1].code, UINT(NM_DBLCLK));
    EXPECT_EQ(seen[1].item, 1);
    EXPECT_EQ(seen[1].subItem, 2);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 1);
    ASSERT_TRUE(ClickListItem(dlg, kList, 0, 1, NM_RCLICK));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0) << "one selected in a single-selection list";
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
    ASSERT_TRUE(ClickListItem(dlg, kList, -1, 0, NM_CLICK));
    EXPECT_EQ(seen.back().item, -1);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
    EXPECT_FALSE(ClickListItem(dlg, kList, 2, 0, NM_CLICK));

    LVHITTESTINFO hit{};
    hit.pt = POINT{150, 24 + 17 + 5};
    EXPECT_EQ(ListView_SubItemHitTest(list, &hit), 1);
    EXPECT_EQ(hit.iSubItem, 2);

    std::string text = standin::ui::Describe(dlg);
    EXPECT_NE(text.find("images: bitmap 235, bitmap 236"), std::string::npos) << text;
    EXPECT_NE(text.find("columns:  | Printer Name | Current Width"), std::string::npos) << text;
    EXPECT_NE(text.find("1: \"\" (img 1) | \"Second\" | \"\u2014\u2014\" (img 0)"), std::string::npos) << text;

    // Without LVS_SHAREIMAGELISTS the list view destroys the image list it
    // was given.
    DestroyWindow(dlg);
    EXPECT_FALSE(ImageList_Destroy(images));
    EXPECT_EQ(standin::GetCounters().gdiObjects, start);
}

TEST_F(CommctrlTest, TrackbarDragSendsTrackPositionAndEnd)
{
    Template t(WS_POPUP);
    t.Add(0, TRACKBAR_CLASSW, TBS_AUTOTICKS | WS_TABSTOP, kTrack, u"", 0, 0, 160, 20);
    HWND dlg = Make(t);
    HWND track = Item(dlg, kTrack);
    SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(-5, 5));
    EXPECT_EQ(SendMessageW(track, TBM_GETRANGEMIN, 0, 0), -5) << "signed 16-bit limits";
    EXPECT_EQ(SendMessageW(track, TBM_GETRANGEMAX, 0, 0), 5);
    EXPECT_EQ(SendMessageW(track, TBM_GETNUMTICS, 0, 0), 11);
    ClearEvents();
    SendMessageW(track, TBM_SETPOS, TRUE, 9);
    EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 5) << "clamped";
    EXPECT_TRUE(Events(WM_HSCROLL).empty()) << "TBM_SETPOS does not notify";

    std::vector<LONG> positions;
    Rec().handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_HSCROLL && LOWORD(wParam) == TB_THUMBTRACK) {
            EXPECT_EQ(short(HIWORD(wParam)), -3);
            positions.push_back(LONG(SendMessageW(track, TBM_GETPOS, 0, 0)));
        }
        return FALSE;
    };
    ASSERT_TRUE(Slide(dlg, kTrack, -3));
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<UINT>{TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK}));
    EXPECT_EQ(positions, (std::vector<LONG>{-3}));
    ClearEvents();
    ASSERT_TRUE(Slide(dlg, kTrack, -3));
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<UINT>{TB_THUMBPOSITION, TB_ENDTRACK})) << "grabbed, not moved";
    Rec().handler = nullptr;
    ASSERT_TRUE(Slide(dlg, kTrack, 40));
    EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 5);

    ClearEvents();
    SendMessageW(track, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(track, WM_KEYUP, VK_LEFT, 0);
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<UINT>{TB_LINEUP, TB_ENDTRACK}));
    EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 4);
    // Page Up and Page Down move by a fifth of the range (2 of -5..5) and
    // end like the other keys; a key the trackbar does not take ends nothing.
    ClearEvents();
    SendMessageW(track, WM_KEYDOWN, VK_PRIOR, 0);
    SendMessageW(track, WM_KEYUP, VK_PRIOR, 0);
    EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 2);
    SendMessageW(track, WM_KEYDOWN, VK_NEXT, 0);
    SendMessageW(track, WM_KEYDOWN, VK_NEXT, 0);
    SendMessageW(track, WM_KEYUP, VK_NEXT, 0);
    EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 5) << "clamped";
    SendMessageW(track, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(track, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<UINT>{TB_PAGEUP, TB_ENDTRACK, TB_PAGEDOWN, TB_PAGEDOWN, TB_ENDTRACK}));
    DestroyWindow(dlg);
}

TEST_F(CommctrlTest, UpDownDeltaPosCanBeRefusedAndTheBuddyShowsThePosition)
{
    Template t(WS_POPUP);
    t.Add(0x81, nullptr, ES_AUTOHSCROLL, kEdit, u"", 10, 10, 60, 14);
    t.Add(0, UPDOWN_CLASSW, UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS, kSpin, u"", 70, 10, 10,
          14);
    HWND dlg = Make(t);
    HWND edit = Item(dlg, kEdit), spin = Item(dlg, kSpin);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), edit);
    RECT e, s;
    GetWindowRect(edit, &e);
    GetWindowRect(spin, &s);
    EXPECT_EQ(s.left, e.right) << "placed at the buddy's right edge";
    EXPECT_EQ(s.right - s.left + e.right - e.left, MulDiv(60, 6, 4)) << "the buddy gave up the width";

    int low = 0, high = 0;
    SendMessageW(spin, UDM_GETRANGE32, WPARAM(&low), LPARAM(&high));
    EXPECT_EQ(low, 100) << "the platform's default range runs from 100";
    EXPECT_EQ(high, 0);
    ClearEvents();
    ASSERT_TRUE(Spin(dlg, kSpin, 1));
    EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 0) << "up moves towards the maximum 0, already there";
    EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<UINT>{UDN_DELTAPOS})) << "asked even at the end of the range";
    EXPECT_EQ(Codes(WM_VSCROLL), (std::vector<UINT>{SB_ENDSCROLL}));

    SendMessageW(spin, UDM_SETRANGE32, WPARAM(-100), 100);
    SendMessageW(spin, UDM_SETPOS32, 0, 0);
    EXPECT_EQ(standin::ui::Text(edit), u"0");
    std::vector<std::pair<int, int>> asked;
    Rec().handler = [&](HWND h, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        auto *nm = reinterpret_cast<NMUPDOWN *>(lParam);
        if (msg != WM_NOTIFY || nm->hdr.code != UDN_DELTAPOS)
            return FALSE;
        asked.emplace_back(nm->iPos, nm->iDelta);
        if (nm->iPos + nm->iDelta <= 2)
            return FALSE;
        SetWindowLongPtrW(h, DWLP_MSGRESULT, TRUE);  // refused
        return TRUE;
    };
    ClearEvents();
    ASSERT_TRUE(Spin(dlg, kSpin, 3));
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 1}}));
    EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 2);
    EXPECT_EQ(standin::ui::Text(edit), u"2");
    EXPECT_EQ(Codes(WM_VSCROLL),
              (std::vector<UINT>{SB_THUMBPOSITION, SB_ENDSCROLL, SB_THUMBPOSITION, SB_ENDSCROLL, SB_ENDSCROLL}));
    Rec().handler = nullptr;

    // The buddy's text is read back, thousands separators and all.
    SendMessageW(spin, UDM_SETRANGE32, 0, 5000);
    SendMessageW(spin, UDM_SETPOS32, 0, 1234);
    EXPECT_EQ(standin::ui::Text(edit), u"1,234");
    SetWindowTextW(edit, u"1,500");
    ASSERT_TRUE(Spin(dlg, kSpin, -1));
    EXPECT_EQ(standin::ui::Text(edit), u"1,499");
    SetWindowTextW(edit, u"abc");
    BOOL error = FALSE;
    EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, LPARAM(&error)), 1499);
    EXPECT_TRUE(error);

    // A maximum below the minimum turns the arrows round.
    SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(0, 10));
    SendMessageW(spin, UDM_SETPOS32, 0, 5);
    ASSERT_TRUE(Spin(dlg, kSpin, 1));
    EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 4);
    DestroyWindow(dlg);
}

TEST_F(CommctrlTest, ProgressStepsByTenAndWrapsPastTheEnd)
{
    Template t(WS_POPUP);
    t.Add(0, PROGRESS_CLASSW, WS_BORDER, kProgress, u"", 0, 0, 180, 14);
    HWND dlg = Make(t);
    HWND bar = Item(dlg, kProgress);
    EXPECT_EQ(SendMessageW(bar, PBM_GETSTEP, 0, 0), 10);
    EXPECT_EQ(SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 30)), MAKELRESULT(0, 100));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(SendMessageW(bar, PBM_STEPIT, 0, 0), i * 10);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 30);
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 10) << "starts over: 40 in 0..30 is 10";
    EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 200, 0), 10);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 30) << "clamped";
    SendMessageW(bar, PBM_DELTAPOS, WPARAM(-100), 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
    SendMessageW(bar, PBM_SETRANGE32, 0, 0);
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0) << "an empty range stays at 0";
    PBRANGE range{};
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, LPARAM(&range)), 0);
    DestroyWindow(dlg);
}

TEST_F(CommctrlTest, ImageListsCopyTheirImagesAndCountAsOneObject)
{
    long start = standin::GetCounters().gdiObjects;
    standin::FailNext("ImageList_Create", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_RESULT_AND_ERROR(ImageList_Create(16, 16, ILC_COLOR24, 2, 0), nullptr, ERROR_NOT_ENOUGH_MEMORY);
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
    ASSERT_NE(list, nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 40, 16, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HBITMAP strip = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    EXPECT_EQ(ImageList_Add(list, strip, nullptr), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2) << "as many whole images as fit";
    DeleteObject(strip);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_FALSE(ImageList_Remove(list, 5));
    EXPECT_EQ(standin::GetCounters().gdiObjects, start + 1);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_EQ(standin::GetCounters().gdiObjects, start);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&icc));
    icc.dwSize = 4;
    EXPECT_FALSE(InitCommonControlsEx(&icc));
}

}  // namespace
}  // namespace usertest

// Common controls: list view check boxes, clicks and the hit test that
// tells the box from the row (the list view owns its image list); the
// trackbar's drag and key notifications; up-down refusal and buddy width.
#include "platform/linux/user/tests/fixture.h"

namespace usertest {
namespace {

using standin::ui::ClickListItem;
using standin::ui::Slide;
using standin::ui::Spin;
using standin::ui::ToggleListCheck;

constexpr int kList = 30, kTrack = 40, kBuddy = 50, kSpin = 51;

class CommctrlTest : public UserTest {
protected:
    static UINT CheckImage(HWND list, int item) { return ListView_GetItemState(list, item, LVIS_STATEIMAGEMASK) >> 12; }
    static std::u16string Cell(HWND list, int item, int sub, int size = 64)
    {
        std::vector<WCHAR> text(size_t(size), u'?');
        ListView_GetItemText(list, item, sub, text.data(), size);
        return text.data();
    }
    HWND MakeList(DWORD exStyle, std::initializer_list<int> widths, int rows)
    {
        template_ = std::make_unique<Template>(WS_POPUP, 300, 200);
        template_->Add(0, WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL, kList, u"", 0, 0, 290, 150);
        HWND dlg = Make(*template_);
        HWND list = Item(dlg, kList);
        ListView_SetExtendedListViewStyle(list, exStyle);
        FillList(list, widths, rows);
        return dlg;
    }
    std::unique_ptr<Template> template_;
};

// What the parent sees of a click: the notifications in order, the check
// state at NM_CLICK, and what the click's point hit-tests to.
struct Seen {
    UINT code;
    int item, subItem;
    UINT flags;
    UINT checkAtClick;
};

TEST_F(CommctrlTest, ListViewCheckBoxesAndWhatAClickHits)
{
    HWND dlg = MakeList(0, {20, 100}, 1);
    HWND list = Item(dlg, kList);
    EXPECT_EQ(CheckImage(list, 0), 0u) << "no check box yet";
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
    EXPECT_EQ(CheckImage(list, 0), 1u) << "existing items get the unchecked box";
    FillList(list, {}, 1);
    EXPECT_EQ(CheckImage(list, 1), 1u) << "and new ones";
    ListView_SetImageList(list, ImageList_Create(16, 16, ILC_COLOR24, 2, 0), LVSIL_SMALL);

    std::vector<Seen> seen;
    Rec().handler = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        auto *nm = reinterpret_cast<NMITEMACTIVATE *>(lParam);
        if (msg != WM_NOTIFY || (nm->hdr.code != NM_CLICK && nm->hdr.code != NM_RCLICK))
            return FALSE;
        LVHITTESTINFO hit{};
        hit.pt = nm->ptAction;
        SendMessageW(list, LVM_HITTEST, 0, LPARAM(&hit));
        EXPECT_EQ(hit.iItem, nm->iItem);
        seen.push_back(
            {nm->hdr.code, nm->iItem, nm->iSubItem, hit.flags, nm->iItem >= 0 ? CheckImage(list, nm->iItem) : 0u});
        return FALSE;
    };
    // On the box: toggled before the click arrives, and the point says so;
    // the box does not select.
    ClearEvents();
    ASSERT_TRUE(ToggleListCheck(dlg, kList, 1));
    EXPECT_EQ(Codes(WM_NOTIFY), (std::vector<UINT>{NM_SETFOCUS, LVN_ITEMCHANGING, LVN_ITEMCHANGED, NM_CLICK}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].flags, UINT(LVHT_ONITEMSTATEICON));
    EXPECT_EQ(seen[0].checkAtClick, 2u);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
    EXPECT_FALSE(ToggleListCheck(dlg, kList, 2));

    // On the row: the item's own column shows its image, another column its
    // text; the box stays as it was and the row is selected.
    seen.clear();
    ASSERT_TRUE(ClickListItem(dlg, kList, 0, 0, NM_CLICK));
    ASSERT_TRUE(ClickListItem(dlg, kList, 0, 1, NM_CLICK));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].flags, UINT(LVHT_ONITEMICON));
    EXPECT_EQ(seen[1].flags, UINT(LVHT_ONITEMLABEL));
    EXPECT_EQ(seen[1].subItem, 1);
    EXPECT_EQ(CheckImage(list, 0), 1u);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);

    // A first column no wider than the box: a left click there is on the
    // box, a right click toggles nothing; below the rows nothing is hit.
    ListView_SetColumnWidth(list, 0, 16);
    seen.clear();
    ASSERT_TRUE(ClickListItem(dlg, kList, 0, 0, NM_CLICK));
    ASSERT_TRUE(ClickListItem(dlg, kList, 0, 0, NM_RCLICK));
    ASSERT_TRUE(ClickListItem(dlg, kList, -1, 0, NM_CLICK));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].flags, UINT(LVHT_ONITEMSTATEICON));
    EXPECT_EQ(seen[0].checkAtClick, 2u);
    EXPECT_EQ(CheckImage(list, 0), 2u);
    EXPECT_EQ(seen[2].item, -1);
    EXPECT_EQ(seen[2].flags, UINT(LVHT_NOWHERE));
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);

    // A double click is a click first, as the platform sends it; a cell is
    // cut to the reader's buffer and terminated.
    ClearEvents();
    ASSERT_TRUE(ClickListItem(dlg, kList, 1, 1, NM_DBLCLK));
    std::vector<UINT> clicks;
    for (UINT code : Codes(WM_NOTIFY))
        if (code == UINT(NM_CLICK) || code == UINT(NM_DBLCLK))
            clicks.push_back(code);
    EXPECT_EQ(clicks, (std::vector<UINT>{NM_CLICK, NM_DBLCLK}));
    ListView_SetItemText(list, 0, 1, u"First");
    EXPECT_EQ(Cell(list, 0, 1, 4), u"Fir");
    ListView_SetExtendedListViewStyle(list, 0);
    EXPECT_EQ(CheckImage(list, 0), 0u);
    EXPECT_FALSE(ToggleListCheck(dlg, kList, 0)) << "no check boxes any more";
    DestroyWindow(dlg);
}

TEST_F(CommctrlTest, TrackbarDragAndKeysNotifyAsThePlatformDoes)
{
    Template t(WS_POPUP);
    t.Add(0, TRACKBAR_CLASSW, TBS_AUTOTICKS | WS_TABSTOP, kTrack, u"", 0, 0, 160, 20);
    HWND dlg = Make(t);
    HWND track = Item(dlg, kTrack);
    SendMessageW(track, TBM_SETRANGEMIN, FALSE, -5);
    SendMessageW(track, TBM_SETRANGEMAX, FALSE, 5);
    auto pos = [&] { return SendMessageW(track, TBM_GETPOS, 0, 0); };
    ClearEvents();
    SendMessageW(track, TBM_SETPOS, TRUE, 9);
    EXPECT_EQ(pos(), 5) << "clamped";
    EXPECT_TRUE(Events(WM_HSCROLL).empty()) << "TBM_SETPOS does not notify";

    std::vector<LRESULT> positions;
    Rec().handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_HSCROLL && LOWORD(wParam) == TB_THUMBTRACK) {
            EXPECT_EQ(short(HIWORD(wParam)), -3);
            positions.push_back(pos());
        }
        return FALSE;
    };
    ASSERT_TRUE(Slide(dlg, kTrack, -3));
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<UINT>{TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK}));
    EXPECT_EQ(positions, (std::vector<LRESULT>{-3}));
    ClearEvents();
    ASSERT_TRUE(Slide(dlg, kTrack, -3));
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<UINT>{TB_THUMBPOSITION, TB_ENDTRACK})) << "grabbed, not moved";
    Rec().handler = nullptr;
    SendMessageW(track, TBM_SETPOS, TRUE, 5);

    // Keys: a line, a fifth of the range (2 of -5..5) a page, each ended;
    // a key held repeats, a key the trackbar does not take ends nothing.
    ClearEvents();
    Key(track, VK_LEFT);
    EXPECT_EQ(pos(), 4);
    Key(track, VK_PRIOR);
    EXPECT_EQ(pos(), 2);
    SendMessageW(track, WM_KEYDOWN, VK_NEXT, 0);
    Key(track, VK_NEXT);
    EXPECT_EQ(pos(), 5) << "clamped";
    Key(track, VK_SPACE);
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<UINT>{TB_LINEUP, TB_ENDTRACK, TB_PAGEUP, TB_ENDTRACK, TB_PAGEDOWN,
                                                    TB_PAGEDOWN, TB_ENDTRACK}));
    DestroyWindow(dlg);
}

TEST_F(CommctrlTest, UpDownDeltaPosCanBeRefusedAndTheBuddyGivesUpItsWidth)
{
    Template t(WS_POPUP);
    t.Add(kEdit, nullptr, ES_AUTOHSCROLL, kBuddy, u"", 10, 10, 60, 14);
    t.Add(0, UPDOWN_CLASSW, UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_ARROWKEYS, kSpin, u"", 70, 10, 10, 14);
    HWND dlg = Make(t);
    HWND edit = Item(dlg, kBuddy), spin = Item(dlg, kSpin);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), edit);
    RECT e, s;
    GetWindowRect(edit, &e);
    GetWindowRect(spin, &s);
    EXPECT_EQ(s.left, e.right) << "placed at the buddy's right edge";
    EXPECT_EQ(s.right - s.left + e.right - e.left, MulDiv(60, 6, 4)) << "the buddy gave up the width";

    SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(100, -100));
    SendMessageW(spin, UDM_SETPOS32, 0, 0);
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
    EXPECT_EQ(Codes(WM_VSCROLL),
              (std::vector<UINT>{SB_THUMBPOSITION, SB_ENDSCROLL, SB_THUMBPOSITION, SB_ENDSCROLL, SB_ENDSCROLL}));
    // At the end of the range the parent is still asked.
    SendMessageW(spin, UDM_SETPOS32, 0, 100);
    asked.clear();
    ASSERT_TRUE(Spin(dlg, kSpin, 1));
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{100, 1}}));
    EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 100);
    DestroyWindow(dlg);
}

}  // namespace
}  // namespace usertest

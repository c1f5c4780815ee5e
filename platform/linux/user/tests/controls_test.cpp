// The predefined controls with the semantics the pages lean on: sorted and
// searched combo boxes, radio groups, edit limits and EN_CHANGE, pictures
// and who owns their bitmaps.
#include "platform/linux/user/tests/fixture.h"

namespace usertest {
namespace {

using standin::ui::Choose;
using standin::ui::ChooseText;
using standin::ui::Click;
using standin::ui::Type;

class ControlsTest : public UserTest {};

std::vector<std::u16string> Items(HWND combo)
{
    std::vector<std::u16string> out;
    int n = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        WCHAR text[64];
        SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), LPARAM(text));
        out.push_back(text);
    }
    return out;
}

TEST_F(ControlsTest, SortedComboInsertsCaseInsensitivelyAndTheSelectionFollowsItsEntry)
{
    Template t(WS_POPUP);
    t.Add(kCombo, nullptr, CBS_DROPDOWNLIST | CBS_SORT, 10, u"", 0, 0, 100, 80);
    HWND dlg = Make(t);
    HWND combo = Item(dlg, 10);
    for (const char16_t *s : {u"beta", u"Alpha", u"alpha", u"Gamma", u"ALPHA", u"delta"})
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(s));
    // Equal ones keep the order they came in, after each other.
    EXPECT_EQ(Items(combo), (std::vector<std::u16string>{u"Alpha", u"alpha", u"ALPHA", u"beta", u"delta", u"Gamma"}));

    // The selection follows its entry when entries come and go.
    SendMessageW(combo, CB_SETCURSEL, 3, 0);  // "beta"
    SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(u"a"));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(standin::ui::Text(combo), u"beta");
    SendMessageW(combo, CB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 3, 0), 5);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(standin::ui::Text(combo), u"");
    DestroyWindow(dlg);
}

TEST_F(ControlsTest, ExactSearchIsCaseInsensitiveStartsAfterTheIndexAndWraps)
{
    Template t(WS_POPUP);
    t.Add(kCombo, nullptr, CBS_DROPDOWNLIST, 10, u"", 0, 0, 100, 80);
    HWND dlg = Make(t);
    HWND combo = Item(dlg, 10);
    for (const char16_t *s : {u"50 x 70mm", u"18 x 100mm", u"50 X 70MM", u"50 x 70mm long"})
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(s));
    auto exact = [&](int start, const char16_t *s) {
        return int(SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(start), LPARAM(s)));
    };
    EXPECT_EQ(exact(-1, u"50 x 70mm"), 0);
    EXPECT_EQ(exact(0, u"50 x 70mm"), 2) << "starts after the index, other case";
    EXPECT_EQ(exact(2, u"50 x 70mm"), 0) << "wraps to the top";
    EXPECT_EQ(exact(1, u"18 X 100MM"), 1) << "the start itself comes last";
    EXPECT_EQ(exact(-1, u"50 x 70"), CB_ERR) << "whole strings only";
    DestroyWindow(dlg);
}

TEST_F(ControlsTest, OnlyTheUsersChoiceSendsSelChange)
{
    Template t(WS_POPUP);
    t.Add(kCombo, nullptr, CBS_DROPDOWNLIST | WS_TABSTOP, 10, u"", 0, 0, 100, 80);
    HWND dlg = Make(t);
    HWND combo = Item(dlg, 10);
    for (const char16_t *s : {u"A", u"B", u"C"})
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(s));
    ClearEvents();
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR) << "a bad index clears the selection";
    EXPECT_TRUE(Events(WM_COMMAND).empty());

    Rec().handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
            EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1) << "selected before the notification";
        }
        return FALSE;
    };
    EXPECT_TRUE(ChooseText(dlg, 10, u"B"));
    EXPECT_EQ(Codes(WM_COMMAND),
              (std::vector<UINT>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_EQ(standin::ui::Text(combo), u"B");
    EXPECT_FALSE(ChooseText(dlg, 10, u"b")) << "exactly this text";
    EXPECT_FALSE(Choose(dlg, 10, 3));
    EnableWindow(combo, FALSE);
    EXPECT_FALSE(Choose(dlg, 10, 0)) << "disabled";
    DestroyWindow(dlg);
}

TEST_F(ControlsTest, RadioGroupsOfAPageTemplate)
{
    Template host(WS_POPUP);
    HWND sheet = Make(host);
    HWND page = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_PAGE_SETUP), sheet, RecordingProc, 0);
    ASSERT_NE(page, nullptr);
    CheckRadioButton(page, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_PORTRAIT);
    CheckDlgButton(page, IDC_CHAIN, BST_CHECKED);
    ClearEvents();

    ASSERT_TRUE(Click(page, IDC_LANDSCAPE));
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_LANDSCAPE), UINT(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_PORTRAIT), UINT(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_CHAIN), UINT(BST_CHECKED)) << "another group";
    ASSERT_EQ(Events(WM_COMMAND).size(), 1u);
    EXPECT_EQ(Events(WM_COMMAND)[0].id, IDC_LANDSCAPE);
    EXPECT_EQ(Events(WM_COMMAND)[0].code, UINT(BN_CLICKED));

    // Check boxes toggle before they notify; a click on a checked radio
    // button keeps it checked and still notifies.
    Rec().handler = [&](HWND h, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_COMMAND && LOWORD(wParam) == IDC_CHAIN) {
            EXPECT_EQ(IsDlgButtonChecked(h, IDC_CHAIN), UINT(BST_UNCHECKED));
        }
        return FALSE;
    };
    EXPECT_TRUE(Click(page, IDC_CHAIN));
    EXPECT_TRUE(Click(page, IDC_LANDSCAPE));
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_LANDSCAPE), UINT(BST_CHECKED));
    EXPECT_EQ(Events(WM_COMMAND).size(), 3u);

    ShowWindow(Item(page, IDC_MIRROR), SW_HIDE);
    EXPECT_FALSE(Click(page, IDC_MIRROR)) << "hidden";
    EXPECT_FALSE(Click(page, IDC_DIRECTION_PICTURE)) << "a picture is no button";
    EnableWindow(sheet, FALSE);
    EXPECT_FALSE(Click(page, IDC_CHAIN)) << "a disabled window above blocks the user";
    DestroyWindow(sheet);
}

TEST_F(ControlsTest, EditLimitHoldsForTypingNotForSetText)
{
    Template t(WS_POPUP);
    t.Add(kEdit, nullptr, ES_AUTOHSCROLL | WS_TABSTOP, 20, u"", 0, 0, 60, 14);
    HWND dlg = Make(t);
    HWND edit = Item(dlg, 20);
    SendMessageW(edit, EM_LIMITTEXT, 8, 0);
    ClearEvents();

    SetWindowTextW(edit, u"123456789012");
    EXPECT_EQ(standin::ui::Text(edit), u"123456789012") << "WM_SETTEXT is not cut";
    EXPECT_EQ(Codes(WM_COMMAND), (std::vector<UINT>{EN_UPDATE, EN_CHANGE}));
    ClearEvents();

    ASSERT_TRUE(Type(dlg, 20, u"1234567890"));
    EXPECT_EQ(standin::ui::Text(edit), u"12345678");
    std::vector<UINT> codes = Codes(WM_COMMAND);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), UINT(EN_CHANGE)), 8) << "one per character typed";
    EXPECT_EQ(std::count(codes.begin(), codes.end(), UINT(EN_MAXTEXT)), 2);
    EXPECT_EQ(codes.front(), UINT(EN_SETFOCUS));

    // The platform's handlers often rewrite the text while the user types:
    // WM_SETTEXT puts the caret at the start.
    SetWindowTextW(edit, u"ab");
    SendMessageW(edit, WM_CHAR, u'x', 0);
    EXPECT_EQ(standin::ui::Text(edit), u"xab");
    DestroyWindow(dlg);
}

TEST_F(ControlsTest, PictureOwnershipAndTheGdiCount)
{
    long start = standin::GetCounters().gdiObjects;
    Template host(WS_POPUP);
    HWND sheet = Make(host);
    HWND page = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_PAGE_SETUP), sheet, RecordingProc, 0);
    ASSERT_NE(page, nullptr);
    HWND picture = Item(page, IDC_DIRECTION_PICTURE);
    auto shown = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    RECT r;
    GetClientRect(picture, &r);
    EXPECT_EQ(r.right, 64) << "sized to its bitmap";
    long withPage = standin::GetCounters().gdiObjects;

    auto portrait = static_cast<HBITMAP>(
        LoadImageW(Module(), MAKEINTRESOURCEW(IDB_PORTRAIT), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    auto previous = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, LPARAM(portrait)));
    EXPECT_EQ(previous, shown) << "the control's own bitmap comes back";
    EXPECT_TRUE(DeleteObject(previous));  // as the pages do
    EXPECT_EQ(standin::GetCounters().gdiObjects, withPage);

    DestroyWindow(sheet);
    // The bitmap set with STM_SETIMAGE stays the caller's: not deleted with
    // the control; every other object of the page is gone.
    EXPECT_EQ(GetObjectType(portrait), DWORD(OBJ_BITMAP));
    EXPECT_EQ(standin::GetCounters().gdiObjects, start + 1);
    DeleteObject(portrait);
    EXPECT_EQ(standin::GetCounters().gdiObjects, start);
}

}  // namespace
}  // namespace usertest

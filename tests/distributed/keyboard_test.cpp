// The distributed printing list from the keys a user presses alone (the
// Wine keyboard check walks every page and dialog in every language).
#include "tests/support/distributed.h"

namespace {

namespace ui = standin::ui;

struct Key {
    UINT key, shifts;
};

void Press(HWND dialog, std::initializer_list<Key> keys)
{
    for (Key k : keys)
        ASSERT_TRUE(ui::PressKey(dialog, 0, k.key, k.shifts));
}

TEST_F(DistributedTest, RowsAreCheckedAndGivenARibbonWidthFromTheKeyboard)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    Store(Record({{1, u"Sheet", u""}}, 1));
    // The context-menu key: "12." picks 12.5 x 40mm, Enter is OK; Shift+F10: Esc.
    int ribbons = 0;
    ui::OnDialog(IDD_RIBBON_WIDTH, [&](HWND ribbon) {
        ++ribbons;
        Press(ribbon, {{'1', 0}, {'2', 0}, {VK_OEM_PERIOD, 0}, {VK_RETURN, 0}});
    });
    ui::OnDialog(IDD_RIBBON_WIDTH, [&](HWND ribbon) {
        ++ribbons;
        Press(ribbon, {{VK_ESCAPE, 0}});
    });
    RunList(u"Sheet", [](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_DISTRIBUTED_LIST), apply = GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY);
        EXPECT_FALSE(IsWindowEnabled(apply)) << "the stored check is no change of the user's";
        EXPECT_EQ(GetFocus(), list);
        Press(dialog, {{VK_DOWN, 0}, {VK_DOWN, 0}, {VK_SPACE, 0}, {VK_APPS, 0}});
        EXPECT_EQ(ListView_GetItemState(list, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2u));
        EXPECT_TRUE(IsWindowEnabled(apply));
        EXPECT_NE(ui::Describe(dialog).find(R"("Other" | "13 mm")"), std::string::npos) << ui::Describe(dialog);
        Press(dialog, {{VK_UP, 0}, {VK_F10, ui::kKeyShift}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}, {VK_TAB, 0}});
        EXPECT_EQ(GetFocus(), apply);
        Press(dialog, {{VK_SPACE, 0}});
        EXPECT_FALSE(IsWindowEnabled(apply));
        // A click on a box still enables Apply, once.
        ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 0);
        EXPECT_TRUE(IsWindowEnabled(apply));
        Press(dialog, {{VK_ESCAPE, 0}});
    });
    EXPECT_EQ(ribbons, 2);
    EXPECT_EQ(Stored(), Record({{1, u"Sheet", u""}, {1, u"Other", u""}}, 2)) << "Apply stored both checks, Esc no more";
    EXPECT_EQ(DefaultPaperName(u"Other"), u"12.5 x 40mm");
}

}  // namespace

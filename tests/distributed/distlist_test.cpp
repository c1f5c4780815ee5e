// The distributed printing dialog and its stored list: which printers it
// lists and how, what Apply, OK and Cancel store, stored values it did not
// write, and the two kinds of click on a row.
#include "host/text.h"
#include "tests/support/distributed.h"

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

struct Row {
    bool checked = false;
    std::u16string cells[7];
    int images[7] = {};
    // The check and the cells after the box's, as the user reads the row.
    std::string Line() const
    {
        std::string line = checked ? "[x]" : "[ ]";
        for (int c = 1; c < 7; ++c)
            line += (c == 1 ? " " : " | ") + host::Utf8(cells[c]);
        return line;
    }
};

class DistListTest : public DistributedTest {
protected:
    static HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_DISTRIBUTED_LIST); }
    static bool ApplyEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY)); }
    static bool Checked(HWND dialog, int row)
    {
        return ListView_GetItemState(List(dialog), row, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    }
    static std::vector<Row> Rows(HWND dialog)
    {
        std::vector<Row> rows(static_cast<size_t>(ListView_GetItemCount(List(dialog))));
        for (int r = 0; r < int(rows.size()); ++r) {
            rows[r].checked = Checked(dialog, r);
            for (int c = 0; c < 7; ++c)
                rows[r].cells[c] = ListCell(List(dialog), r, c, &rows[r].images[c]);
        }
        return rows;
    }
    static std::vector<Row> RowsOnOpening(const std::u16string &sheetPrinter)
    {
        std::vector<Row> rows;
        RunList(sheetPrinter, [&](HWND dialog) {
            rows = Rows(dialog);
            ui::Click(dialog, IDCANCEL);
        });
        return rows;
    }
    static std::vector<std::string> Lines(const std::vector<Row> &rows)
    {
        std::vector<std::string> lines;
        for (const Row &row : rows)
            lines.push_back(row.Line());
        return lines;
    }
    // The stored value is exactly these entries: the header with their
    // count, each field ended and the rest of it zero.
    static void ExpectEntries(const std::vector<Entry> &want) { EXPECT_EQ(Stored(), Record(want, LONG(want.size()))); }
};

TEST_F(DistListTest, ListsExactlyTheFalconPrintersWithTheirCells)
{
    AddPrinterWith(u"Front", u"FalconBT", u"24 x 60mm", u"USB010");
    AddPrinterWith(u"Sheet", u"Wren", u"12.5 x 40mm");
    AddPrinterWith(u"Lower", u"falconbt", u"24 x 60mm");
    AddPrinterWith(u"Longer", u"FalconBT PRO", u"24 x 60mm");
    AddPrinterWith(u"Back", u"FalconBT", u"12.5 x 40mm", u"USB011");
    AddPrinterWith(u"Refusing", u"FalconBT", u"24 x 60mm");
    ASSERT_TRUE(sp::SetRefuseFullAccess(u"Refusing", true));

    std::string described;
    std::vector<Row> rows;
    EXPECT_EQ(RunList(u"Sheet",
                      [&](HWND dialog) {
                          rows = Rows(dialog);
                          described = ui::Describe(dialog);
                          EXPECT_EQ(ListView_GetExtendedListViewStyle(List(dialog)),
                                    DWORD(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES |
                                          LVS_EX_CHECKBOXES));
                          ui::Click(dialog, IDCANCEL);
                      }),
              0);
    EXPECT_NE(described.find("dialog 217 \"Sheet - Distributed Printing Settings\""), std::string::npos) << described;
    EXPECT_NE(described.find("images: bitmap " + std::to_string(IDB_WARNING) + ", bitmap " + std::to_string(IDB_BLANK)),
              std::string::npos);
    // Driver names compared exactly; a printer that refuses full access is
    // left out, as is the sheet's own when it is another model.
    EXPECT_EQ(Lines(rows), (std::vector<std::string>{"[ ] Front | 24 mm | —— | —— | USB010 | ",
                                                     "[ ] Back | 13 mm | —— | —— | USB011 | "}));
    for (const Row &row : rows) {
        EXPECT_TRUE(row.cells[0].empty());
        EXPECT_EQ(row.images[0], 1) << "blank";
        EXPECT_EQ(row.images[3], 0) << "warning";
    }
    EXPECT_TRUE(Stored().empty()) << "Cancel stores nothing";

    // The set width rounds halves up; a paper the driver does not name, or
    // no default DEVMODE, shows the fallback form, and without it nothing.
    AddForm(u"12.4 x 40mm", 12400, 40000);
    AddPrinterWith(u"Below", u"FalconBT", u"12.4 x 40mm");
    AddPrinterWith(u"Unknown", u"FalconBT", u"24 x 60mm");
    SetDefaultPaperNumber(u"Unknown", 9999);
    AddPrinterWith(u"NoDevmode", u"FalconBT", u"");
    for (const char *fallback : {"18 mm", ""}) {
        std::vector<std::string> widths;
        for (const Row &row : RowsOnOpening(u"Sheet"))
            widths.push_back(host::Utf8(row.cells[2]));
        EXPECT_EQ(widths, (std::vector<std::string>{"24 mm", "13 mm", "12 mm", fallback, fallback}));
        sp::RemoveForm(u"18 x 100 mm");
    }
}

TEST_F(DistListTest, StoredEntriesSetRowsApplyKeepsEveryRowOkTheCheckedOnes)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Second", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Third", u"FalconBT", u"24 x 60mm");
    Store(Record({{0, u"Second", u"first entry"},
                  {1, u"Gone", u"not listed"},
                  {1, u"Second", u"second entry"},
                  {2, u"Third", u"third"},  // any flag but 0 checks the row
                  {1, u"third", u"other case"}},
                 5));

    // The first entry of a name sets its row; a stored flag of 2 checks it.
    EXPECT_EQ(Lines(RowsOnOpening(u"Sheet")),
              (std::vector<std::string>{"[ ] Sheet | 24 mm | \u2014\u2014 | \u2014\u2014 | USB001 | ",
                                        "[ ] Second | 24 mm | \u2014\u2014 | \u2014\u2014 | USB001 | first entry",
                                        "[x] Third | 24 mm | \u2014\u2014 | \u2014\u2014 | USB001 | third"}));

    RunList(u"Sheet", [&](HWND dialog) {
        EXPECT_FALSE(ApplyEnabled(dialog));
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 0, 1, NM_CLICK);
        EXPECT_TRUE(ApplyEnabled(dialog));
        ui::Click(dialog, IDC_DISTRIBUTED_APPLY);
        EXPECT_FALSE(ApplyEnabled(dialog));
        ui::Click(dialog, IDCANCEL);
    });
    // The flag of 2 is written back as 1.
    ExpectEntries({{1, u"Sheet", u""}, {0, u"Second", u"first entry"}, {1, u"Third", u"third"}});

    // OK drops the unchecked row and its comment.
    EXPECT_EQ(RunList(u"Sheet", [](HWND dialog) { ui::Click(dialog, IDOK); }), 1);
    ExpectEntries({{1, u"Sheet", u""}, {1, u"Third", u"third"}});
}

// A click below the rows changes nothing; with no row, Apply and OK store
// the header alone over what was stored.
TEST_F(DistListTest, AnEmptyListStoresTheHeader)
{
    AddPrinterWith(u"Sheet", u"Wren", u"12.5 x 40mm");
    for (int button : {IDC_DISTRIBUTED_APPLY, IDOK}) {
        Store(Record({{1, u"Sheet", u"kept"}}, 1));
        RunList(u"Sheet", [button](HWND dialog) {
            ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, -1, 0, NM_CLICK);
            EXPECT_FALSE(ApplyEnabled(dialog));
            EnableWindow(GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY), TRUE);
            ui::Click(dialog, button);
            if (button != IDOK)
                ui::Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(Stored(), Record({}, 0)) << button;
    }
}

// Fields that fill their 260 units unterminated: the name is those 260
// units and no more, the comment shows all 260. How many entries of a
// hand-made value count is the fuzz target stored_values' to pin.
TEST_F(DistListTest, UnterminatedFieldsAreReadWithinTheirUnits)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    const std::u16string full(260, u'N'), comment(260, u'c');
    Store(Record({{1, full, u"after"}, {1, u"Other", comment}}, 2));
    StoredList list;
    ASSERT_TRUE(ReadDistributedList(u"Sheet", list));
    EXPECT_EQ(list.Find(full.c_str()), list.Entry(0));
    EXPECT_EQ(list.Find((full + u"after").c_str()), nullptr);
    EXPECT_EQ(list.Find(full.substr(0, 259).c_str()), nullptr);
    std::vector<Row> rows = RowsOnOpening(u"Sheet");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[1].cells[6] == comment);
}

// The list view toggles a clicked box by itself before it reports the click;
// a click on the row is inverted by the dialog. Each changes the check once.
TEST_F(DistListTest, ClickOnTheBoxAndOnTheRowEachChangeTheCheckOnce)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    RunList(u"Sheet", [](HWND dialog) {
        ASSERT_TRUE(ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 0));
        EXPECT_TRUE(Checked(dialog, 0));
        EXPECT_TRUE(ApplyEnabled(dialog));
        ASSERT_TRUE(ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 0));
        EXPECT_FALSE(Checked(dialog, 0));
        for (int column : {0, 5}) {
            ASSERT_TRUE(ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 1, column, NM_CLICK));
            EXPECT_TRUE(Checked(dialog, 1)) << column;
            ASSERT_TRUE(ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 1, column, NM_CLICK));
            EXPECT_FALSE(Checked(dialog, 1)) << column;
        }
        ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 1);
        ui::Click(dialog, IDOK);
    });
    ExpectEntries({{1, u"Other", u""}});
}

TEST_F(DistListTest, RightAndDoubleClickEditTheRowInTheRibbonWidthDialog)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    Store(Record({{0, u"Other", u"old comment"}}, 1));

    RIBBONPARAM given = {};
    ui::OnDialog(IDD_RIBBON_WIDTH, [&](HWND ribbon) {
        given = *reinterpret_cast<RIBBONPARAM *>(GetWindowLongPtrW(ribbon, DWLP_USER));
        ui::ChooseText(ribbon, IDC_RIBBON_SET_WIDTH, u"12.5 x 40mm");
        ui::Type(ribbon, IDC_RIBBON_COMMENT, u"new comment");
        ui::Click(ribbon, IDOK);
    });
    ui::OnDialog(IDD_RIBBON_WIDTH, [](HWND ribbon) {
        ui::ChooseText(ribbon, IDC_RIBBON_SET_WIDTH, u"12.5 x 40mm");
        ui::Type(ribbon, IDC_RIBBON_COMMENT, u"dropped");
        ui::Click(ribbon, IDCANCEL);
    });
    std::vector<Row> edited, cancelled;
    RunList(u"Sheet", [&](HWND dialog) {
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 1, 2, NM_RCLICK);
        edited = Rows(dialog);
        EXPECT_TRUE(ApplyEnabled(dialog));
        ui::Click(dialog, IDC_DISTRIBUTED_APPLY);
        // A double click is a click first: the row's check flips as well.
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 0, 1, NM_DBLCLK);
        cancelled = Rows(dialog);
        ui::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(host::Utf8(given.PrinterName) + " | " + host::Utf8(given.CurrentWidth) + " | " +
                  host::Utf8(given.RibbonType) + " | " + host::Utf8(given.Comment) + " | " + host::Utf8(given.SetWidth),
              "Other | \u2014\u2014 | \u2014\u2014 | old comment | ");
    // A right click leaves the check.
    EXPECT_EQ(Lines(edited).at(1), "[ ] Other | 13 mm | \u2014\u2014 | \u2014\u2014 | USB001 | new comment");
    EXPECT_EQ(Lines(cancelled).at(0), "[x] Sheet | 24 mm | \u2014\u2014 | \u2014\u2014 | USB001 | ");
    ExpectEntries({{0, u"Sheet", u""}, {0, u"Other", u"new comment"}});
    EXPECT_EQ(DefaultPaperName(u"Other"), u"12.5 x 40mm");
    EXPECT_EQ(DefaultPaperName(u"Sheet"), u"24 x 60mm") << "Cancel sets no paper";
}

}  // namespace

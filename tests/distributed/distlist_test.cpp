// The distributed printing dialog and its stored list: which printers it
// lists and how, what Apply, OK and Cancel store, stored values it did not
// write, and the two kinds of click on a row.
#include "tests/support/distributed.h"

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

constexpr char16_t kDash2[] = u"\u2014\u2014";

struct Row {
    bool checked = false;
    std::u16string cells[7];
    int images[7] = {};
};

struct Entry {
    DWORD checked;
    std::u16string name, comment;
};

class DistListTest : public DistributedTest {
protected:
    // Runs the dialog for the sheet's printer; `script` acts in it and ends it.
    static INT_PTR Run(const std::u16string &sheetPrinter, ui::DialogScript script)
    {
        std::u16string name = sheetPrinter;
        PRINTER_INFO_2W info = {};
        info.pPrinterName = &name[0];
        ui::OnDialog(IDD_DISTRIBUTED_PRINTING, std::move(script));
        return DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_DISTRIBUTED_PRINTING), nullptr, DistributedPrintingProc,
                               reinterpret_cast<LPARAM>(&info));
    }
    static std::vector<Row> RowsOnOpening(const std::u16string &sheetPrinter)
    {
        std::vector<Row> rows;
        Run(sheetPrinter, [&](HWND dialog) {
            rows = Rows(dialog);
            ui::Click(dialog, IDCANCEL);
        });
        return rows;
    }

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

    // A stored value: the header with `count`, then the entries at offset 12,
    // 1044 bytes each: Checked at 0, the name at 4, the comment at 524.
    static std::vector<BYTE> Record(const std::vector<Entry> &entries, LONG count)
    {
        std::vector<BYTE> bytes(12 + entries.size() * 1044);
        const DWORD header[3] = {1, DWORD(count), 0};
        std::memcpy(bytes.data(), header, 12);
        for (size_t i = 0; i < entries.size(); ++i) {
            BYTE *e = bytes.data() + 12 + i * 1044;
            std::memcpy(e, &entries[i].checked, 4);
            std::memcpy(e + 4, entries[i].name.data(), std::min<size_t>(entries[i].name.size(), 260) * 2);
            std::memcpy(e + 524, entries[i].comment.data(), std::min<size_t>(entries[i].comment.size(), 260) * 2);
        }
        return bytes;
    }
    static void Store(const std::vector<BYTE> &bytes)
    {
        ASSERT_TRUE(sp::SetData(u"Sheet", u"DISTRIBUTEDLIST", REG_BINARY, bytes));
    }
    static std::vector<BYTE> Stored()
    {
        sp::DataValue value;
        return sp::GetData(u"Sheet", u"DISTRIBUTEDLIST", value) ? value.bytes : std::vector<BYTE>();
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
    EXPECT_EQ(Run(u"Sheet",
                  [&](HWND dialog) {
                      rows = Rows(dialog);
                      described = ui::Describe(dialog);
                      EXPECT_EQ(
                          ListView_GetExtendedListViewStyle(List(dialog)),
                          DWORD(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_CHECKBOXES));
                      ui::Click(dialog, IDCANCEL);
                  }),
              0);
    EXPECT_NE(described.find("dialog 217 \"Sheet - Distributed Printing Settings\""), std::string::npos) << described;

    // Driver names compared exactly; a printer that refuses full access is
    // left out, as is the sheet's own when it is another model.
    const std::u16string expected[2][7] = {
        {u"", u"Front", u"24 mm", kDash2, kDash2, u"USB010", u""},
        {u"", u"Back", u"13 mm", kDash2, kDash2, u"USB011", u""},
    };
    ASSERT_EQ(rows.size(), 2u);
    for (size_t r = 0; r < 2; ++r) {
        for (int c = 0; c < 7; ++c)
            EXPECT_TRUE(rows[r].cells[c] == expected[r][c]) << "row " << r << " column " << c;
        EXPECT_FALSE(rows[r].checked);
        EXPECT_EQ(rows[r].images[0], 1) << "blank";
        EXPECT_EQ(rows[r].images[3], 0) << "warning";
    }
    EXPECT_TRUE(Stored().empty()) << "Cancel stores nothing";
}

TEST_F(DistListTest, SetWidthRoundsHalvesUpAndFallsBackToEighteen)
{
    AddForm(u"12.4 x 40mm", 12400, 40000);
    AddPrinterWith(u"Sheet", u"FalconBT", u"12.5 x 40mm");
    AddPrinterWith(u"Below", u"FalconBT", u"12.4 x 40mm");
    AddPrinterWith(u"Unknown", u"FalconBT", u"24 x 60mm");
    SetDefaultPaperNumber(u"Unknown", 9999);
    AddPrinterWith(u"NoDevmode", u"FalconBT", u"");

    const std::u16string widths[] = {u"13 mm", u"12 mm", u"18 mm", u"18 mm"};
    std::vector<Row> rows = RowsOnOpening(u"Sheet");
    ASSERT_EQ(rows.size(), 4u);
    for (size_t r = 0; r < 4; ++r)
        EXPECT_TRUE(rows[r].cells[2] == widths[r]) << r;

    // Without the fallback form the cell stays empty.
    ASSERT_TRUE(sp::RemoveForm(u"18 x 100 mm"));
    rows = RowsOnOpening(u"Sheet");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[2].cells[2].empty());
    EXPECT_TRUE(rows[3].cells[2].empty());
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

    std::vector<Row> rows = RowsOnOpening(u"Sheet");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0].checked);
    EXPECT_FALSE(rows[1].checked) << "the first entry of a name sets the row";
    EXPECT_TRUE(rows[1].cells[6] == u"first entry");
    EXPECT_TRUE(rows[2].checked) << "a stored flag of 2";
    EXPECT_TRUE(rows[2].cells[6] == u"third");

    Run(u"Sheet", [&](HWND dialog) {
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
    EXPECT_EQ(Run(u"Sheet", [](HWND dialog) { ui::Click(dialog, IDOK); }), 1);
    ExpectEntries({{1, u"Sheet", u""}, {1, u"Third", u"third"}});
}

TEST_F(DistListTest, CancelStoresNothingAndAnEmptyListStoresTheHeader)
{
    AddPrinterWith(u"Sheet", u"Wren", u"12.5 x 40mm");
    const std::vector<BYTE> before = Record({{1, u"Sheet", u"kept"}}, 1);
    Store(before);
    Run(u"Sheet", [](HWND dialog) {
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, -1, 0, NM_CLICK);
        EXPECT_FALSE(ApplyEnabled(dialog)) << "a click below the rows changes nothing";
        ui::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(Stored(), before);

    const std::vector<BYTE> empty = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int button : {IDC_DISTRIBUTED_APPLY, IDOK}) {
        Store(before);
        Run(u"Sheet", [button](HWND dialog) {
            EnableWindow(GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY), TRUE);
            ui::Click(dialog, button);
            if (button != IDOK)
                ui::Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(Stored(), empty) << button;
    }
}

// Values the dialog did not write are read only as far as the value and each
// field reach (the sanitizer build sees any byte read beyond).
TEST_F(DistListTest, HostileStoredValuesAreReadWithinTheirBytes)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    const std::vector<Entry> two = {{1, u"Sheet", u"one"}, {1, u"Other", u"two"}};
    std::vector<BYTE> cut = Record(two, 2);
    cut.resize(12 + 1044 + 600);  // the second entry's name whole, its comment not

    struct Case {
        const char *what;
        std::vector<BYTE> value;
        LONG count;
    };
    const Case cases[] = {
        {"shorter than the header", {1, 0, 0, 0, 2, 0}, 0},
        {"a header promising entries", Record({}, 3), 0},
        {"count beyond the entries", Record(two, 0x7FFFFFFF), 2},
        {"negative count", Record(two, -1), 0},
        {"most negative count", Record(two, LONG(0x80000000u)), 0},
        {"fewer than the entries", Record(two, 1), 1},
        {"last entry cut short", cut, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Store(c.value);
        StoredList list;
        ASSERT_TRUE(ReadDistributedList(u"Sheet", list));
        EXPECT_EQ(list.count, c.count);
        std::vector<Row> rows = RowsOnOpening(u"Sheet");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].checked, c.count >= 1);
        EXPECT_EQ(rows[1].checked, c.count >= 2);
        EXPECT_TRUE(rows[1].cells[6] == (c.count >= 2 ? u"two" : u""));
    }

    // Fields that fill their 260 units unterminated: the name is those 260
    // units and no more, the comment shows all 260.
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
    Run(u"Sheet", [](HWND dialog) {
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
        ui::Type(ribbon, IDC_RIBBON_COMMENT, u"dropped");
        ui::Click(ribbon, IDCANCEL);
    });
    std::vector<Row> edited, cancelled;
    Run(u"Sheet", [&](HWND dialog) {
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 1, 2, NM_RCLICK);
        edited = Rows(dialog);
        EXPECT_TRUE(ApplyEnabled(dialog));
        ui::Click(dialog, IDC_DISTRIBUTED_APPLY);
        // A double click is a click first: the row's check flips as well.
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 0, 1, NM_DBLCLK);
        cancelled = Rows(dialog);
        ui::Click(dialog, IDCANCEL);
    });
    EXPECT_TRUE(std::u16string(given.PrinterName) == u"Other");
    EXPECT_TRUE(std::u16string(given.CurrentWidth) == kDash2);
    EXPECT_TRUE(std::u16string(given.RibbonType) == kDash2);
    EXPECT_TRUE(std::u16string(given.Comment) == u"old comment");
    EXPECT_EQ(given.SetWidth[0], 0);

    ASSERT_EQ(edited.size(), 2u);
    EXPECT_TRUE(edited[1].cells[2] == u"13 mm");
    EXPECT_TRUE(edited[1].cells[6] == u"new comment");
    EXPECT_FALSE(edited[1].checked) << "a right click leaves the check";
    ASSERT_EQ(cancelled.size(), 2u);
    EXPECT_TRUE(cancelled[0].cells[6].empty());
    EXPECT_TRUE(cancelled[0].checked);
    ExpectEntries({{0, u"Sheet", u""}, {0, u"Other", u"new comment"}});
    EXPECT_TRUE(RowsOnOpening(u"Sheet").at(1).cells[2] == u"13 mm") << "the row's printer took the paper";
}

}  // namespace

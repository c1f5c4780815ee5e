// The distributed printing dialog and its stored list: which printers it
// lists and how, what Apply, OK and Cancel store, the stored values it is
// given whatever they hold, and the two kinds of click on a row.
#include "tests/support/distributed.h"

#include <cstddef>

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

constexpr char16_t kDash2[] = u"\u2014\u2014";

struct Row {
    bool checked = false;
    std::u16string cells[7];
    int images[7] = {};
};

struct StoredEntry {
    DWORD checked;
    std::u16string name;
    std::u16string comment;
};

class DistListTest : public DistributedTest {
protected:
    void SetUp() override
    {
        DistributedTest::SetUp();
        AddForm(u"18 x 100 mm", 18000, 100000);
        AddForm(u"12.5 x 40mm", 12500, 40000);
        AddForm(u"12.4 x 40mm", 12400, 40000);
        AddForm(u"24 x 60mm", 24000, 60000);
    }

    // Runs the dialog for the sheet's printer; `script` acts in it and ends it.
    INT_PTR Run(const std::u16string &sheetPrinter, ui::DialogScript script)
    {
        std::u16string name = sheetPrinter;
        PRINTER_INFO_2W info = {};
        info.pPrinterName = const_cast<LPWSTR>(name.c_str());
        ui::OnDialog(IDD_DISTRIBUTED_PRINTING, std::move(script));
        return DialogBoxParamW(ghInstance, MAKEINTRESOURCEW(IDD_DISTRIBUTED_PRINTING), nullptr,
                               DistributedPrintingProc, reinterpret_cast<LPARAM>(&info));
    }

    // The rows as the dialog shows them, read when the dialog closes.
    std::vector<Row> RunAndRead(const std::u16string &sheetPrinter, int button = IDCANCEL)
    {
        std::vector<Row> rows;
        Run(sheetPrinter, [&](HWND dialog) {
            rows = Rows(dialog);
            ui::Click(dialog, button);
        });
        return rows;
    }

    static HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_DISTRIBUTED_LIST); }

    static std::vector<Row> Rows(HWND dialog)
    {
        HWND list = List(dialog);
        std::vector<Row> rows(static_cast<size_t>(ListView_GetItemCount(list)));
        for (size_t r = 0; r < rows.size(); ++r) {
            rows[r].checked = ListView_GetItemState(list, int(r), LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
            for (int c = 0; c < 7; ++c) {
                WCHAR text[300] = {};
                LVITEMW item = {};
                item.mask = LVIF_TEXT | LVIF_IMAGE;
                item.iItem = int(r);
                item.iSubItem = c;
                item.pszText = text;
                item.cchTextMax = 300;
                item.iImage = -1;
                ListView_GetItem(list, &item);
                rows[r].cells[c] = text;
                rows[r].images[c] = item.iImage;
            }
        }
        return rows;
    }

    static bool ApplyEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY)) != FALSE; }
    static bool Checked(HWND dialog, int row)
    {
        return ListView_GetItemState(List(dialog), row, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    }

    static std::vector<BYTE> Record(const std::vector<StoredEntry> &entries, LONG count)
    {
        std::vector<BYTE> bytes(sizeof(DISTRIBUTEDHEADER) + entries.size() * sizeof(DISTRIBUTEDENTRY));
        DISTRIBUTEDHEADER header = {1, count, 0};
        std::memcpy(bytes.data(), &header, sizeof(header));
        for (size_t i = 0; i < entries.size(); ++i) {
            DISTRIBUTEDENTRY e = {};
            e.Checked = entries[i].checked;
            std::memcpy(e.PrinterName, entries[i].name.data(),
                        std::min<size_t>(entries[i].name.size(), DIST_NAME_UNITS) * sizeof(WCHAR));
            std::memcpy(e.Comment, entries[i].comment.data(),
                        std::min<size_t>(entries[i].comment.size(), DIST_NAME_UNITS) * sizeof(WCHAR));
            std::memcpy(bytes.data() + sizeof(DISTRIBUTEDHEADER) + i * sizeof(DISTRIBUTEDENTRY), &e, sizeof(e));
        }
        return bytes;
    }
    static void Store(const std::u16string &printer, const std::vector<BYTE> &bytes)
    {
        ASSERT_TRUE(sp::SetData(printer, u"DISTRIBUTEDLIST", REG_BINARY, bytes));
    }

    // A stored value decoded field by field, as a reader on another machine
    // would see it.
    struct Decoded {
        DWORD tag = 0;
        LONG count = 0;
        DWORD entriesField = 0;
        std::vector<StoredEntry> entries;
    };
    static Decoded Decode(const std::vector<BYTE> &bytes)
    {
        Decoded d;
        EXPECT_GE(bytes.size(), sizeof(DISTRIBUTEDHEADER));
        if (bytes.size() < sizeof(DISTRIBUTEDHEADER))
            return d;
        std::memcpy(&d.tag, bytes.data(), 4);
        std::memcpy(&d.count, bytes.data() + 4, 4);
        std::memcpy(&d.entriesField, bytes.data() + 8, 4);
        EXPECT_EQ(bytes.size(), sizeof(DISTRIBUTEDHEADER) + size_t(d.count) * sizeof(DISTRIBUTEDENTRY));
        for (LONG i = 0; i < d.count && 12 + size_t(i + 1) * 1044 <= bytes.size(); ++i) {
            DISTRIBUTEDENTRY e;
            std::memcpy(&e, bytes.data() + 12 + size_t(i) * 1044, sizeof(e));
            d.entries.push_back({e.Checked, std::u16string(e.PrinterName, wcsnlen(e.PrinterName, 260)),
                                 std::u16string(e.Comment, wcsnlen(e.Comment, 260))});
        }
        return d;
    }
};

TEST_F(DistListTest, RecordLayoutIsTheStoredOne)
{
    struct Field {
        const char *name;
        size_t offset, expected;
    };
    const Field fields[] = {
        {"Tag", offsetof(DISTRIBUTEDHEADER, Tag), 0},
        {"Count", offsetof(DISTRIBUTEDHEADER, Count), 4},
        {"Entries", offsetof(DISTRIBUTEDHEADER, Entries), 8},
        {"Checked", offsetof(DISTRIBUTEDENTRY, Checked), 0},
        {"PrinterName", offsetof(DISTRIBUTEDENTRY, PrinterName), 4},
        {"Comment", offsetof(DISTRIBUTEDENTRY, Comment), 524},
        {"RIBBONPARAM.SetWidth", offsetof(RIBBONPARAM, SetWidth), 520},
        {"RIBBONPARAM.CurrentWidth", offsetof(RIBBONPARAM, CurrentWidth), 552},
        {"RIBBONPARAM.RibbonType", offsetof(RIBBONPARAM, RibbonType), 584},
        {"RIBBONPARAM.Comment", offsetof(RIBBONPARAM, Comment), 616},
    };
    for (const Field &f : fields)
        EXPECT_EQ(f.offset, f.expected) << f.name;
    EXPECT_EQ(sizeof(DISTRIBUTEDHEADER), 12u);
    EXPECT_EQ(sizeof(DISTRIBUTEDENTRY), 1044u);
    EXPECT_EQ(sizeof(RIBBONPARAM), 1136u);

    // Written: Tag 1, the count, and 0 where a memory address would differ
    // from run to run.
    DistributedRecord record;
    ASSERT_TRUE(record.Allocate(2));
    EXPECT_EQ(record.size, 12u + 2 * 1044u);
    const BYTE *bytes = static_cast<const BYTE *>(record.block.get());
    const BYTE header[12] = {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, header, sizeof(header)), 0);
    EXPECT_FALSE(record.Allocate(-1));
}

TEST_F(DistListTest, ListsExactlyTheLocalFalconPrintersWithTheirCells)
{
    AddPrinterWith(u"Front", u"FalconBT", u"24 x 60mm", u"USB010");
    AddPrinterWith(u"Wren", u"Wren", u"12.5 x 40mm");
    AddPrinterWith(u"Lower", u"falconbt", u"24 x 60mm");
    AddPrinterWith(u"Longer", u"FalconBT PRO", u"24 x 60mm");
    AddPrinterWith(u"Back", u"FalconBT", u"12.5 x 40mm", u"USB011");
    AddPrinterWith(u"Refusing", u"FalconBT", u"24 x 60mm");
    ASSERT_TRUE(sp::SetRefuseFullAccess(u"Refusing", true));

    std::string described;
    std::vector<Row> rows;
    std::u16string caption;
    DWORD exStyles = 0;
    INT_PTR result = Run(u"Wren", [&](HWND dialog) {
        rows = Rows(dialog);
        described = ui::Describe(dialog);
        caption = ui::Text(dialog);
        exStyles = ListView_GetExtendedListViewStyle(List(dialog));
        ui::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(caption, u"Wren - Distributed Printing Settings");
    EXPECT_EQ(exStyles, DWORD(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_CHECKBOXES));
    EXPECT_NE(described.find("images: bitmap 235, bitmap 236"), std::string::npos) << described;
    EXPECT_NE(described.find("columns:  | Printer Name | Set Width | Current Width | Ribbon Type | Port Name | Comments"),
              std::string::npos)
        << described;

    // The sheet's own printer is not a FalconBT, so it is not listed; the
    // driver name is compared exactly; a printer that cannot be opened with
    // full access is left out.
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells[1], u"Front");
    EXPECT_EQ(rows[1].cells[1], u"Back");
    const std::u16string expected[2][7] = {
        {u"", u"Front", u"24 mm", kDash2, kDash2, u"USB010", u""},
        {u"", u"Back", u"13 mm", kDash2, kDash2, u"USB011", u""},
    };
    for (size_t r = 0; r < 2; ++r) {
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(rows[r].cells[c], expected[r][c]) << "row " << r << " column " << c;
        EXPECT_FALSE(rows[r].checked);
        EXPECT_EQ(rows[r].images[0], 1) << "the blank image";
        EXPECT_EQ(rows[r].images[3], 0) << "the warning image";
    }
    EXPECT_FALSE(HasStoredList(u"Wren")) << "Cancel stores nothing";
}

TEST_F(DistListTest, SetWidthRoundsHalvesUpAndFallsBackToEighteen)
{
    AddPrinterWith(u"Half", u"FalconBT", u"12.5 x 40mm");
    AddPrinterWith(u"Below", u"FalconBT", u"12.4 x 40mm");
    AddPrinterWith(u"Unknown", u"FalconBT", u"24 x 60mm");
    SetDefaultPaperNumber(u"Unknown", 9999);
    AddPrinterWith(u"NoDevmode", u"FalconBT", u"");

    std::vector<Row> rows = RunAndRead(u"Half");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].cells[2], u"13 mm");
    EXPECT_EQ(rows[1].cells[2], u"12 mm");
    EXPECT_EQ(rows[2].cells[2], u"18 mm") << "a paper the driver does not name: the \"18 x 100 mm\" form";
    EXPECT_EQ(rows[3].cells[2], u"18 mm") << "no default DEVMODE: the same fallback";

    // Without that form the cell stays empty.
    ASSERT_TRUE(sp::RemoveForm(u"18 x 100 mm"));
    rows = RunAndRead(u"Half");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].cells[2], u"13 mm");
    EXPECT_EQ(rows[2].cells[2], u"");
    EXPECT_EQ(rows[3].cells[2], u"");
}

TEST_F(DistListTest, StoredEntriesSetRowsFirstOneWinsAndUnlistedGoOnApply)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Second", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Third", u"FalconBT", u"24 x 60mm");
    Store(u"Sheet", Record({{0, u"Second", u"first entry"},
                            {1, u"Gone", u"not listed any more"},
                            {1, u"Second", u"second entry"},
                            {1, u"Third", u"third"},
                            {1, u"third", u"letter case differs"}},
                           5));

    std::vector<Row> rows;
    Run(u"Sheet", [&](HWND dialog) {
        rows = Rows(dialog);
        EXPECT_FALSE(ApplyEnabled(dialog));
        ui::Click(dialog, IDC_DISTRIBUTED_APPLY);  // disabled: refused
        ui::Click(dialog, IDCANCEL);
    });
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0].checked);
    EXPECT_EQ(rows[0].cells[6], u"");
    EXPECT_FALSE(rows[1].checked) << "the first entry of a name sets the row";
    EXPECT_EQ(rows[1].cells[6], u"first entry");
    EXPECT_TRUE(rows[2].checked);
    EXPECT_EQ(rows[2].cells[6], u"third");
    EXPECT_TRUE(Logged("UI:  saveList->Count 5"));

    // Apply keeps every row with its flag and comment, in list order.
    Run(u"Sheet", [&](HWND dialog) {
        ASSERT_TRUE(ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 0, 1, NM_CLICK));
        EXPECT_TRUE(ApplyEnabled(dialog));
        ASSERT_TRUE(ui::Click(dialog, IDC_DISTRIBUTED_APPLY));
        EXPECT_FALSE(ApplyEnabled(dialog));
        ui::Click(dialog, IDCANCEL);
    });
    Decoded applied = Decode(Stored(u"Sheet"));
    EXPECT_EQ(applied.tag, 1u);
    EXPECT_EQ(applied.count, 3);
    EXPECT_EQ(applied.entriesField, 0u);
    ASSERT_EQ(applied.entries.size(), 3u);
    const StoredEntry want[3] = {{1, u"Sheet", u""}, {0, u"Second", u"first entry"}, {1, u"Third", u"third"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(applied.entries[i].checked, want[i].checked) << i;
        EXPECT_EQ(applied.entries[i].name, want[i].name) << i;
        EXPECT_EQ(applied.entries[i].comment, want[i].comment) << i;
    }

    // OK keeps only the checked rows: the unchecked one's comment goes.
    Run(u"Sheet", [&](HWND dialog) { ui::Click(dialog, IDOK); });
    Decoded kept = Decode(Stored(u"Sheet"));
    EXPECT_EQ(kept.count, 2);
    ASSERT_EQ(kept.entries.size(), 2u);
    EXPECT_EQ(kept.entries[0].name, u"Sheet");
    EXPECT_EQ(kept.entries[1].name, u"Third");
    EXPECT_EQ(kept.entries[1].comment, u"third");
    EXPECT_EQ(kept.entries[0].checked, 1u);
    EXPECT_EQ(kept.entries[1].checked, 1u);
}

TEST_F(DistListTest, CancelAfterChangesStoresNothingAndAnEmptyListStoresTwelveBytes)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    const std::vector<BYTE> before = Record({{1, u"Sheet", u"kept"}}, 1);
    Store(u"Sheet", before);
    INT_PTR result = Run(u"Sheet", [&](HWND dialog) {
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 0, 1, NM_CLICK);
        ui::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Stored(u"Sheet"), before);

    // No FalconBT at all: OK and Apply both store the header alone. The
    // sheet's printer need not be listed to keep the value.
    ASSERT_TRUE(sp::RemovePrinter(u"Sheet"));
    AddPrinterWith(u"Sheet", u"Wren", u"12.5 x 40mm");
    const std::vector<BYTE> empty = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    result = Run(u"Sheet", [&](HWND dialog) {
        EXPECT_EQ(ListView_GetItemCount(List(dialog)), 0);
        ui::Click(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Stored(u"Sheet"), empty);
    ASSERT_TRUE(sp::RemoveData(u"Sheet", u"DISTRIBUTEDLIST"));
    Run(u"Sheet", [&](HWND dialog) {
        // A click below the rows changes nothing.
        ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, -1, 0, NM_CLICK);
        EXPECT_FALSE(ApplyEnabled(dialog));
        EnableWindow(GetDlgItem(dialog, IDC_DISTRIBUTED_APPLY), TRUE);
        ui::Click(dialog, IDC_DISTRIBUTED_APPLY);
        ui::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(Stored(u"Sheet"), empty);

    // A sheet printer that cannot be opened with full access: nothing stored.
    ASSERT_TRUE(sp::RemoveData(u"Sheet", u"DISTRIBUTEDLIST"));
    ASSERT_TRUE(sp::SetRefuseFullAccess(u"Sheet", true));
    EXPECT_EQ(Run(u"Sheet", [&](HWND dialog) { ui::Click(dialog, IDOK); }), 1);
    EXPECT_FALSE(HasStoredList(u"Sheet"));
}

// Stored values the dialog did not write: each is read only as far as the
// value and each field reach (the sanitizer build sees any byte beyond).
TEST_F(DistListTest, HostileStoredValuesAreReadWithinTheirBytes)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    const std::vector<StoredEntry> two = {{1, u"Sheet", u"one"}, {1, u"Other", u"two"}};
    std::vector<BYTE> cutMidEntry = Record(two, 2);
    cutMidEntry.resize(12 + 1044 + 600);  // the second entry's name is whole, its comment not

    struct Case {
        const char *what;
        std::vector<BYTE> value;
        LONG expectCount;
        bool sheetChecked, otherChecked;
    };
    const Case cases[] = {
        {"shorter than the header", {1, 0, 0, 0, 5, 0}, 0, false, false},
        {"header alone promising entries", Record({}, 3), 0, false, false},
        {"count beyond the entries", Record(two, 40), 2, true, true},
        {"count 0x7FFFFFFF", Record(two, 0x7FFFFFFF), 2, true, true},
        {"negative count", Record(two, -1), 0, false, false},
        {"most negative count", Record(two, LONG(0x80000000u)), 0, false, false},
        {"fewer than stored", Record(two, 1), 1, true, false},
        {"last entry cut short", cutMidEntry, 1, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Store(u"Sheet", c.value);
        StoredList list;
        ASSERT_TRUE(ReadDistributedList(u"Sheet", list));
        EXPECT_EQ(list.count, c.expectCount);
        EXPECT_EQ(list.Entry(list.count), nullptr);
        std::vector<Row> rows = RunAndRead(u"Sheet");
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].checked, c.sheetChecked);
        EXPECT_EQ(rows[1].checked, c.otherChecked);
        EXPECT_EQ(rows[1].cells[6], c.otherChecked ? u"two" : u"");
    }

    // Fields that fill their 260 units without a terminator: the name is
    // its 260 units and no more, the comment shows all 260 and stops there.
    const std::u16string full(260, u'N');
    const std::u16string comment(260, u'c');
    Store(u"Sheet", Record({{1, full, u"after"}, {1, u"Other", comment}}, 2));
    StoredList list;
    ASSERT_TRUE(ReadDistributedList(u"Sheet", list));
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.Find(full.c_str()), list.Entry(0));
    EXPECT_EQ(list.Find((full + u"after").c_str()), nullptr) << "the name does not run on into the comment";
    EXPECT_EQ(list.Find(full.substr(0, 259).c_str()), nullptr);
    std::vector<Row> rows = RunAndRead(u"Sheet");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[1].checked);
    EXPECT_EQ(rows[1].cells[6], comment);

    // A value that is not there, and one that is empty.
    ASSERT_TRUE(sp::RemoveData(u"Sheet", u"DISTRIBUTEDLIST"));
    EXPECT_FALSE(ReadDistributedList(u"Sheet", list));
    EXPECT_EQ(list.count, 0);
    Store(u"Sheet", {});
    EXPECT_FALSE(ReadDistributedList(u"Sheet", list));
    EXPECT_EQ(RunAndRead(u"Sheet").size(), 2u);
}

// A click on the box is toggled by the list view itself; a click on the row
// is inverted by the dialog. Either way the check changes exactly once.
TEST_F(DistListTest, ClickOnTheBoxAndOnTheRowEachChangeTheCheckOnce)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    Run(u"Sheet", [&](HWND dialog) {
        ASSERT_TRUE(ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 0));
        EXPECT_TRUE(Checked(dialog, 0));
        EXPECT_TRUE(ApplyEnabled(dialog));
        ASSERT_TRUE(ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 0));
        EXPECT_FALSE(Checked(dialog, 0));

        for (int column : {0, 1, 5}) {
            ASSERT_TRUE(ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 1, column, NM_CLICK));
            EXPECT_TRUE(Checked(dialog, 1)) << "column " << column;
            ASSERT_TRUE(ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 1, column, NM_CLICK));
            EXPECT_FALSE(Checked(dialog, 1)) << "column " << column;
        }
        EXPECT_FALSE(Checked(dialog, 0)) << "the other row is left alone";

        ui::ToggleListCheck(dialog, IDC_DISTRIBUTED_LIST, 1);
        ui::Click(dialog, IDOK);
    });
    Decoded kept = Decode(Stored(u"Sheet"));
    ASSERT_EQ(kept.entries.size(), 1u);
    EXPECT_EQ(kept.entries[0].name, u"Other");

    EXPECT_EQ(LoggedCount("one click"), 9u);
    EXPECT_TRUE(Logged("UI:  item is 0 and one->iSubItem 0"));
    EXPECT_TRUE(Logged("UI:  item is 1 and one->iSubItem 5"));
    EXPECT_TRUE(Logged("UI:  old 1000 and  new 2000"));
    EXPECT_TRUE(Logged("UI:  old 2000 and  new 1000"));
    EXPECT_TRUE(Logged("UI:  set check 1"));
}

TEST_F(DistListTest, RightAndDoubleClickEditTheRowThroughTheRibbonWidthDialog)
{
    AddPrinterWith(u"Sheet", u"FalconBT", u"24 x 60mm");
    AddPrinterWith(u"Other", u"FalconBT", u"24 x 60mm");
    Store(u"Sheet", Record({{0, u"Other", u"old comment"}}, 1));

    RIBBONPARAM seen = {};
    std::u16string title;
    // Confirmed: the row takes the chosen paper's width and the comment.
    ui::OnDialog(IDD_RIBBON_WIDTH, [&](HWND ribbon) {
        seen = *reinterpret_cast<RIBBONPARAM *>(GetWindowLongPtrW(ribbon, DWLP_USER));
        title = ui::Text(ribbon);
        EXPECT_TRUE(ui::ChooseText(ribbon, IDC_RIBBON_SET_WIDTH, u"12.5 x 40mm"));
        EXPECT_TRUE(ui::Type(ribbon, IDC_RIBBON_COMMENT, u"new comment"));
        ui::Click(ribbon, IDOK);
    });
    // Cancelled: nothing changes.
    ui::OnDialog(IDD_RIBBON_WIDTH, [&](HWND ribbon) {
        ui::Type(ribbon, IDC_RIBBON_COMMENT, u"dropped");
        ui::Click(ribbon, IDCANCEL);
    });
    std::vector<Row> afterEdit, afterCancel;
    bool applyAfterCancel = true;
    Run(u"Sheet", [&](HWND dialog) {
        ASSERT_TRUE(ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 1, 2, NM_RCLICK));
        afterEdit = Rows(dialog);
        EXPECT_TRUE(ApplyEnabled(dialog));
        ui::Click(dialog, IDC_DISTRIBUTED_APPLY);
        // A double click is a click on the row first: the check flips too.
        ASSERT_TRUE(ui::ClickListItem(dialog, IDC_DISTRIBUTED_LIST, 0, 1, NM_DBLCLK));
        afterCancel = Rows(dialog);
        applyAfterCancel = ApplyEnabled(dialog);
        ui::Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(std::u16string(seen.PrinterName), u"Other");
    EXPECT_EQ(std::u16string(seen.CurrentWidth), kDash2);
    EXPECT_EQ(std::u16string(seen.RibbonType), kDash2);
    EXPECT_EQ(std::u16string(seen.Comment), u"old comment");
    EXPECT_EQ(std::u16string(seen.SetWidth), u"") << "zeroed, not taken from the row";
    EXPECT_EQ(title, u"Other");

    ASSERT_EQ(afterEdit.size(), 2u);
    EXPECT_EQ(afterEdit[1].cells[2], u"13 mm");
    EXPECT_EQ(afterEdit[1].cells[6], u"new comment");
    EXPECT_FALSE(afterEdit[1].checked) << "a right click does not touch the check";
    ASSERT_EQ(afterCancel.size(), 2u);
    EXPECT_EQ(afterCancel[0].cells[6], u"");
    EXPECT_EQ(afterCancel[0].cells[2], u"24 mm");
    EXPECT_TRUE(afterCancel[0].checked);
    EXPECT_TRUE(applyAfterCancel) << "enabled by the click";
    EXPECT_TRUE(Logged("UI:  returnData is 1"));
    EXPECT_TRUE(Logged("UI:  returnData is 0"));

    // Only the row's printer got the new default paper.
    EXPECT_EQ(DefaultDevMode(u"Other").dmPaperSize, SHORT(PaperOf(u"12.5 x 40mm")));
    EXPECT_EQ(DefaultDevMode(u"Sheet").dmPaperSize, SHORT(PaperOf(u"24 x 60mm")));
    Decoded applied = Decode(Stored(u"Sheet"));
    ASSERT_EQ(applied.entries.size(), 2u);
    EXPECT_EQ(applied.entries[1].comment, u"new comment");

    // Reopened, the row shows the new default paper's width.
    std::vector<Row> reopened = RunAndRead(u"Sheet");
    ASSERT_EQ(reopened.size(), 2u);
    EXPECT_EQ(reopened[1].cells[2], u"13 mm");
}

}  // namespace

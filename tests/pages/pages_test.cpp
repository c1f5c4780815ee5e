// The option-item bridge, the Other page and the About page, on the windows
// the host's sheet makes from the real templates.
#include "host/text.h"
#include "resources/resource.h"
#include "src/pages/bridge.h"
#include "tests/support/sheet.h"

#include <cstring>

namespace {

namespace ui = standin::ui;

std::u16string ItemText(HWND page, int id)
{
    return ui::Text(GetDlgItem(page, id));
}

// ---- Page to driver ----------------------------------------------------------

TEST_F(SheetTest, PageValuesReachTheDriversItems)
{
    PropertySheet &s = Open(u"KestrelBT");
    ASSERT_TRUE(s.ActivateTemplate(110));
    PPAGECONTEXT context = gpCurrentContext;
    ASSERT_NE(context, nullptr);
    ASSERT_EQ(context->pOEMUIParam, &s.UiParam());
    DriverOptionItems &items = s.DriverItems();
    ASSERT_GE(s.Papers().size(), 3u);

    POPTITEM paper = items.Find("PaperSize");
    paper->Flags = 0;
    SetOEMCommonDataIntoOptItem(context, "PaperSize", s.Papers()[2].c_str());
    EXPECT_EQ(paper->Sel, 2);
    EXPECT_EQ(paper->Flags, static_cast<DWORD>(OPTIF_CHANGED));

    // A paper no option carries: the selection stays, the driver is still told.
    SetOEMCommonDataIntoOptItem(context, "PaperSize", u"No Such Paper");
    EXPECT_EQ(paper->Sel, 2);

    SetOEMCommonDataIntoOptItem(context, "Orientation", u"1");
    EXPECT_EQ(items.Find("Orientation")->Sel, 1);

    POPTITEM quality = items.Find("Resolution");
    quality->pOptType->Count = 0;
    SetOEMCommonDataIntoOptItem(context, "Resolution", u"1");
    EXPECT_EQ(quality->Sel, 0) << "an item without options keeps its selection";

    const auto &updates = s.Helper().updates;
    ASSERT_EQ(updates.size(), 4u);
    EXPECT_EQ(updates[0].keyword, "PaperSize");
    EXPECT_EQ(updates[1].keyword, "PaperSize");
    EXPECT_EQ(updates[2].sel, 1);
    EXPECT_EQ(updates[3].keyword, "Resolution");
    for (const auto &update : updates) {
        EXPECT_EQ(update.previousSelection, 0u);
        EXPECT_EQ(update.mode, static_cast<DWORD>(OEMCUIP_DOCPROP));
    }

    // An item the driver does not have, and a failing driver.
    ClearDebug();
    SetOEMCommonDataIntoOptItem(context, "Duplex", u"1");
    EXPECT_NE(Debug().find("ERROR UI:  SetOEMCommonDataIntoOptItem Item Not Found OPTITEM(Duplex) \r\n"),
              std::string::npos);
    s.Helper().updateResult = E_FAIL;
    SetOEMCommonDataIntoOptItem(context, "Orientation", u"0");
    EXPECT_NE(Debug().find("ERROR UI:  ChangeOpItem DrvUpdateUISetting FAILED \r\n"), std::string::npos);
    EXPECT_EQ(items.Find("Orientation")->Sel, 0);
}

TEST_F(SheetTest, FindDrvOptItemMatchesKeywordsExactly)
{
    PropertySheet &s = Open(u"KestrelBT");
    DriverOptionItems &items = s.DriverItems();
    EXPECT_EQ(FindDrvOptItem(items.Items(), items.Count(), "PaperSize", 0), items.Find("PaperSize"));
    EXPECT_EQ(FindDrvOptItem(items.Items(), items.Count(), "paperSize", 0), items.Find("paperSize"));
    EXPECT_EQ(FindDrvOptItem(items.Items(), items.Count(), "Papersize", 0), nullptr);
    // Without a keyword the public devmode id decides, items without user data included.
    POPTITEM copies = FindDrvOptItem(items.Items(), items.Count(), nullptr, DMPUB_COPIES_COLLATE);
    ASSERT_NE(copies, nullptr);
    EXPECT_EQ(copies->UserData, 0u);
    EXPECT_EQ(FindDrvOptItem(items.Items(), 0, "PaperSize", 0), nullptr);
}

// ---- Driver to page ----------------------------------------------------------

class BridgeTest : public SheetTest {
protected:
    void SetUp() override
    {
        SheetTest::SetUp();
        Open(u"KestrelBT");
        ASSERT_TRUE(sheet->ActivateTemplate(110));
        ASSERT_TRUE(sheet->ActivateTemplate(111));  // away from Page Setup
        setup = sheet->Pages()[1].window;
        ASSERT_EQ(ui::TemplateId(setup), 110);
        record = const_cast<OEMDEV *>(&sheet->JobRecord());
        // The page's own paper list, as the Page Setup page fills it.
        for (const std::u16string &paper : sheet->Papers())
            SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(paper.c_str()));
        SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_SETCURSEL, 0, 0);
    }

    LRESULT SelectedPaper() const { return SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0); }

    HWND setup = nullptr;
    OEMDEV *record = nullptr;
};

TEST_F(BridgeTest, PendingDriverSelectionsMoveIntoThePage)
{
    ASSERT_TRUE(sheet->SetDriverSelection("PaperSize", 3));
    ASSERT_TRUE(sheet->SetDriverSelection("Orientation", 1));
    ASSERT_TRUE(sheet->SetDriverSelection("Resolution", 1));
    gpCurrentSettings->Rotate = 0;
    long gdi = standin::GetCounters().gdiObjects;
    ASSERT_TRUE(sheet->ActivateTemplate(110));

    LRESULT expected = SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(sheet->Papers()[3].c_str()));
    EXPECT_EQ(SelectedPaper(), expected);
    EXPECT_EQ(std::u16string(gszDrvPaperName), sheet->Papers()[3]);
    EXPECT_EQ(gpCurrentSettings->iQuality, 1) << "the standard page keeps the quality without a list";
    EXPECT_EQ(gpCurrentSettings->Rotate, 2);
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_LANDSCAPE), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_PORTRAIT), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(standin::GetCounters().gdiObjects, gdi) << "the picture replaced, the old one deleted";
    EXPECT_EQ(record->standardPaperSizeChoose, -1);
    EXPECT_EQ(record->standardOrientationChoose, -1);
    EXPECT_EQ(record->standardResolutionChoose, -1);
}

TEST_F(BridgeTest, AMatchingOrientationOnlyClearsThePending)
{
    CheckRadioButton(setup, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_PORTRAIT);
    HANDLE picture = reinterpret_cast<HANDLE>(SendDlgItemMessageW(setup, IDC_DIRECTION_PICTURE, STM_GETIMAGE,
                                                                  IMAGE_BITMAP, 0));
    ASSERT_TRUE(sheet->SetDriverSelection("Orientation", 0));
    gpCurrentSettings->Rotate = 7;
    ASSERT_TRUE(sheet->ActivateTemplate(110));
    EXPECT_EQ(record->standardOrientationChoose, -1);
    EXPECT_EQ(gpCurrentSettings->Rotate, 7);
    EXPECT_EQ(reinterpret_cast<HANDLE>(SendDlgItemMessageW(setup, IDC_DIRECTION_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0)),
              picture);
}

TEST_F(BridgeTest, UnknownPendingValuesChangeNothing)
{
    // A paper the page's list lacks, an index past the driver's options, and
    // a third orientation.
    LRESULT missing = SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(sheet->Papers()[1].c_str()));
    ASSERT_NE(missing, CB_ERR);
    SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_DELETESTRING, static_cast<WPARAM>(missing), 0);
    SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_SETCURSEL, 0, 0);
    std::vector<int> seen;
    for (LONG pending : {1L, 500L, -7L}) {
        record->standardPaperSizeChoose = pending;
        record->standardOrientationChoose = 2;
        gpCurrentSettings->Rotate = 0;
        ASSERT_TRUE(sheet->ActivateTemplate(110));
        EXPECT_EQ(SelectedPaper(), 0);
        EXPECT_EQ(record->standardPaperSizeChoose, -1);
        EXPECT_EQ(record->standardOrientationChoose, -1);
        EXPECT_EQ(gpCurrentSettings->Rotate, 0);
        ASSERT_TRUE(sheet->ActivateTemplate(111));
    }
}

// ---- The Other page ------------------------------------------------------------

TEST_F(SheetTest, SelfTestPrintsThreeBytesAsItsOwnJob)
{
    PropertySheet &s = Open(u"KestrelBT");
    ASSERT_TRUE(s.ActivateTemplate(112));
    HWND other = s.ActiveWindow();
    standin::spooler::ClearJobs();
    int changed = s.changedCount;
    ASSERT_TRUE(ui::Click(other, IDC_SELF_TEST_PRINT));
    auto jobs = standin::spooler::Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].document, u"label cmd");
    EXPECT_EQ(jobs[0].datatype, u"RAW");
    EXPECT_EQ(jobs[0].bytes, (std::vector<BYTE>{0x1F, 0x11, 0x27}));
    EXPECT_EQ(jobs[0].pages, 0u);
    EXPECT_EQ(s.changedCount, changed + 1) << "the click also marks the sheet changed";
    EXPECT_TRUE(gPendingPages & PENDING_OTHER);

    // A refused job start is silent; a failed write is logged and the job still ends.
    standin::spooler::ClearJobs();
    standin::FailNext("StartDocPrinterW", 1, ERROR_ACCESS_DENIED);
    ClearDebug();
    ASSERT_TRUE(ui::Click(other, IDC_SELF_TEST_PRINT));
    EXPECT_TRUE(standin::spooler::Jobs().empty());
    EXPECT_EQ(Debug(), "");
    standin::FailNext("WritePrinter", 1, 21);  // ERROR_NOT_READY
    ASSERT_TRUE(ui::Click(other, IDC_SELF_TEST_PRINT));
    EXPECT_NE(Debug().find("UI:  WritePrinter fail and error code is 21"), std::string::npos);
    EXPECT_EQ(standin::spooler::Jobs().size(), 1u);
}

TEST_F(SheetTest, SelfTestGroupShowsForTheModelsThatHaveIt)
{
    struct Case {
        std::u16string printer;
        bool visible;
    } cases[] = {{u"KestrelBT", true}, {u"MerlinBT", true}, {u"FalconBT", true}, {u"Condor Printer", true},
                 {u"Heron", false},    {u"Wren", false},    {u"HeronBT PRO", false}, {u"Osprey", false}};
    for (const Case &c : cases) {
        PropertySheet &s = Open(c.printer);
        ASSERT_TRUE(s.ActivateTemplate(112));
        for (int id : {IDC_SELF_TEST_GROUP, IDC_SELF_TEST_LABEL, IDC_SELF_TEST_PRINT})
            EXPECT_EQ(IsWindowVisible(GetDlgItem(s.ActiveWindow(), id)) != FALSE, c.visible) << Utf8(c.printer);
        sheet.reset();
    }
    // A printer whose data cannot be read keeps the group.
    PropertySheet &s = Open(u"Wren");
    // The settings read takes the first two reads of the printer's data.
    standin::FailNext("GetPrinterW", 1, ERROR_NOT_ENOUGH_MEMORY, 2);
    ASSERT_TRUE(s.ActivateTemplate(112));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(s.ActiveWindow(), IDC_SELF_TEST_PRINT)));
}

TEST_F(SheetTest, OtherPageHoldsThePendingBitUntilApply)
{
    PropertySheet &s = Open(u"MerlinBT");  // stored in inches
    EXPECT_EQ(gPendingPages & PENDING_OTHER, 0);
    ASSERT_TRUE(s.ActivateTemplate(112));
    EXPECT_TRUE(gPendingPages & PENDING_OTHER) << "pending from creation";
    EXPECT_EQ(IsDlgButtonChecked(s.ActiveWindow(), IDC_UNIT_INCH), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(s.ActiveWindow(), IDC_UNIT_MM), static_cast<UINT>(BST_UNCHECKED));

    // The other pages were never shown: only this page's bit is left to clear.
    ASSERT_TRUE(ui::Click(s.ActiveWindow(), IDC_UNIT_MM));
    EXPECT_EQ(gpCurrentSettings->Unit, 0);
    EXPECT_EQ(StoredRecord(u"MerlinBT")[offsetof(REGSTRUCT, Unit)], 1) << "nothing stored before Apply";
    ASSERT_TRUE(s.Apply());
    EXPECT_EQ(gPendingPages & PENDING_OTHER, 0);
    std::vector<BYTE> stored = StoredRecord(u"MerlinBT");
    ASSERT_EQ(stored.size(), sizeof(REGSTRUCT));
    REGSTRUCT settings;
    std::memcpy(&settings, stored.data(), sizeof(settings));
    EXPECT_EQ(settings.Unit, 0);
    EXPECT_EQ(settings.Speed, 2) << "the rest of the record kept";
}

TEST_F(SheetTest, UnitOutsideItsChoicesChecksNeither)
{
    REGSTRUCT settings = Defaults();
    settings.Unit = 3;
    StoreRecord(u"KestrelBT", &settings, sizeof(settings));
    PropertySheet &s = Open(u"KestrelBT");
    ASSERT_TRUE(s.ActivateTemplate(112));
    EXPECT_EQ(IsDlgButtonChecked(s.ActiveWindow(), IDC_UNIT_MM), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(s.ActiveWindow(), IDC_UNIT_INCH), static_cast<UINT>(BST_UNCHECKED));
}

// ---- The About page ------------------------------------------------------------

TEST_F(SheetTest, AboutShowsThreeWordsOfTheDriverVersion)
{
    ASSERT_TRUE(standin::spooler::SetDriverVersion(u"FalconBT", (DWORDLONG(2) << 48) | (DWORDLONG(1) << 32) |
                                                                     (DWORDLONG(9) << 16) | 7));
    PropertySheet &s = Open(u"FalconBT", SheetKind::Device);
    ASSERT_TRUE(s.Activate(1));
    HWND about = s.ActiveWindow();
    EXPECT_EQ(ItemText(about, IDC_ABOUT_VERSION), u"Ver:Build_2.1.9");
    WCHAR copyright[256] = {};
    LoadStringW(ghInstance, IDS_COPYRIGHT, copyright, 256);
    EXPECT_EQ(ItemText(about, IDC_ABOUT_COPYRIGHT), std::u16string(copyright));
    EXPECT_NE(Debug().find("UI:  DevicePropAboutProc:verson:00090007,00020001,00020001"), std::string::npos);
}

TEST_F(SheetTest, AboutKeepsItsPlaceholdersWithoutDriverData)
{
    PropertySheet &s = Open(u"KestrelBT", SheetKind::Device);
    HWND plain = nullptr;
    {
        // The placeholders as the template has them, from a page that is never initialised.
        plain = CreateDialogParamW(ghInstance, MAKEINTRESOURCEW(IDD_ABOUT), s.SheetWindow(),
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(plain, nullptr);
    }
    standin::FailNext("GetPrinterDriverW", 1, ERROR_UNKNOWN_PRINTER_DRIVER);
    ASSERT_TRUE(s.Activate(1));
    EXPECT_EQ(ItemText(s.ActiveWindow(), IDC_ABOUT_VERSION), ItemText(plain, IDC_ABOUT_VERSION));
    EXPECT_EQ(ItemText(s.ActiveWindow(), IDC_ABOUT_COPYRIGHT), ItemText(plain, IDC_ABOUT_COPYRIGHT));
    DestroyWindow(plain);
}

}  // namespace

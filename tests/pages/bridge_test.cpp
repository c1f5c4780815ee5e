// The option-item bridge, on the windows the host's sheet makes from the
// real templates.
#include "host/text.h"
#include "resources/resource.h"
#include "src/pages/bridge.h"
#include "src/pages/pagecommon.h"
#include "tests/support/sheet.h"

#include <cstring>

namespace {

namespace ui = standin::ui;

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

    // An item the driver does not have tells the driver nothing; a failing
    // driver leaves the selection made.
    SetOEMCommonDataIntoOptItem(context, "Duplex", u"1");
    EXPECT_EQ(updates.size(), 4u);
    s.Helper().updateResult = E_FAIL;
    SetOEMCommonDataIntoOptItem(context, "Orientation", u"0");
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
        // The page filled its paper list with the driver's papers.
        ASSERT_EQ(SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_GETCOUNT, 0, 0),
                  static_cast<LRESULT>(sheet->Papers().size()));
        SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_SETCURSEL, 0, 0);
    }

    LRESULT SelectedPaper() const { return SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0); }

    HWND setup = nullptr;
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
    EXPECT_EQ(std::u16string(gszCurrentPaper), sheet->Papers()[3]) << "the paper shown is the one Apply stores";
    EXPECT_EQ(gpCurrentSettings->iQuality, 1) << "the standard page keeps the quality without a list";
    EXPECT_EQ(gpCurrentSettings->Rotate, 2);
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_LANDSCAPE), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(setup, IDC_PORTRAIT), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(standin::GetCounters().gdiObjects, gdi) << "the picture replaced, the old one deleted";
    EXPECT_EQ(sheet->JobRecord().standardPaperSizeChoose, -1);
    EXPECT_EQ(sheet->JobRecord().standardOrientationChoose, -1);
    EXPECT_EQ(sheet->JobRecord().standardResolutionChoose, -1);
}

TEST_F(BridgeTest, AMatchingOrientationOnlyClearsThePending)
{
    CheckRadioButton(setup, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_PORTRAIT);
    HANDLE picture =
        reinterpret_cast<HANDLE>(SendDlgItemMessageW(setup, IDC_DIRECTION_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(sheet->SetDriverSelection("Orientation", 0));
    gpCurrentSettings->Rotate = 7;
    ASSERT_TRUE(sheet->ActivateTemplate(110));
    EXPECT_EQ(sheet->JobRecord().standardOrientationChoose, -1);
    EXPECT_EQ(gpCurrentSettings->Rotate, 7);
    EXPECT_EQ(
        reinterpret_cast<HANDLE>(SendDlgItemMessageW(setup, IDC_DIRECTION_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0)),
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
        OEMDEV record = sheet->JobRecord();
        record.standardPaperSizeChoose = pending;
        record.standardOrientationChoose = 2;
        sheet->SetJobRecord(record);
        gpCurrentSettings->Rotate = 0;
        ASSERT_TRUE(sheet->ActivateTemplate(110));
        EXPECT_EQ(SelectedPaper(), 0);
        EXPECT_EQ(sheet->JobRecord().standardPaperSizeChoose, -1);
        EXPECT_EQ(sheet->JobRecord().standardOrientationChoose, -1);
        EXPECT_EQ(gpCurrentSettings->Rotate, 0);
        ASSERT_TRUE(sheet->ActivateTemplate(111));
    }
    // Without a page context, or a driver that hands no private record,
    // there is nothing to move.
    SyncDrvOptItemsToPage(setup, nullptr);
    PAGECONTEXT context = *PageContextOf(setup);
    OEMCUIPPARAM param = *context.pOEMUIParam;
    param.pOEMDM = nullptr;
    context.pOEMUIParam = &param;
    SyncDrvOptItemsToPage(setup, &context);
    EXPECT_EQ(SelectedPaper(), 0);
}

}  // namespace

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

// A value the page sets selects the driver's option and tells the driver,
// marking the item changed; a paper no option carries keeps the selection
// but still tells the driver; an item without options keeps its selection;
// an item the driver does not have tells the driver nothing; a failing
// driver leaves the selection made.
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
    EXPECT_TRUE(paper->Sel == 2 && paper->Flags == OPTIF_CHANGED);
    SetOEMCommonDataIntoOptItem(context, "PaperSize", u"No Such Paper");
    EXPECT_EQ(paper->Sel, 2);
    SetOEMCommonDataIntoOptItem(context, "Orientation", u"1");
    EXPECT_EQ(items.Find("Orientation")->Sel, 1);
    items.Find("Resolution")->pOptType->Count = 0;
    SetOEMCommonDataIntoOptItem(context, "Resolution", u"1");
    EXPECT_EQ(items.Find("Resolution")->Sel, 0);
    SetOEMCommonDataIntoOptItem(context, "Duplex", u"1");
    s.Helper().updateResult = E_FAIL;
    SetOEMCommonDataIntoOptItem(context, "Orientation", u"0");
    EXPECT_EQ(items.Find("Orientation")->Sel, 0);

    std::vector<std::string> told;
    for (const auto &update : s.Helper().updates)
        told.push_back(update.keyword + " " + std::to_string(update.sel) + " " +
                       std::to_string(update.previousSelection) + " " + std::to_string(update.mode));
    const std::string mode = std::to_string(OEMCUIP_DOCPROP);
    EXPECT_EQ(told,
              (std::vector<std::string>{"PaperSize 2 0 " + mode, "PaperSize 2 0 " + mode, "Orientation 1 0 " + mode,
                                        "Resolution 0 0 " + mode, "Orientation 0 0 " + mode}));
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

// The selections left pending on the driver's page move into Page Setup
// when it is shown again, and are cleared: the paper by its name (the one
// Apply stores), the orientation as Rotate 0 or 2 with its button and
// picture (the old picture deleted); the standard page keeps the quality
// without a list. An orientation the page shows already only clears; a
// paper the list lacks, an index past the driver's options and a third
// orientation change nothing.
TEST_F(SheetTest, PendingDriverSelectionsMoveIntoThePage)
{
    Open(u"KestrelBT");
    ASSERT_TRUE(sheet->ActivateTemplate(110));
    HWND setup = sheet->ActiveWindow();
    auto find = [&](size_t paper) {
        return SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(sheet->Papers()[paper].c_str()));
    };
    LRESULT missing = find(1);
    ASSERT_NE(missing, CB_ERR);
    SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_DELETESTRING, static_cast<WPARAM>(missing), 0);
    struct Case {
        bool throughDriverPage;
        LONG paper, orientation;  // -1: none pending
        int shown;                // the button before
        LONG rotate, shownPaper, rotateAfter;
        int picture;  // 0: the one before
    } cases[] = {
        {true, 3, 1, IDC_PORTRAIT, 0, 3, 2, IDB_LANDSCAPE}, {true, 2, 0, IDC_LANDSCAPE, 2, 2, 0, IDB_PORTRAIT},
        {false, -1, 0, IDC_PORTRAIT, 7, -1, 7, 0},          {false, 1, 2, IDC_PORTRAIT, 0, -1, 0, 0},
        {false, 500, 2, IDC_PORTRAIT, 0, -1, 0, 0},         {false, -7, 2, IDC_LANDSCAPE, 0, -1, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("paper " + std::to_string(c.paper) + ", orientation " + std::to_string(c.orientation));
        ASSERT_TRUE(sheet->ActivateTemplate(111));  // away from Page Setup
        SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_SETCURSEL, 0, 0);
        CheckRadioButton(setup, IDC_PORTRAIT, IDC_LANDSCAPE, c.shown);
        gpCurrentSettings->Rotate = c.rotate;
        gpCurrentSettings->iQuality = 0;
        if (c.throughDriverPage) {
            ASSERT_TRUE(sheet->SetDriverSelection("PaperSize", c.paper));
            ASSERT_TRUE(sheet->SetDriverSelection("Orientation", c.orientation));
            ASSERT_TRUE(sheet->SetDriverSelection("Resolution", 1));
        } else {
            OEMDEV record = sheet->JobRecord();
            record.standardPaperSizeChoose = c.paper;
            record.standardOrientationChoose = c.orientation;
            sheet->SetJobRecord(record);
        }
        int before = Picture(setup, IDC_DIRECTION_PICTURE);
        long gdi = standin::GetCounters().gdiObjects;
        ASSERT_TRUE(sheet->ActivateTemplate(110));
        EXPECT_EQ(SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0),
                  c.shownPaper < 0 ? 0 : find(c.shownPaper));
        if (c.shownPaper >= 0) {
            EXPECT_EQ(std::u16string(gszDrvPaperName), sheet->Papers()[c.shownPaper]);
            EXPECT_EQ(std::u16string(gszCurrentPaper), sheet->Papers()[c.shownPaper]);
        }
        EXPECT_EQ(gpCurrentSettings->iQuality, c.throughDriverPage ? 1 : 0);
        EXPECT_EQ(gpCurrentSettings->Rotate, c.rotateAfter);
        EXPECT_EQ(Checked(setup, IDC_LANDSCAPE),
                  c.picture == 0 ? c.shown == IDC_LANDSCAPE : c.picture == IDB_LANDSCAPE);
        EXPECT_EQ(Picture(setup, IDC_DIRECTION_PICTURE), c.picture == 0 ? before : c.picture);
        EXPECT_EQ(standin::GetCounters().gdiObjects, gdi);
        const OEMDEV &job = sheet->JobRecord();
        EXPECT_TRUE(job.standardPaperSizeChoose == -1 && job.standardOrientationChoose == -1 &&
                    job.standardResolutionChoose == -1);
    }

    // Without a page context, or a driver that hands no private record,
    // there is nothing to move.
    SyncDrvOptItemsToPage(setup, nullptr);
    PAGECONTEXT context = *PageContextOf(setup);
    OEMCUIPPARAM param = *context.pOEMUIParam;
    param.pOEMDM = nullptr;
    context.pOEMUIParam = &param;
    SyncDrvOptItemsToPage(setup, &context);
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_PAPER_LIST, CB_GETCURSEL, 0, 0), 0);
}

}  // namespace

// The extended model's Page Setup page: half cut, special tape that keeps
// the other marks, print quality and the distributed printing switch.
#include "host/text.h"
#include "resources/resource.h"
#include "src/pages/pagesetup.h"
#include "tests/support/sheet.h"

namespace {

namespace ui = standin::ui;
namespace sp = standin::spooler;

class ExtendedPageTest : public SheetTest {
protected:
    HWND OpenPage() { return SheetTest::OpenPage(u"FalconBT", IDD_PAGE_SETUP_EX); }
    static int Picture(HWND page) { return SheetTest::Picture(page, IDC_OPTION_PICTURE); }
    static void StoreSettings(const REGSTRUCT &settings) { StoreRecord(u"FalconBT", &settings, sizeof(settings)); }
};

TEST_F(ExtendedPageTest, SpecialTapeLocksTheOtherBoxesButKeepsTheirMarks)
{
    REGSTRUCT stored = Defaults();
    stored.SpecialTape = 1;
    stored.Chain = 1;
    stored.HalfCut = 1;
    StoreSettings(stored);
    HWND page = OpenPage();
    for (int id : {IDC_SPECIAL_TAPE, IDC_CHAIN, IDC_HALF_CUT})
        EXPECT_TRUE(Checked(page, id)) << id;
    for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_HALF_CUT})
        EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_EQ(gpCurrentSettings->Chain, 1) << "the fields stay as stored";
    EXPECT_EQ(Picture(page), IDB_SPECIAL_TAPE);
    ASSERT_TRUE(ui::Click(page, IDC_MIRROR));
    EXPECT_EQ(Picture(page), IDB_SPECIAL_TAPE_MIRROR);

    // Off again: the boxes come back with their marks, the picture with them.
    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_HALF_CUT})
        EXPECT_TRUE(Enabled(page, id)) << id;
    EXPECT_TRUE(Checked(page, IDC_CHAIN));
    EXPECT_TRUE(Checked(page, IDC_HALF_CUT));
    EXPECT_EQ(Picture(page), IDB_OPTION_CHAIN_HALFCUT_MIRROR);

    // On again: nothing is cleared.
    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    EXPECT_EQ(gpCurrentSettings->Chain, 1);
    EXPECT_EQ(gpCurrentSettings->HalfCut, 1);
    EXPECT_TRUE(Checked(page, IDC_CHAIN));
}

TEST_F(ExtendedPageTest, HalfCutAndEveryModelKeepTheTemplatesLayout)
{
    HWND page = OpenPage();
    for (int id : {IDC_CHAIN, IDC_MIRROR, IDC_AUTO_CUT, IDC_SPECIAL_TAPE, IDC_HALF_CUT})
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, id))) << id;
    ASSERT_TRUE(ui::Click(page, IDC_HALF_CUT));
    EXPECT_EQ(gpCurrentSettings->HalfCut, 1);
    EXPECT_EQ(Picture(page), IDB_OPTION_HALFCUT);
    EXPECT_EQ(gPendingPages & PENDING_PAGESETUP, PENDING_PAGESETUP);
}

// The print quality goes to the driver's resolution item, and a resolution
// picked on the driver's page comes back into the list. A paper and a
// quality applied are what the next sheet shows, with the driver's items
// started from the DEVMODE as the core does.
TEST_F(ExtendedPageTest, QualityGoesToTheDriversResolutionItemAndComesBack)
{
    REGSTRUCT stored = Defaults();
    stored.iQuality = 2;
    StoreSettings(stored);
    HWND page = OpenPage();
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCOUNT, 0, 0), 4);

    ASSERT_TRUE(sheet->SetDriverSelection("Resolution", 1));
    ASSERT_TRUE(sheet->ActivateTemplate(IDD_PAGE_SETUP_EX));
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(gpCurrentSettings->iQuality, 1);

    ASSERT_TRUE(ui::ChooseText(page, IDC_QUALITY_LIST, u"High Speed"));
    EXPECT_EQ(gpCurrentSettings->iQuality, 3);
    EXPECT_EQ(sheet->DriverItems().Find("Resolution")->Sel, 3);
    ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"24 x 60mm"));
    ASSERT_TRUE(sheet->Apply());
    sheet.reset();

    PropertySheet &next = Open(u"FalconBT");
    ASSERT_TRUE(next.ActivateTemplate(IDD_PAGE_SETUP_EX));
    page = next.ActiveWindow();
    EXPECT_EQ(Selected(page), u"24 x 60mm");
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(gpCurrentSettings->iQuality, 3);
}

// The setting button is there only with the switch on, as stored or as clicked.
TEST_F(ExtendedPageTest, SettingValueFollowsTheSwitch)
{
    for (LONG distributed : {0, 1}) {
        REGSTRUCT stored = Defaults();
        stored.Distributed = distributed;
        StoreSettings(stored);
        HWND page = OpenPage();
        for (LONG shown : {distributed, 1 - distributed, distributed}) {
            EXPECT_EQ(Checked(page, IDC_DISTRIBUTED), shown == 1);
            EXPECT_EQ(Enabled(page, IDC_SETTING_VALUE), shown == 1);
            EXPECT_EQ(gpCurrentSettings->Distributed, shown);
            ASSERT_TRUE(ui::Click(page, IDC_DISTRIBUTED));
        }
        sheet.reset();
    }
}

// After the distributed printing dialog the printer's default paper is
// selected again, a paper number the driver does not name falling back to
// "18 x 100mm"; it is the paper Apply stores, and not the user's to change
// or delete.
TEST_F(ExtendedPageTest, TheDefaultPaperIsSelectedAgainAfterTheDistributedDialog)
{
    for (bool named : {true, false}) {
        SCOPED_TRACE(named ? "the default paper named" : "the default paper unnamed");
        if (!named)
            SetDefaultPaperNumber(u"FalconBT", 9999);
        const std::u16string initial = named ? DefaultPaperName(u"FalconBT") : u"18 x 100mm";
        ASSERT_FALSE(initial.empty());
        REGSTRUCT stored = Defaults();
        stored.Distributed = 1;
        StoreSettings(stored);
        HWND page = OpenPage();
        EXPECT_EQ(Selected(page), initial);
        ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"24 x 60mm"));

        ui::OnDialog(IDD_DISTRIBUTED_PRINTING, [](HWND dialog) { ui::Click(dialog, IDCANCEL); });
        gPendingPages = 0;
        ASSERT_TRUE(ui::Click(page, IDC_SETTING_VALUE));
        EXPECT_EQ(Selected(page), initial);
        EXPECT_EQ(std::u16string(gszCurrentPaper), initial);
        EXPECT_EQ(gPendingPages & PENDING_PAGESETUP, PENDING_PAGESETUP);
        EXPECT_FALSE(Enabled(page, IDC_PAPER_EDIT));
        EXPECT_FALSE(Enabled(page, IDC_PAPER_DELETE));
        ASSERT_TRUE(sheet->Apply());
        std::vector<BYTE> devmode = sp::DefaultDevMode(u"FalconBT");
        EXPECT_EQ(std::u16string(reinterpret_cast<const DEVMODEW *>(devmode.data())->dmFormName), initial);
        sheet.reset();
    }
}

}  // namespace

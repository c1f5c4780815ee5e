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
    // The page over a stored record of the defaults with the given fields.
    HWND OpenPage(LONG specialTape = 0, LONG chain = 0, LONG halfCut = 0, LONG quality = 0, LONG distributed = 0)
    {
        REGSTRUCT stored = Defaults();
        stored.SpecialTape = specialTape;
        stored.Chain = chain;
        stored.HalfCut = halfCut;
        stored.iQuality = quality;
        stored.Distributed = distributed;
        StoreRecord(u"FalconBT", &stored, sizeof(stored));
        return SheetTest::OpenPage(u"FalconBT", IDD_PAGE_SETUP_EX);
    }
    static int Picture(HWND page) { return SheetTest::Picture(page, IDC_OPTION_PICTURE); }
};

// Every option box shows. Special tape, stored or clicked, only locks chain,
// auto cut and half cut: their marks and fields stay for when it goes off,
// the picture with them.
TEST_F(ExtendedPageTest, SpecialTapeLocksTheOtherBoxesButKeepsTheirMarks)
{
    HWND page = OpenPage(1, 1, 1);
    for (int id : {IDC_CHAIN, IDC_MIRROR, IDC_AUTO_CUT, IDC_SPECIAL_TAPE, IDC_HALF_CUT})
        EXPECT_TRUE(Visible(page, id)) << id;
    for (int id : {IDC_SPECIAL_TAPE, IDC_CHAIN, IDC_HALF_CUT})
        EXPECT_TRUE(Checked(page, id)) << id;
    for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_HALF_CUT})
        EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_EQ(gpCurrentSettings->Chain, 1) << "the fields stay as stored";
    EXPECT_EQ(Picture(page), IDB_SPECIAL_TAPE);
    ASSERT_TRUE(ui::Click(page, IDC_MIRROR));
    EXPECT_EQ(Picture(page), IDB_SPECIAL_TAPE_MIRROR);

    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    for (int id : {IDC_CHAIN, IDC_AUTO_CUT, IDC_HALF_CUT})
        EXPECT_TRUE(Enabled(page, id)) << id;
    EXPECT_TRUE(Checked(page, IDC_CHAIN) && Checked(page, IDC_HALF_CUT));
    EXPECT_EQ(Picture(page), IDB_OPTION_CHAIN_HALFCUT_MIRROR);
    gPendingPages = 0;
    ASSERT_TRUE(ui::Click(page, IDC_HALF_CUT));
    EXPECT_EQ(gpCurrentSettings->HalfCut, 0);
    EXPECT_EQ(Picture(page), IDB_OPTION_CHAIN_MIRROR);
    EXPECT_EQ(gPendingPages & PENDING_PAGESETUP, PENDING_PAGESETUP);

    ASSERT_TRUE(ui::Click(page, IDC_SPECIAL_TAPE));
    EXPECT_TRUE(gpCurrentSettings->Chain == 1 && Checked(page, IDC_CHAIN)) << "nothing cleared";
}

// The stored print quality shows; a quality picked goes to the driver's
// resolution item, and a resolution picked on the driver's page comes back
// into the list.
TEST_F(ExtendedPageTest, QualityGoesToTheDriversResolutionItemAndComesBack)
{
    HWND page = OpenPage(0, 0, 0, 2);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCOUNT, 0, 0), 4);

    ASSERT_TRUE(sheet->SetDriverSelection("Resolution", 1));
    ASSERT_TRUE(sheet->ActivateTemplate(IDD_PAGE_SETUP_EX));
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_QUALITY_LIST, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(gpCurrentSettings->iQuality, 1);

    ASSERT_TRUE(ui::ChooseText(page, IDC_QUALITY_LIST, u"High Speed"));
    EXPECT_EQ(gpCurrentSettings->iQuality, 3);
    EXPECT_EQ(sheet->DriverItems().Find("Resolution")->Sel, 3);
}

// The setting button is there only with the switch on, as stored or as
// clicked. After the distributed printing dialog the printer's default paper
// is selected again, a paper number the driver does not name falling back to
// "18 x 100mm"; it is the paper Apply stores, and not the user's to change
// or delete.
TEST_F(ExtendedPageTest, TheSwitchAndTheDefaultPaperAfterTheDistributedDialog)
{
    for (LONG distributed : {0, 1}) {
        SCOPED_TRACE(distributed ? "stored on, the default paper unnamed" : "stored off, the default paper named");
        if (distributed)
            SetDefaultPaperNumber(u"FalconBT", 9999);
        const std::u16string initial = distributed ? u"18 x 100mm" : DefaultPaperName(u"FalconBT");
        ASSERT_FALSE(initial.empty());
        HWND page = OpenPage(0, 0, 0, 0, distributed);
        EXPECT_EQ(Selected(page), initial);
        std::vector<LONG> states = {distributed, 1 - distributed, distributed};
        if (distributed == 0)
            states.push_back(1);
        for (size_t i = 0; i < states.size(); ++i) {
            if (i > 0) {
                ASSERT_TRUE(ui::Click(page, IDC_DISTRIBUTED));
            }
            EXPECT_EQ(Checked(page, IDC_DISTRIBUTED), states[i] == 1);
            EXPECT_EQ(Enabled(page, IDC_SETTING_VALUE), states[i] == 1);
            EXPECT_EQ(gpCurrentSettings->Distributed, states[i]);
        }
        ASSERT_TRUE(ui::ChooseText(page, IDC_PAPER_LIST, u"24 x 60mm"));
        ui::OnDialog(IDD_DISTRIBUTED_PRINTING, [](HWND dialog) { ui::Click(dialog, IDCANCEL); });
        gPendingPages = 0;
        ASSERT_TRUE(ui::Click(page, IDC_SETTING_VALUE));
        EXPECT_EQ(Selected(page), initial);
        EXPECT_EQ(std::u16string(gszCurrentPaper), initial);
        EXPECT_EQ(gPendingPages & PENDING_PAGESETUP, PENDING_PAGESETUP);
        EXPECT_FALSE(Enabled(page, IDC_PAPER_EDIT) || Enabled(page, IDC_PAPER_DELETE));
        ASSERT_TRUE(sheet->Apply());
        std::vector<BYTE> devmode = sp::DefaultDevMode(u"FalconBT");
        EXPECT_EQ(std::u16string(reinterpret_cast<const DEVMODEW *>(devmode.data())->dmFormName), initial);
        sheet.reset();
    }
}

}  // namespace

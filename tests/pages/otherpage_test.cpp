// The Other page, on the windows the host's sheet makes from its template.
#include "host/text.h"
#include "resources/resource.h"
#include "tests/support/sheet.h"

namespace {

namespace ui = standin::ui;

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
    EXPECT_EQ(jobs[0].bytes, (std::vector<BYTE>{0x1F, 0x11, 0x27}));
    EXPECT_EQ(jobs[0].pages, 0u);
    EXPECT_EQ(s.changedCount, changed + 1) << "the click also marks the sheet changed";
    EXPECT_TRUE(gPendingPages & PENDING_OTHER);

    // A failed write still ends the job.
    standin::spooler::ClearJobs();
    standin::FailNext("WritePrinter", 1, 21);  // ERROR_NOT_READY
    ASSERT_TRUE(ui::Click(other, IDC_SELF_TEST_PRINT));
    EXPECT_EQ(standin::spooler::Jobs().size(), 1u);
}

TEST_F(SheetTest, OtherPageHoldsThePendingBitUntilApply)
{
    PropertySheet &s = Open(u"MerlinBT");  // stored in inches
    EXPECT_EQ(gPendingPages & PENDING_OTHER, 0);
    ASSERT_TRUE(s.ActivateTemplate(112));
    EXPECT_TRUE(gPendingPages & PENDING_OTHER) << "pending from creation";

    // The other pages were never shown: only this page's bit is left to clear.
    ASSERT_TRUE(ui::Click(s.ActiveWindow(), IDC_UNIT_MM));
    EXPECT_EQ(gpCurrentSettings->Unit, 0);
    EXPECT_EQ(StoredRecord(u"MerlinBT")[offsetof(REGSTRUCT, Unit)], 1) << "nothing stored before Apply";
    ASSERT_TRUE(s.Apply());
    EXPECT_EQ(gPendingPages & PENDING_OTHER, 0);
    EXPECT_EQ(Stored(u"MerlinBT").Unit, 0);
    EXPECT_EQ(Stored(u"MerlinBT").Speed, 2) << "the rest of the record kept";
}

// The unit's buttons for every stored value: one outside the choices
// checks neither.
TEST_F(SheetTest, UnitButtonsShowTheStoredUnit)
{
    for (LONG unit : {0, 1, 3}) {
        REGSTRUCT settings = Defaults();
        settings.Unit = unit;
        StoreRecord(u"KestrelBT", &settings, sizeof(settings));
        HWND page = OpenPage(u"KestrelBT", IDD_OTHER);
        EXPECT_EQ(Checked(page, IDC_UNIT_MM), unit == 0) << unit;
        EXPECT_EQ(Checked(page, IDC_UNIT_INCH), unit == 1) << unit;
        sheet.reset();
    }
}

}  // namespace

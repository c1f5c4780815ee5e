// The Other page, on the windows the host's sheet makes from its template.
#include "host/text.h"
#include "resources/resource.h"
#include "tests/support/sheet.h"

namespace {

namespace ui = standin::ui;

// The self-test prints three bytes as a job of its own, and a failed write
// still ends the job; the click marks the sheet changed.
TEST_F(SheetTest, SelfTestPrintsThreeBytesAsItsOwnJob)
{
    HWND other = OpenPage(u"KestrelBT", IDD_OTHER);
    standin::spooler::ClearJobs();
    ASSERT_TRUE(ui::Click(other, IDC_SELF_TEST_PRINT));
    auto jobs = standin::spooler::Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].bytes, (std::vector<BYTE>{0x1F, 0x11, 0x27}));
    EXPECT_EQ(jobs[0].pages, 0u);
    EXPECT_EQ(sheet->changedCount, 1);
    standin::spooler::ClearJobs();
    standin::FailNext("WritePrinter", 1, 21);  // ERROR_NOT_READY
    ASSERT_TRUE(ui::Click(other, IDC_SELF_TEST_PRINT));
    EXPECT_EQ(standin::spooler::Jobs().size(), 1u);
}

// The unit's buttons for every stored value (one outside the choices checks
// neither). The page is pending from its creation, holds its bit until Apply
// and stores nothing before.
TEST_F(SheetTest, UnitButtonsShowTheStoredUnitAndApplyStoresTheChoice)
{
    for (LONG unit : {0, 1, 3}) {
        REGSTRUCT settings = Defaults();
        settings.Unit = unit;
        StoreRecord(u"KestrelBT", &settings, sizeof(settings));
        HWND page = OpenPage(u"KestrelBT", IDD_OTHER);
        EXPECT_EQ(Checked(page, IDC_UNIT_MM), unit == 0) << unit;
        EXPECT_EQ(Checked(page, IDC_UNIT_INCH), unit == 1) << unit;
        EXPECT_TRUE(gPendingPages & PENDING_OTHER) << "pending from creation";
        if (unit == 1) {
            ASSERT_TRUE(ui::Click(page, IDC_UNIT_MM));
            EXPECT_EQ(gpCurrentSettings->Unit, 0);
            EXPECT_EQ(Stored(u"KestrelBT").Unit, 1) << "nothing stored before Apply";
            ASSERT_TRUE(sheet->Apply());
            EXPECT_EQ(gPendingPages & PENDING_OTHER, 0);
            EXPECT_EQ(Stored(u"KestrelBT").Unit, 0);
        }
        sheet.reset();
    }
}

}  // namespace

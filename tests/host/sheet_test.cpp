// orvoui-host sheet as a support engineer runs it.
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

using SheetCommand = HostFolderTest;

TEST_F(SheetCommand, EveryPrinterOfTheSampleOpensBothSheets)
{
    const char *printers[] = {"KestrelBT", "KestrelBT PRO", "MerlinBT", "Osprey", "Heron", "HeronBT PRO", "Plover",
                              "Wren", "Robin", "FalconBT", "Condor Printer"};
    for (const char *printer : printers) {
        HostRun document = RunHost(std::string("sheet --printer '") + printer + "' --document");
        EXPECT_EQ(document.status, 0) << printer << "\n" << document.out;
        EXPECT_NE(document.out.find("INIT S_OK"), std::string::npos) << document.out;
        EXPECT_NE(document.out.find("(template 112)"), std::string::npos) << document.out;
        EXPECT_EQ(document.out.find("(not shown)"), std::string::npos) << "every page is shown\n" << document.out;
        HostRun device = RunHost(std::string("sheet --printer '") + printer + "' --device");
        EXPECT_EQ(device.status, 0) << printer << "\n" << device.out;
        EXPECT_NE(device.out.find("About (template 108)"), std::string::npos) << device.out;
    }
}

TEST_F(SheetCommand, ChoosingInchesAndApplyingStoresTheUnit)
{
    HostRun run = RunHost("sheet --printer KestrelBT --document --state " + state_ +
                          " --do page:112 --do click:1003 --do apply");
    ASSERT_EQ(run.status, 0) << run.out;
    size_t stored = run.out.find("stored OrvoPrinterData: ");
    ASSERT_NE(stored, std::string::npos) << run.out;
    EXPECT_NE(run.out.substr(stored, run.out.find('\n', stored) - stored).find("Unit 1"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("PSM_CHANGED from page 112"), std::string::npos) << run.out;

    // The state file keeps it for the next run.
    HostRun printers = RunHost("printers --state " + state_);
    ASSERT_EQ(printers.status, 0) << printers.out;
    EXPECT_NE(printers.out.find("Unit 1"), std::string::npos) << printers.out;
}

TEST_F(SheetCommand, PrinterItemAndSelfTest)
{
    HostRun run = RunHost("sheet --printer MerlinBT --device --do driver:item=55 --do ok");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("stored OEMUI_VALUE: 55"), std::string::npos) << run.out;

    HostRun test = RunHost("sheet --printer KestrelBT --do page:112 --do click:1070 --do cancel");
    ASSERT_EQ(test.status, 0) << test.out;
    EXPECT_NE(test.out.find("PSN_RESET to page 112"), std::string::npos) << test.out;
}

TEST_F(SheetCommand, BadActionsFailClearly)
{
    HostRun hidden = RunHost("sheet --printer Heron --do page:112 --do click:1070");
    EXPECT_EQ(hidden.status, 1);
    EXPECT_NE(hidden.out.find("control 1070 cannot take 'click'"), std::string::npos) << hidden.out;

    HostRun unknown = RunHost("sheet --printer KestrelBT --do page:999 --do wiggle:3");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("no page '999'"), std::string::npos) << unknown.out;
    EXPECT_NE(unknown.out.find("unknown or incomplete action 'wiggle'"), std::string::npos) << unknown.out;

    HostRun noPrinter = RunHost("sheet --printer Nobody");
    EXPECT_EQ(noPrinter.status, 2) << noPrinter.out;
}

}  // namespace

// orvoui-host sheet as a support engineer runs it.
#include "tests/host/expect.h"
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using SheetCommand = HostFolderTest;

// The self-test's raw job, Cancel's reset, the printer sheet's item on OK as on Apply, and the
// job record on the document sheet only.
TEST_F(SheetCommand, SelfTestPrinterItemAndTheJobRecord)
{
    HostRun test = RunHost("sheet --printer KestrelBT --do page:112 --do click:1070 --do show --do cancel");
    EXPECT_TRUE(Ended(test, 0,
                      "> click:1070\n  job 1 on KestrelBT: document \"label cmd\", data type RAW, 3 bytes\n"
                      "    1f 11 27\n> show\n"));
    EXPECT_TRUE(Has(test.out, "PSN_RESET to page 112"));
    EXPECT_TRUE(Lacks(RunHost("sheet --printer KestrelBT --do page:112 --do show").out, "  job "));

    EXPECT_TRUE(
        Ended(RunHost("sheet --printer MerlinBT --device --do driver:item=55 --do ok"), 0, "stored OEMUI_VALUE: 55"));
    HostRun device = RunHost("sheet --printer MerlinBT --device --do driver:item=40 --do apply");
    EXPECT_TRUE(Ended(device, 0, "stored OEMUI_VALUE: 40\nprinter's default DEVMODE, changed fields:\n"));
    EXPECT_TRUE(Lacks(device.out, "job OEMDEV"));
    EXPECT_TRUE(Ended(RunHost("sheet --printer MerlinBT --document --do apply"), 0, "job OEMDEV:\n  dwSize "));
}

// With --debug, each plug-in line is marked, on a line of its own, after
// the heading it was written under; without, none is shown.
TEST_F(SheetCommand, DebugLinesAreMarkedOneALineInTheOrderWritten)
{
    HostRun run = RunHost("--debug sheet --printer KestrelBT --do page:112 --do click:1070");
    ASSERT_EQ(run.status, 0) << run.out;
    std::istringstream lines(run.out.substr(run.out.find("document sheet of KestrelBT")));
    EXPECT_TRUE(Lacks(run.out.substr(0, run.out.find("document sheet of KestrelBT")), "UI:"));
    size_t debugLines = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("UI:") != std::string::npos) {
            ++debugLines;
            EXPECT_TRUE(line.rfind("debug| UI:", 0) == 0 && Lacks(line, "\r")) << line;
        }
    }
    EXPECT_GT(debugLines, 0u) << run.out;
    EXPECT_TRUE(Lacks(RunHost("sheet --printer KestrelBT --do page:112 --do click:1070").out, "debug|"));
}

TEST_F(SheetCommand, PagesInTheCustomersLanguage)
{
    HostRun chinese = RunHost("--lang zh-CN sheet --printer KestrelBT");
    ASSERT_TRUE(Ended(chinese, 0, "[1] \xE9\xA1\xB5\xE9\x9D\xA2\xE8\xAE\xBE\xE7\xBD\xAE (template 110)"));
    HostRun german = RunHost("sheet --printer KestrelBT --lang de-de");
    ASSERT_TRUE(Ended(german, 0, "[1] Seite einrichten (template 110)"));

    HostRun unknown = RunHost("--lang xx-YY sheet --printer KestrelBT");
    EXPECT_TRUE(Ended(unknown, 2, "no UI language 'xx-YY'"));
}

TEST_F(SheetCommand, FormChangesAndTheDefaultPaperAreShown)
{
    HostRun run = RunHost(
        "sheet --printer KestrelBT --state " + state_ +
        " --do page:110 --do msgbox:ok --do msgbox:yes --do click:1051 --do 'choosetext:1014=18 x 50mm' --do apply");
    ASSERT_TRUE(Ended(run, 0, "forms:\n  deleted 12 x 40mm: 12 x 40 mm, margins 1 / 1 mm\n"));
    EXPECT_TRUE(Has(run.out, "printer's default paper: 18 x 50mm (paper 267)"));

    // A run that changes no form says nothing about forms.
    HostRun quiet = RunHost("sheet --printer KestrelBT --state " + state_);
    ASSERT_EQ(quiet.status, 0) << quiet.out;
    EXPECT_TRUE(Lacks(quiet.out, "forms:"));
}

// A user's whole Page Setup and Graphics session on a label printer: what
// it stores and adds, as the command reports it (the pages' behaviour is
// the page tests').
TEST_F(SheetCommand, NewFormMirrorAndErrorDiffusionOnAKestrel)
{
    HostRun run = RunHost("--state " + state_ +
                          " sheet --printer KestrelBT --do page:110"
                          " --do 'dialog:109=type:950=Shop 12 x 40;choose:1039=2;type:956=40;type:954=1;"
                          "type:957=1;click:1014'"
                          " --do click:1054 --do click:1040 --do page:111 --do click:1062 --do slide:1057=3"
                          " --do apply");
    ASSERT_TRUE(Ended(run, 0,
                      "stored OrvoPrinterData: Rotate 0, Gray 2, GrayLevel 3, Mirror 1 (the rest at the "
                      "defaults)"));
    EXPECT_TRUE(Has(run.out, "printer's default paper: Shop 12 x 40 (paper"));
    EXPECT_TRUE(Has(run.out, "forms:\n  added Shop 12 x 40: 12 x 40 mm, margins 1 / 1 mm\n"));
    EXPECT_TRUE(Has(run.out, "PSM_CHANGED from page 111"));
}

// Distributed printing from the extended model's page as a user sets it
// up: the switch, the list, one printer's paper, the ribbon query, Apply.
TEST_F(SheetCommand, DistributedPrintingChainOnAFalcon)
{
    HostRun run = RunHost("--state " + state_ +
                          " sheet --printer FalconBT --do page:113 --do click:1086"
                          " --do 'dialog:238=choosetext:1038=24 x 60mm;type:950=Line 2;click:1'"
                          " --do 'dialog:217=listcheck:1094=0;listcheck:1094=1;listclick:1094=1,1,right;click:1070;"
                          "show;click:1'"
                          " --do click:1070 --do apply");
    ASSERT_EQ(run.status, 0) << run.out;
    // The list's rows as shown after the query (the cells are the ribbon query's to pin).
    EXPECT_TRUE(Has(run.out, "| \"FalconBT (2)\" | \"24 mm\" | \"36 mm\" | \"BZ\" | \"USB011\" | \"Line 2\""));
    EXPECT_TRUE(Has(run.out, "stored DISTRIBUTEDLIST: count 2, 2100 bytes\n"
                             "  [0] checked \"FalconBT\", comment \"\"\n"
                             "  [1] checked \"FalconBT (2)\", comment \"Line 2\"\n"));
    EXPECT_TRUE(Has(run.out, "default paper of FalconBT (2): 36 x 80mm (paper 270) -> 24 x 60mm (paper 269)"));
    // Which printers are asked is the ribbon query's to pin; here, that the exchanges are shown.
    EXPECT_TRUE(Has(run.out, "bidi exchanges:\n  FalconBT: Get \"\\Printer.WR\", 1f 11 3f\n  FalconBT (2): "));
    EXPECT_TRUE(Has(run.out, "stored OrvoPrinterData: Rotate 0, Distributed 1"));
}

}  // namespace

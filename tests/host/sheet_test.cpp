// orvoui-host sheet as a support engineer runs it.
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using SheetCommand = HostFolderTest;

TEST_F(SheetCommand, EveryPrinterOfTheSampleOpensBothSheets)
{
    const char *printers[] = {"KestrelBT", "KestrelBT PRO", "MerlinBT", "Osprey",   "Heron",         "HeronBT PRO",
                              "Plover",    "Wren",          "Robin",    "FalconBT", "Condor Printer"};
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
    HostRun run =
        RunHost("sheet --printer KestrelBT --document --state " + state_ + " --do page:112 --do click:1003 --do apply");
    ASSERT_EQ(run.status, 0) << run.out;
    size_t stored = run.out.find("stored OrvoPrinterData: ");
    ASSERT_NE(stored, std::string::npos) << run.out;
    EXPECT_NE(run.out.substr(stored, run.out.find('\n', stored) - stored).find("Unit 1"), std::string::npos) << run.out;
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

TEST_F(SheetCommand, SelfTestShowsTheRawJobItSent)
{
    HostRun run = RunHost("sheet --printer KestrelBT --do page:112 --do click:1070 --do show");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("> click:1070\n  job 1 on KestrelBT: document \"label cmd\", data type RAW, 3 bytes\n"
                           "    1f 11 27\n> show\n"),
              std::string::npos)
        << run.out;

    HostRun noJob = RunHost("sheet --printer KestrelBT --do page:112 --do show");
    EXPECT_EQ(noJob.out.find("  job "), std::string::npos) << noJob.out;
}

TEST_F(SheetCommand, OnlyTheDocumentSheetShowsAJobRecord)
{
    HostRun device = RunHost("sheet --printer MerlinBT --device --do driver:item=40 --do apply");
    ASSERT_EQ(device.status, 0) << device.out;
    EXPECT_NE(device.out.find("stored OEMUI_VALUE: 40\nprinter's default DEVMODE, changed fields:\n"),
              std::string::npos)
        << device.out;
    EXPECT_EQ(device.out.find("job OEMDEV"), std::string::npos) << device.out;

    HostRun document = RunHost("sheet --printer MerlinBT --document --do apply");
    ASSERT_EQ(document.status, 0) << document.out;
    EXPECT_NE(document.out.find("job OEMDEV:\n  dwSize "), std::string::npos) << document.out;
}

TEST_F(SheetCommand, DebugLinesAreMarkedOneALineInTheOrderWritten)
{
    HostRun run = RunHost("--debug sheet --printer KestrelBT --do page:112 --do click:1070");
    ASSERT_EQ(run.status, 0) << run.out;
    std::istringstream lines(run.out);
    size_t debugLines = 0;
    bool headingSeen = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("document sheet of KestrelBT", 0) == 0)
            headingSeen = true;
        if (line.find("UI:") == std::string::npos)
            continue;
        ++debugLines;
        EXPECT_EQ(line.rfind("debug| UI:", 0), 0u) << "one plug-in line, marked, on a line of its own: " << line;
        EXPECT_TRUE(headingSeen) << "the plug-in wrote this after the heading: " << line;
        EXPECT_EQ(line.find('\r'), std::string::npos);
    }
    EXPECT_GT(debugLines, 0u) << run.out;

    HostRun quiet = RunHost("sheet --printer KestrelBT --do page:112 --do click:1070");
    EXPECT_EQ(quiet.out.find("debug|"), std::string::npos) << "only with --debug";
}

TEST_F(SheetCommand, PagesInTheCustomersLanguage)
{
    HostRun chinese = RunHost("--lang zh-CN sheet --printer KestrelBT");
    ASSERT_EQ(chinese.status, 0) << chinese.out;
    EXPECT_NE(chinese.out.find("[1] \xE9\xA1\xB5\xE9\x9D\xA2\xE8\xAE\xBE\xE7\xBD\xAE (template 110)"),
              std::string::npos)
        << chinese.out;
    HostRun german = RunHost("sheet --printer KestrelBT --lang de-de");
    ASSERT_EQ(german.status, 0) << german.out;
    EXPECT_NE(german.out.find("[1] Seite einrichten (template 110)"), std::string::npos) << german.out;

    HostRun unknown = RunHost("--lang xx-YY sheet --printer KestrelBT");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.out.find("no UI language 'xx-YY'"), std::string::npos) << unknown.out;

    HostRun help = RunHost("--help");
    EXPECT_EQ(help.status, 0);
    for (const char *tag : {"zh-CN", "zh-TW", "ja-JP", "ko-KR", "en-US", "de-DE", "fr-FR", "it-IT", "es-ES", "pt-BR",
                            "nl-NL", "pl-PL", "cs-CZ", "ru-RU", "tr-TR", "th-TH", "vi-VN"})
        EXPECT_NE(help.out.find(std::string(" ") + tag), std::string::npos) << tag << "\n" << help.out;
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

namespace {

TEST_F(SheetCommand, FormChangesAndTheDefaultPaperAreShown)
{
    HostRun run = RunHost("sheet --printer KestrelBT --state " + state_ +
                          " --do page:110 --do msgbox:ok --do msgbox:yes --do click:1051 --do 'choosetext:1014=18 x 50mm' --do apply");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("forms:\n  deleted 12 x 40mm: 12 x 40 mm, margins 1 / 1 mm\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("printer's default paper: 18 x 50mm (paper 267)"), std::string::npos) << run.out;

    // A run that changes no form says nothing about forms.
    HostRun quiet = RunHost("sheet --printer KestrelBT --state " + state_);
    ASSERT_EQ(quiet.status, 0) << quiet.out;
    EXPECT_EQ(quiet.out.find("forms:"), std::string::npos) << quiet.out;
}

}  // namespace

namespace {

// A user's whole Page Setup and Graphics session on a label printer, then
// what `printers` shows of it.
TEST_F(SheetCommand, NewFormMirrorAndErrorDiffusionOnAKestrel)
{
    HostRun run = RunHost("--state " + state_ +
                          " sheet --printer KestrelBT --do page:110"
                          " --do 'dialog:109=type:950=Shop 12 x 40;choose:1039=2;type:956=40;type:954=1;"
                          "type:957=1;click:1014'"
                          " --do click:1054 --do click:1040 --do page:111 --do click:1062 --do slide:1057=3"
                          " --do apply");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("stored OrvoPrinterData: Rotate 0, Gray 2, GrayLevel 3, Mirror 1 (the rest at the "
                           "defaults)"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("printer's default paper: Shop 12 x 40 (paper"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("forms:\n  added Shop 12 x 40: 12 x 40 mm, margins 1 / 1 mm\n"), std::string::npos)
        << run.out;

    HostRun printers = RunHost("--state " + state_ + " printers");
    ASSERT_EQ(printers.status, 0) << printers.out;
    size_t kestrel = printers.out.find("KestrelBT\n");
    ASSERT_NE(kestrel, std::string::npos);
    std::string block = printers.out.substr(kestrel, printers.out.find("\nKestrelBT PRO") - kestrel);
    EXPECT_NE(block.find("paper     Shop 12 x 40 (paper"), std::string::npos) << block;
    EXPECT_NE(block.find("settings  Rotate 0, Gray 2, GrayLevel 3, Mirror 1"), std::string::npos) << block;
    EXPECT_NE(printers.out.find("  Shop 12 x 40: 12 x 40 mm, margins 1 / 1 mm (paper"), std::string::npos)
        << printers.out;
}

TEST_F(SheetCommand, SpecialTapeClearsChainAndAutoCutOnAHeron)
{
    HostRun run = RunHost("--state " + state_ +
                          " sheet --printer Heron --do page:110 --do click:1039 --do click:1041 --do click:1084"
                          " --do apply");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("stored OrvoPrinterData: Rotate 0, SpecialTape 1 (the rest at the defaults)"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("1039 check [ ] \"Chain\" disabled"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1041 check [ ] \"Auto Cut\" disabled"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1084 check [x] \"Special Tape(No Cut)\""), std::string::npos) << run.out;
    HostRun printers = RunHost("--state " + state_ + " printers");
    EXPECT_NE(printers.out.find("settings  Rotate 0, SpecialTape 1 (the rest at the defaults)"), std::string::npos)
        << printers.out;
}

}  // namespace

namespace {

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
    // The rows as the user sees them after the query: each port's ribbon,
    // or the warning where a printer was not or could not be asked.
    EXPECT_NE(run.out.find("| \"FalconBT\" | \"18 mm\" | \"24 mm\" | \"BNZ\" | \"USB010\" | \"\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("| \"FalconBT (2)\" | \"24 mm\" | \"36 mm\" | \"BZ\" | \"USB011\" | \"Line 2\""),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("| \"FalconBT (silent)\" | \"18 mm\" | \"——\" (img 0) | \"——\""), std::string::npos);
    EXPECT_NE(run.out.find("stored DISTRIBUTEDLIST: count 2, 2100 bytes\n"
                           "  [0] checked \"FalconBT\", comment \"\"\n"
                           "  [1] checked \"FalconBT (2)\", comment \"Line 2\"\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("default paper of FalconBT (2): 36 x 80mm (paper 270) -> 24 x 60mm (paper 269)"),
              std::string::npos)
        << run.out;
    // Asked: every listed printer but the offline one and the one on "FILE:";
    // the silent one twice.
    EXPECT_NE(run.out.find("bidi exchanges:\n"
                           "  FalconBT: Get \"\\Printer.WR\", 1f 11 3f\n"
                           "  FalconBT (2): Get \"\\Printer.WR\", 1f 11 3f\n"
                           "  FalconBT (12 mm): Get \"\\Printer.WR\", 1f 11 3f\n"
                           "  FalconBT (silent): Get \"\\Printer.WR\", 1f 11 3f\n"
                           "  FalconBT (silent): Get \"\\Printer.WR\", 1f 11 3f\n"
                           "  FalconBT (lower-case file): Get \"\\Printer.WR\", 1f 11 3f\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("stored OrvoPrinterData: Rotate 0, Distributed 1"), std::string::npos) << run.out;
}

}  // namespace

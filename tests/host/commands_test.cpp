// The host's printer commands as a support engineer runs them, on the
// embedded sample and on a saved state file.
#include "tests/host/expect.h"
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using HostCommands = HostFolderTest;

TEST_F(HostCommands, PrintersOfTheSample)
{
    HostRun run = RunHost("printers");
    ASSERT_TRUE(Ended(run, 0, "MerlinBT\n  driver    MerlinBT\n  port      USB003\n"));
    EXPECT_TRUE(Has(run.out, "  settings  Speed 2, Mirror 1, Unit 1 (the rest at the defaults)"));
    EXPECT_TRUE(Has(run.out, "Osprey\n  driver    Osprey\n  port      USB004\n  paper     12 x 40mm"));
    EXPECT_TRUE(Has(run.out, "  settings  none stored"));
    EXPECT_TRUE(Has(run.out, "  access    printing only (full access refused)"));
    EXPECT_TRUE(Has(run.out, "  port      FILE:"));
}

// The module as the driver meets it: loaded with dlopen, entered only
// through its two exports.
TEST_F(HostCommands, InfoPrintsWhatTheObjectsAnswer)
{
    std::string out = RunHost("info").out;
    for (const char *line :
         {"signature  0x4D534654", "version    0x00000003", "supported versions: S_OK (0x00000000): 1",
          "DllCanUnloadNow after release: S_OK", "IPrintOemUI2                   not served"})
        EXPECT_TRUE(Has(out, line));
}

TEST_F(HostCommands, DevModeSequenceOnAPrintersRecord)
{
    HostRun run = RunHost("devmode --printer Wren");
    ASSERT_TRUE(Ended(run, 0, "OEMDM_SIZE     S_OK (0x00000000), 108 bytes"));
    EXPECT_TRUE(Has(run.out, "OEMDM_MERGE    S_OK (0x00000000) (the printer's record)"));
    EXPECT_TRUE(Has(run.out, "  dwSignature                0x4D534654\n"));
    EXPECT_TRUE(Has(run.out, "  Density                    8\n"));
    EXPECT_TRUE(Has(run.out, "  standardPaperSizeChoose    -1\n"));
}

TEST_F(HostCommands, InstallResetsTheSettingsAndSavesTheState)
{
    HostRun install = RunHost("--state " + state_ + " install --printer MerlinBT");
    ASSERT_TRUE(Ended(install, 0, "PRINTER_EVENT_INITIALIZE MerlinBT: S_OK (0x00000000)\n  settings  defaults"));
    std::string saved = ReadFile(state_);
    ASSERT_FALSE(saved.empty());

    // The next run starts from the saved server, not the sample.
    HostRun printers = RunHost("--state " + state_ + " printers");
    ASSERT_EQ(printers.status, 0);
    EXPECT_TRUE(Has(printers.out,
                    "MerlinBT\n  driver    MerlinBT\n  port      USB003\n  paper     24 x 60mm (paper 269)\n"
                    "  settings  defaults"));
    // A printer without full access is not changed, and the state stays.
    HostRun limited = RunHost("--state " + state_ + " install --printer \"KestrelBT (limited)\"");
    EXPECT_EQ(limited.status, 0);
    EXPECT_EQ(ReadFile(state_), saved);
}

// Requests the host cannot carry out end with its status and say why; a
// status of -1 is any failure.
TEST_F(HostCommands, BadRequestsFailClearly)
{
    const struct {
        std::string args;
        int status;
        const char *message;
    } cases[] = {
        {"devmode --printer Nobody", -1, "no printer named 'Nobody'"},
        {"ticket --printer Nobody", -1, "no printer named 'Nobody'"},
        {"install", -1, ""},
        {"caps", -1, ""},
        {"frobnicate", -1, ""},
        {"ticket --printer Wren --in " + Path("none.xml"), -1, "cannot read "},
        {"ticket --printer Wren --in " + Path("none.xml") + " --base " + Path("none.xml"), 2, ""},
        {"sheet --printer Nobody", 2, ""},
        {"sheet --printer Heron --do page:112 --do click:1070", 1, "control 1070 cannot take 'click'"},
        {"sheet --printer KestrelBT --do page:999 --do wiggle:3", 1, "no page '999'"},
        {"sheet --printer KestrelBT --do page:112 --do wiggle:3", 1, "unknown or incomplete action 'wiggle'"},
    };
    for (const auto &c : cases) {
        HostRun run = RunHost(c.args);
        if (c.status < 0)
            EXPECT_TRUE(run.status != 0 && Has(run.out, c.message)) << c.args << "\n" << run.out;
        else
            EXPECT_TRUE(Ended(run, c.status, c.message)) << c.args;
    }
}

}  // namespace

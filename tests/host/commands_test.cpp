// The host's printer commands as a support engineer runs them, on the
// embedded sample and on a saved state file.
#include "tests/host/expect.h"
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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
    // Reading changes nothing; a second install changes nothing either.
    EXPECT_EQ(ReadFile(state_), saved);
    ASSERT_EQ(RunHost("--state " + state_ + " install --printer MerlinBT").status, 0);
    EXPECT_EQ(ReadFile(state_), saved) << "a state survives load and save unchanged";

    // A printer without full access is not changed, and the state stays.
    HostRun limited = RunHost("--state " + state_ + " install --printer \"KestrelBT (limited)\"");
    EXPECT_EQ(limited.status, 0);
    EXPECT_EQ(ReadFile(state_), saved);
}

TEST_F(HostCommands, BadRequestsFailClearly)
{
    HostRun missing = RunHost("devmode --printer Nobody");
    EXPECT_NE(missing.status, 0);
    EXPECT_TRUE(Has(missing.out, "no printer named 'Nobody'"));
    EXPECT_NE(RunHost("install").status, 0);
    EXPECT_NE(RunHost("frobnicate").status, 0);

    {
        std::ofstream bad(state_);
        bad << "{ \"printers\": [ ";
    }
    HostRun broken = RunHost("--state " + state_ + " install --printer MerlinBT");
    EXPECT_NE(broken.status, 0);
    EXPECT_TRUE(Has(broken.out, "cannot load " + state_));
    EXPECT_EQ(ReadFile(state_), "{ \"printers\": [ ") << "a broken state file is left as it was";
}

}  // namespace

// A customer's registry export replayed by the host: what import takes, what
// it refuses, and the customer's printers afterwards in every command.
#include "tests/host/expect.h"
#include "tests/support/hostrun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string kCustomer = std::string(ORVOUI_TEST_DATA) + "/customer.reg";
const std::string kPrint = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print";

void WriteBytes(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// ASCII text as reg export writes it: UTF-16 LE after a byte order mark.
std::string Utf16(const std::string &text)
{
    std::string out = "\xff\xfe";
    for (char c : text)
        out += std::string{c, '\0'};
    return out;
}

class HostImport : public HostFolderTest {
protected:
    HostRun Import(const std::string &exportFile, const std::string &more = "")
    {
        return RunHost("--state " + state_ + " import --reg '" + exportFile + "'" + more);
    }
};

TEST_F(HostImport, ACustomersMachineReplays)
{
    HostRun import = Import(kCustomer);
    for (const char *line : {
             "form \"Shop 24 x 60\": taken: 24 x 60 mm, margins 1 / 1 mm, paper 271\n",
             "printer \"Shipping FalconBT\": taken\n  driver    \"FalconBT\"\n  port      \"USB001\"\n"
             "  attributes 0x00000A40\n  comment   \"Dock 3 \\\"left\\\" printer\"\n  location  \"Warehouse\\\\Dock "
             "3\"\n",
             "  devmode   220 + 300 bytes, paper \"Shop 24 x 60\" (paper 119 in the export, 271 here), the plug-in's "
             "record last\n",
             "  data      \"DISTRIBUTEDLIST\" REG_BINARY, 2100 bytes: 2 entries\n",
             "  data      \"OEMUI_VALUE\" REG_DWORD, 4 bytes: item 7\n",
             "  data      \"Dock Notes\" REG_MULTI_SZ, 58 bytes\n",
             "  ignored   keys \"DsSpooler\": only PrinterDriverData is read\n",
             "printer \"Office Laser\": skipped: its driver \"Generic / Text Only\" is not one of the plug-in's "
             "models\n",
             "ignored: 1 key outside the printers and forms keys, not read\n",
             "took 2 printers and 2 forms into ",
         })
        EXPECT_TRUE(Ended(import, 0, line));

    // A new state is the customer's machine: none of the sample's printers or user forms.
    HostRun printers = RunHost("--state " + state_ + " printers");
    ASSERT_EQ(printers.status, 0);
    EXPECT_EQ(printers.out, "Shipping FalconBT\n  driver    FalconBT\n  port      USB001\n"
                            "  paper     Shop 24 x 60 (paper 271)\n"
                            "  settings  Density 7, AutoCut 1, Distributed 1, iQuality 1 (the rest at the defaults)\n"
                            "  list      2 entries\n"
                            "    [0] checked \"Shipping FalconBT\", comment \"Dock 3\"\n"
                            "    [1] checked \"Front Desk Wren\", comment \"Reception\"\n"
                            "  item      7\n"
                            "Front Desk Wren\n  driver    Wren\n  port      USB002\n"
                            "  paper     Shop 12 x 30 (paper 272)\n"
                            "  settings  Mirror 1, Unit 1 (the rest at the defaults)\n"
                            "user forms:\n"
                            "  Shop 24 x 60: 24 x 60 mm, margins 1 / 1 mm (paper 271)\n"
                            "  Shop 12 x 30: 12 x 30 mm, margins 0 / 0 mm (paper 272)\n");

    // The plug-in's pages and conversions read what was imported.
    EXPECT_TRUE(Has(RunHost("--state " + state_ + " sheet --printer 'Front Desk Wren'").out,
                    "1014 combo \"Shop 12 x 30\" [2]: \"50 x 70mm\", \"Shop 12 x 30\"*"));
    EXPECT_TRUE(Has(RunHost("--state " + state_ + " ticket --printer 'Shipping FalconBT'").out,
                    "<psf:Option name=\"ns0000:Shop_24_x_60\">"));

    // Again, one printer asked for: it and the forms replace the state's, their paper numbers kept.
    HostRun again = Import(kCustomer, " --printer 'front desk wren'");
    EXPECT_TRUE(Ended(again, 0,
                      "form \"Shop 12 x 30\": taken, replacing the server's: 12 x 30 mm, margins 0 / 0 mm, "
                      "paper 272\n"));
    EXPECT_TRUE(Has(again.out, "printer \"Front Desk Wren\": taken, replacing the server's\n"));
    EXPECT_TRUE(Has(again.out, "printer \"Shipping FalconBT\": skipped: not named by --printer\n"));
    EXPECT_EQ(RunHost("--state " + state_ + " printers").out, printers.out);
}

TEST_F(HostImport, ValuesOfAnotherKindAreKeptAndReported)
{
    // An older ANSI export, as hand-edited exports come: text in the western code page.
    std::string ansi =
        "REGEDIT4\r\n\r\n" + kPrint + "\\Printers\\Caf\xe9 Wren]\r\n\"Printer Driver\"=\"Wren\"\r\n" +
        "\"Port\"=\"USB002\"\r\n\"Attributes\"=hex(4):40,08,00\r\n\"Location\"=hex(2):53,68,6f,70,00\r\n" +
        "\"Default DevMode\"=hex:00,01\r\n" + kPrint +
        "\\Printers\\Caf\xe9 Wren\\PrinterDriverData]\r\n\"OrvoPrinterData\"=\"7\"\r\n" +
        "\"OEMUI_VALUE\"=dword:00000065\r\n\"DISTRIBUTEDLIST\"=hex:01,00,00,00,05,00,00,00,00,00,00,00\r\n";
    WriteBytes(Path("old.reg"), ansi);
    HostRun import = Import(Path("old.reg"));
    for (const char *line : {
             "printer \"Café Wren\": taken\n",
             "  attributes \"Attributes\" (REG_DWORD, 3 bytes) is not a four-byte REG_DWORD: PRINTER_ATTRIBUTE_LOCAL "
             "taken\n",
             "  location  \"Shop\"\n",
             "  devmode   not kept (REG_BINARY, 2 bytes): shorter than the 220 bytes of a DEVMODE; the printer has "
             "no default DEVMODE\n",
             "  data      \"OrvoPrinterData\" REG_SZ, 4 bytes: not a settings record (type 1, 4 bytes); kept as it "
             "is\n",
             "  data      \"OEMUI_VALUE\" REG_DWORD, 4 bytes: not a selection of 0 to 100 (type 4, 4 bytes, value "
             "101): shown as 0; kept as it is\n",
             "  data      \"DISTRIBUTEDLIST\" REG_BINARY, 12 bytes: Count 5 in 12 bytes, room for 0 entries: the 0 "
             "inside read; kept as it is\n",
         })
        EXPECT_TRUE(Ended(import, 0, line));
    HostRun sheet = RunHost("--state " + state_ + " sheet --printer 'Café Wren' --document");
    EXPECT_EQ(sheet.status, 0) << sheet.out;
}

TEST_F(HostImport, AMalformedExportChangesNothing)
{
    std::string customer = ReadFile(kCustomer);
    const std::string value = "\"Port\"=\"USB001\"\r\n";
    auto withPort = [&](const std::string &text) {
        return Utf16("Windows Registry Editor Version 5.00\r\n\r\n" + kPrint + "\\Printers\\P]\r\n" + text);
    };
    std::string bigValue = "REGEDIT4\r\n" + kPrint + "\\Printers\\P]\r\n\"Default DevMode\"=hex:00";
    for (int i = 0; i < (1 << 20); ++i)
        bigValue += ",00";
    struct Case {
        const char *what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"cut inside a hex value", customer.substr(0, customer.find(Utf16(",\\\r\n").substr(2)) + 8),
         "line 4: the hex data of \"Shop 24 x 60\" is cut off: the file ends after a line continued with '\\'"},
        {"cut inside a byte", customer.substr(0, customer.find(Utf16("c0,5d").substr(2)) + 8),
         "line 4: the hex data of \"Shop 24 x 60\" has \"5\" where a byte of two hex digits belongs"},
        {"cut inside a character", customer.substr(0, 301), "the UTF-16 text is cut in the middle of a character"},
        {"an unterminated string", withPort("\"Port\"=\"USB001\r\n"), "line 4: a string without its closing quote"},
        {"an unknown escape", withPort("\"Port\"=\"C:\\USB\"\r\n"), "line 4: the escape \\U in a string"},
        {"a type regedit does not write", withPort("\"Port\"=qword:1\r\n"),
         "line 4: the data of \"Port\" is neither a string, dword: nor hex:"},
        {"a short dword", withPort(value + "\"Attributes\"=dword:a40\r\n"),
         "line 5: the dword of \"Attributes\" is not eight hex digits"},
        {"a deleted value", withPort("\"Port\"=-\r\n"), "line 4: a value to delete (\"Port\"=-)"},
        {"a deleted key", withPort(value + "[-HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"), "line 5: a key to delete"},
        {"a value before any key", Utf16("Windows Registry Editor Version 5.00\r\n" + value),
         "line 2: a value before the first key"},
        {"not an export", "Windows Registry Editor\r\n", "line 1: not a registry export"},
        {"a value over 1 MB", bigValue, "line 3: the value \"Default DevMode\" holds more than 1 MB"},
    };
    HostRun first = Import(kCustomer);
    ASSERT_EQ(first.status, 0) << first.out;
    std::string saved = ReadFile(state_);
    for (const Case &c : cases) {
        WriteBytes(Path("bad.reg"), c.bytes);
        HostRun run = Import(Path("bad.reg"));
        EXPECT_TRUE(Ended(run, 1, "bad.reg: " + c.message)) << c.what;
        EXPECT_EQ(ReadFile(state_), saved) << c.what;
    }

    // Refused by its size before it is read; a printer asked for that the export lacks.
    WriteBytes(Path("huge.reg"), Utf16("Windows Registry Editor Version 5.00\r\n"));
    ASSERT_EQ(truncate(Path("huge.reg").c_str(), 20L << 20), 0);
    EXPECT_TRUE(Ended(Import(Path("huge.reg")), 1, "huge.reg: larger than an export can be (16 MB)"));
    EXPECT_TRUE(Ended(Import(kCustomer, " --printer Nobody"), 1, "customer.reg: it holds no printer named \"Nobody\""));
    EXPECT_EQ(ReadFile(state_), saved);
}

}  // namespace

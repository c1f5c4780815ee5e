// Tests of the distributed printing dialogs: an empty print server that the
// test fills with the printers and forms it needs, the plug-in's resources
// in English, and the dialogs run modally with a script that plays the user.
#pragma once

#include "platform/linux/user/automation.h"
#include "resources/res_blob.h"
#include "resources/resource.h"
#include "src/base/module.h"
#include "src/distributed/distlist.h"
#include "tests/support/spooler.h"

#include <cstring>
#include <string>
#include <vector>

class DistributedTest : public SpoolerTest {
protected:
    void SetUp() override
    {
        ghInstance = PluginResources();
        SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        standin::ui::ResetAutomation();
        SpoolerTest::SetUp();
    }
    void TearDown() override
    {
        standin::ui::ResetAutomation();
        SpoolerTest::TearDown();
        SetThreadUILanguage(0);
    }

    // A local printer on its own port; `paper` names the form of its default
    // DEVMODE (empty: the printer has none).
    static void AddPrinterWith(const std::u16string &name, const std::u16string &driver, const std::u16string &paper,
                               const std::u16string &port = u"USB001")
    {
        standin::spooler::PrinterConfig config;
        config.name = name;
        config.port = port;
        config.driver = driver;
        ASSERT_TRUE(standin::spooler::AddPrinter(config));
        if (paper.empty())
            return;
        std::vector<BYTE> devmode = standin::spooler::MakeDefaultDevMode(name, paper);
        ASSERT_FALSE(devmode.empty()) << "no form for the default paper";
        ASSERT_TRUE(standin::spooler::SetDefaultDevMode(name, devmode));
    }

    static void SetDefaultPaperNumber(const std::u16string &printer, SHORT paper)
    {
        std::vector<BYTE> devmode = standin::spooler::DefaultDevMode(printer);
        ASSERT_GE(devmode.size(), sizeof(DEVMODEW));
        reinterpret_cast<DEVMODEW *>(devmode.data())->dmPaperSize = paper;
        ASSERT_TRUE(standin::spooler::SetDefaultDevMode(printer, devmode));
    }

    // The printer's default DEVMODE, public part.
    static DEVMODEW DefaultDevMode(const std::u16string &printer)
    {
        DEVMODEW dm = {};
        std::vector<BYTE> bytes = standin::spooler::DefaultDevMode(printer);
        if (bytes.size() >= sizeof(dm))
            std::memcpy(&dm, bytes.data(), sizeof(dm));
        return dm;
    }

    static std::vector<BYTE> Stored(const std::u16string &printer)
    {
        standin::spooler::DataValue value;
        if (!standin::spooler::GetData(printer, u"DISTRIBUTEDLIST", value))
            return {};
        return value.bytes;
    }
    static bool HasStoredList(const std::u16string &printer)
    {
        standin::spooler::DataValue value;
        return standin::spooler::GetData(printer, u"DISTRIBUTEDLIST", value);
    }

    // The debugger output holds this line.
    static bool Logged(const std::string &line)
    {
        for (size_t i = 0; i < standin::DebugCaptureCount(); ++i)
            if (line == standin::DebugCaptureLine(i))
                return true;
        return false;
    }
    static size_t LoggedCount(const std::string &line)
    {
        size_t n = 0;
        for (size_t i = 0; i < standin::DebugCaptureCount(); ++i)
            n += line == standin::DebugCaptureLine(i) ? 1 : 0;
        return n;
    }
};

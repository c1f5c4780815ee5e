// A print server for one test: emptied first, then given the printers the
// test needs.
#pragma once

#include "platform/linux/spooler/server.h"
#include "platform/linux/user/automation.h"
#include "resources/res_blob.h"
#include "src/sheet/sheetstate.h"
#include "src/records/records.h"
#include "tests/support/fixture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

class SpoolerTest : public PluginTest {
protected:
    void SetUp() override
    {
        standin::spooler::Reset();
        ResetPageState();
        PluginTest::SetUp();
    }
    void TearDown() override
    {
        PluginTest::TearDown();
        standin::spooler::Reset();
        ResetPageState();
    }

    // A printer of the given model with a form of its own as default paper.
    static void AddPrinter(const std::u16string &name, const std::u16string &driver, bool refuseFullAccess = false)
    {
        standin::spooler::PrinterConfig config;
        config.name = name;
        config.port = u"USB001";
        config.driver = driver;
        config.refuseFullAccess = refuseFullAccess;
        ASSERT_TRUE(standin::spooler::AddPrinter(config));
    }

    static void AddForm(const std::u16string &name, LONG widthMicrons, LONG lengthMicrons)
    {
        standin::spooler::FormConfig form;
        form.name = name;
        form.size = {widthMicrons, lengthMicrons};
        form.imageableArea = {0, 0, widthMicrons, lengthMicrons};
        ASSERT_TRUE(standin::spooler::AddForm(form));
    }

    static WORD PaperOf(const std::u16string &form)
    {
        for (const auto &f : standin::spooler::Forms())
            if (f.name == form)
                return f.paper;
        return 0;
    }

    // The printer's default DEVMODE names this paper number.
    static void SetDefaultPaperNumber(const std::u16string &printer, SHORT paper)
    {
        std::vector<BYTE> devmode = standin::spooler::DefaultDevMode(printer);
        ASSERT_GE(devmode.size(), sizeof(DEVMODEW));
        reinterpret_cast<DEVMODEW *>(devmode.data())->dmPaperSize = paper;
        ASSERT_TRUE(standin::spooler::SetDefaultDevMode(printer, devmode));
    }
    // The form the printer's default DEVMODE names by number, empty without one.
    static std::u16string DefaultPaperName(const std::u16string &printer)
    {
        std::vector<BYTE> devmode = standin::spooler::DefaultDevMode(printer);
        if (devmode.size() < sizeof(DEVMODEW))
            return u"";
        SHORT paper = reinterpret_cast<const DEVMODEW *>(devmode.data())->dmPaperSize;
        for (const auto &f : standin::spooler::Forms())
            if (f.paper == static_cast<WORD>(paper))
                return f.name;
        return u"";
    }

    static void StoreRecord(const std::u16string &printer, const void *bytes, size_t size, DWORD type = REG_BINARY)
    {
        const BYTE *p = static_cast<const BYTE *>(bytes);
        ASSERT_TRUE(standin::spooler::SetData(printer, u"OrvoPrinterData", type, std::vector<BYTE>(p, p + size)));
    }

    static std::vector<BYTE> StoredRecord(const std::u16string &printer)
    {
        standin::spooler::DataValue value;
        if (!standin::spooler::GetData(printer, u"OrvoPrinterData", value))
            return {};
        return value.bytes;
    }

    // The printer's stored record, whole.
    static REGSTRUCT Stored(const std::u16string &printer)
    {
        REGSTRUCT settings = {};
        std::vector<BYTE> bytes = StoredRecord(printer);
        EXPECT_EQ(bytes.size(), sizeof(settings));
        std::memcpy(&settings, bytes.data(), std::min(bytes.size(), sizeof(settings)));
        return settings;
    }

    static REGSTRUCT Defaults()
    {
        REGSTRUCT settings;
        SetDefaultSettings(&settings);
        return settings;
    }

    static std::vector<BYTE> Bytes(const REGSTRUCT &settings)
    {
        const BYTE *p = reinterpret_cast<const BYTE *>(&settings);
        return std::vector<BYTE>(p, p + sizeof(settings));
    }

    static HANDLE OpenForUse(const std::u16string &name)
    {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
        HANDLE handle = nullptr;
        EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &handle, &defaults));
        return handle;
    }
};

// A test of the plug-in's windows: its resources, in English, as the module;
// the automation's scripts and records reset around it.
class UiTest : public SpoolerTest {
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
};
